#pragma once

#include "Project.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class ProfileFile;

// The keys of a project file, one row each: what the key holds, the values it
// takes, what a file without it means, what a new project starts with and when
// Save writes it. Load, Save, the command line's --set and the checks of a
// value all read this table; a new key is a new row and a CProject member.
enum class KeyKind {
    Text,    // any text
    Path,    // a file name; stored in UTF-8 (an older file's ANSI bytes are converted)
    Flag,    // 0 off, any other whole number on
    Integer, // a whole number from Min to Max
    Choice,  // one of the names IsChoice accepts, in any letter case
};

enum class SaveRule {
    Always,  // every project file has it
    WhenUsed // written where it differs from what a file without it means, or where the file has it
};

struct ProjectKey {
    const char* Name;
    KeyKind Kind;
    const char* MissingDefault; // the value a file without the key means
    const char* NewDefault;     // the value a new project starts with
    SaveRule Save;
    std::int64_t Min = 0; // Integer: the range
    std::int64_t Max = 0;
    // Choice: whether a value names one of the choices, and the choices as the user reads them.
    bool (*IsChoice)(std::string_view value) = nullptr;
    const char* Choices = nullptr;
    std::string CProject::*Text = nullptr;    // Text, Path and Choice keys
    std::int32_t CProject::*Number = nullptr; // Flag and Integer keys
};

// Every key of a project's [General] section but the per-column ones, in the
// order Save writes them.
const ProjectKey* ProjectKeysBegin();
const ProjectKey* ProjectKeysEnd();
// The key of that name, compared without letter case; null when there is none.
const ProjectKey* FindProjectKey(std::string_view name);

// The per-column keys ColumnN, QuoteN, TypeN and SourceN (N from 0).
enum class ColumnKey { Column, Quote, Type, Source };
std::string ColumnKeyName(ColumnKey key, std::size_t index);
// True when the name is one of them (any letter case, N a whole number).
bool IsColumnKeyName(std::string_view name);

// Why the text cannot be the key's value; nullopt when it can. The reason says
// what the key takes.
std::optional<std::string> CheckKeyValue(const ProjectKey& key, std::string_view text);
// Why a key given by that name cannot be set to that text, as a sentence that
// names the key and the value (an unknown key names the nearest known one);
// nullopt when it can.
std::optional<std::string> CheckSetting(std::string_view name, std::string_view text);

// The value as the key stores it in the project; the text must pass CheckKeyValue.
void ApplyKeyValue(const ProjectKey& key, std::string_view text, CProject& project);
// The project's value of the key as a project file writes it.
std::string KeyValueText(const ProjectKey& key, const CProject& project);
