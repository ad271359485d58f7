// CString: sharing and copy-on-write, formatting of long texts, buffer access, and the edits and
// searches the program's path and text code relies on.
#include "framework/CString.h"

#include "framework/CException.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

TEST(CString, CopiesShareTextUntilOneIsWritten)
{
    CString a("shared text");
    CString b = a;
    EXPECT_EQ(static_cast<LPCTSTR>(a), static_cast<LPCTSTR>(b)) << "a copy shares the buffer";

    b.SetAt(0, 'S');
    EXPECT_STREQ("shared text", a);
    EXPECT_STREQ("Shared text", b);
    EXPECT_NE(static_cast<LPCTSTR>(a), static_cast<LPCTSTR>(b));

    // Every writing member separates the copies, not only SetAt.
    const struct {
        const char* name;
        void (*edit)(CString&);
    } edits[] = {
        {"MakeUpper", [](CString& s) { s.MakeUpper(); }},
        {"MakeLower", [](CString& s) { s.MakeLower(); }},
        {"Replace", [](CString& s) { s.Replace('e', 'E'); }},
        {"Remove", [](CString& s) { s.Remove('e'); }},
        {"Insert", [](CString& s) { s.Insert(0, "x"); }},
        {"Delete", [](CString& s) { s.Delete(0, 2); }},
        {"TrimRight", [](CString& s) { s.TrimRight('t'); }},
        {"+=", [](CString& s) { s += "!"; }},
        {"GetBuffer", [](CString& s) { s.GetBuffer(0)[0] = '#'; s.ReleaseBuffer(); }},
    };
    for (const auto& edit : edits) {
        CString original("Mixed text");
        CString copy = original;
        edit.edit(copy);
        EXPECT_STREQ("Mixed text", original) << edit.name;
    }
}

TEST(CString, LockedBufferIsNeverShared)
{
    CString a("locked");
    LPTSTR p = a.LockBuffer();
    CString b = a;
    EXPECT_NE(static_cast<LPCTSTR>(b), static_cast<LPCTSTR>(p));
    p[0] = 'L';
    EXPECT_STREQ("locked", b);
    EXPECT_STREQ("Locked", a);
    a.UnlockBuffer();
    CString c = a;
    EXPECT_EQ(static_cast<LPCTSTR>(a), static_cast<LPCTSTR>(c));
}

TEST(CString, CopiesOnManyThreadsKeepCountsRight)
{
    const CString source(std::string(1000, 'q').c_str());
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&source] {
            for (int i = 0; i < 20000; ++i) {
                CString copy = source;
                CString second(copy);
                if (i % 100 == 0)
                    second += 'x';
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    // A lost decrement would leak; a lost increment would have freed the text under us.
    EXPECT_EQ(1000, source.GetLength());
    EXPECT_EQ('q', source[999]);
}

TEST(CString, FormatHasNoLengthLimit)
{
    const std::string big(100000, 'a');
    CString s;
    s.Format("<%s|%d|%s>", big.c_str(), 42, big.c_str());
    ASSERT_EQ(static_cast<int>(2 * big.size() + 6), s.GetLength());
    EXPECT_EQ("<" + big + "|42|" + big + ">", std::string(s));
}

TEST(CString, FormatMayReadItsOwnText)
{
    CString s("abc");
    s.Format("%s-%s-%d", static_cast<LPCTSTR>(s), static_cast<LPCTSTR>(s), s.GetLength());
    EXPECT_STREQ("abc-abc-3", s);
    s.Format("%s", "");
    EXPECT_TRUE(s.IsEmpty());
    s.Format("%I64d %.2f %5s|", 5368709120LL, 1.005, "x");
    EXPECT_STREQ("5368709120 1.00     x|", s);
}

TEST(CString, AppendAndAssignFromItself)
{
    CString s("ab");
    s += s;
    EXPECT_STREQ("abab", s);
    s = static_cast<LPCTSTR>(s) + 1;
    EXPECT_STREQ("bab", s);
    s.Insert(1, static_cast<LPCTSTR>(s));
    EXPECT_STREQ("bbabab", s);
    CString big;
    for (int i = 0; i < 100000; ++i)
        big += 'z';
    EXPECT_EQ(100000, big.GetLength());
}

TEST(CString, GetBufferAndReleaseBuffer)
{
    CString s("start");
    char* p = s.GetBuffer(MAX_PATH);
    EXPECT_STREQ("start", p) << "the buffer keeps the text";
    lstrcpyA(p, "C:\\folder\\file.dwg");
    s.ReleaseBuffer();
    EXPECT_EQ(18, s.GetLength());
    EXPECT_STREQ("C:\\folder\\file.dwg", s);

    p = s.GetBuffer(4);
    s.ReleaseBuffer(2);
    EXPECT_STREQ("C:", s);

    // An unterminated buffer ends at its size, never past it.
    CString raw;
    p = raw.GetBuffer(8);
    memset(p, 'x', 9);
    raw.ReleaseBuffer(-1);
    EXPECT_EQ(8, raw.GetLength());

    // A length beyond the buffer is cut to it.
    raw.GetBuffer(3);
    raw.ReleaseBuffer(1000000);
    EXPECT_EQ(8, raw.GetLength());

    CString t;
    p = t.GetBufferSetLength(3);
    p[0] = 'a';
    p[1] = 'b';
    p[2] = 'c';
    t.ReleaseBuffer();
    EXPECT_STREQ("abc", t);

    // GetBuffer on a shared string writes to a private copy.
    CString u("one");
    CString v = u;
    u.GetBuffer(10)[0] = 'O';
    u.ReleaseBuffer();
    EXPECT_STREQ("one", v);
    EXPECT_STREQ("One", u);
}

TEST(CString, ExtractionClampsCountsAndIndices)
{
    const CString s("0123456789");
    const struct {
        CString actual;
        const char* expected;
    } cases[] = {
        {s.Left(3), "012"},         {s.Left(-1), ""},          {s.Left(99), "0123456789"},
        {s.Right(3), "789"},        {s.Right(-5), ""},         {s.Right(99), "0123456789"},
        {s.Mid(7), "789"},          {s.Mid(10), ""},           {s.Mid(99), ""},
        {s.Mid(-3, 2), "01"},       {s.Mid(8, 99), "89"},      {s.Mid(2, 0), ""},
        {s.Mid(2, 0x7FFFFFFF), "23456789"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.expected, c.actual);
    EXPECT_EQ('\0', s.GetAt(10)) << "the terminator may be read";
    EXPECT_THROW(s.GetAt(11), CInvalidArgException*);
    try {
        s.GetAt(-1);
        ADD_FAILURE() << "no exception";
    } catch (CException* e) {
        EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CInvalidArgException)));
        e->Delete();
    }
}

