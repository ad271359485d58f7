// Menus with images: a converted menu measured and drawn into a memory picture (an image, a
// check, a disabled image, an accelerator), items of others left alone even when their data
// starts with the record's signature, tool-bar images, accelerator texts and mnemonics, radio dots,
// and shell extensions' items whose owner-draw messages go on to the extension.
#include "tests/ui/MenuTestRes.h"
#include "ui/CImageMenuManager.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

// Another program's item data that happens to start with the record's bytes.
struct ForeignData {
    DWORD signature = CMenuItemRecord::kSignature;
    char text[16] = "not a record";
};

class Picture
{
public:
    Picture(int width, int height) : m_width(width), m_height(height)
    {
        const HDC screen = GetDC(nullptr);
        m_dc = CreateCompatibleDC(screen);
        m_bitmap = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        m_old = SelectObject(m_dc, m_bitmap);
        const RECT all = {0, 0, width, height};
        FillRect(m_dc, &all, GetSysColorBrush(COLOR_MENU));
    }
    ~Picture()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    HDC Dc() const { return m_dc; }
    // The colours in a rectangle of the picture.
    std::set<COLORREF> Colours(const RECT& area) const
    {
        std::set<COLORREF> colours;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                colours.insert(GetPixel(m_dc, x, y));
        return colours;
    }

private:
    int m_width;
    int m_height;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
};

// With ORVO_SHOW_MENU=seconds the drawn items are shown on the screen that long (to look at).
void ShowWhenAsked(const Picture& picture, int width, int height)
{
    const char* show = std::getenv("ORVO_SHOW_MENU");
    if (!show)
        return;
    const HWND window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_BORDER, 20, 20, width,
                                        height, nullptr, nullptr, nullptr, nullptr);
    const DWORD until = GetTickCount() + static_cast<DWORD>(std::atoi(show)) * 1000;
    while (static_cast<int>(until - GetTickCount()) > 0) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        const HDC dc = GetDC(window);
        BitBlt(dc, 0, 0, width, height, picture.Dc(), 0, 0, SRCCOPY);
        ReleaseDC(window, dc);
        Sleep(50);
    }
    DestroyWindow(window);
}

class MenuFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_menu = CreatePopupMenu();
        AppendMenuA(m_menu, MF_STRING, ID_MT_OPEN, "&Open");
        AppendMenuA(m_menu, MF_STRING | MF_CHECKED, ID_MT_GRID + 100, "&Grid");
        AppendMenuA(m_menu, MF_STRING | MF_GRAYED, ID_MT_PRINT, "&Print");
        AppendMenuA(m_menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(m_menu, MF_STRING, ID_MT_SAVE, "Sa&ve\tCtrl+S");
        AppendMenuA(m_menu, MF_STRING, ID_MT_OTHER, "&Other");
        AppendMenuA(m_menu, MF_OWNERDRAW, ID_MT_CUT, reinterpret_cast<LPCSTR>(&m_foreign));
        SetItemDataOf(0, 1234);
    }
    void TearDown() override { DestroyMenu(m_menu); }

    void SetItemDataOf(UINT position, ULONG_PTR data)
    {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_DATA;
        info.dwItemData = data;
        SetMenuItemInfoA(m_menu, position, TRUE, &info);
    }
    MENUITEMINFOA Item(UINT position)
    {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_DATA | MIIM_TYPE | MIIM_STATE | MIIM_ID;
        GetMenuItemInfoA(m_menu, position, TRUE, &info);
        return info;
    }
    CString Text(UINT position)
    {
        char text[100] = {};
        GetMenuStringA(m_menu, position, text, sizeof(text), MF_BYPOSITION);
        return text;
    }
    MEASUREITEMSTRUCT Measure(UINT position)
    {
        MEASUREITEMSTRUCT measure = {};
        measure.CtlType = ODT_MENU;
        measure.itemID = Item(position).wID;
        measure.itemData = Item(position).dwItemData;
        EXPECT_TRUE(m_manager.OnMeasureItem(&measure)) << position;
        return measure;
    }
    // Draws the item at position into the picture at row top; answers the item rectangle.
    RECT Draw(Picture& picture, UINT position, int top, UINT state, int width = 240)
    {
        const MEASUREITEMSTRUCT measure = Measure(position);
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_MENU;
        draw.itemID = Item(position).wID;
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = state;
        draw.hwndItem = reinterpret_cast<HWND>(m_menu);
        draw.hDC = picture.Dc();
        draw.rcItem = {0, top, width, top + static_cast<int>(measure.itemHeight)};
        draw.itemData = Item(position).dwItemData;
        EXPECT_TRUE(m_manager.OnDrawItem(&draw)) << position;
        return draw.rcItem;
    }
    void Prepare()
    {
        ASSERT_TRUE(m_manager.AddToolbarImages(IDR_MENUTEST_TOOLS));
        m_manager.OwnerDrawMenu(m_menu);
    }

    ForeignData m_foreign;
    HMENU m_menu = nullptr;
    CImageMenuManager m_manager;
};

