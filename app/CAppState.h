// CAppState: the program's state record (g_appState): the mode, the closing flag, the path to view
// and the last path, both main frames, the two worker threads it owns, and the operations that
// switch between browse and view mode and start and stop the workers. Everything here runs on
// the user-interface thread; the workers only read mode, closing and the main window's handle.
#pragma once

#include "framework/Afx.h"
#include "render/workers/WorkerAppState.h"

#include <atomic>
#include <memory>

class CAppOptions;
class CBrowseModeFrame;
class COrvoKestalApp;
class CViewModeFrame;
class CWnd;
class TDwgDrawThread;
class TTaskManageThread;

// The mode, the closing flag and the main window's handle are the WorkerAppState part, which the
// record hands to the workers it starts.
class CAppState : public WorkerAppState
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
    // atStart: the program's first show; the frame is then painted once the list has its folder.
    void EnterBrowseMode(const char* folder, bool atStart = false);
    void SetViewPath(const char* path);
    bool LoadAppSettings();
    bool SaveAppSettings() const;
    void PauseWorkers();

    bool StartPreviewThread();
    // The drawing thread takes the settings' colours and half-tone switch as they are now (after
    // Options OK and the smooth-display command; it copies them for its own use).
    void ApplyDisplaySettings(const CAppOptions& options);
    void StopPreviewThread();
    bool StartTaskManagerThread();
    void StopTaskManagerThread();

    // Makes the frame's window (hidden unless show) and keeps the frame; start-up hands in the
    // frames, which live above this record. From LoadFrame on the frame belongs to its window.
    bool CreateBrowseFrame(std::unique_ptr<CBrowseModeFrame> frame, bool show);
    bool CreateViewFrame(std::unique_ptr<CViewModeFrame> frame, bool show);

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

    CString viewPath;
    COrvoKestalApp* app = nullptr;
    // Not owned: each frame belongs to its window and clears its pointer here when it ends.
    CBrowseModeFrame* browseFrame = nullptr;
    CViewModeFrame* viewFrame = nullptr;
    std::unique_ptr<TDwgDrawThread> drawThread;
    std::unique_ptr<TTaskManageThread> taskThread;
    bool modalDialogOpen = false;
    CString lastPath;
    bool thumbnailsInterrupted = false;

private:
    bool IsThumbnailThreadIdle() const;
    void ShowViewBackground();
    void RefreshPreviewAfterShow();
};

extern CAppState g_appState;