TEST(CString, Searches)
{
    const CString path("C:\\dir.old\\name.ext.dwg");
    EXPECT_EQ(6, path.Find('.'));
    EXPECT_EQ(15, path.Find('.', 7));
    EXPECT_EQ(-1, path.Find('.', 100));
    EXPECT_EQ(-1, path.Find('\0'));
    EXPECT_EQ(19, path.ReverseFind('.'));
    EXPECT_EQ(10, path.ReverseFind('\\'));
    EXPECT_EQ(-1, path.ReverseFind('#'));
    EXPECT_EQ(11, path.Find("name"));
    EXPECT_EQ(-1, path.Find("name", 12));
    EXPECT_EQ(20, path.Find("dwg", 20));
    EXPECT_EQ(-1, path.Find("dwgx"));
    EXPECT_EQ(2, path.FindOneOf("\\/"));
    EXPECT_EQ(-1, path.FindOneOf("#@"));
}

TEST(CString, Edits)
{
    CString s("a-b-c");
    EXPECT_EQ(2, s.Replace('-', '+'));
    EXPECT_STREQ("a+b+c", s);
    EXPECT_EQ(2, s.Replace("+", "--"));
    EXPECT_STREQ("a--b--c", s);
    EXPECT_EQ(0, s.Replace("", "x"));
    EXPECT_EQ(2, s.Replace("--", ""));
    EXPECT_STREQ("abc", s);
    EXPECT_EQ(1, s.Remove('b'));
    EXPECT_STREQ("ac", s);
    EXPECT_EQ(3, s.Insert(1, 'b'));
    EXPECT_EQ(5, s.Insert(99, "de"));
    EXPECT_EQ(6, s.Insert(-4, "_"));
    EXPECT_STREQ("_abcde", s);
    EXPECT_EQ(4, s.Delete(0, 2));
    EXPECT_EQ(4, s.Delete(10, 2));
    EXPECT_EQ(2, s.Delete(2, 99));
    EXPECT_STREQ("bc", s);

    CString t("  \t value \r\n");
    t.TrimLeft();
    EXPECT_STREQ("value \r\n", t);
    t.TrimRight();
    EXPECT_STREQ("value", t);
    t = "xxvaluexx";
    t.TrimLeft('x');
    t.TrimRight("xe");
    EXPECT_STREQ("valu", t);
    t = "Mixed Case 1";
    t.MakeUpper();
    EXPECT_STREQ("MIXED CASE 1", t);
    t.MakeLower();
    EXPECT_STREQ("mixed case 1", t);
}

TEST(CString, Comparisons)
{
    const CString a("Drawing.DWG");
    EXPECT_EQ(0, a.CompareNoCase("drawing.dwg"));
    EXPECT_LT(a.CompareNoCase("drawing.dxf"), 0);
    EXPECT_GT(a.CompareNoCase("drawing"), 0);
    EXPECT_LT(CString("abc").CompareNoCase("ABCD"), 0);
    EXPECT_NE(0, a.Compare("drawing.dwg"));
    EXPECT_TRUE(a == "Drawing.DWG");
    EXPECT_TRUE("Drawing.DWG" == a);
    EXPECT_TRUE(a != CString("x"));
    EXPECT_TRUE(CString("a") < CString("b"));
    EXPECT_TRUE(CString("b") >= "a");
    EXPECT_EQ(CString("ab") + 'c' + "d" + CString("e"), "abcde");
    EXPECT_EQ('x' + CString("y"), "xy");
    EXPECT_EQ(CString('-', 3), "---");
    EXPECT_EQ(CString(static_cast<LPCTSTR>(nullptr)), "");
    EXPECT_EQ(CString("abcdef", 3), "abc");
}

TEST(CString, LoadsFromTheStringTable)
{
    CString s;
    EXPECT_TRUE(s.LoadString(IDS_APP_TITLE));
    EXPECT_STREQ("Orvo DWG Viewer", s);
    EXPECT_FALSE(s.LoadString(0xFFF0));
    EXPECT_TRUE(s.IsEmpty());
    const CString fromId(MAKEINTRESOURCE(IDS_APP_TITLE));
    EXPECT_STREQ("Orvo DWG Viewer", fromId);
    CString formatted;
    formatted.Format(IDS_APP_TITLE);
    EXPECT_STREQ("Orvo DWG Viewer", formatted);
}

} // namespace