TEST(CMenuItemRecord, OnlyLiveRecordsAreRecords)
{
    ForeignData foreign;
    EXPECT_EQ(CMenuItemRecord::FromItemData(reinterpret_cast<ULONG_PTR>(&foreign)), nullptr);
    EXPECT_EQ(CMenuItemRecord::FromItemData(0), nullptr);
    ULONG_PTR data = 0;
    {
        CMenuItemRecord record;
        data = record.AsItemData();
        EXPECT_EQ(CMenuItemRecord::FromItemData(data), &record);
        EXPECT_EQ(record.m_nImage, -1);
        EXPECT_EQ(record.m_dwCallerData, 0u);
    }
    EXPECT_EQ(CMenuItemRecord::FromItemData(data), nullptr); // gone: never read again
}

TEST_F(MenuFixture, ToolbarImagesFirstToolbarWins)
{
    EXPECT_FALSE(m_manager.AddToolbarImages(4711)); // no such resource
    EXPECT_EQ(m_manager.GetImageIndex(ID_MT_OPEN), -1);
    ASSERT_TRUE(m_manager.AddToolbarImages(IDR_MENUTEST_TOOLS));
    EXPECT_EQ(m_manager.GetBoxSize().cx, 20);
    EXPECT_EQ(m_manager.GetBoxSize().cy, 19);
    EXPECT_EQ(m_manager.GetImageIndex(ID_MT_OPEN), 0);
    EXPECT_EQ(m_manager.GetImageIndex(ID_MT_SAVE), 1);
    EXPECT_EQ(m_manager.GetImageIndex(ID_MT_PRINT), 2); // the separator takes none
    EXPECT_EQ(m_manager.GetImageIndex(ID_MT_CUT), 3);
    ASSERT_TRUE(m_manager.AddToolbarImages(IDR_MENUTEST_MORE));
    EXPECT_EQ(m_manager.GetImageIndex(ID_MT_SAVE), 1);
    EXPECT_EQ(m_manager.GetImageIndex(ID_MT_GRID), 5);
    EXPECT_FALSE(m_manager.AddToolbarImages(IDR_MENUTEST_WIDE));
    EXPECT_EQ(m_manager.GetImageIndex(ID_MT_OTHER), -1);
    m_manager.Refresh();
    EXPECT_EQ(m_manager.GetImageIndex(ID_MT_GRID), 5);
}

TEST_F(MenuFixture, ForeignOwnerDrawnItemIsLeftToItsOwner)
{
    Prepare();
    const MENUITEMINFOA foreign = Item(6);
    EXPECT_EQ(foreign.dwItemData, reinterpret_cast<ULONG_PTR>(&m_foreign));
    EXPECT_TRUE(foreign.fType & MFT_OWNERDRAW);
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_MENU;
    measure.itemData = foreign.dwItemData;
    EXPECT_FALSE(m_manager.OnMeasureItem(&measure));
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_MENU;
    draw.itemData = foreign.dwItemData;
    EXPECT_FALSE(m_manager.OnDrawItem(&draw));
    m_manager.RestoreMenu(m_menu);
    EXPECT_EQ(Item(6).dwItemData, reinterpret_cast<ULONG_PTR>(&m_foreign));
    EXPECT_TRUE(Item(6).fType & MFT_OWNERDRAW);
}

