#include "ProjectKeys.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Cells(const std::string& row)
{
    std::vector<std::string> cells;
    std::size_t start = 1;
    for (std::size_t bar = row.find('|', start); bar != std::string::npos; bar = row.find('|', start)) {
        std::string cell = row.substr(start, bar - start);
        cell.erase(0, cell.find_first_not_of(' '));
        cell.erase(cell.find_last_not_of(' ') + 1);
        cells.push_back(cell);
        start = bar + 1;
    }
    return cells;
}

// "`<tab>`" is <tab>, "empty (generic)" is empty, "1" is 1.
std::string DefaultIn(const std::string& cell)
{
    if (cell.rfind("empty", 0) == 0)
        return "";
    if (cell.size() > 1 && cell.front() == '`')
        return cell.substr(1, cell.find('`', 1) - 1);
    return cell.substr(0, cell.find(' '));
}

// Every key the README's key tables name, with the default the table gives.
std::map<std::string, std::string> ReadmeKeys()
{
    const std::string text = ReadFile(std::string(TABULON_SOURCE_DIR) + "/README.md");
    std::map<std::string, std::string> keys;
    std::size_t defaultColumn = std::string::npos;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.rfind("| Key |", 0) == 0) {
            const std::vector<std::string> header = Cells(line);
            defaultColumn = 0;
            while (defaultColumn < header.size() && header[defaultColumn] != "Default when missing")
                ++defaultColumn;
            if (defaultColumn == header.size())
                defaultColumn = std::string::npos; // a table about keys, not of their defaults
            continue;
        }
        if (line.rfind("| `", 0) != 0 || defaultColumn == std::string::npos) {
            if (line.empty() || line[0] != '|')
                defaultColumn = std::string::npos;
            continue;
        }
        const std::vector<std::string> cells = Cells(line);
        for (std::size_t at = cells[0].find('`'); at != std::string::npos; at = cells[0].find('`', at + 1)) {
            const std::size_t close = cells[0].find('`', at + 1);
            keys[cells[0].substr(at + 1, close - at - 1)] = DefaultIn(cells[defaultColumn]);
            at = close;
        }
    }
    return keys;
}

TEST(ProjectKeys, TheReadmeListsEveryKeyWithItsDefault)
{
    std::map<std::string, std::string> documented = ReadmeKeys();
    for (const ProjectKey* key = ProjectKeysBegin(); key != ProjectKeysEnd(); ++key) {
        const auto found = documented.find(key->Name);
        ASSERT_NE(found, documented.end()) << key->Name << " is not in the README's key tables";
        EXPECT_EQ(found->second, key->MissingDefault) << key->Name;
        documented.erase(found);
    }
    std::set<std::string> columnKeys;
    for (ColumnKey key : {ColumnKey::Column, ColumnKey::Quote, ColumnKey::Type, ColumnKey::Source}) {
        const std::string name = ColumnKeyName(key, 0);
        columnKeys.insert(name.substr(0, name.size() - 1) + "N");
    }
    for (const auto& [name, value] : documented)
        EXPECT_EQ(columnKeys.count(name), 1u) << name << " is in the README but no project key";
}

} // namespace
