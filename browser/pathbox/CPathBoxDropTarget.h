// CPathBoxDropTarget: the path box's drop target. Every point of the box takes files; the dropped
// names go to the box, which keeps the folders among them.
#pragma once

#include "ui/CFileDropTarget.h"

class CPathListBox;

class CPathBoxDropTarget : public CFileDropTarget
{
public:
    explicit CPathBoxDropTarget(CPathListBox* pBox);

protected:
    BOOL AcceptPoint(CWnd* pWnd, CPoint point) override;
    void DropNames(CStringList& names) override;

private:
    CPathListBox* m_pBox;
};
