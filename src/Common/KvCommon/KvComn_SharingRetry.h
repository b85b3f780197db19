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

    // Calls open(error) until it succeeds, fails with anything but a sharing (32) or lock (33) violation,
    // or the bound has run out; error then holds the last failure. The first attempt costs nothing extra.
    template <class Open> static bool Run(Open open, DWORD& error, DWORD boundMs = kBoundMs)
    {
        SharingRetry retry(boundMs);
        while (!open(error))
        {
            if (!retry.Wait(error))
                return false;
        }
        return true;
    }

private:
    explicit SharingRetry(DWORD boundMs) : m_boundMs(boundMs) {}
    // Sleeps the next back-off step; false when error is not worth waiting for or the bound has run out.
    bool Wait(DWORD error);
    LONGLONG ElapsedMicroseconds() const;

    DWORD m_boundMs;
    LONGLONG m_start = 0; // performance counter at the first refusal
    LONGLONG m_frequency = 0;
    LONGLONG m_stepUs = 0;
};
} // namespace Storage
} // namespace KvCommon
