#pragma once
// The one judgement of a day file's lines that check, the damage counts and the events shown share.
// The plug-in's reader starts after the byte-order mark, takes pieces of at most 2046 characters with
// their "\n", cuts a line at its last "\r" and makes a record of every remaining line holding a "|";
// of those, only the lines that fit their kind's layout are events. Every other line is damage.
#include "DayLineRules.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace NqHost
{
struct DayFileProblem
{
    size_t line; // from 1, counted after the byte-order mark
    std::wstring text;
};

class CDayFileCheck
{
public:
    // kind: the name of the kind whose layout the lines must fit.
    CDayFileCheck(const std::vector<BYTE>& bytes, const std::wstring& kind);
    // The file's bytes as far as it can be read, sharing it with its writers; false with the Win32 code.
    static bool ReadBytes(const std::wstring& path, std::vector<BYTE>& bytes, DWORD& error);
    // The same into storage of the caller's: place(size) gives room for size bytes; read is how many came.
    static bool ReadWhole(const std::wstring& path, const std::function<void*(size_t size)>& place,
                          size_t& read, DWORD& error);

    size_t Lines() const { return m_lines; }
    const std::vector<DayFileProblem>& Problems() const { return m_problems; }
    // Lines that are no event: the reader skips them or their fields do not fit the kind.
    size_t DamagedLines() const { return m_damagedLines; }
    // A record the plug-in's reader makes of the file: where its line stands, and whether it is no event.
    struct RecordLine
    {
        ULONGLONG offset; // in bytes from the start of the file, the byte-order mark included
        size_t length;    // in UTF-16 units, the line end included
        bool damaged;
    };
    // The n-th record (from 0) of the file as it was judged; null past its last.
    const RecordLine* Record(size_t record) const
    {
        return record < m_records.size() ? &m_records[record] : nullptr;
    }
    // The longest line the reader takes, "\r\n" included; the writer shortens texts to fit it.
    static constexpr size_t kLongestLine = DayLineRules::MaxPiece;

private:
    void CheckStart(const std::vector<BYTE>& bytes);
    void CheckLine(const wchar_t* text, size_t start, size_t length, bool last);
    // Mirrors the reader's pieces; true when it makes a record of the line, with the piece it takes.
    bool ReaderTakes(const wchar_t* line, size_t length, size_t& pieceAt, size_t& pieceLength);
    void CheckText(const wchar_t* line, size_t length);
    void CheckFields(const wchar_t* line, size_t length);
    void Add(const std::wstring& text) { m_problems.push_back({m_lines, text}); }

    std::wstring m_kind;
    size_t m_lines = 0;
    size_t m_damagedLines = 0;
    DayLineRules m_reader; // the reader's state from piece to piece
    std::vector<RecordLine> m_records;
    std::vector<std::wstring> m_fields; // of the line being judged
    std::vector<DayFileProblem> m_problems;
};
} // namespace NqHost
