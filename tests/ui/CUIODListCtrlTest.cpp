// The owner-drawn list through its message flow: typed columns sorted both ways by header clicks,
// cells and headings edited in place (commit, cancel, refusal), keys during a label edit, the
// private key messages, tool tips, the context-menu point, header tracking and custom draw.
#include "tests/ui/ListTestWindow.h"

#include "tests/support/TestSupport.h"
#include "ui/CInPlaceEdit.h"
#include "ui/CUIODListCtrl.h"
#include "framework/ModalSeam.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace {

const UINT IDC_LIST = 100;

class CTestList : public CUIODListCtrl
{
public:
    BOOL CanEndLabelEdit(int nRow, int nColumn, LPCSTR text) override
    {
        m_asked.emplace_back(nRow, nColumn, text);
        return m_bAllow;
    }
    void OnContextMenuAt(int nRow, UINT, int x, int y) override
    {
        m_nMenuRow = nRow;
        m_menuPoint = CPoint(x, y);
    }
    BOOL OnItemPrePaint(NMLVCUSTOMDRAW* pDraw, LRESULT* pResult) override
    {
        ++m_nItemStages;
        return CUIODListCtrl::OnItemPrePaint(pDraw, pResult);
    }
    BOOL OnSubItemPrePaint(NMLVCUSTOMDRAW* pDraw, LRESULT* pResult) override
    {
        ++m_nSubItemStages;
        return CUIODListCtrl::OnSubItemPrePaint(pDraw, pResult);
    }

    BOOL m_bAllow = TRUE;
    std::vector<std::tuple<int, int, std::string>> m_asked;
    int m_nMenuRow = -99;
    CPoint m_menuPoint;
    int m_nItemStages = 0;
    int m_nSubItemStages = 0;
};

// Rows without cell texts, as a derived list that keeps its own texts makes them.
class CPlainRowList : public CTestList
{
public:
    CUIListCtrlData* CreateRowData(DWORD_PTR dwCallerData, int) override
    {
        return new CUIListCtrlData(GetColumnCount(), dwCallerData);
    }
};

// Rows whose cells after the first are made only when first read: each row's second cell says how
// many rows had theirs made before it, its third cell "late".
class CPendingCellsList : public CTestList
{
public:
    int Made() const { return m_nMade; }

protected:
    void MakePendingCells(CUIStrListCtrlData& row) override
    {
        row.m_bCellsPending = 0;
        row.SetText(1, std::to_string(m_nMade++).c_str());
        row.SetText(2, "late");
    }

private:
    int m_nMade = 0;
};

class UIODListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OleInitialize(nullptr);
        ASSERT_TRUE(m_owner.CreateOwner(660, 480));
        m_owner.ShowWindow(SW_SHOW);
        ASSERT_TRUE(Create(m_list));
    }
    void TearDown() override
    {
        m_list.DestroyWindow();
        m_owner.DestroyWindow();
        OleUninitialize();
    }

    BOOL Create(CUIODListCtrl& list)
    {
        return list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_EDITLABELS | LVS_SHOWSELALWAYS,
                           CRect(0, 0, 640, 440), &m_owner, IDC_LIST);
    }

    void Notify(NMHDR& hdr)
    {
        hdr.hwndFrom = m_list.m_hWnd;
        hdr.idFrom = IDC_LIST;
        m_owner.SendMessage(WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&hdr));
    }

    void ClickColumn(int nColumn)
    {
        NMLISTVIEW click = {};
        click.hdr.code = LVN_COLUMNCLICK;
        click.iItem = -1;
        click.iSubItem = nColumn;
        Notify(click.hdr);
    }

    std::string Order() const
    {
        std::string names;
        for (int i = 0; i < m_list.GetItemCount(); ++i)
            names += std::string(m_list.GetCellText(i, 0)).substr(0, 1);
        return names;
    }

    // The row data that the list view itself holds for each row matches the list's own view.
    bool RowsMatchTheListView() const
    {
        for (int i = 0; i < m_list.GetItemCount(); ++i) {
            LVITEMA item = {};
            item.mask = LVIF_PARAM;
            item.iItem = i;
            ::SendMessageA(m_list.m_hWnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            if (reinterpret_cast<CUIListCtrlData*>(item.lParam) != m_list.GetRowData(i))
                return false;
        }
        return true;
    }

    // A row named "n<value>" with the value in its second (number) column.
    int AddNumberRow(int value)
    {
        const int row = m_list.AddItem(0);
        m_list.SetCellText(row, 0, ("n" + std::to_string(value)).c_str());
        m_list.SetCellInt(row, 1, value);
        return row;
    }

    bool Posted(UINT message)
    {
        MSG msg;
        return ::PeekMessageA(&msg, m_list.m_hWnd, message, message, PM_REMOVE) != FALSE;
    }

    CListTestOwner m_owner;
    CTestList m_list;
};

TEST_F(UIODListTest, ColumnsComeFromOneHeadingText)
{
    EXPECT_EQ(m_list.InitListCtrl("Name|Number|Size|Date|Length|Notes"), 6);
    // Past the four default widths every column takes the last one.
    const int widths[] = {100, 60, 150, 120, 120, 120};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(m_list.GetColumnWidth(i), widths[i]) << i;
    ASSERT_EQ(m_list.AddItem(0), 0);
    EXPECT_EQ(m_list.InitListCtrl("Name|Number|Size|Date|Length|Notes"), 6);
    EXPECT_EQ(m_list.GetItemCount(), 1) << "the same headings keep the rows";
    EXPECT_EQ(m_list.InitListCtrl("A|B"), 2);
    EXPECT_EQ(m_list.GetItemCount(), 0);
    EXPECT_EQ(m_list.InitListCtrl(""), 0);
}

