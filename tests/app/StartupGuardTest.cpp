// The mark of an unfinished start: what a reset removes and keeps, a clean start, and two starts
// that overlap or follow a start that died.
#include "app/CStartupGuard.h"
#include "tests/core/RegistryRootScope.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

class StartupGuardTest : public ::testing::Test
{
protected:
    // A root with settings in subkeys (one nested), a value in the root itself and the guard key.
    void SeedSettings()
    {
        m_root.SetDword("Option\\Thumbnail", "ThumbWidth", 200);
        m_root.SetString("main", "LastViewPath", "C:\\drawings");
        m_root.SetDword("", "RootValue", 7);
        m_root.SetDword("InitFlag", "Other", 3);
    }
    void MarkUnfinishedStart() { m_root.SetDword("InitFlag", "InitFlag", 1); }
    bool HasKey(const std::string& subkey) const
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, m_root.Path(subkey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
    bool IsMarked() const
    {
        DWORD type = 0;
        m_root.GetDword("InitFlag", "InitFlag", &type);
        return type == REG_DWORD;
    }
    bool SettingsKept() const { return HasKey("Option\\Thumbnail") && HasKey("main"); }

    RegistryRootScope m_root;
};

TEST_F(StartupGuardTest, MarkLeftByUnfinishedStartResetsEverySubkeyButTheGuardOnly)
{
    SeedSettings();
    MarkUnfinishedStart();

    CStartupGuard guard(g_strRegistryRoot);
    EXPECT_TRUE(guard.Begin());

    EXPECT_FALSE(HasKey("Option"));
    EXPECT_FALSE(HasKey("main"));
    EXPECT_TRUE(HasKey("InitFlag"));
    EXPECT_EQ(m_root.GetDword("InitFlag", "Other"), 3u);
    EXPECT_EQ(m_root.GetDword("", "RootValue"), 7u) << "values of the root itself stay";
    EXPECT_TRUE(IsMarked()) << "marked while this start runs";

    guard.Finish();
    EXPECT_FALSE(IsMarked());
    EXPECT_TRUE(HasKey("InitFlag"));
}

TEST_F(StartupGuardTest, CleanStartKeepsSettingsAndLeavesNoMark)
{
    SeedSettings();

    CStartupGuard guard(g_strRegistryRoot);
    EXPECT_FALSE(guard.Begin());
    EXPECT_TRUE(IsMarked());
    guard.Finish();

    EXPECT_TRUE(SettingsKept());
    EXPECT_FALSE(IsMarked());
}

TEST_F(StartupGuardTest, MarkStoredAsAnotherTypeIsNoMark)
{
    SeedSettings();
    m_root.SetString("InitFlag", "InitFlag", "1");

    CStartupGuard guard(g_strRegistryRoot);
    EXPECT_FALSE(guard.Begin());
    EXPECT_TRUE(IsMarked()) << "this start's own mark replaces it";
    guard.Finish();
    EXPECT_TRUE(SettingsKept());
    EXPECT_FALSE(IsMarked());
}

TEST_F(StartupGuardTest, SecondStartDuringFirstWaitsAndWipesNothing)
{
    SeedSettings();
    CStartupGuard first(g_strRegistryRoot);
    ASSERT_FALSE(first.Begin());

    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    bool secondReset = true;
    const CString root = g_strRegistryRoot;
    std::thread second([&] {
        CStartupGuard guard(root);
        SetEvent(ready);
        secondReset = guard.Begin(10000);
        guard.Finish();
    });
    ASSERT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0);
    // Give the second start the chance to look at the mark while the first still holds it; an
    // unserialised guard would take the first start's mark for a dead start here.
    Sleep(300);
    EXPECT_TRUE(SettingsKept());
    first.Finish();
    second.join();
    CloseHandle(ready);

    EXPECT_FALSE(secondReset);
    EXPECT_TRUE(SettingsKept());
    EXPECT_FALSE(IsMarked());
}

TEST_F(StartupGuardTest, StartAfterOneThatDiedWhileStartingResets)
{
    SeedSettings();
    const CString root = g_strRegistryRoot;
    auto dead = std::make_unique<CStartupGuard>(root);
    // The thread ends holding the guard without finishing, as a start that crashed.
    std::thread([&] { dead->Begin(); }).join();

    CStartupGuard next(root);
    EXPECT_TRUE(next.Begin(10000));
    next.Finish();
    EXPECT_FALSE(SettingsKept());
    EXPECT_FALSE(IsMarked());
}

} // namespace
