#include "Utf8Path.h"

#include "TextDecoder.h"

#include <cerrno>

#ifdef _WIN32
#include <share.h>
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {

bool IsValidUtf8(std::string_view text)
{
    TextDecoder checker(SourceEncoding::Utf8);
    const TextDecoder::Result result = checker.Check(text.data(), text.size(), true);
    return !result.Invalid && result.Written == text.size();
}

} // namespace

fs::path PathFromUtf8(std::string_view utf8)
{
#ifdef _WIN32
    return fs::path(WideFromUtf8(utf8));
#else
    return fs::path(std::string(utf8));
#endif
}

std::string Utf8FromPath(const fs::path& path)
{
#ifdef _WIN32
    return Utf8FromWide(path.native());
#else
    return path.native();
#endif
}

std::FILE* OpenFileUtf8(const std::string& path, const char* mode, FileSharing sharing)
{
#ifdef _WIN32
    const int share = sharing == FileSharing::Exclusive ? _SH_DENYRW : _SH_DENYWR;
    const std::wstring wideMode = WideFromUtf8(mode);
    errno = 0;
    std::FILE* file = _wfsopen(WideFromUtf8(path).c_str(), wideMode.c_str(), share);
    if (!file && errno == 0)
        errno = EACCES; // a sharing violation
    return file;
#else
    (void)sharing;
    return std::fopen(path.c_str(), mode);
#endif
}

std::string StoredPathAsUtf8(std::string_view stored)
{
    if (IsValidUtf8(stored))
        return std::string(stored);
#ifdef _WIN32
    return Utf8FromCodePage(stored, CP_ACP);
#else
    return std::string(stored);
#endif
}

std::string FromProjectFolder(const std::string& path, const std::string& projectFile)
{
    if (path.empty() || path == "-")
        return path;
    const fs::path stored = PathFromUtf8(path);
    if (stored.is_absolute())
        return path;
#ifdef _WIN32
    // "\folder" and "C:folder" are not relative to the project's folder either.
    if (stored.has_root_name() || stored.has_root_directory())
        return path;
#endif
    return Utf8FromPath((PathFromUtf8(projectFile).parent_path() / stored).lexically_normal());
}

#ifdef _WIN32
std::wstring WideFromUtf8(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string Utf8FromWide(std::wstring_view wide)
{
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::string Utf8FromCodePage(std::string_view text, unsigned codePage)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return Utf8FromWide(wide);
}
#endif
