#include "KvComn_SharingRetry.h"

namespace KvCommon
{
namespace Storage
{
namespace
{
constexpr LONGLONG kFirstStepUs = 50;
constexpr LONGLONG kLongestStepUs = 20000;

LONGLONG Counter()
{
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}
} // namespace

bool SharingRetry::Wait(DWORD error)
{
    const bool deletion = error == ERROR_ACCESS_DENIED || error == ERROR_DELETE_PENDING;
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION &&
        !(deletion && m_also == Also::Deletion))
        return false;
    if (m_frequency == 0)
    {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        m_frequency = frequency.QuadPart;
        m_start = Counter();
        m_stepUs = kFirstStepUs;
    }
    const LONGLONG left = static_cast<LONGLONG>(m_boundMs) * 1000 - ElapsedMicroseconds();
    if (left <= 0)
        return false;
    const LONGLONG step = m_stepUs < left ? m_stepUs : left;
    m_stepUs = m_stepUs * 2 < kLongestStepUs ? m_stepUs * 2 : kLongestStepUs;
    if (step >= 1000)
    {
        ::Sleep(static_cast<DWORD>(step / 1000));
        return true;
    }
    // Sleep cannot wait less than a millisecond (on many systems much more): give the processor away
    // until the step is over.
    const LONGLONG until = ElapsedMicroseconds() + step;
    while (ElapsedMicroseconds() < until)
        ::SwitchToThread();
    return true;
}

LONGLONG SharingRetry::ElapsedMicroseconds() const
{
    return (Counter() - m_start) * 1000000 / m_frequency;
}
} // namespace Storage
} // namespace KvCommon
