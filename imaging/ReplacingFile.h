// ReplacingFile: writes a file through a temporary file in the same folder that replaces the
// target only when everything was written, so a failed save leaves the old file as it was.
#pragma once

#include <cstdio>
#include <string>

class ReplacingFile
{
public:
    ReplacingFile() : m_file(nullptr) {}
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the temporary file beside path; false when it cannot be created.
    bool Open(const char* path);
    // The open temporary file (binary); owned by this object.
    FILE* Stream() const { return m_file; }
    // Flushes and closes the temporary file and moves it over the target; false on any error,
    // which leaves the target untouched.
    bool Commit();

private:
    void Discard();

    FILE* m_file;
    std::string m_target;
    std::string m_temporary;
};
