#pragma once

#include "DateText.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

// How the source writes NULL, numbers and dates where it differs from SQL's own forms: the keys
// NullValues, DecimalSeparator, ThousandsSeparator and DateFormat as the run reads them.
struct SourceValueRules {
    std::vector<std::string> NullValues; // values that are NULL, each compared whole
    std::array<bool, 256> NullStarts{};  // the first bytes of the NullValues, for a quick test
    // The first bytes of the values a rule may change: a marker's, and digits, signs and the
    // decimal separator where numbers or dates are read.
    std::array<bool, 256> Starts{};
    char Decimal = '.';
    char Thousands = 0; // 0: none
    bool Dates = false; // dates are read in DateForm (DateFormat other than YYYY-MM-DD)
    DateFormat DateForm;

    // Any rule differs from SQL's forms: the run reads every value through a SourceValueReader.
    bool InUse() const { return !NullValues.empty() || Decimal != '.' || Thousands != 0 || Dates; }
    // Adds a NULL marker.
    void AddNullValue(std::string_view marker)
    {
        NullValues.emplace_back(marker);
        NullStarts[static_cast<unsigned char>(marker[0])] = true;
        Starts[static_cast<unsigned char>(marker[0])] = true;
    }
    // Fills Starts for the separators and the date format; after them.
    void MarkStarts()
    {
        if (Decimal != '.' || Thousands != 0 || Dates)
            for (const char c : {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', '-', '+', Decimal})
                Starts[static_cast<unsigned char>(c)] = true;
    }
    // A value with this first byte may be changed by a rule.
    bool MayChange(char first) const { return Starts[static_cast<unsigned char>(first)]; }
};

// A value as the rules read it: its text in the form SQL reads, or a NULL marker.
struct ReadValue {
    std::string_view Text;
    bool NullMarker = false;
};

// Reads values by the rules: a NULL marker is marked so; a number written with the decimal
// separator and thousands separators becomes one with '.' and no groups ("1.234,5" 1234.5); a date
// in the format becomes its ISO form ("31.12.2024" 2024-12-31, with a time "2024-12-31 13:05:00").
// Any other value stays as it is.
class SourceValueReader {
  public:
    explicit SourceValueReader(const SourceValueRules& rules) : Rules(rules) {}
    // The text may lie in this reader, valid until the next Read.
    ReadValue Read(std::string_view value);

  private:
    const SourceValueRules& Rules;
    std::string Number;
    char Iso[IsoDateSize + 1] = {};
};

// ThousandsSeparator's value: "" none, "<space>" (any case) a blank, or one of . , ' as it stands.
bool ParseThousandsSeparator(std::string_view text, char& separator);
