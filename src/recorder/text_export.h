#pragma once
// Comma-separated text export of recorder pages: a header line and one line
// per sample, CR LF line ends, fields neither quoted nor escaped.

#include "recorder/record.h"

#include <cstdint>
#include <span>
#include <string>

namespace ostrel {

inline constexpr std::string_view kExportHeader =
    "#item,Time,MainData,MainUnit,MainFunc,Sub Data,SubUnit,SubFunc\r\n";

// Append the line of the pair at buffer position (0-based; the line shows
// position + 1), with its CR LF.
void AppendExportLine(std::string& out, const RecordPair& pair, std::int64_t position);
// The same from a 169-byte entry image, without reading it into a pair.
void AppendExportLine(std::string& out, const std::uint8_t* entry, std::int64_t position);
// The same put together from the fields of each display and the time text:
// AppendExportFields gives a display's fields (with the control characters of
// its stored texts blanked, so that they can be kept and used again);
// subFields is empty without a sub display.
void AppendExportFields(std::string& out, const TBRecord& record, bool isMain);
void AppendExportLine(std::string& out, std::int64_t position, std::string_view time,
                      std::string_view mainFields, std::string_view subFields);

// Pages firstPage … lastPageOfRange of a buffer, each clamped to 1 … last page
// (an empty range after clamping gives the header only).
struct PageRange {
    int first = 1;
    int last = 1;
};
PageRange ClampPageRange(int firstPage, int lastPageOfRange, int lastPage);

// The whole text of an export of the given pages.
std::string ExportText(const SampleBuffer& buffer, int pointsPerPage, int firstPage,
                       int lastPageOfRange);

// Write an export of the given pages to path, replacing the file only when the
// whole text was written. False when the file could not be written.
bool ExportTextFile(const std::string& path, const SampleBuffer& buffer, int pointsPerPage,
                    int firstPage, int lastPageOfRange);

} // namespace ostrel
