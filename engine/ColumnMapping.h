#pragma once

#include "Project.h"

#include <string>
#include <vector>

// Replaces the project's columns by freshly discovered ones. A column whose
// source name was there before keeps the target name, quotation and type the
// user gave it; a new column takes its discovered name and mark, and no type.
void MergeDiscoveredColumns(CProject& project, std::vector<std::string> names,
                            std::vector<std::string> quotes);
