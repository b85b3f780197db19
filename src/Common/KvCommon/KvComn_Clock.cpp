#include "KvComn_Clock.h"

#include <atomic>

namespace KvCommon
{
namespace Clock
{
namespace
{
std::atomic<Source> g_source{nullptr};
}

void GetLocalTime(SYSTEMTIME* now)
{
    Source source = g_source.load(std::memory_order_acquire);
    (source ? source : ::GetLocalTime)(now);
}

void SetSource(Source source)
{
    g_source.store(source, std::memory_order_release);
}
} // namespace Clock
} // namespace KvCommon
