#include "browser/list/CFileListView.h"

#include "core/CAppOptions.h"
#include "browser/dialogs/BrowserDialogCalls.h"
#include "browser/list/BrowserMessages.h"
#include "framework/CDC.h"
#include "framework/Prompt.h"
#include "res/resource.h"

namespace {

const UINT kButtonIds[3] = {CFileListView::kAddBookmarkId, CFileListView::kDeleteBookmarkId,
                            CFileListView::kEditBookmarksId};
const UINT kButtonIcons[3] = {IDI_BOOKMARK_ADD, IDI_BOOKMARK_DELETE, IDI_BOOKMARK_EDIT};

} // namespace

BEGIN_MESSAGE_MAP(CFileListView, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SETFOCUS()
    ON_BN_CLICKED(CFileListView::kAddBookmarkId, &CFileListView::OnAddBookmark)
    ON_BN_CLICKED(CFileListView::kDeleteBookmarkId, &CFileListView::OnDeleteBookmark)
    ON_BN_CLICKED(CFileListView::kEditBookmarksId, &CFileListView::OnEditBookmarks)
    ON_CBN_SELCHANGE(CFileListView::kPathBoxId, &CFileListView::OnPathBoxSelChange)
END_MESSAGE_MAP()

CFileListView::Layout CFileListView::ComputeLayout(int cx, int cy, bool showPathBox)
{
    Layout layout;
    if (!showPathBox) {
        layout.list = CRect(0, 0, cx, cy);
        layout.pathBox = CRect(cx + 10, 0, cx + 10, 0);
        for (CRect& button : layout.buttons)
            button = CRect(cx + 10, 0, cx + 10, 0);
        return layout;
    }
    layout.list = CRect(0, kBandHeight, cx, cy > kBandHeight ? cy : kBandHeight);
    layout.pathBox = CRect(2, 3, 2 + (cx - 98 > 0 ? cx - 98 : 0), 3 + 400);
    for (int i = 0; i < 3; ++i) {
        const int left = cx - 90 + 30 * i;
        layout.buttons[i] = CRect(left, 3, left + 26, 3 + 26);
    }
    return layout;
}

const char* CFileListView::ToolTipText(UINT id)
{
    switch (id) {
    case kPathBoxId:
        return "Current folder";
    case kAddBookmarkId:
        return "Add the current folder into the bookmark list";
    case kDeleteBookmarkId:
        return "Delete the current folder from the bookmark list";
    case kEditBookmarksId:
        return "Editor your bookmark list";
    default:
        return nullptr;
    }
}

BOOL CFileListView::CreateView(CWnd* parent, UINT id)
{
    return CreateEx(0, nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, 0, 0), parent, id);
}

BOOL CFileListView::PreCreateWindow(CREATESTRUCTA& cs)
{
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    cs.style &= ~WS_BORDER;
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursor(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return CWnd::PreCreateWindow(cs);
}

bool CFileListView::CreateMenuFont()
{
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return m_font.CreateStockObject(DEFAULT_GUI_FONT) != FALSE;
    return m_font.CreateFontIndirect(&metrics.lfMenuFont) != FALSE;
}

bool CFileListView::CreateButtons()
{
    for (int i = 0; i < 3; ++i) {
        const CRect rect(0, 0, 28, 28);
        if (!m_buttons[i].Create(nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_FLAT | BS_ICON, rect, this, kButtonIds[i]))
            return false;
        // Shared icons from the resources: the system frees them with the module.
        const auto icon = static_cast<HICON>(::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(kButtonIcons[i]),
                                                          IMAGE_ICON, 16, 16, LR_SHARED));
        if (icon != nullptr)
            m_buttons[i].SetIcon(icon);
    }
    return true;
}

int CFileListView::OnCreate(LPCREATESTRUCTA lpCreateStruct)
{
    if (CWnd::OnCreate(lpCreateStruct) == -1 || !CreateMenuFont())
        return -1;
    const DWORD boxStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_AUTOHSCROLL | CBS_DROPDOWN;
    if (!m_pathBox.Create(boxStyle, CRect(0, 0, 400, 300), this, kPathBoxId))
        return -1;
    m_pathBox.SetFont(&m_font);
    if (!CreateButtons() || !m_list.CreateList(this, CRect(0, 0, 0, 0), kListId))
        return -1;
    m_list.SetFocus();
    EnableToolTips(TRUE);
    return 0;
}

