#include "ProfileFile.h"

#include "FileReplacement.h"
#include "TextLineReader.h"
#include "TextRules.h"

#include <cerrno>
#include <cstdio>

namespace {

// How far into a file the first section header is looked for.
constexpr std::size_t SectionSearchLimit = std::size_t{64} << 10;

bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

// "[Name]" with optional blanks: the name, or false for any other line.
bool SectionName(std::string_view line, std::string_view& name)
{
    line = TrimBlanks(line);
    if (line.size() < 2 || line.front() != '[')
        return false;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos)
        return false;
    name = TrimBlanks(line.substr(1, close - 1));
    return true;
}

// "Key=Value": the key and the raw value, or false for a line without "=" or a comment.
bool KeyLine(std::string_view line, std::string_view& key, std::string_view& value)
{
    const std::string_view trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed.front() == ';')
        return false;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return false;
    key = TrimBlanks(line.substr(0, equals));
    value = line.substr(equals + 1);
    return true;
}

std::string Cut(std::string_view value, std::size_t bufferSize)
{
    if (bufferSize == 0)
        return {};
    return std::string(value.substr(0, bufferSize - 1));
}

// A stored value as the caller's buffer takes it. Windows cuts a value in
// quotes before it removes them, so a cut value keeps only its opening quote
// off: "a b" in a 4-byte buffer reads as "a ".
std::string CutValue(std::string_view raw, std::size_t bufferSize)
{
    const std::string_view trimmed = TrimBlanks(raw);
    const std::string_view decoded = ProfileFile::DecodeValue(raw);
    if (bufferSize <= 1 || decoded.size() == trimmed.size() || trimmed.size() < bufferSize)
        return Cut(decoded, bufferSize);
    return std::string(trimmed.substr(1, bufferSize - 2));
}

} // namespace

ProfileFile::ReadResult ProfileFile::Read(const std::string& path)
{
    Lines.clear();
    IndexValid = false;
    TextLineReader reader;
    if (path.empty() || !reader.Open(path))
        return ReadResult::CannotRead;
    try {
        std::string_view line;
        std::size_t bytesBeforeSection = 0;
        bool sectionSeen = false;
        while (reader.ReadLine(line)) {
            // The reader skips the byte order mark; one more behind it (a tool put its own in
            // front) would otherwise stand as text before the first line's key or section.
            while (Lines.empty() && line.substr(0, 3) == "\xEF\xBB\xBF")
                line.remove_prefix(3);
            // CRs before a line's LF are its line end; the last line's, before
            // the file's end, are too: kept, they would grow at every save.
            while (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            std::string_view name;
            sectionSeen = sectionSeen || SectionName(line, name);
            if (!sectionSeen) {
                // Some other kind of file (a data file given by mistake): not read whole.
                bytesBeforeSection += line.size() + 1;
                if (bytesBeforeSection > SectionSearchLimit) {
                    Lines.clear();
                    return ReadResult::NotAProfile;
                }
            }
            Lines.emplace_back(line);
        }
    } catch (const std::exception&) {
        Lines.clear();
        return ReadResult::CannotRead;
    }
    return ReadResult::Done;
}

std::string ProfileFile::Text() const
{
    std::string text;
    for (const std::string& line : Lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

bool ProfileFile::Write(const std::string& path) const
{
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    FileReplacement replacement;
    FileHandle file = replacement.Create(path);
    if (!file)
        return false;
    const std::string text = Text();
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file.get()) != text.size() || std::fflush(file.get()) != 0)
        return false; // the replacement removes the temporary file
    return replacement.Commit(std::move(file), true);
}

bool ProfileFile::HasSection(std::string_view section) const
{
    Span span;
    return FindSection(section, span);
}

std::string ProfileFile::IndexKey(std::string_view section, std::string_view key)
{
    std::string joined;
    joined.reserve(section.size() + key.size() + 1);
    for (char c : section)
        joined += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    joined += '\n';
    for (char c : key)
        joined += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return joined;
}

void ProfileFile::BuildIndex() const
{
    Sections.clear();
    Keys.clear();
    std::string_view section; // name of the section being read
    Span* span = nullptr;     // its entry, when it is the first of its name
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        std::string_view name, value;
        if (SectionName(Lines[i], name)) {
            auto [it, inserted] = Sections.try_emplace(IndexKey(name, ""), Span{i, i + 1});
            section = name;
            span = inserted ? &it->second : nullptr;
            continue;
        }
        if (!span)
            continue;
        span->Last = i + 1;
        if (KeyLine(Lines[i], name, value))
            Keys.try_emplace(IndexKey(section, name), i);
    }
    IndexValid = true;
}

