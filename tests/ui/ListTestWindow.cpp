#include "tests/ui/ListTestWindow.h"

#include "ui/CUIODListCtrl.h"

BEGIN_MESSAGE_MAP(CListTestOwner, CWnd)
    ON_MESSAGE(WM_UIOD_COLUMNWIDTH_PARENT, &CListTestOwner::OnWidthNotice)
END_MESSAGE_MAP()
