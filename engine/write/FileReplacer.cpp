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

} // namespace

bool FileReplacer::Replace(const std::string& target, std::string_view bytes, std::string& error)
{
    if (target.empty()) {
        error = "no file name";
        return false;
    }
    std::error_code ec;
    const auto status = std::filesystem::status(target, ec);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
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
        // The C runtime of Windows does not rename over an existing file: the old one goes first
        // (the new one is complete by now, so only a failure between the two steps loses it).
        if (!std::filesystem::is_regular_file(target, ec)) {
            error = "cannot move the file into place";
            return false;
        }
        if (std::remove(target.c_str()) != 0 ||
            std::rename(temporary.Path().c_str(), target.c_str()) != 0) {
            error = "cannot replace the existing file";
            return false;
        }
    }
    temporary.Keep();
    return true;
}

} // namespace RkWrite
