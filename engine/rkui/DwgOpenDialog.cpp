#include "engine/rkui/RkUI.h"

#include "framework/CommonDialogs.h"
#include "framework/CString.h"

// The system's common file dialog. Through the framework's dialog class, so a test's modal
// handler answers it (and names the file) instead of the dialog being shown.
int showDwgOpenDialog(int openKind, const char* defaultExt, const char* initialName, DWORD flags,
                      const char* filter, CWnd* owner, CString* path)
{
    if (!path)
        return 0;
    CFileDialog dialog(openKind != 0 ? TRUE : FALSE, defaultExt, initialName, flags, filter, owner);
    if (dialog.DoModal() != IDOK)
        return 0;
    const CString chosen = dialog.GetPathName();
    if (chosen.IsEmpty())
        return 0;
    *path = chosen;
    return 1;
}
