#pragma once
// The identity of one event: its kind, its day file, its place there and a hash of what it says, so
// the same line gives the same id on every export and follow and any other line another one.
#include "Output.h"

#include <windows.h>

#include <string>
#include <vector>

namespace NqHost
{
namespace EventId
{
// "tsc-20261206-42-9f3a61c0": kind, day, record number in the day file (from 1), FNV-1a of the record.
std::string Make(const std::wstring& kind, const SYSTEMTIME& day, size_t number, const SYSTEMTIME& time,
                 const std::vector<Cell>& fields);
} // namespace EventId
} // namespace NqHost