TEST_F(MenuFixture, ConvertAndRestoreKeepTextAndData)
{
    Prepare();
    for (const UINT position : {0u, 1u, 2u, 4u, 5u}) {
        EXPECT_TRUE(Item(position).fType & MFT_OWNERDRAW) << position;
        EXPECT_NE(CMenuItemRecord::FromItemData(Item(position).dwItemData), nullptr) << position;
    }
    EXPECT_FALSE(Item(3).fType & MFT_OWNERDRAW); // the separator
    EXPECT_EQ(CImageMenuManager::GetItemData(m_menu, 0, TRUE), 1234u);
    EXPECT_EQ(CImageMenuManager::SetItemData(99, m_menu, ID_MT_OPEN, FALSE), 1234u);
    m_manager.RestoreMenu(m_menu);
    EXPECT_EQ(Item(0).dwItemData, 99u);
    EXPECT_FALSE(Item(0).fType & MFT_OWNERDRAW);
    EXPECT_STREQ(Text(0), "&Open");
    EXPECT_STREQ(Text(4), "Sa&ve\tCtrl+S");
}

TEST_F(MenuFixture, MeasuredWithRoomForBoxAndText)
{
    Prepare();
    EXPECT_EQ(Measure(0).itemHeight, static_cast<UINT>(GetSystemMetrics(SM_CYMENU)));
    EXPECT_GT(Measure(4).itemWidth, Measure(0).itemWidth); // the accelerator text counts
    MEASUREITEMSTRUCT separator = {};
    separator.CtlType = ODT_MENU;
    CMenuItemRecord* record = nullptr;
    // A converted separator (a record of separator type) measures half a menu bar high.
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    CMenuItemRecord own;
    own.m_nType = MFT_SEPARATOR | MFT_OWNERDRAW;
    record = &own;
    separator.itemData = record->AsItemData();
    EXPECT_TRUE(m_manager.OnMeasureItem(&separator));
    EXPECT_EQ(separator.itemHeight, static_cast<UINT>(GetSystemMetrics(SM_CYMENU) / 2));
    DestroyMenu(menu);
}

TEST_F(MenuFixture, DrawnWithImageCheckGreyAndAccelerator)
{
    Prepare();
    Picture picture(240, 200);
    const COLORREF menu = GetSysColor(COLOR_MENU);
    const RECT open = Draw(picture, 0, 0, 0);
    const RECT grid = Draw(picture, 1, 30, ODS_CHECKED);
    const RECT print = Draw(picture, 2, 60, ODS_GRAYED);
    const RECT save = Draw(picture, 4, 90, ODS_SELECTED);
    const int box = m_manager.GetBoxSize().cx;

    // The image is there: several colours in the box, not only the menu's.
    const std::set<COLORREF> image = picture.Colours({open.left + 2, open.top + 2, open.left + box - 2, open.bottom - 2});
    EXPECT_GE(image.size(), 2u);
    // The check: a sunken box with the check mark, not plain menu colour.
    const std::set<COLORREF> check = picture.Colours({grid.left, grid.top, grid.left + box, grid.bottom});
    EXPECT_GE(check.size(), 2u);
    // The disabled image is greyed: only highlight, shadow and the menu colour.
    const std::set<COLORREF> grey = picture.Colours({print.left, print.top, print.left + box, print.bottom});
    const std::set<COLORREF> allowed = {GetSysColor(COLOR_3DHILIGHT), GetSysColor(COLOR_3DSHADOW), menu};
    for (const COLORREF colour : grey)
        EXPECT_TRUE(allowed.count(colour)) << std::hex << colour;
    // Where the image is drawn it shows the shadow colour, around it the menu's.
    const int middle = (print.top + print.bottom) / 2;
    EXPECT_EQ(picture.Colours({box / 2, middle, box / 2 + 1, middle + 1}), std::set<COLORREF>({GetSysColor(COLOR_3DSHADOW)}));
    EXPECT_EQ(picture.Colours({0, middle, 1, middle + 1}), std::set<COLORREF>({menu}));
    // The accelerator text is right-aligned: highlight-text pixels in the right part of the row.
    const std::set<COLORREF> right = picture.Colours({save.right - box - 60, save.top, save.right - box, save.bottom});
    EXPECT_TRUE(right.count(GetSysColor(COLOR_HIGHLIGHTTEXT)));
    EXPECT_TRUE(right.count(GetSysColor(COLOR_HIGHLIGHT)));

    ShowWhenAsked(picture, 240, 125);
}

