#pragma once

#include <string>

class CProject;

// How the wizard reads and writes project files so that no other file is harmed:
// a file that is not a project is never taken for one nor written into, and the
// source and target paths a project holds relative to its folder stay relative to
// it, as tabulon-convert reads them.
struct ProjectPathForm {
    bool SourceRelative = false; // FileName was stored relative to the project's folder
    bool TargetRelative = false; // TargetName was
};

// Reads `path` into `project` (ProjectPath set); the relative source and target
// paths become full paths from the project file's folder, and `form` records which
// were relative. False, with `reason` saying why, when the file cannot be read or
// is no project file; `project` is then untouched.
bool ReadProjectFile(const std::string& path, CProject& project, ProjectPathForm& form, std::string& reason);

// Writes `project` to its ProjectPath. The paths that were relative are written
// relative to that file's folder (pointing at the same files wherever it is). A
// fresh file (Save As) holds only the project; otherwise the file's other keys are
// kept. A file that exists, is not empty and has no [General] section is refused
// unless `fresh`. False, with `reason`, when nothing was written.
bool WriteProjectFile(const CProject& project, const ProjectPathForm& form, bool fresh, std::string& reason);
