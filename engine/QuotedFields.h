#pragma once

#include <string>
#include <string_view>

// Fields in double quotes, as spreadsheets write them: a field that begins
// with a double quote ends at the next lone one; inside, two double quotes
// stand for one, and the separator and line ends are data. Bytes after the
// closing quote, up to the separator, belong to the value as well. A double
// quote anywhere else is data.

// True when the record ends outside any quoted field; false when a quoted field
// is still open at its end, so that the record goes on on the next line.
bool QuotedRecordComplete(std::string_view record, std::string_view separator);

// Cuts a record into its values, calling emit(value) for each in order. A
// value with doubled quotes is put together in `scratch`, so a value is valid
// only during its call. The separator must not be empty.
template <class Emit>
void SplitQuotedFields(std::string_view record, std::string_view separator, std::string& scratch, Emit&& emit)
{
    std::size_t start = 0;
    for (;;) {
        std::size_t next; // where the separator after this field stands, or npos
        if (start < record.size() && record[start] == '"') {
            std::string_view value;
            bool built = false; // the value lies in scratch
            std::size_t from = start + 1;
            for (;;) {
                const std::size_t quote = record.find('"', from);
                const bool doubled =
                    quote != std::string_view::npos && quote + 1 < record.size() && record[quote + 1] == '"';
                // Up to a doubled quote (one of them kept), the closing one, or the end.
                const std::size_t stop =
                    quote == std::string_view::npos ? record.size() : quote + (doubled ? 1 : 0);
                const std::string_view piece = record.substr(from, stop - from);
                if (!built && !doubled) { // the whole value, in place
                    value = piece;
                } else {
                    if (!built) {
                        scratch.assign(value);
                        built = true;
                    }
                    scratch.append(piece);
                }
                if (quote == std::string_view::npos) {
                    next = std::string_view::npos;
                    break;
                }
                if (doubled) {
                    from = quote + 2;
                    continue;
                }
                next = record.find(separator, quote + 1);
                const std::string_view tail = record.substr(
                    quote + 1, next == std::string_view::npos ? std::string_view::npos : next - quote - 1);
                if (!tail.empty()) {
                    if (!built) {
                        scratch.assign(value);
                        built = true;
                    }
                    scratch.append(tail);
                }
                break;
            }
            emit(built ? std::string_view(scratch) : value);
        } else {
            next = record.find(separator, start);
            emit(record.substr(std::min(start, record.size()),
                               next == std::string_view::npos ? std::string_view::npos : next - start));
        }
        if (next == std::string_view::npos)
            return;
        start = next + separator.size();
    }
}