TEST_F(UIODListTest, IconsGoIntoBothImageListsAndRowsRememberThem)
{
    const UINT icons[] = {128, 116, 9999, 0}; // two icons of the program and one that does not exist
    ASSERT_EQ(m_list.InitListCtrl(icons, "Name"), 1);
    CImageList* pSmall = nullptr;
    CImageList* pLarge = nullptr;
    m_list.GetImageLists(&pSmall, &pLarge);
    ASSERT_NE(pSmall, nullptr);
    ASSERT_NE(pLarge, nullptr);
    EXPECT_EQ(pSmall->GetImageCount(), 2) << "an icon that does not load is skipped";
    EXPECT_EQ(pLarge->GetImageCount(), 2);
    EXPECT_EQ(pSmall->GetIconSize().cx, GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(pLarge->GetIconSize().cx, GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(m_list.SendMessage(LVM_GETIMAGELIST, LVSIL_SMALL)), pSmall->GetSafeHandle());
    const int nRow = m_list.AddItem(7, 1);
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = nRow;
    ASSERT_TRUE(m_list.GetItem(&item));
    EXPECT_EQ(item.iImage, 1);
    EXPECT_EQ(m_list.GetItemData(nRow), 7u);
    MEASUREITEMSTRUCT measure = {};
    m_list.MeasureItem(&measure);
    EXPECT_EQ(measure.itemHeight, static_cast<UINT>((GetSystemMetrics(SM_CYSMICON) + 1) * 3));
}

TEST_F(UIODListTest, AddItemWithoutColumnsFailsAndColumnsMatchWholeHeadings)
{
    EXPECT_EQ(m_list.AddItem(0), -1);
    EXPECT_EQ(m_list.GetItemCount(), 0);
    ASSERT_EQ(m_list.InitListCtrl("Name|File Type|Size"), 3);
    EXPECT_EQ(m_list.AddColumn("Size"), 2);
    EXPECT_EQ(m_list.AddColumn("File Type"), 1);
    EXPECT_EQ(m_list.AddColumn("Type"), 3) << "a heading inside a longer one is not that column";
    EXPECT_STREQ(m_list.GetHeadings(), "Name|File Type|Size|Type");
    EXPECT_EQ(m_list.AddColumn("Name"), 0);
}

TEST_F(UIODListTest, CellSettersCheckRowColumnAndRowKind)
{
    ASSERT_EQ(m_list.InitListCtrl("Name|Size"), 2);
    ASSERT_EQ(m_list.AddItem(0), 0);
    EXPECT_FALSE(m_list.SetCellText(0, 0, "first"));
    EXPECT_TRUE(m_list.SetCellText(0, 0, "again")) << "the cell held text before";
    EXPECT_FALSE(m_list.SetCellText(-1, 0, "x"));
    EXPECT_FALSE(m_list.SetCellText(1, 0, "x"));
    EXPECT_FALSE(m_list.SetCellText(0, 2, "x"));
    EXPECT_FALSE(m_list.SetCellText(0, -1, "x"));
    EXPECT_STREQ(m_list.GetCellText(0, 0), "again");
    EXPECT_STREQ(m_list.GetItemText(0, 0), "again");

    CPlainRowList plain;
    m_list.DestroyWindow();
    ASSERT_TRUE(Create(plain));
    ASSERT_EQ(plain.InitListCtrl("Name|Size"), 2);
    ASSERT_EQ(plain.AddItem(42), 0);
    EXPECT_FALSE(plain.SetCellText(0, 0, "x")) << "a row without texts is left alone";
    EXPECT_EQ(plain.GetItemData(0), 42u);
    plain.SetRowToolTip(0, "tip");
    plain.DestroyWindow();
}

struct SortRow
{
    const char* name;
    const char* number;
    const char* size;
    int year;          // 0: empty date, -1: unreadable text
    const char* seconds;
};

TEST_F(UIODListTest, TypedColumnsSortBothWaysByHeaderClicks)
{
    ASSERT_EQ(m_list.InitListCtrl("Name|Number|Size|Date|Length"), 5);
    const SortRow rows[] = {
        {"Alpha", "10", "1,200 KB", 2024, "65"},
        {"bravo", "9", "950 KB", 2023, "600"},
        {"Charlie", "-5", "5,000,000,000 KB", 0, "5"},
        {"delta", "10", "9,223,372,036,854,775,807 KB", 1999, "3600"},
        {"Echo", "-2147483648", "4,294,967,297 KB", -1, "-30"},
        {"alpha", "9223372036854775807", "0 KB", 2024, "65"},
    };
    for (const SortRow& row : rows) {
        const int n = m_list.AddItem(0);
        ASSERT_GE(n, 0);
        m_list.SetCellText(n, 0, row.name, UIOD_TEXT);
        m_list.SetCellText(n, 1, row.number, UIOD_INTEGER);
        m_list.SetCellText(n, 2, row.size, UIOD_INTEGER_DIGITS);
        if (row.year > 0)
            m_list.SetCellDate(n, 3, COleDateTime(row.year, row.year == 2023 ? 12 : 1, 2, 10, 0, 0));
        else
            m_list.SetCellText(n, 3, row.year == 0 ? "" : "no date", UIOD_DATE);
        m_list.SetCellText(n, 4, row.seconds, UIOD_DURATION);
    }
    EXPECT_STREQ(m_list.GetCellText(0, 4), "1:05");
    EXPECT_STREQ(m_list.GetCellText(4, 4), "-0:30");

    // Rows are named by their first letters: A Alpha, b bravo, C Charlie, d delta, E Echo, a alpha.
    const struct
    {
        int column;
        const char* ascending;
        const char* descending;
    } table[] = {
        {1, "ECbAda", "aAdbCE"},   // equal numbers (Alpha, delta) keep their order both ways
        {2, "abAECd", "dCEAba"},   // 64-bit sizes
        {3, "ECdbAa", "AabdCE"},   // unreadable first, empty as the oldest, equal dates in order
        {4, "ECAabd", "dbAaCE"},   // minutes and seconds by value, negatives first
        {0, "AabCdE", "EdCbAa"},   // text without regard to case
    };
    for (const auto& c : table) {
        ClickColumn(c.column);
        EXPECT_TRUE(m_list.GetSortAscending()) << c.column;
        EXPECT_EQ(Order(), c.ascending) << "column " << c.column << " ascending";
        EXPECT_TRUE(RowsMatchTheListView());
        EXPECT_EQ(m_list.GetHeader().GetSortColumn(), c.column);
        EXPECT_TRUE(m_list.GetHeader().GetSortAscending());
        ClickColumn(c.column);
        EXPECT_FALSE(m_list.GetSortAscending());
        EXPECT_EQ(Order(), c.descending) << "column " << c.column << " descending";
        EXPECT_TRUE(RowsMatchTheListView());
        EXPECT_FALSE(m_list.GetHeader().GetSortAscending());
    }
    HDITEMA item = {};
    item.mask = HDI_FORMAT;
    ASSERT_TRUE(m_list.GetHeader().GetItem(0, &item));
    EXPECT_NE(item.fmt & HDF_OWNERDRAW, 0) << "the sort column's heading draws its arrow";
}

// A pending row's cells are made once, when the first of them (never the first column) is read
// through any way there is, or set; a sort by another column than the first makes every row's.
TEST_F(UIODListTest, PendingCellsAreMadeOnceWhenFirstReadOrSet)
{
    CPendingCellsList list;
    ASSERT_TRUE(Create(list));
    ASSERT_EQ(list.InitListCtrl("Name|Order|Note"), 3);
    for (const char* name : {"c", "a", "b", "d", "e"}) {
        const int row = list.AddItem(0);
        list.SetCellText(row, 0, name);
        list.GetRowData(row)->m_bCellsPending = 1;
    }
    EXPECT_STREQ(list.GetCellText(0, 0), "c");
    list.Sort();
    EXPECT_EQ(list.Made(), 0) << "the names alone are read";

    EXPECT_STREQ(list.GetCellText(2, 2), "late"); // row "c"
    EXPECT_STREQ(list.GetCellText(2, 1), "0");
    EXPECT_EQ(list.Made(), 1);
    // The list view's own request (its text callback), the text message, an info tip.
    char text[16] = {};
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = 0;
    item.iSubItem = 1;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(list.m_hWnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(item.pszText, "1");
    EXPECT_STREQ(list.GetItemText(1, 2), "late");
    char tip[16] = {};
    NMLVGETINFOTIPA info = {};
    info.hdr.hwndFrom = list.m_hWnd;
    info.hdr.idFrom = IDC_LIST;
    info.hdr.code = LVN_GETINFOTIPA;
    info.pszText = tip;
    info.cchTextMax = sizeof tip;
    info.iItem = 3;
    info.iSubItem = 1;
    m_owner.SendMessage(WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(tip, "3");
    EXPECT_EQ(list.Made(), 4);
    // A cell set is made first: the set text stays.
    EXPECT_TRUE(list.SetCellText(4, 2, "set")) << "the cell held its text";
    EXPECT_STREQ(list.GetCellText(4, 2), "set");
    EXPECT_STREQ(list.GetCellText(4, 1), "4");
    EXPECT_EQ(list.Made(), 5);
    EXPECT_STREQ(list.GetCellText(4, 1), "4") << "made once";
    EXPECT_EQ(list.Made(), 5);

    for (int row = 0; row < list.GetItemCount(); ++row)
        list.GetRowData(row)->m_bCellsPending = 1;
    list.SetSort(2, TRUE);
    EXPECT_EQ(list.Made(), 10) << "a sort by the third column makes every row's cells";
    list.DestroyWindow();
}

TEST_F(UIODListTest, RowDataFollowsInsertsAndDeletesFromOutside)
{
    ASSERT_EQ(m_list.InitListCtrl("Name"), 1);
    for (const char* name : {"a", "b", "c", "d"})
        m_list.SetCellText(m_list.AddItem(0), 0, name);
    m_list.DeleteItem(1);
    EXPECT_TRUE(RowsMatchTheListView());
    EXPECT_EQ(Order(), "acd");
    // A row put in by plain list-view calls, in the middle, without row data.
    m_list.InsertItem(1, "plain");
    EXPECT_TRUE(RowsMatchTheListView());
    EXPECT_EQ(m_list.GetRowData(1), nullptr);
    EXPECT_FALSE(m_list.SetCellText(1, 0, "x"));
    m_list.SetSort(0, FALSE);
    EXPECT_TRUE(RowsMatchTheListView());
    m_list.DeleteAllItems();
    EXPECT_EQ(m_list.GetRowData(0), nullptr);
    EXPECT_EQ(m_list.AddItem(0), 0);
    EXPECT_TRUE(RowsMatchTheListView());
}

// Rows added at the end of a sorted list (as a merge refresh adds them), few or many, and rows
// whose keys changed in the middle, end where a sort of the whole list puts them; the list view's
// own order stays the list's.
TEST_F(UIODListTest, SortAgainPutsAddedAndChangedRowsInPlace)
{
    ASSERT_EQ(m_list.InitListCtrl("Name|Size"), 2);
    const auto add = [&](int value) { return AddNumberRow(value); };
    std::vector<int> values;
    for (int i = 0; i < 300; ++i)
        values.push_back((i * 7919) % 1000);
    for (int value : values)
        add(value);
    m_list.SetSort(1, TRUE);
    m_list.Sort();
    const auto expectOrder = [&](std::vector<int> expected) {
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(m_list.GetItemCount(), static_cast<int>(expected.size()));
        for (int row = 0; row < m_list.GetItemCount(); ++row)
            ASSERT_EQ(std::string(m_list.GetCellText(row, 1)), std::to_string(expected[static_cast<size_t>(row)])) << row;
        EXPECT_TRUE(RowsMatchTheListView());
    };
    expectOrder(values);
    // In order already: sorted again, nothing moves.
    m_list.Sort();
    expectOrder(values);
    // A few rows at the end, one that goes first, one last, one in the middle.
    for (int value : {-5, 5000, 500}) {
        add(value);
        values.push_back(value);
    }
    m_list.Sort();
    expectOrder(values);
    // More rows at the end than are merged in.
    for (int i = 0; i < 100; ++i) {
        add(999 - i * 3);
        values.push_back(999 - i * 3);
    }
    m_list.Sort();
    expectOrder(values);
    // A row's key changed in the middle.
    std::vector<int> sortedValues(values);
    std::sort(sortedValues.begin(), sortedValues.end());
    *std::find(values.begin(), values.end(), sortedValues[10]) = 4000;
    m_list.SetCellInt(10, 1, 4000);
    m_list.Sort();
    expectOrder(values);
}

// In a long sorted list the rows added or changed since the sort are put in their places one by
// one: each keeps its row data, image and state (a cut mark), the selection and the focus stay on
// their rows, and the list tells the first row whose place changed. A selected row whose key
// changed goes to its place by a sort of every row, still selected.
TEST_F(UIODListTest, PlacedRowsKeepTheirDataStateAndTheSelection)
{
    ASSERT_EQ(m_list.InitListCtrl("Name|Size"), 2);
    const auto add = [&](int value) { return AddNumberRow(value); };
    for (int i = 0; i < 400; ++i)
        add(i * 10);
    m_list.SetSort(1, TRUE);
    m_list.Sort();
    EXPECT_EQ(m_list.GetFirstReorderedRow(), -1) << "added in order";
    m_list.SetItemState(200, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    const CUIListCtrlData* selected = m_list.GetRowData(200);
    m_list.SetItemState(300, LVIS_CUT, LVIS_CUT);
    LVITEMA image = {};
    image.mask = LVIF_IMAGE;
    image.iItem = 300;
    image.iImage = 3;
    m_list.SetItem(&image);
    CUIListCtrlData* moved = m_list.GetRowData(300);
    const auto rowOf = [&](const CUIListCtrlData* data) {
        for (int row = 0; row < m_list.GetItemCount(); ++row) {
            if (m_list.GetRowData(row) == data)
                return row;
        }
        return -1;
    };
    // Nothing changed: nothing moves.
    m_list.Sort();
    EXPECT_EQ(m_list.GetFirstReorderedRow(), -1);
    // Row 300 (3000) goes before row 50 (500); a new row 2995 goes after 2990.
    m_list.SetCellInt(300, 1, 495);
    add(2995);
    m_list.Sort();
    EXPECT_EQ(m_list.GetFirstReorderedRow(), 50);
    EXPECT_EQ(rowOf(moved), 50);
    EXPECT_STREQ(m_list.GetCellText(301, 1), "2995");
    EXPECT_EQ(m_list.GetItemState(50, LVIS_CUT), static_cast<UINT>(LVIS_CUT));
    image.iItem = 50;
    image.iImage = -1;
    ASSERT_TRUE(m_list.GetItem(&image));
    EXPECT_EQ(image.iImage, 3);
    EXPECT_EQ(m_list.GetItemState(301, LVIS_CUT), 0u) << "a new row has no state";
    EXPECT_EQ(rowOf(selected), 201);
    EXPECT_EQ(m_list.GetNextItem(-1, LVNI_SELECTED), 201);
    EXPECT_EQ(m_list.GetNextItem(-1, LVNI_FOCUSED), 201);
    EXPECT_TRUE(RowsMatchTheListView());
    for (int row = 1; row < m_list.GetItemCount(); ++row)
        ASSERT_LE(atoi(m_list.GetCellText(row - 1, 1)), atoi(m_list.GetCellText(row, 1))) << row;
    // The selected row (2000) itself gets the largest key.
    m_list.SetCellInt(201, 1, 9000);
    m_list.Sort();
    EXPECT_EQ(m_list.GetFirstReorderedRow(), 0);
    EXPECT_EQ(rowOf(selected), 400);
    EXPECT_EQ(m_list.GetNextItem(-1, LVNI_SELECTED), 400);
    EXPECT_TRUE(RowsMatchTheListView());
}

// While painting is held the list draws nothing; released, it paints again what was due before
// (in its children too), the rows from the first one put in, taken out or changed down, and the
// rest of the window only where it was due.
TEST_F(UIODListTest, HeldPaintingInvalidatesFromTheFirstChangedRowDown)
{
    ASSERT_EQ(m_list.InitListCtrl("Name"), 1);
    for (int i = 0; i < 100; ++i)
        m_list.SetCellText(m_list.AddItem(0), 0, ("row" + std::to_string(100 + i)).c_str());
    m_list.UpdateWindow();
    m_list.ValidateRect(nullptr);
    const auto middle = [&](int row) {
        RECT rect = {};
        m_list.GetItemRect(row, &rect, LVIR_BOUNDS);
        return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    };
    const auto due = [&](POINT point) {
        HRGN region = ::CreateRectRgn(0, 0, 0, 0);
        ::GetUpdateRgn(m_list.m_hWnd, region, FALSE);
        const bool in = ::PtInRegion(region, point.x, point.y) != FALSE;
        ::DeleteObject(region);
        return in;
    };
    RECT first = {};
    m_list.GetItemRect(1, &first, LVIR_BOUNDS);
    m_list.InvalidateRect(&first, FALSE);
    const HWND header = m_list.GetHeader().GetSafeHwnd();
    ASSERT_NE(header, nullptr);
    ::ValidateRect(header, nullptr);
    ::InvalidateRect(header, nullptr, FALSE);
    m_list.HoldPainting();
    EXPECT_TRUE(m_list.IsPaintingHeld());
    EXPECT_FALSE(m_list.IsWindowVisible());
    m_list.HoldPainting();
    m_list.NoteChangedRow(9);
    m_list.DeleteItem(12);
    m_list.ReleasePainting();
    EXPECT_FALSE(m_list.IsWindowVisible()) << "holds nest";
    m_list.ReleasePainting();
    EXPECT_FALSE(m_list.IsPaintingHeld());
    EXPECT_TRUE(m_list.IsWindowVisible());
    EXPECT_TRUE(due(middle(1))) << "what was due before the hold";
    RECT headerDue = {};
    EXPECT_TRUE(::GetUpdateRect(header, &headerDue, FALSE)) << "and in the header";
    EXPECT_FALSE(due(middle(5)));
    EXPECT_TRUE(due(middle(9)));
    EXPECT_TRUE(due(middle(12)));
    EXPECT_TRUE(due(middle(m_list.GetCountPerPage() - 1)));
    EXPECT_EQ(m_list.GetItemCount(), 99);
    EXPECT_STREQ(m_list.GetCellText(12, 0), "row113");
    EXPECT_TRUE(RowsMatchTheListView());
    // Nothing changed while held: nothing more is due.
    m_list.UpdateWindow();
    m_list.ValidateRect(nullptr);
    m_list.HoldPainting();
    m_list.ReleasePainting();
    EXPECT_FALSE(due(middle(0)));
    EXPECT_FALSE(due(middle(20)));
}

// Paints a window's client area into a memory bitmap and answers the colour at a point.
class CMemoryPicture
{
public:
    CMemoryPicture(HWND hWnd, UINT message) : m_hWnd(hWnd)
    {
        ::GetClientRect(hWnd, &m_client);
        HDC screen = ::GetDC(nullptr);
        m_hdc = ::CreateCompatibleDC(screen);
        m_bitmap = ::CreateCompatibleBitmap(screen, m_client.right, m_client.bottom);
        ::ReleaseDC(nullptr, screen);
        m_old = ::SelectObject(m_hdc, m_bitmap);
        ::SendMessageA(hWnd, message, reinterpret_cast<WPARAM>(m_hdc), PRF_CLIENT | PRF_ERASEBKGND);
    }
    ~CMemoryPicture()
    {
        ::SelectObject(m_hdc, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_hdc);
    }
    COLORREF At(int x, int y) const { return ::GetPixel(m_hdc, x, y); }

private:
    HWND m_hWnd;
    RECT m_client = {};
    HDC m_hdc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
};

TEST_F(UIODListTest, HeaderDrawsTheSortArrowOfTheSortColumn)
{
    ASSERT_EQ(m_list.InitListCtrl("Name|Size"), 2);
    CODHeaderCtrl& header = m_list.GetHeader();
    for (const BOOL bAscending : {TRUE, FALSE}) {
        m_list.SetSortState(-1, TRUE);
        m_list.SetSort(1, bAscending);
        RECT item = {};
        ASSERT_TRUE(header.GetItemRect(1, &item));
        const CMemoryPicture picture(header.m_hWnd, WM_PAINT);
        EXPECT_EQ(picture.At(item.left + 2, item.top + 2), GetSysColor(COLOR_3DFACE)) << "drawn by the list";
        // The widest line of the arrow: at the bottom for ascending (pointing down), the top
        // for descending (pointing up).
        SIZE space = {};
        HDC hdc = ::GetDC(header.m_hWnd);
        const HGDIOBJ old = ::SelectObject(hdc, reinterpret_cast<HGDIOBJ>(header.SendMessage(WM_GETFONT)));
        ::GetTextExtentPoint32A(hdc, " ", 1, &space);
        ::SelectObject(hdc, old);
        ::ReleaseDC(header.m_hWnd, hdc);
        const int x = item.right - space.cx - 4;
        const int y = bAscending ? item.bottom - 10 : item.bottom - 6;
        EXPECT_EQ(picture.At(x, y), GetSysColor(COLOR_BTNTEXT)) << (bAscending ? "ascending" : "descending");
        EXPECT_EQ(picture.At(x, bAscending ? item.bottom - 6 : item.bottom - 10), GetSysColor(COLOR_3DFACE));
    }
}

class UIODListEditTest : public UIODListTest
{
protected:
    void SetUp() override
    {
        UIODListTest::SetUp();
        ASSERT_EQ(m_list.InitListCtrl("Name|Size|Type"), 3);
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(m_list.AddItem(0), i);
            m_list.SetCellText(i, 0, ("row" + std::to_string(i)).c_str());
            m_list.SetCellText(i, 1, "1 KB");
        }
        m_list.SetFocus();
    }

    // Enter typed into the editor, through the message flow of the application's loop.
    void TypeEnter(HWND hEdit)
    {
        MSG msg = {hEdit, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
        EXPECT_TRUE(CWnd::WalkPreTranslateTree(m_owner.m_hWnd, &msg)) << "the editor takes Enter";
        EXPECT_TRUE(orvo::test::WaitFor([&] { return !::IsWindow(hEdit); }, 5000));
    }
};

TEST_F(UIODListEditTest, CellEditCommitsCancelsAndIsRefused)
{
    CInPlaceEdit* pEdit = m_list.EditCell(1, 1);
    ASSERT_NE(pEdit, nullptr);
    HWND hEdit = pEdit->m_hWnd;
    ::SetWindowTextA(hEdit, "777 KB");
    TypeEnter(hEdit);
    EXPECT_STREQ(m_list.GetCellText(1, 1), "777 KB");
    ASSERT_EQ(m_list.m_asked.size(), 1u);
    EXPECT_EQ(m_list.m_asked[0], std::make_tuple(1, 1, std::string("777 KB")));
    EXPECT_FALSE(Posted(WM_UIOD_OPENKEY)) << "Enter in the editor opens nothing";

    pEdit = m_list.EditCell(1, 1);
    ASSERT_NE(pEdit, nullptr);
    hEdit = pEdit->m_hWnd;
    ::SetWindowTextA(hEdit, "cancelled");
    ::SendMessageA(hEdit, WM_CHAR, VK_ESCAPE, 0);
    EXPECT_TRUE(orvo::test::WaitFor([&] { return !::IsWindow(hEdit); }, 5000));
    EXPECT_STREQ(m_list.GetCellText(1, 1), "777 KB");
    EXPECT_EQ(m_list.m_asked.size(), 1u) << "a cancelled edit asks nothing";

    m_list.m_bAllow = FALSE;
    pEdit = m_list.EditCell(2, 1);
    ASSERT_NE(pEdit, nullptr);
    hEdit = pEdit->m_hWnd;
    ::SetWindowTextA(hEdit, "refused");
    TypeEnter(hEdit);
    EXPECT_STREQ(m_list.GetCellText(2, 1), "1 KB");
    EXPECT_EQ(m_list.m_asked.size(), 2u);

    m_list.SetColumnWidth(2, 4);
    EXPECT_EQ(m_list.EditCell(0, 2), nullptr) << "a column narrower than 5 pixels";
    EXPECT_EQ(m_list.EditCell(0, 3), nullptr) << "no such column";
    m_list.AllowCellEditing(FALSE);
    EXPECT_EQ(m_list.EditCell(0, 1), nullptr);
}

TEST_F(UIODListEditTest, HeadingIsRenamedOnlyWhenAllowed)
{
    m_list.m_bAllow = FALSE;
    m_list.SetContextColumn(1);
    m_list.SendMessage(WM_COMMAND, ID_UIOD_EDITHEADING);
    EXPECT_EQ(m_list.GetContextColumn(), -1);
    HWND hEdit = ::GetFocus();
    ASSERT_NE(hEdit, m_list.m_hWnd);
    ::SetWindowTextA(hEdit, "Bytes");
    TypeEnter(hEdit);
    EXPECT_STREQ(m_list.GetHeadings(), "Name|Size|Type") << "a refused rename changes nothing";

    m_list.m_bAllow = TRUE;
    m_list.SetContextColumn(1);
    m_list.SendMessage(WM_COMMAND, ID_UIOD_EDITHEADING);
    hEdit = ::GetFocus();
    ::SetWindowTextA(hEdit, "Bytes");
    TypeEnter(hEdit);
    EXPECT_STREQ(m_list.GetHeadings(), "Name|Bytes|Type");
    char text[64] = {};
    HDITEMA item = {};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    ASSERT_TRUE(m_list.GetHeader().GetItem(1, &item));
    EXPECT_STREQ(text, "Bytes");
    EXPECT_EQ(std::get<0>(m_list.m_asked.back()), -1);
}

TEST_F(UIODListEditTest, EnterDuringALabelEditRenamesInsteadOfOpening)
{
    m_list.SetCurSel(0);
    HWND hEdit = reinterpret_cast<HWND>(m_list.SendMessage(LVM_EDITLABELA, 0));
    ASSERT_NE(hEdit, nullptr);
    EXPECT_TRUE(m_list.IsLabelEditing());
    ::SetWindowTextA(hEdit, "renamed");

    MSG del = {hEdit, WM_KEYDOWN, VK_DELETE, 0, 0, {0, 0}};
    EXPECT_FALSE(CWnd::WalkPreTranslateTree(m_owner.m_hWnd, &del));
    EXPECT_FALSE(Posted(WM_UIOD_DELETEKEY)) << "Delete belongs to the edit";

    MSG enter = {hEdit, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    EXPECT_FALSE(CWnd::WalkPreTranslateTree(m_owner.m_hWnd, &enter)) << "Enter goes on to the edit";
    EXPECT_FALSE(Posted(WM_UIOD_OPENKEY));
    ::TranslateMessage(&enter);
    ::DispatchMessageA(&enter);
    EXPECT_TRUE(orvo::test::WaitFor([&] { return !m_list.IsLabelEditing(); }, 5000));
    EXPECT_STREQ(m_list.GetCellText(0, 0), "renamed");
    EXPECT_FALSE(Posted(WM_UIOD_OPENKEY));
}

TEST_F(UIODListEditTest, KeysOfTheListBecomePrivateMessages)
{
    const struct
    {
        UINT message;
        WPARAM key;
        UINT posted;
    } keys[] = {
        {WM_KEYDOWN, VK_RETURN, WM_UIOD_OPENKEY},      {WM_SYSKEYDOWN, VK_RETURN, WM_UIOD_PROPERTIESKEY},
        {WM_KEYDOWN, VK_DELETE, WM_UIOD_DELETEKEY},    {WM_KEYDOWN, VK_F2, WM_UIOD_EDITKEY},
        {WM_KEYDOWN, VK_APPS, WM_UIOD_CONTEXTMENU},
    };
    for (const auto& k : keys) {
        MSG msg = {m_list.m_hWnd, k.message, k.key, 0, 0, {0, 0}};
        EXPECT_TRUE(m_list.PreTranslateMessage(&msg)) << k.key;
        EXPECT_TRUE(Posted(k.posted)) << k.key;
    }
    MSG other = {m_list.m_hWnd, WM_KEYDOWN, 'A', 0, 0, {0, 0}};
    EXPECT_FALSE(m_list.PreTranslateMessage(&other));
}

TEST_F(UIODListEditTest, ContextMenuKeyHasADefinedPoint)
{
    m_list.SendMessage(WM_UIOD_CONTEXTMENU);
    POINT origin = {0, 0};
    ::ClientToScreen(m_list.m_hWnd, &origin);
    EXPECT_EQ(m_list.m_nMenuRow, -1);
    EXPECT_EQ(m_list.m_menuPoint, CPoint(origin.x, origin.y)) << "no current row: the list's corner";

    m_list.SetCurSel(2);
    m_list.SendMessage(WM_UIOD_CONTEXTMENU);
    POINT row = {};
    m_list.GetItemPosition(2, &row);
    ::ClientToScreen(m_list.m_hWnd, &row);
    EXPECT_EQ(m_list.m_nMenuRow, 2);
    EXPECT_EQ(m_list.m_menuPoint, CPoint(row.x, row.y));
    EXPECT_FALSE(m_list.ShowContextMenu(2, FALSE, 0, row.x, row.y)) << "no menu set";
}

// The program's two frame menus stand in for the list's one-row and several-rows menus.
const UINT kOneRowMenu = 116;
const UINT kSeveralRowsMenu = 134;

UINT FirstCommandOf(UINT nMenu)
{
    CMenu menu;
    EXPECT_TRUE(menu.LoadMenu(nMenu));
    return menu.GetSubMenu(0)->GetMenuItemID(0);
}

TEST_F(UIODListEditTest, ContextMenuFollowsTheSelection)
{
    m_list.SetMenuIds(kOneRowMenu, kSeveralRowsMenu);
    std::vector<UINT> shown;
    CWnd* pOwner = nullptr;
    CModalHandlerScope scope([&](const ModalRequest& r) -> INT_PTR {
        EXPECT_EQ(r.kind, ModalKind::PopupMenu);
        shown.push_back(r.pMenu->GetMenuItemID(0));
        pOwner = r.pWnd;
        return 0;
    });
    m_list.SetCurSel(0);
    EXPECT_TRUE(m_list.ShowContextMenu(0, FALSE, 0, 10, 10));
    EXPECT_EQ(pOwner, &m_list) << "no owner set: the list takes the commands";
    m_list.SetCurSel(2);
    m_list.SetMenuOwner(&m_owner);
    EXPECT_TRUE(m_list.ShowContextMenu(0, FALSE, 0, 10, 10));
    EXPECT_EQ(pOwner, &m_owner);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], FirstCommandOf(kOneRowMenu));
    EXPECT_EQ(shown[1], FirstCommandOf(kSeveralRowsMenu));
    EXPECT_TRUE(m_list.ShowContextMenu(0, TRUE, 0, 10, 10)) << "suppressed: tells that several rows are selected";
    EXPECT_TRUE(m_list.ShowContextMenu(-1, FALSE, 0, 10, 10));
    EXPECT_EQ(shown.size(), 2u);
}

TEST_F(UIODListEditTest, ColumnAndStyleCommands)
{
    m_list.SetContextColumn(1);
    const int nWidth = m_list.GetColumnWidth(1);
    m_list.SendMessage(WM_COMMAND, ID_UIOD_HIDECOLUMN);
    EXPECT_EQ(m_list.GetColumnWidth(1), 0);
    EXPECT_EQ(m_list.GetContextColumn(), -1);
    m_list.SendMessage(WM_COMMAND, ID_UIOD_HIDECOLUMN);
    EXPECT_EQ(m_list.GetColumnWidth(1), 0) << "no context column: nothing happens";
    m_list.SendMessage(WM_COMMAND, ID_UIOD_SHOWCOLUMNS);
    EXPECT_EQ(m_list.GetColumnWidth(1), nWidth);

    const struct
    {
        UINT command;
        DWORD bit;
    } flips[] = {{ID_UIOD_GRIDLINES, LVS_EX_GRIDLINES},
                 {ID_UIOD_CHECKBOXES, LVS_EX_CHECKBOXES},
                 {ID_UIOD_HEADERDRAGDROP, LVS_EX_HEADERDRAGDROP},
                 {ID_UIOD_TRACKSELECT, LVS_EX_TRACKSELECT}};
    for (const auto& f : flips) {
        const DWORD before = m_list.GetExtendedStyle() & f.bit;
        m_list.SendMessage(WM_COMMAND, f.command);
        EXPECT_NE(m_list.GetExtendedStyle() & f.bit, before) << f.command;
        m_list.SendMessage(WM_COMMAND, f.command);
        EXPECT_EQ(m_list.GetExtendedStyle() & f.bit, before) << f.command;
    }
    m_list.SendMessage(WM_COMMAND, ID_UIOD_VIEW_LIST);
    EXPECT_EQ(m_list.GetStyle() & LVS_TYPEMASK, static_cast<DWORD>(LVS_LIST));
    CPoint point(5, 30);
    EXPECT_EQ(m_list.HitTestEx(point, nullptr, nullptr), -1) << "cells exist in report view only";
    m_list.SendMessage(WM_COMMAND, ID_UIOD_VIEW_REPORT);
    EXPECT_EQ(m_list.GetStyle() & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
}

TEST_F(UIODListEditTest, HitTestsFindTheCell)
{
    CRect row;
    ASSERT_TRUE(m_list.GetItemRect(1, &row, LVIR_BOUNDS));
    const int nBorder = m_list.GetColumnWidth(0);
    const struct
    {
        int x;
        int column;
    } cases[] = {{row.left + 3, 0}, {row.left + nBorder, 0}, {row.left + nBorder + 1, 1}};
    for (const auto& c : cases) {
        CPoint point(c.x, (row.top + row.bottom) / 2);
        int nColumn = -1;
        RECT cell = {};
        EXPECT_EQ(m_list.HitTestEx(point, &cell, &nColumn), 1);
        EXPECT_EQ(nColumn, c.column) << "a point on a border counts for the left column";
        nColumn = -1;
        EXPECT_EQ(m_list.HitTestCell(point, &nColumn), 1);
        EXPECT_EQ(nColumn, c.column);
    }
    CPoint header(5, 2);
    EXPECT_EQ(m_list.HitTestCell(header, nullptr), -2);

    // With the columns shown in another order the cell hit names the column shown there.
    const int order[] = {2, 0, 1};
    m_list.SetColumnOrder(order, 3);
    CPoint first(row.left + 3, (row.top + row.bottom) / 2);
    int nColumn = -1;
    RECT cell = {};
    EXPECT_EQ(m_list.HitTestEx(first, &cell, &nColumn), 1);
    EXPECT_EQ(nColumn, 2);
    EXPECT_EQ(cell.right - cell.left, m_list.GetColumnWidth(2));
    CPoint below(5, row.bottom + 200);
    EXPECT_EQ(m_list.HitTestEx(below, nullptr, nullptr), -1);
}

TEST_F(UIODListEditTest, MouseContextMenuNamesTheRowUnderThePoint)
{
    CRect row;
    ASSERT_TRUE(m_list.GetItemRect(1, &row, LVIR_LABEL));
    POINT point = {row.left + 4, (row.top + row.bottom) / 2};
    ::ClientToScreen(m_list.m_hWnd, &point);
    m_list.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_list.m_hWnd), MAKELPARAM(point.x, point.y));
    EXPECT_EQ(m_list.m_nMenuRow, 1);
    EXPECT_EQ(m_list.m_menuPoint, CPoint(point.x, point.y));
    POINT below = {5, row.bottom + 150};
    ::ClientToScreen(m_list.m_hWnd, &below);
    m_list.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_list.m_hWnd), MAKELPARAM(below.x, below.y));
    EXPECT_EQ(m_list.m_nMenuRow, -1);
    m_list.SetCurSel(2);
    m_list.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_list.m_hWnd), MAKELPARAM(-1, -1));
    EXPECT_EQ(m_list.m_nMenuRow, 2) << "from the keyboard: the current row";
}