TEST_F(MenuFixture, AcceleratorTextsLatestFirst)
{
    ACCEL entries[] = {{FVIRTKEY, VK_F5, ID_MT_OPEN},
                       {FVIRTKEY | FCONTROL, 'S', ID_MT_SAVE},
                       {FVIRTKEY | FCONTROL, 'R', ID_MT_OPEN},
                       {FVIRTKEY | FALT | FSHIFT, VK_F2, ID_MT_GRID},
                       {0, 'g', ID_MT_CUT}};
    const HACCEL table = CreateAcceleratorTableA(entries, 5);
    m_manager.LoadAccel(table);
    CString text = "&Open\told";
    EXPECT_TRUE(m_manager.AppendAccelText(text, ID_MT_OPEN));
    EXPECT_STREQ(text, "&Open\tCtrl+R, F5");
    text = "&Grid";
    EXPECT_TRUE(m_manager.AppendAccelText(text, ID_MT_GRID));
    EXPECT_STREQ(text, "&Grid\tAlt+Shift+F2");
    text = "Cut";
    EXPECT_TRUE(m_manager.AppendAccelText(text, ID_MT_CUT));
    EXPECT_STREQ(text, "Cut\tg");
    text = "Other";
    EXPECT_FALSE(m_manager.AppendAccelText(text, ID_MT_OTHER));
    EXPECT_STREQ(text, "Other");
    // Converting appends them to the items' texts.
    m_manager.OwnerDrawMenu(m_menu);
    const CMenuItemRecord* open = CMenuItemRecord::FromItemData(Item(0).dwItemData);
    ASSERT_NE(open, nullptr);
    EXPECT_STREQ(open->m_strText, "&Open\tCtrl+R, F5");
    m_manager.LoadAccel(nullptr);
    DestroyAcceleratorTable(table);
}

TEST(CImageMenuManager, NumericPadKeysShowTheirEditingNames)
{
    const char* const cases[][2] = {{"Num 7", "Home"}, {"Num 1", "End"}, {"Num 9", "PgUp"}, {"Num 3", "PgDn"},
                                    {"Num 0", "Ins"},  {"Num Del", "Del"}, {"Num 5", "Num 5"}, {"F5", "F5"},
                                    {"", ""}};
    for (const auto& c : cases)
        EXPECT_STREQ(CImageMenuManager::ShortKeyName(c[0]), c[1]) << c[0];
}

