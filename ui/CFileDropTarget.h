// CFileDropTarget: the drop behaviour shared by the browser's targets (the file list, the folder
// tree, the path box). It accepts nothing but CF_HDROP, always offers a copy, shows the shell's
// drag images when the system drag-image object exists, and hands the dropped names to its owner.
// A target says how it judges a point and what it does with the names.
#pragma once

#include "framework/COleDropTarget.h"
#include "framework/CStringList.h"

#include <shlobj.h>

class CFileDropTarget : public COleDropTarget
{
public:
    CFileDropTarget() = default;
    ~CFileDropTarget() override;

    // Binds the target to its owner window and makes the drag-image object (no drag images
    // when it cannot be made; dropping works the same).
    void SetUp(CWnd* pOwner);
    CWnd* GetOwner() const { return m_pOwner; }
    BOOL HasDragImages() const { return m_bDragImages; }

    // The names of a CF_HDROP block in order; names that cannot be read are skipped. False when
    // the block cannot be locked.
    static BOOL CollectFileNames(HGLOBAL hDrop, CStringList& names);

    DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;
    DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;
    void OnDragLeave(CWnd* pWnd) override;
    BOOL OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point) override;

protected:
    // Whether files may be dropped at this client point of the window.
    virtual BOOL AcceptPoint(CWnd* pWnd, CPoint point) = 0;
    // The owner's operation that receives the dropped names.
    virtual void DropNames(CStringList& names) = 0;

private:
    static POINT ScreenPoint(CWnd* pWnd, CPoint point);

    CWnd* m_pOwner = nullptr;
    IDropTargetHelper* m_pDragImages = nullptr;
    BOOL m_bDragImages = FALSE;
};
