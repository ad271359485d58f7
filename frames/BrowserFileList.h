// The browser's file list, where the view's next and previous file walk; null when the browse
// frame has none.
#pragma once

class CIEShellListCtrl;

CIEShellListCtrl* BrowserFileList();
