#include "browser/pathbox/CPathListBox.h"

#include "framework/AfxWin.h"

BEGIN_MESSAGE_MAP(CPathListBox, CComboBox)
    ON_WM_CREATE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CPathListBox::CPathListBox() : m_dropTarget(this)
{
}

CPathListBox::~CPathListBox() = default;

int CPathListBox::OnCreate(LPCREATESTRUCTA lpCreateStruct)
{
    if (CComboBox::OnCreate(lpCreateStruct) == -1)
        return -1;
    m_history.Load();
    FillList();
    SetCurSel(0);
    // Without OLE on this thread the box simply takes no drops.
    m_dropTarget.Register(this);
    SetEditSel(0, 0);
    SendMessage(WM_CLEAR);
    return 0;
}

void CPathListBox::OnDestroy()
{
    m_dropTarget.Revoke();
    CComboBox::OnDestroy();
}

void CPathListBox::FillList()
{
    for (int i = 0; i < m_history.GetCount(); ++i)
        AddString(m_history.GetAt(i)->GetPath());
}

void CPathListBox::ReloadList()
{
    m_history.Load();
    ResetContent();
    FillList();
}

CString CPathListBox::GetText() const
{
    CString text;
    GetWindowText(text);
    return text;
}

void CPathListBox::SetText(const CString& text)
{
    SetWindowText(text);
}

BOOL CPathListBox::AddCurrentFolder()
{
    const CString text = GetText();
    if (text.IsEmpty() || !m_history.AddPath(text))
        return FALSE;
    AddString(text);
    m_history.Save();
    return TRUE;
}

BOOL CPathListBox::RemoveCurrentFolder()
{
    const CString text = GetText();
    if (m_history.Find(text) == nullptr)
        return FALSE;
    m_history.RemoveCurrent();
    m_history.Save();
    ResetContent();
    FillList();
    SetCurSel(0);
    return TRUE;
}

void CPathListBox::AddDroppedFolders(const CStringList& names)
{
    bool added = false;
    for (POSITION pos = names.GetHeadPosition(); pos != nullptr;) {
        const CString& name = names.GetNext(pos);
        // A name that does not exist answers INVALID_FILE_ATTRIBUTES, every bit set: no folder.
        const DWORD attributes = GetFileAttributesA(name);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            continue;
        if (m_history.AddPath(name)) {
            AddString(name);
            added = true;
        }
    }
    if (added)
        m_history.Save();
}

namespace {

// Keys the frame keeps even while the box has the focus: function keys and Escape. Every other
// key typed in the box edits the box, whatever the frame's accelerators bind it to.
bool IsFrameKey(WPARAM key)
{
    return (key >= VK_F1 && key <= VK_F24) || key == VK_ESCAPE || key == VK_TAB;
}

} // namespace

BOOL CPathListBox::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam != VK_RETURN && !IsFrameKey(pMsg->wParam) &&
        (pMsg->hwnd == m_hWnd || ::IsChild(m_hWnd, pMsg->hwnd))) {
        if (pMsg->wParam == 'A' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) >= 0) {
            SetEditSel(0, -1);
            return TRUE;
        }
        ::TranslateMessage(pMsg);
        ::DispatchMessageA(pMsg);
        return TRUE;
    }
    if ((pMsg->message == WM_KEYDOWN || pMsg->message == WM_SYSKEYDOWN) && pMsg->wParam == VK_RETURN) {
        // The frame the box sits in, whichever frame is the main window.
        CWnd* pFrame = GetParentFrame();
        if (pFrame == nullptr)
            pFrame = AfxGetMainWnd();
        if (pFrame != nullptr)
            pFrame->PostMessage(WM_PATHBOX_BROWSE, 0, 0);
        return TRUE;
    }
    return CComboBox::PreTranslateMessage(pMsg);
}
