// COption: runs the Options sheet over the settings record. After OK the settings are saved and
// the main window is told, one blocking message per group, which groups changed.
#pragma once

#include "framework/Afx.h"

class CAppOptions;

// The settings-changed messages to the main window (wParam 0).
// lParam 1 when the file-type table was rebuilt ("Only browse drawing files" changed), else 0.
const UINT WM_OPTIONS_BROWSER_CHANGED = 0x80B5;
const UINT WM_OPTIONS_THUMBNAIL_CHANGED = 0x80B6;
const UINT WM_OPTIONS_CACHE_CHANGED = 0x80B7;
// Sent whenever "Update immediately" was checked, changed values or not.
const UINT WM_OPTIONS_DRAWING_CHANGED = 0x80B8;

class COption
{
public:
    virtual ~COption() = default;

    // True when the sheet was closed with OK. options is the record the pages edit and that is
    // saved; the messages go to mainWindow (none when it is null), and to browseWindow too when
    // that is another window (the browse frame while the view frame is the main window).
    bool DoOptions(CAppOptions& options, HWND mainWindow, HWND browseWindow = nullptr);
    // The application's sheet: g_options, the application's main window and thumbnail thread.
    bool DoOptions();
};

// The Options command of the frames: runs the sheet with the application's modal-dialog flag set
// while it is up; nothing when the command is not available now.
void RunOptionsCommand();