bool ProfileFile::FindSection(std::string_view section, Span& span) const
{
    if (!IndexValid)
        BuildIndex();
    const auto it = Sections.find(IndexKey(section, ""));
    if (it == Sections.end())
        return false;
    span = it->second;
    return true;
}

std::size_t ProfileFile::FindKey(const Span& span, std::string_view key) const
{
    if (!IndexValid)
        BuildIndex();
    std::string_view name;
    SectionName(Lines[span.First], name);
    const auto it = Keys.find(IndexKey(name, key));
    return it == Keys.end() ? std::string::npos : it->second;
}

std::string ProfileFile::Get(std::string_view section, std::string_view key, std::string_view defaultValue,
                             std::size_t bufferSize) const
{
    Span span;
    if (FindSection(section, span)) {
        const std::size_t at = FindKey(span, key);
        if (at != std::string::npos) {
            std::string_view name, raw;
            KeyLine(Lines[at], name, raw);
            return CutValue(raw, bufferSize);
        }
    }
    return Cut(defaultValue, bufferSize);
}

bool ProfileFile::Has(std::string_view section, std::string_view key) const
{
    Span span;
    return FindSection(section, span) && FindKey(span, key) != std::string::npos;
}

void ProfileFile::Set(std::string_view section, std::string_view key, std::string_view value)
{
    std::string line(key);
    line += '=';
    line += EncodeValue(value);

    Span span;
    if (!FindSection(section, span)) {
        Sections[IndexKey(section, "")] = Span{Lines.size(), Lines.size() + 2};
        Keys[IndexKey(section, key)] = Lines.size() + 1;
        Lines.push_back("[" + std::string(section) + "]");
        Lines.push_back(std::move(line));
        return;
    }
    const std::size_t at = FindKey(span, key);
    if (at != std::string::npos) {
        // The key keeps its spelling in the file (filename= stays filename=), as on Windows.
        std::string_view spelling, oldValue;
        KeyLine(Lines[at], spelling, oldValue);
        Lines[at] = std::string(spelling) + line.substr(key.size());
        return;
    }
    // After the section's last non-blank line, so blank lines between sections stay.
    std::size_t insertAt = span.Last;
    while (insertAt > span.First + 1 && TrimBlanks(Lines[insertAt - 1]).empty())
        --insertAt;
    if (insertAt == Lines.size()) {
        std::string_view name;
        SectionName(Lines[span.First], name);
        Keys[IndexKey(name, key)] = insertAt;
        Sections[IndexKey(name, "")].Last = insertAt + 1;
        Lines.push_back(std::move(line));
        return;
    }
    Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(line));
    IndexValid = false;
}

std::string ProfileFile::EncodeValue(std::string_view value)
{
    const bool blankAtEdge = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
    const bool quotedLook = value.size() >= 2 && IsQuote(value.front()) && value.front() == value.back();
    if (blankAtEdge || quotedLook)
        return "\"" + std::string(value) + "\"";
    return std::string(value);
}

std::string_view ProfileFile::DecodeValue(std::string_view raw)
{
    raw = TrimBlanks(raw);
    if (raw.size() >= 2 && IsQuote(raw.front()) && raw.front() == raw.back())
        raw = raw.substr(1, raw.size() - 2);
    return raw;
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t bufferSize,
                                    const std::string& path)
{
    ProfileFile profile;
    profile.Read(path);
    return profile.Get(section, key, defaultValue, bufferSize);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const std::string& path)
{
    ProfileFile profile;
    profile.Read(path);
    profile.Set(section, key, value);
    return profile.Write(path);
}
