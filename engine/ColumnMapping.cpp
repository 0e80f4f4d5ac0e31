#include "ColumnMapping.h"

#include <string_view>
#include <unordered_map>

void MergeDiscoveredColumns(CProject& project, std::vector<std::string> names,
                            std::vector<std::string> quotes)
{
    // Earlier columns by source name, each name's first unclaimed one at the back.
    std::unordered_map<std::string_view, std::vector<std::size_t>> earlier;
    for (std::size_t j = project.Columns.size(); j-- > 0;)
        earlier[project.SourceColumnName(j)].push_back(j);

    std::vector<std::string> targets = names;
    std::vector<std::string> types(names.size());
    quotes.resize(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto found = earlier.find(names[i]);
        if (found == earlier.end() || found->second.empty())
            continue;
        const std::size_t j = found->second.back();
        found->second.pop_back();
        targets[i] = project.Columns[j];
        if (j < project.Quotes.size())
            quotes[i] = project.Quotes[j];
        if (j < project.Types.size())
            types[i] = project.Types[j];
    }
    project.Columns = std::move(targets);
    project.Quotes = std::move(quotes);
    project.Types = std::move(types);
    project.SourceColumns = std::move(names);
}
