#include "DayLines.h"

#include "KvCommon/KvComn_Handle.h"

#include <algorithm>

namespace NqHost
{
unsigned long long CDayLines::Hash(unsigned long long hash, const void* bytes, size_t size)
{
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ p[i]) * 1099511628211ull;
    return hash;
}

bool CDayLines::Read(const std::wstring& path)
{
    m_lines.clear();
    KvCommon::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size))
        return false;
    std::vector<wchar_t> text(static_cast<size_t>(size.QuadPart / 2));
    DWORD read = 0;
    for (size_t done = 0; done < text.size(); done += read / 2)
    {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1 << 20) * 2);
        if (!ReadFile(file.get(), text.data() + done, want, &read, nullptr) || read < 2)
        {
            text.resize(done);
            break;
        }
    }
    Take(text.data(), text.size());
    return true;
}

void CDayLines::Take(const wchar_t* text, size_t units)
{
    size_t at = units && text[0] == 0xFEFF ? 1 : 0;
    bool complete = true;
    while (at < units)
    {
        const size_t room = std::min(units - at, kLongest);
        const wchar_t* piece = text + at;
        const size_t end = static_cast<size_t>(std::find(piece, piece + room, L'\n') - piece);
        const size_t length = end < room ? end + 1 : room;
        // A null ends the reader's view of its piece: one at its start is an empty piece, which changes
        // nothing; a later one makes it a cut piece.
        const size_t null = static_cast<size_t>(std::find(piece, piece + length, L'\0') - piece);
        if (null == 0)
        {
            at += length;
            continue;
        }
        const bool whole = end < room && null == length;
        const bool tail = !complete;
        complete = whole;
        if (whole && !tail)
        {
            size_t keep = length;
            while (keep > 0 && piece[keep - 1] != L'\r')
                --keep;
            keep = keep > 0 ? keep - 1 : length;
            if (std::find(piece, piece + keep, L'|') != piece + keep)
                m_lines.push_back({at * 2ull, length, Hash(m_seed, piece, length * sizeof(wchar_t))});
        }
        at += length;
    }
}
} // namespace NqHost
