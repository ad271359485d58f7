// The pieces of the browse frame that other parts of the program provide, joined in one place:
// the folder tree bar and the file list view (list, path box and bookmark buttons) that know each
// other and the preview, the path box calls, the browser-mode dialog, the key list and the
// insertion into AutoCAD.
#pragma once

#include "browser/list/CFileListView.h"
#include "browser/tree/CTreeBar.h"
#include "framework/Afx.h"
#include "framework/AfxWin.h"

#include <functional>

class CPreView;

namespace BrowseFrameParts {

// The centre pane (the frame's first pane id).
BOOL CreateCentreView(CFileListView& view, CWnd* frame);
// Makes the tree and the list partners: a folder selected in the tree is shown by the list, a
// folder row opened in the list is selected in the tree; the list previews its selection, opens
// files in the view frame and reports to the frame (the frame's own window, whichever frame is
// the main window); a folder chosen in the path box is shown through browse.
void Connect(CFileListView& view, CTreeBar& tree, CPreView& preview, CWnd* frame,
             std::function<bool(const CString& folder)> browse);
// Shows a folder: selected in the tree, whose settled selection the list then shows; false when
// the tree has no such folder (the tree tells the user).
bool BrowseToFolder(CTreeBar& tree, const CString& folder);
// The path box above the list: shows the list's folder, gives its typed text, keeps the folder
// in its saved list, reloads that list.
void UpdatePathBox(CFileListView& view);
CString GetPathBoxText(CFileListView& view);
// The folder the tree now shows goes into the box and its saved list.
void AddPathBoxFolder(CFileListView& view, CTreeBar& tree);
void ReloadPathBox(CFileListView& view);
// The browser mode the user picks in the mode dialog (1..6), 0 when none is picked.
int AskBrowserMode(CWnd* owner);
// Inserts the drawings into a running AutoCAD (it tells the user every failure); false when
// nothing was inserted.
bool InsertIntoAutoCAD(const CStringList& paths);

} // namespace BrowseFrameParts
