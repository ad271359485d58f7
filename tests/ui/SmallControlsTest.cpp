// The small controls: the decimal filters of the edit as typed strings, the progress display at the
// edges of its range, and the disabled look of the static text.
#include "engine/rkui/RkUI.h"
#include "tests/ui/PopupHost.h"
#include "ui/CEditEx.h"
#include "ui/CSeeProgress.h"
#include "ui/CStaticEx.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using ControlHost = PopupHost;

// '.' in a case stands for the user's decimal separator.
std::string WithSeparator(std::string text)
{
    const char sep = g_systemInfo.getDecimalSep();
    for (char& c : text)
        if (c == '.')
            c = sep;
    return text;
}

std::string Typed(CEditEx& edit, const std::string& keys)
{
    edit.SetWindowText("");
    for (const char key : keys)
        edit.SendMessage(WM_CHAR, static_cast<unsigned char>(key), 1);
    CString text;
    edit.GetWindowText(text);
    return std::string(static_cast<LPCSTR>(text));
}

struct FilterCase {
    EditCharFilter filter;
    const char* keys;
    const char* expected;
};

TEST_F(ControlHost, DecimalFiltersKeepOnlyANumber)
{
    const FilterCase cases[] = {
        {&SignedDecimalFilter, "12.5", "12.5"},
        {&SignedDecimalFilter, "--1..2", "-1.2"},
        {&SignedDecimalFilter, "1a2b.c3", "12.3"},
        {&SignedDecimalFilter, "12\b3", "13"},
        {&SignedDecimalFilter, "-\b-", "-"},
        {&SignedDecimalFilter, "1e5 +", "15"},
        {&UnsignedDecimalFilter, "-12.5", "12.5"},
        {&UnsignedDecimalFilter, "1..2.", "1.2"},
        {&UnsignedDecimalFilter, "x", ""},
        {nullptr, "a-b..", "a-b.."},
    };
    CEditEx edit;
    ASSERT_TRUE(edit.Create(WS_VISIBLE | ES_AUTOHSCROLL, CRect(0, 0, 200, 24), &m_parent, 1));
    for (const FilterCase& c : cases) {
        edit.SetCharFilter(nullptr, c.filter);
        EXPECT_EQ(Typed(edit, WithSeparator(c.keys)), WithSeparator(c.expected)) << "typed " << c.keys;
    }
}

void UpperCaseFilter(void* context, CEditEx*, UINT* ch, UINT*, UINT*)
{
    ++*static_cast<int*>(context);
    if (*ch >= 'a' && *ch <= 'z')
        *ch = *ch - 'a' + 'A';
}

TEST_F(ControlHost, AChangedCharacterIsTypedInsteadAnUnchangedOneAsItCame)
{
    CEditEx edit;
    ASSERT_TRUE(edit.Create(WS_VISIBLE, CRect(0, 0, 200, 24), &m_parent, 1));
    int calls = 0;
    edit.SetCharFilter(&calls, &UpperCaseFilter);
    EXPECT_EQ(Typed(edit, "ab1C"), "AB1C");
    EXPECT_EQ(calls, 4);
}

TEST(DecimalCharAllowed, EachSeparatorOnce)
{
    EXPECT_TRUE(DecimalCharAllowed("", ',', ',', true));
    EXPECT_FALSE(DecimalCharAllowed("1,5", ',', ',', true));
    EXPECT_FALSE(DecimalCharAllowed("1,5", '.', ',', true));
    EXPECT_TRUE(DecimalCharAllowed(nullptr, '-', '.', true));
    EXPECT_FALSE(DecimalCharAllowed("", '-', '.', false));
    EXPECT_FALSE(DecimalCharAllowed("-1", '-', '.', true));
    EXPECT_TRUE(DecimalCharAllowed("-1", 8, '.', true));
    EXPECT_FALSE(DecimalCharAllowed("", 0, '.', true));
}

