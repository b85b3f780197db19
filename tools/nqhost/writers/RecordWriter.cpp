// The writer that --format and --schema choose, checked against the kinds and made for the output stream.
#include "RecordWriter.h"

#include "CsvWriter.h"
#include "EcsWriter.h"
#include "JsonLinesWriter.h"
#include "TextLineWriter.h"
#include "Text.h"
#include "UsageError.h"

namespace NqHost
{
void CRecordWriter::Check(const WriterChoice& choice, const std::vector<const CRecordKind*>& kinds)
{
    const std::wstring& format = choice.format;
    const bool allowText = choice.allowText;
    if (!choice.schema.empty() && !Text::EqualsNoCase(choice.schema, L"ecs"))
        throw UsageError{L"unknown schema '" + choice.schema + L"' (ecs)"};
    if (!choice.schema.empty() && !Text::EqualsNoCase(format, L"jsonl"))
        throw UsageError{L"--schema ecs takes --format jsonl"};
    if (Text::EqualsNoCase(format, L"csv") && kinds.size() != 1)
        throw UsageError{L"--format csv takes exactly one kind: the kinds' columns differ"};
    if (!Text::EqualsNoCase(format, L"jsonl") && !Text::EqualsNoCase(format, L"csv") &&
        !(allowText && Text::EqualsNoCase(format, L"text")))
        throw UsageError{L"unknown format '" + format +
                         (allowText ? L"' (text, jsonl or csv)" : L"' (jsonl or csv)")};
}

std::unique_ptr<CRecordWriter> CRecordWriter::Create(const WriterChoice& choice, COutputStream& out,
                                                     const std::vector<const CRecordKind*>& kinds,
                                                     const CLogOrigin& origin)
{
    Check(choice, kinds);
    const std::wstring& format = choice.format;
    if (!choice.schema.empty())
        return std::make_unique<CEcsWriter>(out, origin);
    if (Text::EqualsNoCase(format, L"csv"))
        return std::make_unique<CCsvWriter>(out, origin, *kinds[0], choice.csvRaw);
    if (Text::EqualsNoCase(format, L"text"))
        return std::make_unique<CTextLineWriter>(out, origin);
    return std::make_unique<CJsonLinesWriter>(out, origin);
}
} // namespace NqHost
