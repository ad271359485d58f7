// CTreeDropTarget: the folder tree's drop target. A point is judged by the tree's
// DragOverHighlight (which also marks the item under it); dropped names are copied into the
// marked folder by the tree's DropFiles.
#pragma once

#include "ui/CFileDropTarget.h"

class CDragDropTree;

class CTreeDropTarget : public CFileDropTarget
{
public:
    void SetTree(CDragDropTree* pTree);

protected:
    BOOL AcceptPoint(CWnd* pWnd, CPoint point) override;
    void DropNames(CStringList& names) override;

private:
    CDragDropTree* m_pTree = nullptr;
};
