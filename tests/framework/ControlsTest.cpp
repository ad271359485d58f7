// Controls and modal helpers: list and tree texts of any length (callback texts included),
// list and combo boxes, image lists, popup menus and common dialogs answered by the modal seam.
#include "framework/AfxWin.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const int IDC_LIST = 10;

// Answers the list's callback texts with a long text of its own.
class CListOwner : public CWnd
{
public:
    std::string m_callbackText = std::string(700, 'c') + "END";

protected:
    void OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult)
    {
        auto* pInfo = reinterpret_cast<NMLVDISPINFOA*>(pNMHDR);
        if ((pInfo->item.mask & LVIF_TEXT) != 0)
            lstrcpynA(pInfo->item.pszText, m_callbackText.c_str(), pInfo->item.cchTextMax);
        *pResult = 0;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CListOwner, CWnd)
    ON_NOTIFY(LVN_GETDISPINFOA, IDC_LIST, &CListOwner::OnGetDispInfo)
END_MESSAGE_MAP()

class ControlsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_owner.CreateEx(0, nullptr, "owner", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr));
    }
    void TearDown() override { m_owner.DestroyWindow(); }

    CListOwner m_owner;
};

TEST_F(ControlsTest, ListAndTreeTextsComeBackWholeWhateverTheirLength)
{
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | LVS_REPORT, CRect(0, 0, 200, 100), &m_owner, IDC_LIST));
    list.InsertColumn(0, "Name", LVCFMT_LEFT, 100);
    list.InsertColumn(1, "Size", LVCFMT_RIGHT, 50);
    const std::string longText(300, 'x');
    const struct
    {
        const char* text;
    } rows[] = {{""}, {"short"}, {longText.c_str()}};
    for (int i = 0; i < 3; ++i)
        list.InsertItem(i, rows[i].text);
    list.InsertItem(3, LPSTR_TEXTCALLBACKA);
    list.SetItemText(1, 1, "12 KB");
    for (int i = 0; i < 3; ++i)
        EXPECT_STREQ(rows[i].text, list.GetItemText(i, 0)) << i;
    EXPECT_STREQ(m_owner.m_callbackText.c_str(), list.GetItemText(3, 0));
    EXPECT_STREQ("12 KB", list.GetItemText(1, 1));
    char szShort[6];
    EXPECT_EQ(5, list.GetItemText(2, 0, szShort, sizeof(szShort)));
    EXPECT_STREQ("xxxxx", szShort);
    EXPECT_TRUE(list.SetItemData(1, static_cast<DWORD_PTR>(0xBEEF)));
    EXPECT_EQ(static_cast<DWORD_PTR>(0xBEEF), list.GetItemData(1));
    EXPECT_TRUE(list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(2, list.GetNextItem(-1, LVNI_SELECTED));
    EXPECT_EQ(1u, list.GetSelectedCount());

    CTreeCtrl tree;
    ASSERT_TRUE(tree.Create(WS_CHILD | TVS_HASBUTTONS, CRect(0, 0, 100, 100), &m_owner, 11));
    const HTREEITEM hRoot = tree.InsertItem("root");
    const HTREEITEM hChild = tree.InsertItem(longText.c_str(), hRoot);
    EXPECT_EQ(hChild, tree.GetChildItem(hRoot));
    EXPECT_EQ(hRoot, tree.GetParentItem(hChild));
    EXPECT_STREQ(longText.c_str(), tree.GetItemText(hChild));
    EXPECT_TRUE(tree.SetItemData(hChild, 77));
    EXPECT_EQ(77u, tree.GetItemData(hChild));
    EXPECT_EQ(2u, tree.GetCount());
}

TEST_F(ControlsTest, BoxesAndImageLists)
{
    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | CBS_DROPDOWNLIST, CRect(0, 0, 100, 100), &m_owner, 12));
    combo.AddString("alpha");
    combo.AddString("beta");
    combo.SetCurSel(1);
    CString strText;
    combo.GetLBText(combo.GetCurSel(), strText);
    EXPECT_STREQ("beta", strText);
    EXPECT_EQ(0, combo.FindStringExact(-1, "ALPHA"));

    CListBox box;
    ASSERT_TRUE(box.Create(WS_CHILD, CRect(0, 0, 100, 100), &m_owner, 13));
    box.AddString("one");
    box.GetText(0, strText);
    EXPECT_STREQ("one", strText);
    box.GetText(5, strText); // no such item: empty, not garbage
    EXPECT_TRUE(strText.IsEmpty());

    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 0, 4));
    CClientDC screen(nullptr);
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&screen, 32, 16));
    EXPECT_EQ(0, images.Add(&bitmap, RGB(255, 0, 255)));
    EXPECT_EQ(2, images.GetImageCount());
    EXPECT_EQ(CSize(16, 16), images.GetIconSize());
    EXPECT_EQ(&images, CImageList::FromHandle(images.m_hImageList));
}

TEST_F(ControlsTest, PopupMenusAndCommonDialogsAreAnsweredByTheModalSeam)
{
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 501, "Open");
    menu.AppendMenu(MF_STRING, 502, "Close");
    CModalHandlerScope scope([](const ModalRequest& request) -> INT_PTR {
        switch (request.kind) {
        case ModalKind::PopupMenu:
            return static_cast<INT_PTR>(request.pMenu->GetMenuItemID(1));
        case ModalKind::CommonDialog:
            if (auto* pFile = dynamic_cast<CFileDialog*>(request.pCommonDialog)) {
                pFile->SetPathName("C:\\Drawings\\plan.v2.dwg");
                return IDOK;
            }
            if (auto* pColor = dynamic_cast<CColorDialog*>(request.pCommonDialog)) {
                pColor->SetCurrentColor(RGB(10, 20, 30));
                return IDOK;
            }
            return IDCANCEL;
        default:
            return IDCANCEL;
        }
    });
    EXPECT_EQ(502, menu.TrackPopupMenu(TPM_RETURNCMD, 0, 0, &m_owner));

    CFileDialog open(TRUE, "dwg", nullptr, OFN_FILEMUSTEXIST, "Drawings (*.dwg)|*.dwg|All files|*.*||");
    ASSERT_EQ(IDOK, open.DoModal());
    EXPECT_STREQ("C:\\Drawings\\plan.v2.dwg", open.GetPathName());
    EXPECT_STREQ("plan.v2.dwg", open.GetFileName());
    EXPECT_STREQ("dwg", open.GetFileExt());
    EXPECT_STREQ("plan.v2", open.GetFileTitle());
    EXPECT_STREQ("Drawings (*.dwg)", open.m_ofn.lpstrFilter); // '|' became the separator zero

    CColorDialog color(RGB(1, 1, 1));
    ASSERT_EQ(IDOK, color.DoModal());
    EXPECT_EQ(RGB(10, 20, 30), color.GetColor());

    CPrintDialog print(FALSE);
    EXPECT_EQ(IDCANCEL, print.DoModal());
    EXPECT_EQ(nullptr, print.GetPrinterDC());
}

} // namespace
