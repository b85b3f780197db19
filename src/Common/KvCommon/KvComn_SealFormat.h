#pragma once
// What sealing keeps beside the day files, in the folder "Seal\" of the log folder: the state (the
// evolving key and its epoch), and per chain a folder named by the chain's id holding the journal and one
// seal file per day file. Records have a fixed size; every code is HMAC-SHA-256 under the key of the
// record's epoch. A journal record's code covers the code of the record before it and the record without
// its code. A seal's link is SHA-256 of the link before it, the seal up to its link and (for a line) the
// line's bytes as written; its code covers the link. The key of epoch n + 1 is SHA-256 of the key of
// epoch n; epoch 0's key is the verification key, which never seals anything.
#include <windows.h>

namespace KvCommon
{
namespace SealFormat
{
constexpr char kStateMagic[8] = {'N', 'Q', 'S', 'E', 'A', 'L', '1', '\0'};
constexpr size_t kDayNameChars = 16;
constexpr size_t kTouchedDays = 32;

#pragma pack(push, 8)
struct State
{
    char magic[8];
    BYTE chain[16];
    ULONGLONG start; // epoch 1 begins here: local time in 100 ns units since 1601
    ULONGLONG epoch;
    ULONG epochSeconds;
    ULONG touchedCount;
    BYTE key[32];                                 // of epoch
    wchar_t touched[kTouchedDays][kDayNameChars]; // the day files sealed in this epoch
};

enum LineType : ULONG
{
    kLine = 1,
    kGap = 2, // [offset, offset + bytes) was found without a seal by the next writer
};

struct LineSeal
{
    ULONG type;
    ULONG bytes;
    ULONGLONG offset; // in the day file, the byte-order mark included
    ULONGLONG epoch;
    // The chain of links lets a verifier hash each line once and check one code for a run of lines.
    BYTE link[32];
    BYTE mac[32];
};

enum JournalType : ULONG
{
    kStart = 1,      // count: epoch seconds; end: start; name: the chain it follows, if any
    kCheckpoint = 2, // at the end of epoch: the day file had count seals up to byte end
    kRemoved = 3,    // the purge or the delete action removed the day (count seals up to byte end)
    kRestarted = 4,  // seal init --force ended this chain; name: the chain that follows
    kBefore = 5,     // a day file of the first day already held end bytes when the chain began
};

struct JournalEntry
{
    ULONG type;
    ULONG reserved;
    ULONGLONG epoch;
    wchar_t name[kDayNameChars];
    ULONGLONG count;
    ULONGLONG end;
    BYTE mac[32];
};
#pragma pack(pop)

static_assert(sizeof(LineSeal) == 88, "seal files hold 88-byte records");
static_assert(sizeof(JournalEntry) == 96, "journals hold 96-byte records");

// What a link covers before the line's bytes, and what a journal record's code covers.
constexpr size_t kLineSealSigned = sizeof(LineSeal) - 64;
constexpr size_t kJournalSigned = sizeof(JournalEntry) - 32;
constexpr ULONGLONG kTicksPerSecond = 10000000ull;
} // namespace SealFormat
} // namespace KvCommon
