// ShellIconWarmup: asks the shell, on a thread of its own, for the icons the browser's first
// window is about to show, so that the window's own requests find them in the shell's icon cache.
// Under Wine each icon the cache does not hold yet costs 10-40 ms to load (the system image lists
// themselves about 100 ms), and the folder tree's first fill asks for some twenty of them on the
// interface thread while the window waits to be shown. The indices the shell gave are handed to
// the tree, which otherwise asks again for each (two shell calls an item, 1-3 ms each).
#pragma once

#include "browser/shell/ShellIconAnswers.h"

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <string>

class ShellIconWarmup
{
public:
    ShellIconWarmup() = default;
    ~ShellIconWarmup();
    ShellIconWarmup(const ShellIconWarmup&) = delete;
    ShellIconWarmup& operator=(const ShellIconWarmup&) = delete;

    // Starts the thread: the system image lists; with `treeLevels` also the folder tree's top
    // level and, for a start folder, the folders on the way to it and the start folder's own
    // children (what the tree expands to select it). False when no thread could be made: the
    // windows then load their icons themselves, as they always can.
    bool Start(const std::string& startFolder, bool treeLevels);
    // Waits for the thread to end, at most `timeoutMs`; true when it has ended (or never ran).
    // The shell's image lists are not made for drawing from while another thread adds to them:
    // the windows that draw from them are shown only after this.
    bool Finish(DWORD timeoutMs);
    // The indices the shell gave the thread for the tree's items: empty unless Finish said the
    // thread has ended. The caller takes them over.
    ShellIconAnswers TakeAnswers();

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Run();
    void WarmChildren(IShellFolder* desktop, LPCITEMIDLIST absolute);
    void WarmStartPath(IShellFolder* desktop);

    HANDLE m_thread = nullptr;
    std::atomic<bool> m_stop{false};
    std::string m_startFolder;
    bool m_treeLevels = false;
    bool m_ended = false;
    ShellIconAnswers m_answers;
};
