// The browser's file list, where the view's next and previous file walk. Whoever shows that list
// hands it in, and null again before it goes; null while there is none.
#pragma once

class CIEShellListCtrl;

CIEShellListCtrl* BrowserFileList();
void SetBrowserFileList(CIEShellListCtrl* list);
