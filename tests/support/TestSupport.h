// Helpers shared by the tests: TempDir (a private folder removed at the end), SamplesDir (the shared
// sample drawings), WaitFor (bounded wait that keeps the message queue moving), ProgramPath.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace orvo::test {

// A fresh folder under the temporary folder, unique to the process and the instance; it is
// removed with everything in it when the object ends.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    // Path of a file in the folder.
    std::string operator/(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
};

// The shared sample drawings folder as a Windows path, or an empty text when it is absent (a
// user's clone has none): tests that need it skip with a message.
std::string SamplesDir();

// Waits until the condition holds or the timeout passes, handling this thread's messages meanwhile
// (so blocking sends from workers return). Returns the condition's last value.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs);

// A program built next to the running test executable.
std::string ProgramPath(const std::string& exeName);

// The window's client area as painted by WM_PRINTCLIENT on a white ground, every step-th pixel of
// every step-th row (row by row); width and height receive the client size.
std::vector<COLORREF> PrintClientPixels(HWND window, int step, int* width, int* height);

// The text with every character that is not a letter or a digit made '_' (a test's name).
std::string TestNameOf(const std::string& text);

// The top-level window of that class owned by the process, or null.
HWND FindTopWindowOf(DWORD processId, const char* className);

// Writes bytes to a file, replacing it; returns false on failure.
bool WriteFileBytes(const std::string& path, const void* data, size_t size);

// Reads a whole file; an empty text when it cannot be read.
std::string ReadFileBytes(const std::string& path);

} // namespace orvo::test

#define ORVO_REQUIRE_SAMPLES(dir)                                                       \
    const std::string dir = ::orvo::test::SamplesDir();                                 \
    if (dir.empty())                                                                    \
        GTEST_SKIP() << "the shared sample drawings folder is absent";
