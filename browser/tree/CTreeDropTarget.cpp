#include "browser/tree/CTreeDropTarget.h"

#include "browser/tree/CDragDropTree.h"

void CTreeDropTarget::SetTree(CDragDropTree* pTree)
{
    m_pTree = pTree;
    SetUp(pTree);
}

BOOL CTreeDropTarget::AcceptPoint(CWnd* pWnd, CPoint point)
{
    return m_pTree != nullptr && m_pTree->DragOverHighlight(pWnd, point);
}

void CTreeDropTarget::DropNames(CStringList& names)
{
    if (m_pTree != nullptr)
        m_pTree->DropFiles(names, DROPEFFECT_COPY, true);
}
