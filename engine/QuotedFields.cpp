#include "QuotedFields.h"

namespace {

// Whether the double quote at `at` opens a quoted field, walking the fields
// from `fieldStart` (a field start outside any quoted field) as the splitter does.
bool OpensField(std::string_view record, std::string_view separator, std::size_t fieldStart, std::size_t at)
{
    if (separator.size() == 1) // a separator byte outside quotes always ends a field
        return at == fieldStart || (at > 0 && record[at - 1] == separator[0]);
    std::size_t start = fieldStart;
    while (start < at) {
        const std::size_t next = record.find(separator, start);
        if (next == std::string_view::npos || next + separator.size() > at)
            return false;
        start = next + separator.size();
    }
    return start == at;
}

} // namespace

bool QuotedRecordComplete(std::string_view record, std::string_view separator)
{
    if (separator.empty())
        return true;
    std::size_t fieldStart = 0; // a field start at or before the search point, outside quotes
    std::size_t from = 0;
    for (;;) {
        const std::size_t quote = record.find('"', from);
        if (quote == std::string_view::npos)
            return true;
        if (!OpensField(record, separator, fieldStart, quote)) {
            from = quote + 1;
            continue;
        }
        // Inside a quoted field: to its closing quote, past doubled ones.
        std::size_t inside = quote + 1;
        for (;;) {
            const std::size_t close = record.find('"', inside);
            if (close == std::string_view::npos)
                return false;
            if (close + 1 < record.size() && record[close + 1] == '"') {
                inside = close + 2;
                continue;
            }
            from = close + 1;
            break;
        }
        // The field goes on to the next separator; the next field starts after it.
        const std::size_t next = record.find(separator, from);
        if (next == std::string_view::npos)
            return true;
        fieldStart = from = next + separator.size();
    }
}