TEST(CSeeProgress, BarWidthStaysInTheControl)
{
    struct Case {
        int width, pos, upper, expected;
    };
    const Case cases[] = {
        {100, 0, 100, 0},   {100, 100, 100, 100}, {100, 50, 100, 50}, {99, 1, 3, 33},
        {100, 5, 0, 0},     {100, 0, 0, 0},       {100, -5, 100, 0},  {100, 500, 100, 100},
        {100, 5, -10, 0},   {0, 5, 10, 0},        {-4, 5, 10, 0},     {1000, 2147483647, 2147483647, 1000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CSeeProgress::BarWidth(c.width, c.pos, c.upper), c.expected)
            << c.width << " " << c.pos << " / " << c.upper;
}

bool Near(COLORREF a, COLORREF b)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= 8 && std::abs(GetGValue(a) - GetGValue(b)) <= 8 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 8;
}

// The colour of the picture at x, y (the picture is drawn into a memory device first).
COLORREF PictureAt(const CDib& dib, int x, int y)
{
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, dib.GetWidth(), dib.GetHeight());
    ReleaseDC(nullptr, screen);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    dib.Draw(dc, 0, 0);
    const COLORREF color = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return color;
}

TEST_F(ControlHost, ProgressAtTheEdgesOfItsRange)
{
    CSeeProgress progress;
    ASSERT_TRUE(progress.Create("", WS_VISIBLE, CRect(0, 0, 201, 21), &m_parent, 2));
    progress.SetWindowPos(nullptr, 0, 0, 201, 21, SWP_NOZORDER);
    ASSERT_EQ(progress.GetPicture().GetWidth(), 200);
    ASSERT_EQ(progress.GetPicture().GetHeight(), 20);

    EXPECT_STREQ(progress.GetText(), "0 / 100");
    EXPECT_TRUE(Near(PictureAt(progress.GetPicture(), 1, 1), GetSysColor(COLOR_INFOBK)));

    progress.SetPos(100);
    EXPECT_TRUE(Near(PictureAt(progress.GetPicture(), 1, 1), 0xE1C000));
    EXPECT_TRUE(Near(PictureAt(progress.GetPicture(), 190, 1), 0xE1C000));

    // Nothing to make yet: an empty bar, no division by zero.
    progress.SetRange(0, 0);
    progress.SetPos(3);
    EXPECT_STREQ(progress.GetText(), "3 / 0");
    EXPECT_TRUE(Near(PictureAt(progress.GetPicture(), 1, 1), GetSysColor(COLOR_INFOBK)));
}

int CountNear(HDC dc, int width, int height, COLORREF color)
{
    int count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            count += GetPixel(dc, x, y) == color ? 1 : 0;
    return count;
}

TEST_F(ControlHost, DisabledStaticTextIsEmbossed)
{
    CStaticEx label;
    ASSERT_TRUE(label.Create("Orvo", WS_VISIBLE, CRect(0, 0, 120, 30), &m_parent, 3));
    label.SetBkColor(RGB(0, 0, 128));
    label.SetTextColor(RGB(255, 255, 0));
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, 120, 30);
    ReleaseDC(nullptr, screen);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    const RECT client = {0, 0, 120, 30};

    label.Paint(dc, client);
    EXPECT_GT(CountNear(dc, 120, 30, RGB(255, 255, 0)), 0);
    EXPECT_EQ(CountNear(dc, 120, 30, RGB(255, 255, 255)), 0);

    label.EnableWindow(FALSE);
    label.Paint(dc, client);
    EXPECT_EQ(CountNear(dc, 120, 30, RGB(255, 255, 0)), 0);
    EXPECT_GT(CountNear(dc, 120, 30, RGB(255, 255, 255)), 0);
    EXPECT_GT(CountNear(dc, 120, 30, GetSysColor(COLOR_BTNSHADOW)), 0);

    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

} // namespace
