// The pieces of the browse frame that other parts of the browser provide, each made or reached
// in one place so that the real piece takes its place by a change here alone: the folder tree bar,
// the file list in the centre, the accelerator-key list and the insertion into AutoCAD.
#pragma once

#include "frames/CBrowseListStandIn.h"
#include "framework/Afx.h"
#include "framework/AfxWin.h"
#include "ui/CBarControlBar.h"

#include <memory>
#include <vector>

// The file list the frame's commands and status address.
using BrowseCentreList = CBrowseListStandIn;

namespace BrowseFrameParts {

// The folder tree bar (the frame creates its window: id 106, "Dir Tree").
std::unique_ptr<CBarControlBar> MakeTreeBar();
// The centre pane's list (the frame creates its window: id 0xE900).
std::unique_ptr<BrowseCentreList> MakeCentreList();
BOOL CreateCentreList(BrowseCentreList& list, CWnd* frame, UINT id);
// Shows a folder: in the tree when there is one, else in the list; false when it is not shown.
bool BrowseToFolder(BrowseCentreList& list, const CString& folder);
// The path box above the list: shows the list's folder, gives its typed text, keeps the folder
// in its saved list, reloads that list.
void UpdatePathBox(BrowseCentreList& list);
CString GetPathBoxText(BrowseCentreList& list);
void AddPathBoxFolder(BrowseCentreList& list);
void ReloadPathBox(BrowseCentreList& list);
// The browser mode the user picks (1..6), 0 when none is picked.
int AskBrowserMode(CWnd* owner);
// The accelerator-key list dialog.
void ShowAcceleratorList(CWnd* owner);
// Inserts drawings into a running AutoCAD; false when nothing was inserted.
bool InsertIntoAutoCAD(const std::vector<CString>& paths);

} // namespace BrowseFrameParts
