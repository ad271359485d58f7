// COleDropTarget: a window's OLE drop target. Register binds it to a window; the drag events come
// to the virtual handlers with the point in the window's client coordinates. The object is not
// reference counted: it lives as long as its C++ owner, which revokes it first.
#pragma once

#include "framework/CRect.h"

#include <windows.h>

#include <ole2.h>

// The drop effect bits (DROPEFFECT_COPY, ...), as the class library names their type.
using DROPEFFECT = DWORD;

class CWnd;
class COleDataObject;

class COleDropTarget
{
public:
    COleDropTarget();
    virtual ~COleDropTarget();
    COleDropTarget(const COleDropTarget&) = delete;
    COleDropTarget& operator=(const COleDropTarget&) = delete;

    BOOL Register(CWnd* pWnd);
    void Revoke();
    HWND GetRegisteredWindow() const { return m_hWnd; }
    // The IDropTarget that OLE calls (also handy for driving a drop in process).
    IDropTarget* GetInterface() { return &m_xDropTarget; }

    virtual DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    virtual DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    virtual void OnDragLeave(CWnd* pWnd);
    virtual BOOL OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point);

private:
    class XDropTarget : public IDropTarget
    {
    public:
        explicit XDropTarget(COleDropTarget& owner) : m_owner(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
        HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
        HRESULT STDMETHODCALLTYPE DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
        HRESULT STDMETHODCALLTYPE DragLeave() override;
        HRESULT STDMETHODCALLTYPE Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;

    private:
        COleDropTarget& m_owner;
    };

    CPoint ClientPoint(POINTL pt) const;
    void ForgetData();

    XDropTarget m_xDropTarget;
    HWND m_hWnd = nullptr;
    // The data of the drag in progress, kept from DragEnter for DragOver.
    IDataObject* m_lpDataObject = nullptr;
};
