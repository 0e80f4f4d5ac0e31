#pragma once

#include <cstdint>
#include <ostream>
#include <string>

// Writes deterministic benchmark sources: the same arguments give the same
// bytes on every machine, so timings and output checksums can be compared.
namespace SourceGenerator {

// Widths of the fixed-width layout, in the order of the columns.
inline constexpr int FixedWidths[] = {8, 20, 10, 6, 30};
inline constexpr const char* FixedWidthsText = "8,20,10,6,30";
inline constexpr int TextLength = 30;

// A header line "id,name,amount,word,note" and `lines` data lines of five
// comma-separated fields: a running id, a name (some with apostrophes), a
// decimal amount, a short word and a text of TextLength bytes. CR LF line ends.
void WriteSeparated(std::ostream& out, std::uint64_t lines);

// The same records with a third of the fields in double quotes, a tenth of
// those holding a comma: a source for QuotedFields=1.
void WriteQuoted(std::ostream& out, std::uint64_t lines);

// The same columns cut at FixedWidths, blank padded, with a header line.
void WriteFixedWidth(std::ostream& out, std::uint64_t lines);

// A header line, one data line whose note holds `longBytes` bytes, and
// `lines` ordinary data lines after it.
void WriteLongLine(std::ostream& out, std::uint64_t longBytes, std::uint64_t lines);

// A project file for a source written by the functions above.
std::string ProjectText(const std::string& source, const std::string& target, bool fixedWidth);

} // namespace SourceGenerator
