#include "ColumnNames.h"

#include "TextRules.h"

#include <unordered_set>

namespace {

// The length of the UTF-8 character at `at`, 1 for a byte that starts none.
std::size_t CharacterLength(const std::string& text, std::size_t at)
{
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (length == 1 || at + length > text.size())
        return 1;
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
            return 1;
    }
    return length;
}

char32_t CodePoint(const std::string& text, std::size_t at, std::size_t length)
{
    if (length == 1)
        return static_cast<unsigned char>(text[at]);
    char32_t point = static_cast<unsigned char>(text[at]) & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i)
        point = (point << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    return point;
}

// A character as the database compares it: in lower case, and a Latin letter
// as its base letter where accents do not count (as MariaDB's general
// collation; folding more than it does only makes a name distinct needlessly).
char32_t Folded(char32_t c, NameComparison compared)
{
    // U+00C0 to U+017F: Latin-1 and Latin Extended-A; "*" keeps the letter.
    static const char latin[] = "aaaaaaaceeeeiiiidnooooo*ouuuuy*saaaaaaaceeeeiiiidnooooo*ouuuuy*y"
                                "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkkllllllllll"
                                "nnnnnnnnnoooooooorrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + 32 : c;
    if (compared == NameComparison::AsciiCase)
        return c;
    if (compared == NameComparison::CaseAndAccents && c >= 0xC0 && c <= 0x17F && latin[c - 0xC0] != '*')
        return static_cast<char32_t>(latin[c - 0xC0]);
    if ((c >= 0x391 && c <= 0x3A9) || (c >= 0x410 && c <= 0x42F) || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return c + 32; // Latin-1, Greek, Cyrillic
    if (c >= 0x400 && c <= 0x40F)
        return c + 80;
    // Latin Extended-A: each capital with its small letter after it.
    const bool evenCapitals = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    const bool oddCapitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenCapitals && c % 2 == 0) || (oddCapitals && c % 2 == 1))
        return c + 1;
    return c;
}

// The name as the database compares it.
std::u32string Key(const std::string& name, const NameRules& rules)
{
    std::u32string key;
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t length = CharacterLength(name, at);
        key += Folded(CodePoint(name, at, length), rules.Compared);
        at += length;
    }
    return key;
}

// The first bytes of the name that fit the limits, whole characters only, and no blank last.
std::string Cut(const std::string& name, const NameRules& rules)
{
    std::size_t characters = 0;
    std::size_t units = 0;
    std::size_t at = 0;
    while (at < name.size()) {
        const std::size_t length = CharacterLength(name, at);
        const std::size_t unitsOf = length == 4 ? 2 : 1;
        if (at + length > rules.MostBytes || characters + 1 > rules.MostCharacter ||
            units + unitsOf > rules.MostUtf16)
            break;
        at += length;
        ++characters;
        units += unitsOf;
    }
    // MariaDB refuses a name that ends in a blank, which a cut may leave.
    while (at > 0 && IsBlank(name[at - 1]))
        --at;
    return name.substr(0, at);
}

} // namespace

std::vector<std::string> WrittenColumnNames(const std::vector<std::string>& names, SqlDialect dialect)
{
    const NameRules& rules = RulesOf(dialect).Names;
    if (!rules.Fit)
        return names;
    std::vector<std::string> written(names.size());
    std::unordered_set<std::u32string> taken;
    for (std::size_t k = 0; k < names.size(); ++k) {
        if (names[k].empty())
            continue; // left out
        std::string name;
        const std::string_view trimmed = TrimBlanks(names[k]);
        for (std::size_t at = 0; at < trimmed.size();) {
            const std::string text(trimmed.substr(at, 4));
            const std::size_t length = CharacterLength(text, 0);
            if (rules.BmpOnly && length == 4)
                name += '_';
            else
                name.append(trimmed.substr(at, length));
            at += length;
        }
        if (name.empty())
            name = "N" + std::to_string(k);
        const std::string base = Cut(name, rules);
        name = base;
        for (int suffix = 2; !taken.insert(Key(name, rules)).second; ++suffix) {
            const std::string tail = "_" + std::to_string(suffix);
            NameRules shorter = rules;
            shorter.MostBytes = rules.MostBytes == NoLimit ? NoLimit : rules.MostBytes - tail.size();
            shorter.MostCharacter =
                rules.MostCharacter == NoLimit ? NoLimit : rules.MostCharacter - tail.size();
            shorter.MostUtf16 = rules.MostUtf16 == NoLimit ? NoLimit : rules.MostUtf16 - tail.size();
            name = Cut(base, shorter) + tail;
        }
        written[k] = std::move(name);
    }
    return written;
}
