// The application's profile under a registry key of the test's own: round trips of numbers,
// texts and binary blocks, values of the wrong type, deleted entries and sections, and the
// recent-file list.
#include "framework/AfxWin.h"
#include "framework/CProfileSection.h"
#include "tests/framework/WindowTestApp.h"

#include <gtest/gtest.h>

#include <memory>

extern CWindowTestApp theTestApp;

namespace {

class WinAppProfileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_strKey.Format("OrvoKestalTest-%lu", ::GetCurrentProcessId());
        theTestApp.SetRegistryKey(m_strKey);
    }
    void TearDown() override
    {
        CString strPath("Software\\");
        strPath += m_strKey;
        ::RegDeleteTreeA(HKEY_CURRENT_USER, strPath);
    }
    // Writes a raw value of any type under the application's section.
    void WriteRaw(LPCSTR lpszSection, LPCSTR lpszEntry, DWORD dwType, const void* pData, DWORD cb)
    {
        const HKEY hKey = theTestApp.GetSectionKey(lpszSection);
        ASSERT_NE(nullptr, hKey);
        ::RegSetValueExA(hKey, lpszEntry, 0, dwType, static_cast<const BYTE*>(pData), cb);
        ::RegCloseKey(hKey);
    }
    // A text, a number stored in too few bytes and a whole number (9) under the section.
    void WriteMixedValues(LPCSTR lpszSection)
    {
        WriteRaw(lpszSection, "Text", REG_SZ, "12", 3);
        const WORD shortValue = 5;
        WriteRaw(lpszSection, "Short", REG_DWORD, &shortValue, sizeof(shortValue));
        const DWORD number = 9;
        WriteRaw(lpszSection, "Number", REG_DWORD, &number, sizeof(number));
    }
    // Whether HKCU\Software\<key>\<application name>\<section> exists.
    bool SectionExists(LPCSTR lpszSection) const
    {
        CString strPath;
        strPath.Format("Software\\%s\\Orvo Window Tests\\%s", static_cast<LPCSTR>(m_strKey), lpszSection);
        HKEY hKey = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, strPath, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(hKey);
        return true;
    }

    CString m_strKey;
};

TEST_F(WinAppProfileTest, ValuesRoundTripUnderSoftwareKeyAppName)
{
    EXPECT_TRUE(theTestApp.WriteProfileInt("Settings", "Count", -7));
    EXPECT_TRUE(theTestApp.WriteProfileString("Settings", "Name", "Drawings\\A.dwg"));
    BYTE data[5] = {1, 0, 2, 0xFF, 3};
    EXPECT_TRUE(theTestApp.WriteProfileBinary("Settings", "Blob", data, sizeof(data)));

    EXPECT_EQ(static_cast<UINT>(-7), theTestApp.GetProfileInt("Settings", "Count", 3));
    EXPECT_STREQ("Drawings\\A.dwg", theTestApp.GetProfileString("Settings", "Name"));
    LPBYTE pData = nullptr;
    UINT nBytes = 0;
    ASSERT_TRUE(theTestApp.GetProfileBinary("Settings", "Blob", &pData, &nBytes));
    const std::unique_ptr<BYTE[]> owned(pData);
    ASSERT_EQ(sizeof(data), nBytes);
    EXPECT_EQ(0, memcmp(data, pData, sizeof(data)));

    // The place is HKCU\Software\<key>\<application name>\<section>.
    EXPECT_TRUE(SectionExists("Settings"));
}

TEST_F(WinAppProfileTest, MissingOrWronglyTypedValuesGiveTheDefault)
{
    WriteMixedValues("Bad");
    // A text stored without its terminating zero is still read whole and nothing past it.
    WriteRaw("Bad", "Unterminated", REG_SZ, "abc", 3);
    struct Case
    {
        LPCSTR entry;
        UINT expected;
    };
    const Case cases[] = {{"Text", 42}, {"Short", 42}, {"Missing", 42}};
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, theTestApp.GetProfileInt("Bad", c.entry, 42)) << c.entry;
    EXPECT_STREQ("fallback", theTestApp.GetProfileString("Bad", "Number", "fallback"));
    EXPECT_STREQ("abc", theTestApp.GetProfileString("Bad", "Unterminated"));
    LPBYTE pData = nullptr;
    UINT nBytes = 1;
    EXPECT_FALSE(theTestApp.GetProfileBinary("Bad", "Text", &pData, &nBytes));
    EXPECT_EQ(nullptr, pData);
    EXPECT_EQ(0u, nBytes);
}

// A section opened once for a run of reads answers each entry as GetProfileInt does, also for a
// section that does not exist yet (which both make).
TEST_F(WinAppProfileTest, SectionReadsAnswerAsGetProfileInt)
{
    WriteMixedValues("Run");
    const DWORD negative = static_cast<DWORD>(-3);
    WriteRaw("Run", "Negative", REG_DWORD, &negative, sizeof(negative));
    for (LPCSTR sectionName : {"Run", "NotThereYet"}) {
        const CProfileSection section(&theTestApp, sectionName);
        for (LPCSTR entry : {"Text", "Short", "Number", "Negative", "Missing"})
            EXPECT_EQ(theTestApp.GetProfileInt(sectionName, entry, 42), section.GetInt(entry, 42))
                << sectionName << " " << entry;
    }
    EXPECT_EQ(9u, CProfileSection(&theTestApp, "Run").GetInt("Number", 42));
    EXPECT_EQ(42u, CProfileSection(nullptr, "Run").GetInt("Number", 42));
    EXPECT_TRUE(SectionExists("NotThereYet"));
}

TEST_F(WinAppProfileTest, NullEntryDeletesTheSectionAndNullValueTheEntry)
{
    theTestApp.WriteProfileString("Gone", "A", "1");
    theTestApp.WriteProfileString("Gone", "B", "2");
    EXPECT_TRUE(theTestApp.WriteProfileString("Gone", "A", nullptr));
    EXPECT_STREQ("-", theTestApp.GetProfileString("Gone", "A", "-"));
    EXPECT_STREQ("2", theTestApp.GetProfileString("Gone", "B", "-"));
    EXPECT_TRUE(theTestApp.WriteProfileString("Gone", nullptr, nullptr));
    EXPECT_STREQ("-", theTestApp.GetProfileString("Gone", "B", "-"));
}

TEST_F(WinAppProfileTest, RecentFileListKeepsTheNewestFourAndSurvivesARestart)
{
    theTestApp.LoadStdProfileSettings(4);
    ASSERT_NE(nullptr, theTestApp.m_pRecentFileList);
    for (LPCSTR path : {"C:\\a.dwg", "C:\\b.dwg", "C:\\c.dwg", "C:\\d.dwg", "C:\\e.dwg", "c:\\B.DWG"})
        theTestApp.AddToRecentFileList(path);
    theTestApp.SaveStdProfileSettings();

    theTestApp.LoadStdProfileSettings(4);
    const CRecentFileList& list = *theTestApp.m_pRecentFileList;
    ASSERT_EQ(4, list.GetSize());
    EXPECT_STREQ("c:\\B.DWG", list[0]); // the same file again moves up, with its new spelling
    EXPECT_STREQ("C:\\e.dwg", list[1]);
    EXPECT_STREQ("C:\\d.dwg", list[2]);
    EXPECT_STREQ("C:\\c.dwg", list[3]);
    EXPECT_STREQ("C:\\e.dwg", theTestApp.GetProfileString("Recent File List", "File2"));
    theTestApp.m_pRecentFileList.reset();
}

} // namespace
