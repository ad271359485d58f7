#include "frames/BrowserFileList.h"

#include "app/CAppState.h"
#include "frames/CBrowseFrame.h"

CIEShellListCtrl* BrowserFileList()
{
    auto* frame = dynamic_cast<CBrowseFrame*>(g_appState.browseFrame);
    return frame ? frame->GetList() : nullptr;
}