TEST_F(MenuFixture, MnemonicSelectsTheNextMatchThenWraps)
{
    Prepare();
    EXPECT_EQ(m_manager.OnMenuChar('p', 0, m_menu), MAKELONG(2, MNC_EXECUTE));
    EXPECT_EQ(m_manager.OnMenuChar('z', 0, m_menu), 0);
    // "&Open" and "&Other" both answer to O.
    EXPECT_EQ(m_manager.OnMenuChar('o', 0, m_menu), MAKELONG(0, MNC_SELECT));
    MENUITEMINFOA hilite = {};
    hilite.cbSize = sizeof(hilite);
    hilite.fMask = MIIM_STATE;
    hilite.fState = MFS_HILITE;
    SetMenuItemInfoA(m_menu, 0, TRUE, &hilite);
    EXPECT_EQ(m_manager.OnMenuChar('O', 0, m_menu), MAKELONG(5, MNC_SELECT));
    hilite.fState = 0;
    SetMenuItemInfoA(m_menu, 0, TRUE, &hilite);
    hilite.fState = MFS_HILITE;
    SetMenuItemInfoA(m_menu, 5, TRUE, &hilite);
    EXPECT_EQ(m_manager.OnMenuChar('o', 0, m_menu), MAKELONG(0, MNC_SELECT));
}

TEST_F(MenuFixture, TheHookedFrameAnswersForItsRecordsOnly)
{
    CWnd frame;
    ASSERT_TRUE(frame.CreateEx(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
    ASSERT_TRUE(m_manager.AttachFrame(&frame));
    Prepare();
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_MENU;
    measure.itemData = Item(0).dwItemData;
    EXPECT_EQ(frame.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)), 1);
    EXPECT_GT(measure.itemWidth, 0u);
    measure.itemData = reinterpret_cast<ULONG_PTR>(&m_foreign);
    measure.itemWidth = 0;
    frame.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_EQ(measure.itemWidth, 0u);
    // A popup opening converts it.
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, ID_MT_CUT, "Cu&t");
    frame.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_TYPE | MIIM_DATA;
    GetMenuItemInfoA(popup, 0, TRUE, &info);
    EXPECT_TRUE(info.fType & MFT_OWNERDRAW);
    const CMenuItemRecord* record = CMenuItemRecord::FromItemData(info.dwItemData);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->m_nImage, 3);
    m_manager.RestoreMenu(popup);
    DestroyMenu(popup);
    frame.DestroyWindow();
}

// A shell extension's context menu: records what reaches it and, while it is asked, which item
// data its items hold (it must see its own).
class FakeShellMenu : public IContextMenu3
{
public:
    explicit FakeShellMenu(bool answersMenu2) : m_answersMenu2(answersMenu2) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        const bool known = iid == IID_IUnknown || iid == IID_IContextMenu ||
                           (m_answersMenu2 && (iid == IID_IContextMenu2 || iid == IID_IContextMenu3));
        *object = known ? static_cast<IContextMenu3*>(this) : nullptr;
        if (!known)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_refs; }
    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU, UINT, UINT, UINT, UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR offset, UINT type, UINT*, LPSTR text, UINT size) override
    {
        if (type != GCS_HELPTEXTA || offset > 9)
            return E_INVALIDARG;
        wsprintfA(text, "Help for %u", static_cast<unsigned>(offset));
        EXPECT_EQ(size, 260u);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE HandleMenuMsg(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        return HandleMenuMsg2(msg, wParam, lParam, nullptr);
    }
    HRESULT STDMETHODCALLTYPE HandleMenuMsg2(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        messages.push_back(msg);
        if (msg == WM_MEASUREITEM) {
            auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            dataSeen.push_back(measure->itemData);
            measure->itemWidth = 77;
            measure->itemHeight = 33;
        } else if (msg == WM_DRAWITEM) {
            dataSeen.push_back(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->itemData);
        } else if (msg == WM_MENUCHAR || msg == WM_INITMENUPOPUP) {
            const HMENU menu = msg == WM_MENUCHAR ? reinterpret_cast<HMENU>(lParam) : reinterpret_cast<HMENU>(wParam);
            MENUITEMINFOA info = {};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_DATA;
            GetMenuItemInfoA(menu, 0, TRUE, &info);
            dataSeen.push_back(info.dwItemData);
            if (result)
                *result = MAKELONG(0, MNC_EXECUTE);
        }
        return S_OK;
    }

    ULONG m_refs = 1;
    std::vector<UINT> messages;
    std::vector<ULONG_PTR> dataSeen;

private:
    bool m_answersMenu2;
};

