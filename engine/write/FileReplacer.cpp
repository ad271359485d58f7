#include "engine/write/FileReplacer.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace RkWrite {
namespace {

// Closes and removes the temporary file unless it was handed over.
class TemporaryFile
{
public:
    explicit TemporaryFile(std::string path) : m_path(std::move(path))
    {
        m_file = std::fopen(m_path.c_str(), "wb");
    }
    ~TemporaryFile()
    {
        Close();
        if (!m_kept)
            std::remove(m_path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool IsOpen() const { return m_file != nullptr; }
    bool Write(std::string_view bytes)
    {
        return std::fwrite(bytes.data(), 1, bytes.size(), m_file) == bytes.size();
    }
    bool Close()
    {
        if (!m_file)
            return true;
        const bool ok = std::fflush(m_file) == 0 && !std::ferror(m_file);
        const bool closed = std::fclose(m_file) == 0;
        m_file = nullptr;
        return ok && closed;
    }
    void Keep() { m_kept = true; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    std::FILE* m_file = nullptr;
    bool m_kept = false;
};

enum class TargetKind { Absent, File, Other, Unknown };

// What stands at path. Unknown when the name cannot be converted for the file system library
// (it throws then; nothing may leave a save).
TargetKind KindOf(const std::string& path) noexcept
{
    try {
        std::error_code ec;
        const auto status = std::filesystem::status(std::filesystem::path(path), ec);
        if (!std::filesystem::exists(status))
            return TargetKind::Absent;
        return std::filesystem::is_regular_file(status) ? TargetKind::File : TargetKind::Other;
    } catch (...) {
        return TargetKind::Unknown;
    }
}

// Renames over an existing file: the library's rename replaces it in one step where the C
// runtime's refuses (Windows).
bool RenameOver(const std::string& from, const std::string& to) noexcept
{
    try {
        std::error_code ec;
        std::filesystem::rename(std::filesystem::path(from), std::filesystem::path(to), ec);
        return !ec;
    } catch (...) {
        return false;
    }
}

} // namespace

bool FileReplacer::Replace(const std::string& target, std::string_view bytes, std::string& error)
{
    if (target.empty()) {
        error = "no file name";
        return false;
    }
    if (KindOf(target) == TargetKind::Other) {
        error = "the target is a folder or a device, not a file";
        return false;
    }
    TemporaryFile temporary(target + ".saving.tmp");
    if (!temporary.IsOpen()) {
        error = "cannot create a file in the target folder";
        return false;
    }
    if (!temporary.Write(bytes) || !temporary.Close()) {
        error = "cannot write the file (disk full?)";
        return false;
    }
    if (std::rename(temporary.Path().c_str(), target.c_str()) != 0) {
        const TargetKind kind = KindOf(target);
        if (kind == TargetKind::Absent || kind == TargetKind::Other) {
            error = "cannot move the file into place";
            return false;
        }
        // Last resort when the library cannot name the file: the old one goes first (the new
        // one is complete by now, so only a failure between the two steps loses it).
        if (!RenameOver(temporary.Path(), target) &&
            (std::remove(target.c_str()) != 0 ||
             std::rename(temporary.Path().c_str(), target.c_str()) != 0)) {
            error = "cannot replace the existing file";
            return false;
        }
    }
    temporary.Keep();
    return true;
}

} // namespace RkWrite
