// String values as the program reads them: whole whatever their length, always terminated, and
// only when they are stored as strings.
#include "core/RegistryRoot.h"
#include "core/RegistryValues.h"
#include "tests/core/RegistryRootScope.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class RegistryValuesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(key.Create(HKEY_CURRENT_USER, root.Key().c_str(), REG_NONE,
                             REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE),
                  ERROR_SUCCESS);
    }
    void SetRaw(const char* name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
    }

    RegistryRootScope root;
    CRegKey key;
};

TEST_F(RegistryValuesTest, StringsAreReadWholeAndTerminated)
{
    const std::string longText(3000, 'p');
    SetRaw("long", REG_SZ, longText.c_str(), static_cast<DWORD>(longText.size() + 1));
    SetRaw("unterminated", REG_SZ, "abcd", 4);
    SetRaw("expand", REG_EXPAND_SZ, "%TEMP%", 7);
    SetRaw("", REG_SZ, "default", 8);
    CString value;
    ASSERT_TRUE(QueryStringValue(key, "long", value));
    EXPECT_EQ(std::string(value), longText);
    ASSERT_TRUE(QueryStringValue(key, "unterminated", value));
    EXPECT_STREQ(value, "abcd");
    ASSERT_TRUE(QueryStringValue(key, "expand", value));
    EXPECT_STREQ(value, "%TEMP%");
    ASSERT_TRUE(QueryStringValue(key, nullptr, value));
    EXPECT_STREQ(value, "default");
}

TEST_F(RegistryValuesTest, OtherTypesAndMissingValuesLeaveTheString)
{
    const DWORD number = 5;
    SetRaw("number", REG_DWORD, &number, sizeof(number));
    const std::string huge(100 * 1024, 'h');
    SetRaw("huge", REG_SZ, huge.c_str(), static_cast<DWORD>(huge.size() + 1));
    CString value = "kept";
    EXPECT_FALSE(QueryStringValue(key, "number", value));
    EXPECT_FALSE(QueryStringValue(key, "missing", value));
    EXPECT_FALSE(QueryStringValue(key, "huge", value)) << "beyond any setting of the program";
    EXPECT_STREQ(value, "kept");
}

} // namespace

namespace {

struct RootCase
{
    const char* value;
    const char* key; // null: refused
};

class RegistryRootForms : public ::testing::TestWithParam<RootCase> {};

TEST_P(RegistryRootForms, EachFormIsTakenWholeOrRefused)
{
    const RootCase& c = GetParam();
    CString key = "left";
    CString root = "left";
    const bool taken = ParseRegistryRoot(c.value, "Orvo DWG Viewer", key, root);
    EXPECT_EQ(taken, c.key != nullptr);
    if (c.key == nullptr) {
        EXPECT_TRUE(key.IsEmpty());
        EXPECT_TRUE(root.IsEmpty());
        return;
    }
    EXPECT_STREQ(key, c.key);
    EXPECT_STREQ(root, CString("Software\\") + c.key + "\\Orvo DWG Viewer\\");
}

INSTANTIATE_TEST_SUITE_P(
    Values, RegistryRootForms,
    ::testing::Values(RootCase{"Software\\Name", "Name"}, RootCase{"Software\\Name\\", "Name"},
                      RootCase{"software\\Name", "Name"}, RootCase{"Software\\A\\B", "A\\B"},
                      RootCase{"Software\\A\\B\\Orvo DWG Viewer\\", "A\\B"},
                      RootCase{"Software\\A\\Orvo DWG Viewer", "A"}, RootCase{"Software\\", nullptr},
                      RootCase{"Software", nullptr}, RootCase{"", nullptr}, RootCase{"Name", nullptr},
                      RootCase{"HKEY_CURRENT_USER\\Software\\Name", nullptr}, RootCase{"Software\\\\Name", nullptr},
                      RootCase{"Software\\A\\\\B", nullptr}, RootCase{"Software\\Orvo DWG Viewer", "Orvo DWG Viewer"},
                      RootCase{"Software\\Na*me", nullptr}));

} // namespace
