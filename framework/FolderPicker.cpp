#include "framework/FolderPicker.h"

#include "framework/ModalSeam.h"

namespace {

// The scripted folder as the dialog would hand it back; null when it names no folder.
LPITEMIDLIST ItemOfPath(BROWSEINFOA& info, const CString& path)
{
    if (path.IsEmpty())
        return nullptr;
    LPITEMIDLIST item = ::ILCreateFromPathA(path);
    if (item != nullptr && info.pszDisplayName != nullptr) {
        const int slash = path.ReverseFind('\\');
        lstrcpynA(info.pszDisplayName, slash >= 0 ? path.Mid(slash + 1) : path, MAX_PATH);
    }
    return item;
}

} // namespace

LPITEMIDLIST AfxBrowseForFolder(BROWSEINFOA& info)
{
    CString chosen;
    ModalRequest request;
    request.kind = ModalKind::FolderPicker;
    request.pBrowseInfo = &info;
    request.pChosenPath = &chosen;
    INT_PTR answer = IDCANCEL;
    if (!AskModal(request, answer))
        return ::SHBrowseForFolderA(&info);
    return answer == IDOK ? ItemOfPath(info, chosen) : nullptr;
}