// The frame's own procedure, behind the manager: what the manager passed on or sent.
class FrameRecorder : public CSubclassWnd
{
public:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_SETMESSAGESTRING)
            statusTexts.push_back(reinterpret_cast<const char*>(lParam));
        if (msg == WM_MEASUREITEM)
            ++measuresPassedOn;
        return CSubclassWnd::WindowProc(msg, wParam, lParam);
    }
    std::vector<std::string> statusTexts;
    int measuresPassedOn = 0;
};

class ShellMenuFixture : public MenuFixture
{
protected:
    void SetUp() override
    {
        MenuFixture::SetUp();
        ASSERT_TRUE(m_frame.CreateEx(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
        ASSERT_TRUE(m_recorder.HookWindow(&m_frame));
        ASSERT_TRUE(m_manager.AttachFrame(&m_frame));
        // The context menu: the shell extension's owner-drawn item first, then an item of ours.
        m_context = CreatePopupMenu();
        AppendMenuA(m_context, MF_OWNERDRAW, 20005, reinterpret_cast<LPCSTR>(kExtensionData));
        AppendMenuA(m_context, MF_STRING, ID_MT_OPEN, "&Open");
    }
    void TearDown() override
    {
        m_manager.RestoreMenu(m_context);
        DestroyMenu(m_context);
        m_manager.HookWindow(static_cast<HWND>(nullptr));
        m_recorder.HookWindow(static_cast<HWND>(nullptr));
        m_frame.DestroyWindow();
        MenuFixture::TearDown();
    }
    ULONG_PTR DataOf(HMENU menu, UINT position)
    {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_DATA | MIIM_TYPE;
        GetMenuItemInfoA(menu, position, TRUE, &info);
        return info.dwItemData;
    }

    static constexpr ULONG_PTR kExtensionData = 0x5EED;
    CWnd m_frame;
    FrameRecorder m_recorder;
    HMENU m_context = nullptr;
};

TEST_F(ShellMenuFixture, ShellItemsOwnerDrawMessagesReachTheExtensionWithItsOwnData)
{
    FakeShellMenu extension(true);
    ASSERT_TRUE(m_manager.SetItemInterface(m_context, &extension, 0));
    EXPECT_EQ(extension.m_refs, 2u); // the record holds a reference
    const ULONG_PTR record = DataOf(m_context, 0);
    ASSERT_NE(CMenuItemRecord::FromItemData(record), nullptr);
    EXPECT_EQ(CImageMenuManager::GetItemData(m_context, 0, TRUE), kExtensionData);

    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_MENU;
    measure.itemID = 20005;
    measure.itemData = record;
    EXPECT_EQ(m_frame.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)), 1);
    EXPECT_EQ(measure.itemWidth, 77u);
    EXPECT_EQ(measure.itemHeight, 33u);
    EXPECT_EQ(measure.itemData, record); // put back for the next message
    EXPECT_EQ(m_recorder.measuresPassedOn, 0);

