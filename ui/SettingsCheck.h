#pragma once

#include <string>

class CProject;

// What the first page's settings may not be, told before a preview or a run goes
// wrong with them. One function, so that it can give way to the engine's own
// validation of a run's settings.
struct SettingsProblem {
    enum class Field { None, Source, Separator, Widths, Target, Table };
    Field Where = Field::None;
    std::string Message; // empty: no problem
};

// The first problem of `project` for a preview (`forRun` false: only what reading the
// source needs) or for a run (also the table and the target). A message names the field.
SettingsProblem CheckFirstPage(const CProject& project, bool forRun);
