// CListDropTarget: the drop target of the drag-and-drop list. A point is judged by the list's
// DragOver (which also marks the row under it); dropped names are copied by the list's DropFiles.
#pragma once

#include "ui/CFileDropTarget.h"

class CDragDropList;

class CListDropTarget : public CFileDropTarget
{
public:
    void SetList(CDragDropList* pList);

protected:
    BOOL AcceptPoint(CWnd* pWnd, CPoint point) override;
    void DropNames(CStringList& names) override;

private:
    CDragDropList* m_pList = nullptr;
};
