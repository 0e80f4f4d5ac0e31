#include "ChmArchive.h"

#include <chm_lib.h>

#include <limits>

void ChmArchive::Closer::operator()(chmFile* file) const
{
    chm_close(file);
}

ChmArchive::ChmArchive(const std::string& path) : File(chm_open(path.c_str())) {}

bool ChmArchive::Contains(const std::string& name) const
{
    chmUnitInfo unit{};
    return File && chm_resolve_object(File.get(), name.c_str(), &unit) == CHM_RESOLVE_SUCCESS;
}

bool ChmArchive::Read(const std::string& name, std::string& content) const
{
    chmUnitInfo unit{};
    if (!File || chm_resolve_object(File.get(), name.c_str(), &unit) != CHM_RESOLVE_SUCCESS)
        return false;
    // An object too large to hold in memory cannot be shown anyway.
    if (unit.length > static_cast<LONGUINT64>(std::numeric_limits<LONGINT64>::max()) ||
        unit.length > content.max_size())
        return false;
    content.resize(static_cast<std::size_t>(unit.length));
    if (content.empty())
        return true;
    const LONGINT64 got =
        chm_retrieve_object(File.get(), &unit, reinterpret_cast<unsigned char*>(content.data()), 0,
                            static_cast<LONGINT64>(unit.length));
    if (got != static_cast<LONGINT64>(unit.length)) {
        content.clear();
        return false;
    }
    return true;
}
