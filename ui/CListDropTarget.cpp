#include "ui/CListDropTarget.h"

#include "ui/CDragDropList.h"

void CListDropTarget::SetList(CDragDropList* pList)
{
    m_pList = pList;
    SetUp(pList);
}

BOOL CListDropTarget::AcceptPoint(CWnd* pWnd, CPoint point)
{
    return m_pList != nullptr && m_pList->DragOver(pWnd, point);
}

void CListDropTarget::DropNames(CStringList& names)
{
    if (m_pList != nullptr)
        m_pList->DropFiles(names, DROPEFFECT_COPY);
}