    Picture picture(100, 40);
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_MENU;
    draw.itemID = 20005;
    draw.hDC = picture.Dc();
    draw.rcItem = {0, 0, 100, 20};
    draw.itemData = record;
    EXPECT_EQ(m_frame.SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)), 1);

    // The menu's mnemonic keys go to the extension, which sees its own data in its items.
    EXPECT_EQ(m_frame.SendMessage(WM_MENUCHAR, MAKEWPARAM('x', MF_POPUP), reinterpret_cast<LPARAM>(m_context)),
              MAKELONG(0, MNC_EXECUTE));
    EXPECT_EQ(DataOf(m_context, 0), record);

    // Opening it lets the extension fill it; the popup is the extension's and is not converted.
    m_frame.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(m_context), 0);
    char text[32] = {};
    EXPECT_GT(GetMenuStringA(m_context, 1, text, sizeof(text), MF_BYPOSITION), 0); // ours kept its text
    EXPECT_EQ(DataOf(m_context, 0), record);

    EXPECT_EQ(extension.messages,
              (std::vector<UINT>{WM_MEASUREITEM, WM_DRAWITEM, WM_MENUCHAR, WM_INITMENUPOPUP}));
    EXPECT_EQ(extension.dataSeen, (std::vector<ULONG_PTR>(4, kExtensionData)));
    EXPECT_EQ(extension.m_refs, 2u); // every query was released

    // Given back: the item stays the extension's owner-drawn item with its data; the record lets go.
    m_manager.RestoreMenu(m_context);
    EXPECT_EQ(DataOf(m_context, 0), kExtensionData);
    MENUITEMINFOA type = {};
    type.cbSize = sizeof(type);
    type.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(m_context, 0, TRUE, &type);
    EXPECT_TRUE(type.fType & MFT_OWNERDRAW);
    EXPECT_EQ(extension.m_refs, 1u);
}

TEST_F(ShellMenuFixture, SwappedOutRecordsGoBackOnlyWhileTheyLive)
{
    FakeShellMenu extension(true);
    ASSERT_TRUE(m_manager.SetItemInterface(m_context, &extension, 0));
    const ULONG_PTR record = DataOf(m_context, 0);
    CMenuItemRecord* out = CImageMenuManager::SwapItemData(m_context, 0, nullptr, TRUE);
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(out), record);
    EXPECT_EQ(DataOf(m_context, 0), kExtensionData);
    // A pointer that is no record (or a record that has ended) is never put in.
    ForeignData foreign;
    EXPECT_EQ(CImageMenuManager::SwapItemData(m_context, 0, reinterpret_cast<CMenuItemRecord*>(&foreign), TRUE),
              nullptr);
    EXPECT_EQ(DataOf(m_context, 0), kExtensionData);
    EXPECT_EQ(CImageMenuManager::SwapItemData(m_context, 0, out, TRUE), nullptr);
    EXPECT_EQ(DataOf(m_context, 0), record);
}

TEST_F(ShellMenuFixture, TheExtensionHearsOnceWithTwoManagersOnTheWindow)
{
    // The program-wide manager hooked on the frame beside the frame's own: the one that gave the
    // records tells the extension; the other stays out.
    FakeShellMenu extension(true);
    CImageMenuManager& shared = CImageMenuManager::ForContextMenus();
    ASSERT_TRUE(shared.SetItemInterface(m_context, &extension, 0));
    ASSERT_TRUE(shared.HookWindow(&m_frame));
    m_frame.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(m_context), 0);
    m_frame.SendMessage(WM_MENUCHAR, MAKEWPARAM('x', MF_POPUP), reinterpret_cast<LPARAM>(m_context));
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_MENU;
    measure.itemData = DataOf(m_context, 0);
    EXPECT_EQ(m_frame.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)), 1);
    EXPECT_EQ(extension.messages, (std::vector<UINT>{WM_INITMENUPOPUP, WM_MENUCHAR, WM_MEASUREITEM}));
    // The frame's manager did not convert the extension's popup either.
    EXPECT_EQ(CMenuItemRecord::FromItemData(DataOf(m_context, 1)), nullptr);
    shared.RestoreMenu(m_context);
    shared.HookWindow(static_cast<HWND>(nullptr));
    EXPECT_EQ(extension.m_refs, 1u);
}

TEST_F(ShellMenuFixture, AnObjectWithoutTheMenuInterfacesIsSkipped)
{
    FakeShellMenu plain(false);
    ASSERT_TRUE(m_manager.SetItemInterface(m_context, &plain, 0));
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_MENU;
    measure.itemData = DataOf(m_context, 0);
    m_frame.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_EQ(measure.itemWidth, 0u);
    EXPECT_EQ(m_recorder.measuresPassedOn, 1); // left to the window's own procedure
    EXPECT_TRUE(plain.messages.empty());
    m_manager.RestoreMenu(m_context);
    EXPECT_EQ(plain.m_refs, 1u);
}