TEST_F(UIODListEditTest, ToolTipsGiveTheCellTextOnce)
{
    m_list.SetCellText(2, 1, "2 KB");
    NMTTDISPINFOA tip = {};
    tip.hdr.hwndFrom = m_owner.m_hWnd;
    tip.hdr.idFrom = 2 * 1024 + 1 + 1; // row 2, column 1
    tip.hdr.code = TTN_NEEDTEXTA;
    m_list.SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
    ASSERT_NE(tip.lpszText, nullptr);
    EXPECT_STREQ(tip.lpszText, "2 KB");
    tip.hdr.idFrom = 2049;
    tip.lpszText = nullptr;
    m_list.SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
    EXPECT_STREQ(tip.lpszText, "row2") << "id 2049 is row 2, column 0";

    // Wine never sends LVN_GETINFOTIP itself: the notification is sent here as the list would.
    m_list.SetRowToolTip(1, "the tip of row 1");
    char buffer[8] = {};
    NMLVGETINFOTIPA info = {};
    info.hdr.code = LVN_GETINFOTIPA;
    info.pszText = buffer;
    info.cchTextMax = sizeof(buffer);
    info.iItem = 1;
    Notify(info.hdr);
    EXPECT_STREQ(buffer, "the tip") << "cut to the buffer";
}

