#pragma once
#include <windows.h>

namespace KvCommon
{
namespace Clock
{
using Source = void(WINAPI*)(LPSYSTEMTIME);

// Every reading of the local time goes through here, so tests can fix the moment.
void GetLocalTime(SYSTEMTIME* now);

// nullptr restores ::GetLocalTime.
void SetSource(Source source);
} // namespace Clock
} // namespace KvCommon