TEST_F(ShellMenuFixture, ShellCommandHelpShowsOnTheStatusLineUntilTheMenuCloses)
{
    FakeShellMenu extension(true);
    m_manager.SetShellContextMenu(&extension, 20000, 20009);
    const auto select = [&](UINT id, UINT flags, HMENU menu) {
        m_frame.SendMessage(WM_MENUSELECT, MAKEWPARAM(id, flags), reinterpret_cast<LPARAM>(menu));
    };
    select(20003, MF_STRING, m_context);
    select(20010, MF_STRING, m_context);          // outside the range
    select(20004, MF_POPUP, m_context);           // a submenu
    select(20004, MF_SYSMENU, m_context);         // the system menu
    select(20007, MF_STRING | MF_HILITE, m_context);
    select(0, 0xFFFF, nullptr);                   // closed: forgotten
    select(20003, MF_STRING, m_context);
    EXPECT_EQ(m_recorder.statusTexts, (std::vector<std::string>{"Help for 3", "Help for 7"}));
    EXPECT_EQ(extension.m_refs, 1u); // borrowed, never released
}

TEST_F(MenuFixture, RadioItemsAreDrawnWithADot)
{
    const GdiObject<HBITMAP> dot(CImageMenuManager::CreateRadioBitmap({13, 13}));
    ASSERT_NE(dot.Get(), nullptr);
    {
        const HDC dc = CreateCompatibleDC(nullptr);
        SelectScope picture(dc, dot.Get());
        EXPECT_EQ(GetPixel(dc, 6, 6), RGB(0, 0, 0));
        for (const POINT p : {POINT{0, 0}, POINT{3, 6}, POINT{9, 6}, POINT{6, 3}, POINT{6, 9}, POINT{12, 12}})
            EXPECT_EQ(GetPixel(dc, p.x, p.y), RGB(255, 255, 255)) << p.x << "," << p.y;
        DeleteDC(dc);
    }
    EXPECT_EQ(CImageMenuManager::CreateRadioBitmap({0, 13}), nullptr);

    // A radio item and a check item without images, drawn checked: the radio box holds the dot.
    AppendMenuA(m_menu, MF_STRING, ID_MT_GRID, "&Grid lines");
    ASSERT_TRUE(CheckMenuRadioItem(m_menu, 7, 7, 7, MF_BYPOSITION));
    m_manager.OwnerDrawMenu(m_menu);
    Picture picture(240, 60);
    const RECT radio = Draw(picture, 7, 0, ODS_CHECKED);
    const RECT check = Draw(picture, 1, 30, ODS_CHECKED);
    const int box = m_manager.GetBoxSize().cx ? m_manager.GetBoxSize().cx : 20;
    const POINT middle = {radio.left + box / 2, (radio.top + radio.bottom) / 2};
    EXPECT_EQ(GetPixel(picture.Dc(), middle.x, middle.y), RGB(0, 0, 0));
    // Around the dot the bitmap's white takes the box's colour, as the plain check's does.
    EXPECT_EQ(GetPixel(picture.Dc(), middle.x - 4, middle.y), GetSysColor(COLOR_3DLIGHT));
    // The dot is a dot, not the check mark: the dark pixels of the two boxes differ.
    const auto dark = [&](const RECT& item) {
        std::set<std::pair<int, int>> pixels;
        for (int y = item.top; y < item.bottom; ++y)
            for (int x = item.left; x < item.left + box; ++x)
                if (GetPixel(picture.Dc(), x, y) == RGB(0, 0, 0))
                    pixels.insert({x - item.left, y - item.top});
        return pixels;
    };
    const auto radioDark = dark(radio);
    EXPECT_FALSE(radioDark.empty());
    EXPECT_NE(radioDark, dark(check));
    ShowWhenAsked(picture, 240, 60);
}

} // namespace
