// Private messages between the browser's windows and the browse frame (numbers fixed with the
// frame). The path box's own WM_PATHBOX_BROWSE is in CPathListBox.h.
#pragma once

#include <windows.h>

// To the main window: refresh the status bar (a burst is handled once).
constexpr UINT WM_BROWSER_STATUS_REFRESH = WM_APP + 0x32;
// To the main window: the shown folder changed or a browse failed; the path box shows the list's
// folder again.
constexpr UINT WM_BROWSER_FOLDER_SHOWN = WM_APP + 0x79;
// To the main window: the history was changed elsewhere; the path box reloads it.
constexpr UINT WM_BROWSER_PATHBOX_CHANGED = WM_APP + 0xBF;
// To the main window: the file list shows another folder (the path box follows).
constexpr UINT WM_BROWSER_FOLDER_CHANGED = WM_APP + 0x138C;
// To the folder tree: select the folder of the list's row record (lParam a CShellListItem*).
constexpr UINT WM_BROWSER_SELECT_TREE_FOLDER = WM_APP + 0x3ED;