TEST_F(UIODListEditTest, HeaderTrackingIsRefusedWhenResizingIsOff)
{
    NMHEADERA track = {};
    track.hdr.hwndFrom = m_list.GetHeader().m_hWnd;
    track.hdr.code = HDN_BEGINTRACKA;
    m_list.AllowColumnResizing(FALSE);
    EXPECT_EQ(m_list.SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&track)), 1);
    HDITEMA item = {};
    item.mask = HDI_WIDTH;
    track.hdr.code = HDN_ENDTRACKA;
    track.iItem = 1;
    track.pitem = &item;
    m_list.SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&track));
    EXPECT_FALSE(Posted(WM_UIOD_COLUMNWIDTH));

    m_list.AllowColumnResizing(TRUE);
    m_list.SetColumnWidth(1, 77);
    m_list.SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&track));
    EXPECT_TRUE(orvo::test::WaitFor([&] { return !m_owner.m_widthNotices.empty(); }, 5000));
    EXPECT_EQ(m_list.GetRememberedWidth(1), 77);
}

TEST_F(UIODListEditTest, CustomDrawPaintsRowColoursIntoAMemoryDC)
{
    m_list.SetRowColors(1, RGB(255, 0, 0), RGB(255, 255, 0));
    CRect client;
    m_list.GetClientRect(&client);
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.Width(), client.Height());
    ::ReleaseDC(nullptr, screen);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    m_list.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_GE(m_list.m_nItemStages, 3);
    EXPECT_GE(m_list.m_nSubItemStages, 9);
    CRect cell;
    m_list.GetSubItemRect(1, 2, LVIR_LABEL, cell);
    EXPECT_EQ(::GetPixel(memory, cell.right - 3, cell.top + 2), RGB(255, 255, 0)) << "the row's background";
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
}

} // namespace
