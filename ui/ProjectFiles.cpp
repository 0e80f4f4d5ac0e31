#include "ProjectFiles.h"

#include "ProfileFile.h"
#include "Project.h"
#include "Utf8Path.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

// `path` made full from the project's folder; `relative` tells whether it was relative.
std::string FullPath(const std::string& path, const std::string& projectFile, bool& relative)
{
    const std::string full = FromProjectFolder(path, projectFile);
    relative = full != path;
    return full;
}

// `path` relative to the folder of `projectFile`, when it can be put so.
std::string RelativePath(const std::string& path, const std::string& projectFile)
{
    if (path.empty() || path == "-")
        return path;
    const std::filesystem::path full = PathFromUtf8(path);
    if (!full.is_absolute())
        return path;
    std::error_code ec;
    const std::filesystem::path folder =
        std::filesystem::absolute(PathFromUtf8(projectFile), ec).parent_path().lexically_normal();
    const std::filesystem::path relative = full.lexically_normal().lexically_relative(folder);
    if (ec || relative.empty())
        return path;
    std::string text = Utf8FromPath(relative);
#ifdef _WIN32
    // With '/', so that the project reads the same on Linux and Windows.
    std::replace(text.begin(), text.end(), '\\', '/');
#endif
    return text;
}

std::string SystemReason(const char* fallback)
{
    return errno != 0 ? std::strerror(errno) : fallback;
}

} // namespace

bool ReadProjectFile(const std::string& path, CProject& project, ProjectPathForm& form, std::string& reason)
{
    CProject opened;
    opened.ProjectPath = path;
    if (!opened.Load()) {
        reason = opened.LoadError;
        return false;
    }
    ProjectPathForm openedForm;
    opened.FileName = FullPath(opened.FileName, path, openedForm.SourceRelative);
    opened.TargetName = FullPath(opened.TargetName, path, openedForm.TargetRelative);
    project = opened;
    form = openedForm;
    reason.clear();
    return true;
}

bool WriteProjectFile(const CProject& project, const ProjectPathForm& form, bool fresh, std::string& reason)
{
    reason.clear();
    if (project.ProjectPath.empty()) {
        reason = "no file is named";
        return false;
    }
    CProject stored = project;
    if (form.SourceRelative)
        stored.FileName = RelativePath(project.FileName, project.ProjectPath);
    if (form.TargetRelative)
        stored.TargetName = RelativePath(project.TargetName, project.ProjectPath);
    ProfileFile file;
    if (!fresh) {
        std::error_code ec;
        const bool holdsSomething =
            std::filesystem::file_size(PathFromUtf8(project.ProjectPath), ec) > 0 && !ec;
        const ProfileFile::ReadResult read = file.Read(project.ProjectPath);
        if (holdsSomething && (read != ProfileFile::ReadResult::Done || !file.HasSection(ProfileSection))) {
            reason = "is not a project file (it has no [General] section); it was left as it was";
            return false;
        }
    }
    stored.StoreSettings(file);
    errno = 0;
    if (file.Write(project.ProjectPath))
        return true;
    reason = SystemReason("cannot be written");
    return false;
}
