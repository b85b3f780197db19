#pragma once
#include <windows.h>
#include <string>

struct LogKindInfo;

// One event's line appended to its day file, the file's damaged end repaired in the same write.
class DayAppend
{
public:
    // What a file needs before its next line starts on a line of its own: nothing at a line start, else
    // the half unit completed and CR LF.
    struct EndRepair
    {
        const char* bytes = ""; // the bytes that end the damaged last line
        size_t size = 0;
        const wchar_t* reason = nullptr;
    };
    // The repair of a file of length bytes whose last whole unit is last (ignored for a file of no whole
    // unit).
    static EndRepair RepairFor(LONGLONG length, wchar_t last);

    // Appends data to the file name: open (waiting out other openers), repair, one write, seal, close; each
    // failure traced with the kind's source file. data begins with the byte-order mark, which goes out only
    // when the file is empty while this writer holds it: deciding before the open would let two writers that
    // both found no file each put a mark, and would leave an existing empty file without one. isNew: the
    // file was empty. sealFolder: the log folder when sealing is on, else null.
    static bool Append(const LogKindInfo& kind, const std::wstring& name, const std::wstring& data,
                       bool& isNew, const std::wstring* sealFolder);
};
