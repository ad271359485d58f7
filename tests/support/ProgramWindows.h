// Reading another process's windows, for the tests and benchmarks that start the real program:
// its frames by window class, their children by id, and the texts of its status bar and list
// and tree through a buffer in the program's memory.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace orvo::test {

// A started program's handles; a program still running at the end is ended.
struct ProgramProcess {
    PROCESS_INFORMATION info = {};
    ProgramProcess() = default;
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;
};

// A 24-bit BMP file of that size with a pattern that the seed shifts.
std::string BmpFileBytes(int width, int height, int seed);

// The names of the sample DWG drawings (in SamplesDir() + "\\dwg"); none when the samples are
// absent.
std::vector<std::string> SampleDwgNames();

// The top-level window of that class that belongs to the process, or null.
HWND FindTopLevelOf(DWORD processId, const char* className);
// Any descendant with that control id (bars sit inside dock bars), or null.
HWND FindDescendant(HWND parent, UINT id);

// A buffer in the program's memory for the controls' messages that fill a structure or text.
class RemoteBuffer
{
public:
    RemoteBuffer(HANDLE process, size_t size);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    LPARAM Address() const { return reinterpret_cast<LPARAM>(m_address); }
    char* At(size_t offset) const { return static_cast<char*>(m_address) + offset; }
    bool Write(const void* data, size_t size, size_t offset = 0) const;
    std::string ReadText(size_t offset = 0) const;

private:
    HANDLE m_process;
    size_t m_size;
    void* m_address;
};

// The texts of a status bar's panes, from the left (at most 16).
std::vector<std::string> StatusPaneTexts(HANDLE process, HWND statusBar);
// The label of a list-view row.
std::string ListItemText(HANDLE process, HWND list, int row);
// Selects and focuses a list-view row.
void SelectListRow(HANDLE process, HWND list, int row);
// The label of a tree view's selected item; empty when none is selected.
std::string SelectedTreeItemText(HANDLE process, HWND tree);

} // namespace orvo::test