void CFileListView::OnLayout()
{
    CRect client;
    GetClientRect(&client);
    const Layout layout = ComputeLayout(client.Width(), client.Height(), g_options.ShowPathBox);
    const auto place = [](CWnd& wnd, const CRect& rect) {
        if (wnd.GetSafeHwnd() != nullptr)
            wnd.MoveWindow(rect.left, rect.top, rect.Width(), rect.Height(), TRUE);
    };
    place(m_list, layout.list);
    place(m_pathBox, layout.pathBox);
    for (int i = 0; i < 3; ++i)
        place(m_buttons[i], layout.buttons[i]);
    Invalidate();
}

void CFileListView::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    OnLayout();
}

void CFileListView::OnPaint()
{
    CPaintDC dc(this);
    if (!g_options.ShowPathBox)
        return;
    CRect band;
    GetClientRect(&band);
    band.bottom = kBandHeight;
    const HBRUSH brush = ::CreateSolidBrush(g_options.ListCtrlColor);
    ::FillRect(dc.GetSafeHdc(), &band, brush);
    ::DeleteObject(brush);
}

BOOL CFileListView::OnEraseBkgnd(CDC*)
{
    // The band is painted in OnPaint and the children cover the rest.
    return TRUE;
}

void CFileListView::OnSetFocus(CWnd*)
{
    if (m_list.GetSafeHwnd() != nullptr)
        m_list.SetFocus();
}

BOOL CFileListView::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->code != TTN_NEEDTEXTA && header->code != TTN_NEEDTEXTW)
        return CWnd::OnNotify(wParam, lParam, pResult);
    // A tool named by its window: the id is the window's.
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
    UINT id = static_cast<UINT>(header->idFrom);
    if ((info->uFlags & TTF_IDISHWND) != 0)
        id = static_cast<UINT>(::GetDlgCtrlID(reinterpret_cast<HWND>(header->idFrom)));
    const char* text = ToolTipText(id);
    if (text == nullptr)
        return CWnd::OnNotify(wParam, lParam, pResult);
    if (header->code == TTN_NEEDTEXTA) {
        info->lpszText = const_cast<LPSTR>(text);
    } else {
        auto* wide = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        MultiByteToWideChar(CP_ACP, 0, text, -1, wide->szText, static_cast<int>(sizeof(wide->szText) / sizeof(WCHAR)));
        wide->lpszText = wide->szText;
    }
    *pResult = 0;
    return TRUE;
}

void CFileListView::UpdatePathBox()
{
    m_pathBox.SetText(m_list.GetFolderPath());
}

void CFileListView::ReloadPathBox()
{
    m_pathBox.ReloadList();
    UpdatePathBox();
}

void CFileListView::GetPathBoxText(CString& text) const
{
    text = m_pathBox.GetText();
}

void CFileListView::PostFolderShown() const
{
    CWnd* frame = GetParentFrame();
    if (frame == nullptr)
        frame = AfxGetMainWnd();
    if (frame != nullptr)
        frame->PostMessage(WM_BROWSER_FOLDER_SHOWN, 0, 0);
}

void CFileListView::OnAddBookmark()
{
    m_pathBox.AddCurrentFolder();
    m_list.SetFocus();
}

void CFileListView::OnDeleteBookmark()
{
    if (m_pathBox.RemoveCurrentFolder()) {
        UpdatePathBox();
        PostFolderShown();
    }
    m_list.SetFocus();
}

void CFileListView::OnEditBookmarks()
{
    CWnd* main = AfxGetMainWnd();
    CPathManager& history = m_pathBox.GetHistory();
    history.Load();
    std::vector<CString> folders;
    for (int i = 0; i < history.GetCount(); ++i)
        folders.push_back(history.GetAt(i)->GetPath());
    if (RunBookmarkEditor(main != nullptr ? main : this, folders)) {
        history.RemoveAll();
        for (const CString& folder : folders)
            history.AddPath(folder);
        if (!history.Save())
            AfxMessageBox("The edited folders could not be stored; the path box keeps the folders it had.",
                          MB_OK | MB_ICONWARNING);
    }
    ReloadPathBox();
}

void CFileListView::OnPathBoxSelChange()
{
    const int index = m_pathBox.GetCurSel();
    CString folder;
    if (index >= 0)
        m_pathBox.GetLBText(index, folder);
    const bool shown = !folder.IsEmpty() && (m_browseToFolder ? m_browseToFolder(folder)
                                                               : m_list.SetFolderPath(folder) != FALSE);
    if (!shown) {
        // The box keeps naming the folder that is shown.
        UpdatePathBox();
        PostFolderShown();
    } else if (!m_browseToFolder) {
        UpdatePathBox();
    }
    m_list.SetFocus();
}
