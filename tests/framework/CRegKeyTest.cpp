// CRegKey round trips under a registry root private to the test process, and the refusals the
// settings code relies on (wrong types, short buffers, null texts).
#include "framework/CRegKey.h"

#include "framework/CString.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class CRegKeyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_root.Format("Software\\OrvoTest\\CRegKey-%lu-%s", GetCurrentProcessId(),
                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_EQ(ERROR_SUCCESS, m_key.Create(HKEY_CURRENT_USER, m_root));
    }
    void TearDown() override
    {
        m_key.Close();
        CRegKey parent;
        if (parent.Open(HKEY_CURRENT_USER, "Software\\OrvoTest") == ERROR_SUCCESS) {
            parent.RecurseDeleteKey(m_root.Mid(m_root.ReverseFind('\\') + 1));
            parent.Close();
            RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\OrvoTest"); // fails while others run
        }
    }

    CString m_root;
    CRegKey m_key;
};

TEST_F(CRegKeyTest, DwordRoundTripAndTypeCheck)
{
    EXPECT_EQ(ERROR_SUCCESS, m_key.SetValue(static_cast<DWORD>(0xCAFE), "Number"));
    DWORD value = 0;
    EXPECT_EQ(ERROR_SUCCESS, m_key.QueryValue(value, "Number"));
    EXPECT_EQ(0xCAFEu, value);

    ASSERT_EQ(ERROR_SUCCESS, m_key.SetValue("123", "Text"));
    const WORD shortValue = 7;
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(m_key, "Short", 0, REG_DWORD,
                                            reinterpret_cast<const BYTE*>(&shortValue), 2));
    const unsigned char wide[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(m_key, "Wide", 0, REG_BINARY, wide, sizeof(wide)));
    const struct {
        const char* name;
        LONG result;
    } cases[] = {
        {"Text", ERROR_INVALID_DATA},
        {"Short", ERROR_INVALID_DATA},
        {"Wide", ERROR_INVALID_DATA},
        {"Missing", ERROR_FILE_NOT_FOUND},
    };
    for (const auto& c : cases) {
        DWORD untouched = 42;
        EXPECT_EQ(c.result, m_key.QueryValue(untouched, c.name)) << c.name;
        EXPECT_EQ(42u, untouched) << c.name << ": a refused value leaves the default";
    }
    EXPECT_EQ(ERROR_SUCCESS, m_key.QueryDWORDValue("Number", value));
}

TEST_F(CRegKeyTest, StringRoundTripAlwaysTerminated)
{
    ASSERT_EQ(ERROR_SUCCESS, m_key.SetValue("C:\\Drawings", "LastViewPath"));
    char buffer[64];
    DWORD count = sizeof(buffer);
    ASSERT_EQ(ERROR_SUCCESS, m_key.QueryValue(buffer, "LastViewPath", &count));
    EXPECT_STREQ("C:\\Drawings", buffer);
    EXPECT_EQ(12u, count);

    // Exactly the text and its zero fits; one byte less does not.
    count = 12;
    EXPECT_EQ(ERROR_SUCCESS, m_key.QueryValue(buffer, "LastViewPath", &count));
    memset(buffer, 'x', sizeof(buffer));
    count = 11;
    EXPECT_EQ(ERROR_MORE_DATA, m_key.QueryValue(buffer, "LastViewPath", &count));
    EXPECT_EQ('\0', buffer[0]);
    EXPECT_GE(count, 12u);

    // Stored without a terminator: the reader adds one, or asks for room for it.
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(m_key, "Bare", 0, REG_SZ,
                                            reinterpret_cast<const BYTE*>("abcd"), 4));
    memset(buffer, 'x', sizeof(buffer));
    count = sizeof(buffer);
    ASSERT_EQ(ERROR_SUCCESS, m_key.QueryValue(buffer, "Bare", &count));
    EXPECT_STREQ("abcd", buffer);
    memset(buffer, 'x', sizeof(buffer));
    count = 4;
    EXPECT_EQ(ERROR_MORE_DATA, m_key.QueryValue(buffer, "Bare", &count));
    EXPECT_EQ('\0', buffer[0]);
    EXPECT_GE(count, 5u);

    ASSERT_EQ(ERROR_SUCCESS, m_key.SetValue(static_cast<DWORD>(5), "Number"));
    count = sizeof(buffer);
    EXPECT_EQ(ERROR_INVALID_DATA, m_key.QueryValue(buffer, "Number", &count));
    EXPECT_EQ('\0', buffer[0]);

    EXPECT_EQ(ERROR_INVALID_DATA, m_key.SetValue(static_cast<LPCTSTR>(nullptr), "Null"));
    count = sizeof(buffer);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, m_key.QueryValue(buffer, "Null", &count));

    ULONG chars = sizeof(buffer);
    EXPECT_EQ(ERROR_SUCCESS, m_key.QueryStringValue("LastViewPath", buffer, &chars));
    EXPECT_STREQ("C:\\Drawings", buffer);
}

TEST_F(CRegKeyTest, SubkeysDeletedDepthFirst)
{
    for (const char* path : {"Option\\Thumbnail", "Option\\Browser\\Deep\\Deeper", "main"}) {
        CRegKey sub;
        ASSERT_EQ(ERROR_SUCCESS, sub.Create(m_key, path));
        ASSERT_EQ(ERROR_SUCCESS, sub.SetValue(static_cast<DWORD>(1), "v"));
    }
    EXPECT_EQ(ERROR_SUCCESS, m_key.SetKeyValue("Option\\Raster", "jpg", "Format"));
    CRegKey check;
    EXPECT_EQ(ERROR_SUCCESS, check.Open(m_key, "Option\\Raster", KEY_READ));
    check.Close();

    // Deleting a key that has subkeys needs the recursive form.
    EXPECT_NE(ERROR_SUCCESS, m_key.DeleteSubKey("Option"));
    EXPECT_EQ(ERROR_SUCCESS, m_key.RecurseDeleteKey("Option"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, check.Open(m_key, "Option", KEY_READ));
    EXPECT_EQ(ERROR_SUCCESS, check.Open(m_key, "main"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, m_key.RecurseDeleteKey("Option"));

    EXPECT_EQ(ERROR_SUCCESS, check.DeleteValue("v"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, check.DeleteValue("v"));
}

TEST_F(CRegKeyTest, OwnershipMovesAndFailedOpenKeepsTheKey)
{
    DWORD disposition = 0;
    CRegKey a;
    ASSERT_EQ(ERROR_SUCCESS,
              a.Create(m_key, "Owned", nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                       nullptr, &disposition));
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
    const HKEY held = a.m_hKey;
    EXPECT_NE(ERROR_SUCCESS, a.Open(m_key, "Missing"));
    EXPECT_EQ(held, a.m_hKey) << "a failed open keeps the key held before";

    CRegKey b(std::move(a));
    EXPECT_EQ(nullptr, a.m_hKey);
    EXPECT_EQ(held, b.m_hKey);
    CRegKey c;
    c = std::move(b);
    EXPECT_EQ(held, c.m_hKey);
    const HKEY detached = c.Detach();
    EXPECT_EQ(nullptr, c.m_hKey);
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(detached));
    EXPECT_EQ(ERROR_SUCCESS, c.Close()) << "closing an empty key is harmless";
}

} // namespace
