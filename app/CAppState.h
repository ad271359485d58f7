// CAppState: the program's state record (g_appState): the mode, the closing flag, the path to view
// and the last path, both main frames, the two worker threads it owns, and the operations that
// switch between browse and view mode and start and stop the workers. Everything here runs on
// the user-interface thread; the workers only read mode, closing and the main window's handle.
#pragma once

#include "framework/Afx.h"

#include <atomic>
#include <memory>

class CBrowseFrame;
class COrvoKestalApp;
class CViewFrame;
class CWnd;
class TDwgDrawThread;
class TTaskManageThread;

class CAppState
{
public:
    enum Mode { kModeNone = 0, kModeBrowse = 1, kModeView = 2 };
    // What the command line asks for (ParseStartupCommandLine).
    enum StartRequest { kStartBrowser = 0, kStartInFolder = 1, kStartViewFile = 2 };

    CAppState();
    ~CAppState();
    CAppState(const CAppState&) = delete;
    CAppState& operator=(const CAppState&) = delete;

    void EnterViewMode();
    void EnterBrowseMode(const char* folder);
    void SetViewPath(const char* path);
    bool LoadAppSettings();
    bool SaveAppSettings() const;
    void PauseWorkers();

    bool StartPreviewThread();
    void StopPreviewThread();
    bool StartTaskManagerThread();
    void StopTaskManagerThread();

    bool CreateBrowseFrame(bool show);
    bool CreateViewFrame(bool show);

    static void ResetSettingsAfterFailedStart();
    // Reads the process's own arguments.
    static int ParseStartupCommandLine(CString& path);

    // The rule of the Options command: always in view mode; in browse mode only while the
    // thumbnail thread exists and waits for work; never before start-up ends or while closing.
    bool CanOpenOptions() const;

    // The application's main window, with the copy of its handle that the workers read.
    void SetMainWindow(CWnd* window);
    HWND GetMainWindowHandle() const { return mainWindow.load(); }
    // A frame that ends (its window is gone) is forgotten here.
    void ForgetFrame(const CWnd* frame);

    // Sets modalDialogOpen for the life of one of the application's modal dialogs; the flag is
    // cleared however the dialog ends.
    class ModalScope
    {
    public:
        explicit ModalScope(CAppState& state) : m_state(state) { m_state.modalDialogOpen = true; }
        ~ModalScope() { m_state.modalDialogOpen = false; }
        ModalScope(const ModalScope&) = delete;
        ModalScope& operator=(const ModalScope&) = delete;

    private:
        CAppState& m_state;
    };

    std::atomic<int> mode{kModeNone};
    std::atomic<bool> closing{false};
    CString viewPath;
    COrvoKestalApp* app = nullptr;
    // Not owned: each frame belongs to its window and clears its pointer here when it ends.
    CBrowseFrame* browseFrame = nullptr;
    CViewFrame* viewFrame = nullptr;
    std::unique_ptr<TDwgDrawThread> drawThread;
    std::unique_ptr<TTaskManageThread> taskThread;
    bool modalDialogOpen = false;
    CString lastPath;
    bool thumbnailsInterrupted = false;
    std::atomic<HWND> mainWindow{nullptr};

private:
    bool IsThumbnailThreadIdle() const;
    void ShowViewBackground();
    void RefreshPreviewAfterShow();
};

extern CAppState g_appState;
