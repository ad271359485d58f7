// Locale pictures become strftime patterns: fields translated, quoted text and percent signs kept
// literal, and the formatted text never cut or overrun; cell numbers and durations in a locale.
#include "ui/CLocaleInfo.h"
#include "ui/ListCellFormat.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct PictureCase
{
    const char* picture;
    const char* pattern;
};

const PictureCase kPictures[] = {
    // en-US
    {"M/d/yyyy", "%#m/%#d/%Y"},
    {"h:mm:ss tt", "%#I:%M:%S %p"},
    {"dddd, MMMM d, yyyy", "%A, %B %#d, %Y"},
    // de-DE
    {"dd.MM.yy", "%d.%m.%y"},
    {"dd.MM.yyyy", "%d.%m.%Y"},
    {"dddd, d. MMMM yyyy", "%A, %#d. %B %Y"},
    {"HH:mm:ss", "%H:%M:%S"},
    // ja-JP style, with the kanji replaced by quoted ASCII text
    {"yyyy/MM/dd", "%Y/%m/%d"},
    {"yyyy'nen'M'gatsu'd'nichi'", "%Ynen%#mgatsu%#dnichi"},
    {"H:mm:ss", "%#H:%M:%S"},
    {"tt h:mm", "%p %#I:%M"},
    // forms that would reach strftime raw otherwise
    {"ddd d MMM", "%a %#d %b"},
    {"h t", "%#I %p"},
    {"H:m:s", "%#H:%#M:%#S"},
    {"d'%'", "%#d%%"},
    {"d%", "%#d%%"},
    {"'100%' yyyy", "100%% %Y"},
    {"'It''s' H", "It's %#H"},
    {"'%Y%n' d", "%%Y%%n %#d"},
    {"H 'open", "%#H open"},
    {"gg yyyy", " %Y"},
    {"", ""},
};

TEST(CLocaleInfo, PicturesBecomeStrftimePatterns)
{
    for (const PictureCase& c : kPictures)
        EXPECT_STREQ(CLocaleInfo::ToStrftime(c.picture), c.pattern) << c.picture;
    EXPECT_STREQ(CLocaleInfo::ToStrftime(nullptr), "");
}

struct FormatCase
{
    const char* shortDate;
    const char* time;
    const char* expected;
};

TEST(CLocaleInfo, FormatsDatesInEachLocaleStyle)
{
    const FormatCase cases[] = {
        {"M/d/yyyy", "h:mm:ss tt", "3/5/2024 2:07:09 PM"},
        {"dd.MM.yyyy", "HH:mm:ss", "05.03.2024 14:07:09"},
        {"yyyy'y'M'm'd'd'", "H:mm:ss", "2024y3m5d 14:07:09"},
        {"d'%' ddd", "H'h'", "5% Tue 14h"},
        {"'%s%s%s%n' yyyy", "tt", "%s%s%s%n 2024 PM"},
    };
    const COleDateTime date(2024, 3, 5, 14, 7, 9);
    for (const FormatCase& c : cases) {
        const CLocaleInfo locale("-", ".", ",", c.shortDate, c.time);
        EXPECT_STREQ(locale.FormatDateTime(date), c.expected) << c.shortDate;
    }
}

TEST(CLocaleInfo, NullInvalidAndLongResults)
{
    const CLocaleInfo locale("-", ".", ",", "M/d/yyyy", "H:mm");
    COleDateTime null;
    null.SetStatus(COleDateTime::null);
    EXPECT_STREQ(locale.FormatDateTime(null), "");
    COleDateTime invalid;
    invalid.SetStatus(COleDateTime::invalid);
    EXPECT_STREQ(locale.FormatDateTime(invalid), "Invalid DateTime");
    EXPECT_STREQ(locale.FormatFileTime(nullptr), "Invalid DateTime");
    const FILETIME never = {0xFFFFFFFF, 0xFFFFFFFF};
    EXPECT_STREQ(locale.FormatFileTime(&never), "Invalid DateTime");

    // A picture whose result is far longer than any fixed buffer comes back whole.
    std::string picture;
    for (int i = 0; i < 300; ++i)
        picture += "dddd ";
    const CLocaleInfo wordy("-", ".", ",", picture.c_str(), "H");
    const CString text = wordy.FormatDateTime(COleDateTime(2024, 3, 5, 0, 0, 0));
    EXPECT_EQ(text.GetLength(), 300 * 8 + 1 + 1) << "Tuesday x300 and the time";
}

struct NumberCase
{
    const char* text;
    const char* grouped;
};

TEST(ListCellFormat, GroupsThousandsWithTheSignSetAside)
{
    const CLocaleInfo english("-", ".", ",", "M/d/yyyy", "H:mm");
    const NumberCase english_cases[] = {
        {"12345.25", "12,345.25"}, {"123", "123"},       {"", ""},           {"-1234", "-1,234"},
        {"-123.5", "-123.5"},      {"-1234.5", "-1,234.5"}, {"1234567", "1,234,567"},
        {"abc1234", "abc1234"},    {"+1234", "+1,234"},  {"5000000000", "5,000,000,000"},
    };
    for (const NumberCase& c : english_cases)
        EXPECT_STREQ(orvo::listcell::GroupThousands(c.text, english), c.grouped) << c.text;
    const CLocaleInfo german("-", ",", ".", "dd.MM.yyyy", "HH:mm");
    const NumberCase german_cases[] = {
        {"-1,5", "-1,5"}, {"-12345,5", "-12.345,5"}, {"1234567", "1.234.567"}, {"-,123", "-,123"},
    };
    for (const NumberCase& c : german_cases)
        EXPECT_STREQ(orvo::listcell::GroupThousands(c.text, german), c.grouped) << c.text;

    const std::string digits128(128, '9');
    const std::string digits129(129, '9');
    EXPECT_EQ(orvo::listcell::GroupThousands(digits128.c_str(), english).GetLength(), 128 + 42);
    EXPECT_STREQ(orvo::listcell::GroupThousands(digits129.c_str(), english), digits129.c_str());
}

TEST(ListCellFormat, SecondsAsMinutesAndSeconds)
{
    const CLocaleInfo english("-", ".", ",", "M/d/yyyy", "H:mm");
    const NumberCase cases[] = {
        {"0", "0"},       {"65", "1:05"},      {"125", "2:05"}, {"-65", "-1:05"},
        {"3600", "60:00"}, {"abc", "abc"},     {"59.9", "0:59"}, {"", ""},
    };
    for (const NumberCase& c : cases)
        EXPECT_STREQ(orvo::listcell::SecondsAsMinutes(c.text, english), c.grouped) << c.text;
    const CLocaleInfo german("-", ",", ".", "dd.MM.yyyy", "HH:mm");
    EXPECT_STREQ(orvo::listcell::SecondsAsMinutes("65,5", german), "1:05");
    EXPECT_STREQ(orvo::listcell::SecondsAsMinutes("1e300", english), "1e300");
}

} // namespace
