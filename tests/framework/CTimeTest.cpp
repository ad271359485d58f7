// CTime, CTimeSpan and COleDateTime: conversions from the system's time forms, formatting, and
// the refusal of times that cannot be represented.
#include "framework/COleDateTime.h"
#include "framework/CTime.h"

#include "framework/CException.h"

#include <gtest/gtest.h>

namespace {

TEST(CTime, ComponentsRoundTripInLocalTime)
{
    const CTime t(2021, 3, 14, 15, 9, 26);
    EXPECT_EQ(2021, t.GetYear());
    EXPECT_EQ(3, t.GetMonth());
    EXPECT_EQ(14, t.GetDay());
    EXPECT_EQ(15, t.GetHour());
    EXPECT_EQ(9, t.GetMinute());
    EXPECT_EQ(26, t.GetSecond());
    EXPECT_EQ(1, t.GetDayOfWeek()) << "a Sunday";
    EXPECT_STREQ("2021-03-14 15:09:26", t.Format("%Y-%m-%d %H:%M:%S"));

    SYSTEMTIME st;
    ASSERT_TRUE(t.GetAsSystemTime(st));
    EXPECT_EQ(t, CTime(st));

    // A file time is UTC; CTime shows it in local time, and the instant is kept.
    FILETIME local, utc;
    ASSERT_TRUE(SystemTimeToFileTime(&st, &local));
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
    EXPECT_EQ(t, CTime(utc));
    EXPECT_TRUE(CTime::IsValidFILETIME(utc));
}

TEST(CTime, ArithmeticAndSpans)
{
    const CTime start(1700000000);
    const CTime later = start + CTimeSpan(1, 2, 3, 4);
    const CTimeSpan span = later - start;
    EXPECT_EQ(1, span.GetDays());
    EXPECT_EQ(2, span.GetHours());
    EXPECT_EQ(3, span.GetMinutes());
    EXPECT_EQ(4, span.GetSeconds());
    EXPECT_EQ(26, span.GetTotalHours());
    EXPECT_EQ(93784, span.GetTotalSeconds());
    EXPECT_STREQ("1 days 02:03:04 100%", span.Format("%D days %H:%M:%S 100%%"));
    EXPECT_TRUE(later > start);
    EXPECT_EQ(start, later - span);
    EXPECT_GT(CTime::GetCurrentTime().GetTime(), 1600000000);
    EXPECT_STREQ("2023-11-14 22:13:20", start.FormatGmt("%Y-%m-%d %H:%M:%S"));
}

TEST(CTime, UnrepresentableTimesAreRefused)
{
    const FILETIME zero = {0, 0}; // 1601: before the CTime range
    EXPECT_FALSE(CTime::IsValidFILETIME(zero));
    const FILETIME huge = {0xFFFFFFFF, 0x7FFFFFFF};
    EXPECT_FALSE(CTime::IsValidFILETIME(huge));
    const struct {
        int y, mo, d, h, mi, s;
    } bad[] = {{1969, 1, 1, 0, 0, 0}, {2020, 13, 1, 0, 0, 0}, {2020, 1, 0, 0, 0, 0},
               {2020, 1, 1, 24, 0, 0}, {2020, 1, 1, 0, 60, 0}};
    for (const auto& b : bad) {
        try {
            CTime t(b.y, b.mo, b.d, b.h, b.mi, b.s);
            ADD_FAILURE() << b.y << "-" << b.mo << "-" << b.d << " accepted";
        } catch (CInvalidArgException* e) {
            e->Delete();
        }
    }
    EXPECT_THROW(CTime{zero}, CInvalidArgException*);
    // A time that cannot be broken down formats as nothing and has no fields.
    const CTime negative(-1000000000000LL);
    EXPECT_STREQ("", negative.Format("%Y"));
    EXPECT_EQ(0, negative.GetYear());
}

TEST(COleDateTime, FormatsLikeTheLocalePictures)
{
    const COleDateTime dt(2009, 7, 4, 8, 5, 9);
    ASSERT_EQ(COleDateTime::valid, dt.GetStatus());
    EXPECT_STREQ("7/4/2009", dt.Format("%#m/%#d/%Y"));
    EXPECT_STREQ("8:05:09 AM", dt.Format("%#I:%M:%S %p"));
    EXPECT_STREQ("04.07.09", dt.Format("%d.%m.%y"));
    EXPECT_EQ(7, dt.GetDayOfWeek()) << "a Saturday";

    COleDateTime nullDate;
    nullDate.SetStatus(COleDateTime::null);
    EXPECT_STREQ("", nullDate.Format("%Y"));
    COleDateTime bad(2009, 2, 30, 0, 0, 0);
    EXPECT_EQ(COleDateTime::invalid, bad.GetStatus());
    EXPECT_STREQ("Invalid DateTime", bad.Format("%Y"));
    EXPECT_EQ(1, bad.SetDateTime(99, 1, 1, 0, 0, 0));
}

TEST(COleDateTime, FromFileTimeAndTime)
{
    SYSTEMTIME st = {2015, 12, 0, 31, 23, 59, 58, 500};
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
    const COleDateTime fromFile(ft);
    ASSERT_EQ(COleDateTime::valid, fromFile.GetStatus());
    EXPECT_STREQ("2015-12-31 23:59:58", fromFile.Format("%Y-%m-%d %H:%M:%S"));

    const FILETIME beyond = {0xFFFFFFFF, 0xFFFFFFFF};
    EXPECT_EQ(COleDateTime::invalid, COleDateTime(beyond).GetStatus());

    const CTime t(2030, 1, 2, 3, 4, 5);
    EXPECT_STREQ("2030-01-02 03:04:05", COleDateTime(t.GetTime()).Format("%Y-%m-%d %H:%M:%S"));
}

} // namespace
