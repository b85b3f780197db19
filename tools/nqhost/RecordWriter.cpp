#include "RecordWriter.h"

#include "CsvWriter.h"
#include "JsonLinesWriter.h"
#include "TextLineWriter.h"
#include "Text.h"
#include "UsageError.h"

namespace NqHost
{
void CRecordWriter::Check(const std::wstring& format, bool allowText,
                          const std::vector<const CRecordKind*>& kinds)
{
    if (Text::EqualsNoCase(format, L"csv") && kinds.size() != 1)
        throw UsageError{L"--format csv takes exactly one kind: the kinds' columns differ"};
    if (!Text::EqualsNoCase(format, L"jsonl") && !Text::EqualsNoCase(format, L"csv") &&
        !(allowText && Text::EqualsNoCase(format, L"text")))
        throw UsageError{L"unknown format '" + format +
                         (allowText ? L"' (text, jsonl or csv)" : L"' (jsonl or csv)")};
}

std::unique_ptr<CRecordWriter> CRecordWriter::Create(const std::wstring& format, bool allowText,
                                                     COutputStream& out,
                                                     const std::vector<const CRecordKind*>& kinds,
                                                     bool csvRaw)
{
    Check(format, allowText, kinds);
    if (Text::EqualsNoCase(format, L"csv"))
        return std::make_unique<CCsvWriter>(out, *kinds[0], csvRaw);
    if (Text::EqualsNoCase(format, L"text"))
        return std::make_unique<CTextLineWriter>(out);
    return std::make_unique<CJsonLinesWriter>(out);
}
} // namespace NqHost
