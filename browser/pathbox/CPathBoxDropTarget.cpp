#include "browser/pathbox/CPathBoxDropTarget.h"

#include "browser/pathbox/CPathListBox.h"

CPathBoxDropTarget::CPathBoxDropTarget(CPathListBox* pBox) : m_pBox(pBox)
{
    SetUp(pBox);
}

BOOL CPathBoxDropTarget::AcceptPoint(CWnd*, CPoint)
{
    // The drag data was checked for CF_HDROP already; the box takes files anywhere.
    return TRUE;
}

void CPathBoxDropTarget::DropNames(CStringList& names)
{
    m_pBox->AddDroppedFolders(names);
}
