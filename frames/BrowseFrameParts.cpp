#include "frames/BrowseFrameParts.h"

#include "app/core/FileUtils.h"
#include "frames/CTreeBarStandIn.h"

namespace BrowseFrameParts {

std::unique_ptr<CBarControlBar> MakeTreeBar()
{
    return std::make_unique<CTreeBarStandIn>();
}

std::unique_ptr<BrowseCentreList> MakeCentreList()
{
    return std::make_unique<BrowseCentreList>();
}

BOOL CreateCentreList(BrowseCentreList& list, CWnd* frame, UINT id)
{
    return list.CreateList(frame, CRect(0, 0, 0, 0), id);
}

bool BrowseToFolder(BrowseCentreList& list, const CString& folder)
{
    return IsExistingFolder(folder) && list.SetFolderPath(folder);
}

void UpdatePathBox(BrowseCentreList&)
{
}

CString GetPathBoxText(BrowseCentreList& list)
{
    return list.GetFolderPath();
}

void AddPathBoxFolder(BrowseCentreList&)
{
}

void ReloadPathBox(BrowseCentreList&)
{
}

// A popup of the six modes stands in for the mode dialog with its pictures.
int AskBrowserMode(CWnd* owner)
{
    static const char* const kModes[] = {
        "1 Folders above preview, at the left", "2 Folders at the left, preview at the bottom",
        "3 Folders and preview at the top",      "4 Preview and folders at the top",
        "5 Preview at the bottom, narrow",       "6 Folders at the bottom, narrow",
    };
    CMenu menu;
    if (!menu.CreatePopupMenu())
        return 0;
    for (UINT mode = 1; mode <= 6; ++mode)
        menu.AppendMenu(MF_STRING, mode, kModes[mode - 1]);
    POINT point = {};
    ::GetCursorPos(&point);
    const int mode = menu.TrackPopupMenu(TPM_RETURNCMD | TPM_NONOTIFY, point.x, point.y, owner);
    return mode >= 1 && mode <= 6 ? mode : 0;
}

void ShowAcceleratorList(CWnd*)
{
}

bool InsertIntoAutoCAD(const std::vector<CString>&)
{
    return false;
}

} // namespace BrowseFrameParts
