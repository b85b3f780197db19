#pragma once
// One member of a property record as a person names it on the command line: how to set it from text
// and how to show it. Built from member pointers, so the table cannot drift from the shared records.
#include "Output.h"
#include "Text.h"
#include "UsageError.h"

#include <windows.h>

#include <cwchar>
#include <functional>
#include <string>

namespace NqHost
{
struct RecordField
{
    std::wstring name;
    std::wstring type;
    bool readBack; // the day file carries it, so a query shows it
    std::function<void(void* record, const std::wstring& value)> assign; // throws UsageError
    std::function<Cell(const void* record)> show;
};

namespace FieldDetail
{
long long ParseOrRefuse(const std::wstring& name, const std::wstring& value, long long min, long long max,
                        const wchar_t* range);
} // namespace FieldDetail

template <class R> RecordField Field(const wchar_t* name, LONG R::*member, bool readBack)
{
    return {name, L"int32", readBack,
            [=](void* r, const std::wstring& v)
            {
                long long n = FieldDetail::ParseOrRefuse(name, v, -2147483648LL, 0xFFFFFFFFLL,
                                                         L"-2147483648 to 2147483647, or 0x0 to 0xFFFFFFFF");
                static_cast<R*>(r)->*member = static_cast<LONG>(static_cast<DWORD>(n));
            },
            [=](const void* r)
            {
                LONG n = static_cast<const R*>(r)->*member;
                return Cell::Number(n, std::to_wstring(n));
            }};
}

template <class R> RecordField Field(const wchar_t* name, DWORD R::*member, bool readBack)
{
    return {name, L"uint32", readBack,
            [=](void* r, const std::wstring& v)
            {
                static_cast<R*>(r)->*member = static_cast<DWORD>(
                    FieldDetail::ParseOrRefuse(name, v, 0, 0xFFFFFFFFLL, L"0 to 4294967295"));
            },
            [=](const void* r)
            {
                DWORD n = static_cast<const R*>(r)->*member;
                return Cell::Number(n, std::to_wstring(n));
            }};
}

template <class R> RecordField Field(const wchar_t* name, LONGLONG R::*member, bool readBack)
{
    return {name, L"int64", readBack,
            [=](void* r, const std::wstring& v)
            {
                static_cast<R*>(r)->*member = FieldDetail::ParseOrRefuse(
                    name, v, (-9223372036854775807LL - 1), 9223372036854775807LL, L"a 64-bit signed number");
            },
            [=](const void* r)
            {
                LONGLONG n = static_cast<const R*>(r)->*member;
                return Cell::Number(n, std::to_wstring(n));
            }};
}

template <class R, size_t N> RecordField Field(const wchar_t* name, WCHAR (R::*member)[N], bool readBack)
{
    return {name, Text::Format(L"text, at most %u characters", static_cast<unsigned>(N - 1)), readBack,
            [=](void* r, const std::wstring& v)
            {
                if (v.size() > N - 1)
                    throw UsageError{Text::Format(L"%s takes at most %u characters, the value has %u", name,
                                                  static_cast<unsigned>(N - 1),
                                                  static_cast<unsigned>(v.size()))};
                WCHAR* target = static_cast<R*>(r)->*member;
                wmemset(target, 0, N);
                wmemcpy(target, v.data(), v.size());
            },
            [=](const void* r)
            {
                const WCHAR* source = static_cast<const R*>(r)->*member;
                return Cell::Text(std::wstring(source, wcsnlen(source, N)));
            }};
}

template <class R> RecordField Field(const wchar_t* name, std::wstring R::*member, bool readBack)
{
    return {name, L"text", readBack, [=](void* r, const std::wstring& v) { static_cast<R*>(r)->*member = v; },
            [=](const void* r) { return Cell::Text(static_cast<const R*>(r)->*member); }};
}
} // namespace NqHost
