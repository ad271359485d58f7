#include "imaging/ReplacingFile.h"

#include <windows.h>


namespace {

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

} // namespace

ReplacingFile::~ReplacingFile()
{
    Discard();
}

bool ReplacingFile::Open(const char* path)
{
    Discard();
    if (!path || !*path)
        return false;
    char name[MAX_PATH];
    if (!GetTempFileNameA(FolderOf(path).c_str(), "orv", 0, name))
        return false;
    m_temporary = name;
    m_target = path;
    m_file = fopen(name, "wb");
    if (!m_file) {
        DeleteFileA(name);
        m_temporary.clear();
        return false;
    }
    return true;
}

bool ReplacingFile::Commit()
{
    if (!m_file)
        return false;
    const bool written = fflush(m_file) == 0 && ferror(m_file) == 0;
    const bool closed = fclose(m_file) == 0;
    m_file = nullptr;
    if (!written || !closed
        || !MoveFileExA(m_temporary.c_str(), m_target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        Discard();
        return false;
    }
    m_temporary.clear();
    return true;
}

void ReplacingFile::Discard()
{
    if (m_file)
        fclose(m_file);
    m_file = nullptr;
    if (!m_temporary.empty())
        DeleteFileA(m_temporary.c_str());
    m_temporary.clear();
}
