#pragma once

#include <string>

class CProject;

// What the first page's settings may not be, told before a preview or a run goes
// wrong with them. The splitting (separator, widths) and the options are the
// engine's own check (RunSettings::From); this adds the names of the files and the
// table, and says which field of the page holds the value at fault.
struct SettingsProblem {
    enum class Field { None, Source, Separator, Widths, Target, Table };
    Field Where = Field::None;
    std::string Message; // empty: no problem
};

// The first problem of `project` for a preview (`forRun` false: only what reading the
// source needs) or for a run (also the table and the target). A message names the field;
// a setting of the Options dialog is named by its key (Field::None).
SettingsProblem CheckFirstPage(const CProject& project, bool forRun);
