#pragma once
#include <windows.h>

namespace KvCommon
{
namespace Storage
{
// Waits out another opener of a file. Openers of a day file exclude each other by their sharing modes, and
// each holds the file only for one append or one read, so a refused open usually succeeds a moment later.
class SharingRetry
{
public:
    // Long enough to wait out a reader of a very large day (100,000 lines read in about 0.15 s).
    static constexpr DWORD kBoundMs = 2000;

    // What is worth waiting for besides a sharing (32) or lock (33) violation.
    enum class Also
    {
        Nothing,
        // A file being deleted: its name answers access denied (5) or delete pending (303) until the
        // last holder closes it, and then a new file can take the name.
        Deletion,
    };

    // Calls open(error) until it succeeds, fails with anything not worth waiting for, or the bound has run
    // out; error then holds the last failure. The first attempt costs nothing extra.
    template <class Open>
    static bool Run(Open open, DWORD& error, DWORD boundMs = kBoundMs, Also also = Also::Nothing)
    {
        SharingRetry retry(boundMs, also);
        while (!open(error))
        {
            if (!retry.Wait(error))
                return false;
        }
        return true;
    }

private:
    SharingRetry(DWORD boundMs, Also also) : m_boundMs(boundMs), m_also(also) {}
    // Sleeps the next back-off step; false when error is not worth waiting for or the bound has run out.
    bool Wait(DWORD error);
    LONGLONG ElapsedMicroseconds() const;

    DWORD m_boundMs;
    Also m_also;
    LONGLONG m_start = 0; // performance counter at the first refusal
    LONGLONG m_frequency = 0;
    LONGLONG m_stepUs = 0;
};
} // namespace Storage
} // namespace KvCommon
