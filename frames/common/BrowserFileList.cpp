#include "frames/common/BrowserFileList.h"

namespace {

CIEShellListCtrl* g_browserFileList = nullptr;

} // namespace

CIEShellListCtrl* BrowserFileList()
{
    return g_browserFileList;
}

void SetBrowserFileList(CIEShellListCtrl* list)
{
    g_browserFileList = list;
}
