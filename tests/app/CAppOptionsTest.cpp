// The settings record against a registry root of this test process: defaults from an empty
// registry, the clamps and the REG_DWORD rule, the save/load round trip, the derived colours, the
// thumbnail-cache options and the CAD support folders lookup.
#include "core/AcadSupportFolders.h"
#include "core/CAppOptions.h"
#include "app/CacheOptions.h"
#include "app/OptionsStore.h"
#include "core/FileUtils.h"
#include "tests/core/RegistryRootScope.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CAppOptions, EmptyRegistryGivesTheDefaults)
{
    RegistryRootScope root;
    CAppOptions options;
    options.Load();
    EXPECT_EQ(options.BackGroundColor, 0);
    EXPECT_EQ(options.SortType, 0);
    EXPECT_EQ(options.ThumbWidth, 170);
    EXPECT_EQ(options.ThumbHeight, 130);
    EXPECT_EQ(options.ThumbBorder, 5);
    EXPECT_TRUE(options.SystemColor);
    EXPECT_EQ(options.ListCtrlColor, 0x808080u);
    EXPECT_EQ(options.ThumbnailColor, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(options.ThumbLightColor, GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(options.ThumbDarkColor, GetSysColor(COLOR_BTNSHADOW));
    EXPECT_TRUE(options.ReadBitmapFromDwg);
    EXPECT_TRUE(options.ReadBitmapFromRaster);
    EXPECT_TRUE(options.ForceUseLibSize);
    EXPECT_EQ(options.DrawTextQickly, 0);
    EXPECT_EQ(options.FillOn, 1);
    EXPECT_TRUE(options.ZoomExtend);
    EXPECT_FALSE(options.PreviewZoomExtend);
    EXPECT_TRUE(options.ShowPathBox);
    EXPECT_TRUE(options.ShowStatus);
    EXPECT_TRUE(options.ShowToolBar);
    EXPECT_TRUE(options.ShowFullPath);
    EXPECT_TRUE(options.StartPreviousFolder);
    EXPECT_TRUE(options.ShowNoneDrawingFile);
    EXPECT_FALSE(options.OnlyShowDrawing);
    EXPECT_TRUE(options.SortDir);
    EXPECT_TRUE(options.ConstrainProportion);
    EXPECT_TRUE(options.DBClickOpenByOrvoKestal);
    EXPECT_TRUE(options.HighLight);
    EXPECT_FALSE(options.PreviewHalfTone);
    EXPECT_EQ(options.IsWindowsNT, (GetVersion() & 0x80000000u) == 0);
}

TEST(CAppOptions, LoadClampsAndTakesOnlyDwords)
{
    struct Case
    {
        const char* subkey;
        const char* name;
        DWORD stored; // as REG_DWORD
        int CAppOptions::*field;
        int loaded;
    };
    const Case cases[] = {
        {"Option\\Thumbnail", "ThumbWidth", 500, &CAppOptions::ThumbWidth, 250},
        {"Option\\Thumbnail", "ThumbWidth", 10, &CAppOptions::ThumbWidth, 80},
        {"Option\\Thumbnail", "ThumbWidth", 0xFFFFFFFF, &CAppOptions::ThumbWidth, 80},
        {"Option\\Thumbnail", "ThumbHeight", 200, &CAppOptions::ThumbHeight, 200},
        {"Option\\Thumbnail", "ThumbBorder", 20, &CAppOptions::ThumbBorder, 10},
        {"Option\\Thumbnail", "ThumbBorder", 1, &CAppOptions::ThumbBorder, 5},
        {"Option\\Browser", "SortType", 0xFFFFFFFF, &CAppOptions::SortType, 0},
        {"Option\\Browser", "SortType", 9, &CAppOptions::SortType, 3},
        {"Option\\Browser", "SortType", 2, &CAppOptions::SortType, 2},
        {"Option\\DwgDraw", "BackGroundColor", 0x12340007, &CAppOptions::BackGroundColor, 7},
        {"Option\\DwgDraw", "BackGroundColor", 0x0000FFFF, &CAppOptions::BackGroundColor, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " " << c.stored);
        RegistryRootScope root;
        root.SetDword(c.subkey, c.name, c.stored);
        CAppOptions options;
        options.Load();
        EXPECT_EQ(options.*c.field, c.loaded);
    }

    RegistryRootScope root;
    root.SetString("Option\\Thumbnail", "ThumbWidth", "200");
    root.SetString("Option\\Browser", "ShowStatus", "0");
    const BYTE shortValue[2] = {0, 0};
    SHSetValueA(HKEY_CURRENT_USER, root.Path("Option\\Browser").c_str(), "ShowToolBar",
                REG_BINARY, shortValue, sizeof(shortValue));
    CAppOptions options;
    options.Load();
    EXPECT_EQ(options.ThumbWidth, 170) << "a string is not a DWORD";
    EXPECT_TRUE(options.ShowStatus);
    EXPECT_TRUE(options.ShowToolBar);
}

TEST(CAppOptions, BooleansTakeAnyNonZeroAndLeaveOtherFields)
{
    RegistryRootScope root;
    root.SetDword("Option", "ConstrainProportion", 0);
    root.SetDword("Option\\DwgDraw", "DrawTextQickly", 7);
    root.SetDword("Option\\Raster", "PreviewHalfTone", 0x100);
    CAppOptions options;
    options.ThumbWidth = 99;
    options.Load();
    EXPECT_FALSE(options.ConstrainProportion);
    EXPECT_EQ(options.DrawTextQickly, 1);
    EXPECT_TRUE(options.PreviewHalfTone);
    EXPECT_EQ(options.ThumbWidth, 99) << "a missing value keeps the field (within its limits)";
}

TEST(CAppOptions, SaveWritesEveryValueAsDwordAndLoadsBack)
{
    RegistryRootScope root;
    CAppOptions saved;
    saved.BackGroundColor = 3;
    saved.SortType = 2;
    saved.ThumbWidth = 111;
    saved.ThumbHeight = 222;
    saved.ThumbBorder = 7;
    saved.SystemColor = false;
    saved.ListCtrlColor = 0x203040;
    saved.ThumbnailColor = 0x102030;
    saved.ReadBitmapFromDwg = false;
    saved.DrawTextQickly = 1;
    saved.FillOn = 0;
    saved.PreviewZoomExtend = true;
    saved.OnlyShowDrawing = true;
    saved.SortDir = false;
    saved.ConstrainProportion = false;
    saved.HighLight = false;
    saved.PreviewHalfTone = true;
    saved.SaveRecord();

    const struct
    {
        const char* subkey;
        const char* name;
        DWORD value;
    } stored[] = {
        {"Option", "ConstrainProportion", 0},      {"Option\\Thumbnail", "ThumbWidth", 111},
        {"Option\\Thumbnail", "ThumbHeight", 222}, {"Option\\Thumbnail", "ThumbBorder", 7},
        {"Option\\Thumbnail", "SystemColor", 0},   {"Option\\Thumbnail", "ListCtrlColor", 0x203040},
        {"Option\\Thumbnail", "ThumbnailColor", 0x102030},
        {"Option\\Thumbnail", "ReadBitmapFromDwg", 0},
        {"Option\\Thumbnail", "ReadBitmapFromRaster", 1},
        {"Option\\Thumbnail", "ForceUseLibSize", 1}, {"Option\\DwgDraw", "DrawTextQickly", 1},
        {"Option\\DwgDraw", "FillOn", 0},          {"Option\\DwgDraw", "ZoomExtend", 1},
        {"Option\\DwgDraw", "PreviewZoomExtend", 1}, {"Option\\DwgDraw", "BackGroundColor", 3},
        {"Option\\DwgDraw", "HighLight", 0},       {"Option\\Browser", "OnlyShowDrawing", 1},
        {"Option\\Browser", "ShowPathBox", 1},     {"Option\\Browser", "ShowStatus", 1},
        {"Option\\Browser", "ShowToolBar", 1},     {"Option\\Browser", "ShowFullPath", 1},
        {"Option\\Browser", "StartPreviousFolder", 1},
        {"Option\\Browser", "ShowNoneDrawingFile", 1}, {"Option\\Browser", "SortType", 2},
        {"Option\\Browser", "SortDir", 0},         {"Option\\Browser", "DBClickOpenByOrvoKestal", 1},
        {"Option\\Raster", "PreviewHalfTone", 1},
    };
    for (const auto& s : stored) {
        SCOPED_TRACE(s.name);
        DWORD type = 0;
        EXPECT_EQ(root.GetDword(s.subkey, s.name, &type), s.value);
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    }

    CAppOptions loaded;
    loaded.Load();
    EXPECT_EQ(loaded.ThumbWidth, 111);
    EXPECT_EQ(loaded.ThumbHeight, 222);
    EXPECT_EQ(loaded.ThumbBorder, 7);
    EXPECT_FALSE(loaded.SystemColor);
    EXPECT_EQ(loaded.ListCtrlColor, 0x203040u);
    EXPECT_EQ(loaded.ThumbnailColor, 0x102030u);
    EXPECT_EQ(loaded.ThumbLightColor, RGB(0x30 + 70, 0x20 + 70, 0x10 + 70));
    EXPECT_EQ(loaded.ThumbDarkColor, RGB(0, 0, 0));
    EXPECT_EQ(loaded.DrawTextQickly, 1);
    EXPECT_EQ(loaded.FillOn, 0);
    EXPECT_TRUE(loaded.PreviewZoomExtend);
    EXPECT_EQ(loaded.BackGroundColor, 3);
    EXPECT_FALSE(loaded.HighLight);
    EXPECT_TRUE(loaded.OnlyShowDrawing);
    EXPECT_EQ(loaded.SortType, 2);
    EXPECT_FALSE(loaded.SortDir);
    EXPECT_FALSE(loaded.ConstrainProportion);
    EXPECT_TRUE(loaded.PreviewHalfTone);
}

TEST(CAppOptions, SystemColorOverridesStoredColours)
{
    RegistryRootScope root;
    root.SetDword("Option\\Thumbnail", "SystemColor", 1);
    root.SetDword("Option\\Thumbnail", "ListCtrlColor", 0x123456);
    root.SetDword("Option\\Thumbnail", "ThumbnailColor", 0x654321);
    CAppOptions options;
    options.Load();
    EXPECT_EQ(options.ListCtrlColor, 0x808080u);
    EXPECT_EQ(options.ThumbnailColor, GetSysColor(COLOR_BTNFACE));
}

TEST(CAppOptions, DerivedColoursStayWithinTheChannels)
{
    CAppOptions options;
    options.SystemColor = false;
    options.ListCtrlColor = 0x202020;
    options.ThumbnailColor = RGB(250, 30, 100);
    options.UpdateDerivedColors();
    EXPECT_EQ(options.ListShades[0], 0x000000u);
    EXPECT_EQ(options.ListShades[1], 0x000000u);
    EXPECT_EQ(options.ListShades[2], 0x0F0F0Fu);
    EXPECT_EQ(options.ListShades[3], 0x181818u);
    EXPECT_EQ(options.ThumbLightColor, RGB(255, 100, 170));
    EXPECT_EQ(options.ThumbDarkColor, RGB(180, 0, 30));
}

TEST(CAppOptions, SettersKeepTheirLimits)
{
    CAppOptions options;
    options.SetSortType(-4);
    EXPECT_EQ(options.SortType, 0);
    options.SetSortType(17);
    EXPECT_EQ(options.SortType, 3);
    options.SetBackgroundColor(250);
    EXPECT_EQ(options.BackGroundColor, 250);
}

class CacheOptionsTest : public ::testing::Test
{
protected:
    RegistryRootScope root;
    orvo::test::TempDir dir;
};

TEST_F(CacheOptionsTest, DefaultsCreateHolderAndIndexAndWriteThePathBack)
{
    LoadCacheOptions();
    EXPECT_TRUE(IsImageCacheEnabled());
    EXPECT_FALSE(GetLibSaveInBrowserFolderFirst());
    EXPECT_TRUE(GetLibReadFromBrowserFolderFirst());
    const std::string stored = root.GetString("Option\\LibIndex", "Path");
    EXPECT_NE(stored.find("\\OrvoKestal\\ImageCache"), std::string::npos) << stored;
    EXPECT_TRUE(IsExistingFolder(stored.c_str()));
}

TEST_F(CacheOptionsTest, StoredOptionsAreHandedToTheCacheObjects)
{
    root.SetDword("Option\\ImageCache", "Enabled", 0);
    root.SetDword("Option\\LibIndex", "SaveInBrowserFolderFirst", 1);
    root.SetDword("Option\\LibIndex", "ReadFromBrowserFolderFirst", 0);
    root.SetString("Option\\LibIndex", "Path", dir / "cache\\deep");
    LoadCacheOptions();
    EXPECT_FALSE(IsImageCacheEnabled());
    EXPECT_TRUE(GetLibSaveInBrowserFolderFirst());
    EXPECT_FALSE(GetLibReadFromBrowserFolderFirst());
    EXPECT_TRUE(IsExistingFolder((dir / "cache\\deep").c_str())) << "a stored folder is made";
    EXPECT_EQ(root.GetString("Option\\LibIndex", "Path"), dir / "cache\\deep");
}

TEST_F(CacheOptionsTest, FolderThatCannotBeMadeGivesWayToTheDefault)
{
    ASSERT_TRUE(orvo::test::WriteFileBytes(dir / "blocker", "x", 1));
    const std::string impossible = dir / "blocker\\cache";
    root.SetString("Option\\LibIndex", "Path", impossible);
    LoadCacheOptions();
    const std::string stored = root.GetString("Option\\LibIndex", "Path");
    EXPECT_NE(stored, impossible);
    EXPECT_NE(stored.find("\\OrvoKestal\\ImageCache"), std::string::npos) << stored;
    EXPECT_STREQ(GetLibIndexPath(), (stored + "\\").c_str());
}

TEST_F(CacheOptionsTest, SaveWritesTheCacheObjectsState)
{
    LoadCacheOptions();
    SetImageCacheEnabled(false);
    SetLibSaveInBrowserFolderFirst(true);
    SetLibReadFromBrowserFolderFirst(false);
    SetLibIndexPath((dir / "other").c_str());
    CAppOptions options;
    SaveOptions(options);
    DWORD type = 0;
    EXPECT_EQ(root.GetDword("Option\\ImageCache", "Enabled", &type), 0u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(root.GetDword("Option\\LibIndex", "SaveInBrowserFolderFirst"), 1u);
    EXPECT_EQ(root.GetDword("Option\\LibIndex", "ReadFromBrowserFolderFirst"), 0u);
    EXPECT_EQ(root.GetString("Option\\LibIndex", "Path"), dir / "other\\");
    EXPECT_EQ(root.GetDword("Option\\Thumbnail", "ThumbWidth"), 170u) << "the record too";
}

TEST_F(CacheOptionsTest, StartupLoadFillsTheGlobalRecordAndTheCacheObjects)
{
    root.SetDword("Option\\Thumbnail", "ThumbWidth", 90);
    root.SetDword("Option\\ImageCache", "Enabled", 1);
    root.SetString("Option\\LibIndex", "Path", dir / "startup");
    LoadOptionsAtStartup();
    EXPECT_EQ(g_options.ThumbWidth, 90);
    EXPECT_TRUE(IsImageCacheEnabled());
    EXPECT_STREQ(GetLibIndexPath(), (dir / "startup\\").c_str());
}

class AcadSupportFoldersTest : public ::testing::Test
{
protected:
    // AutoCAD's keys laid out under the test root, once for the machine, once for the user.
    std::string MachineKey() const { return root.Path("machine"); }
    std::string UserKey() const { return root.Path("user"); }
    void LayOut(const std::string& base) const
    {
        const std::string sub = base.substr(root.Key().size() + 1);
        root.SetString(sub, "Curver", "R19.1");
        root.SetString(sub + "\\R19.1", "Curver", "ACAD-D001:409");
    }

    RegistryRootScope root;
};

TEST_F(AcadSupportFoldersTest, MachineFoldersComeFirst)
{
    LayOut(MachineKey());
    LayOut(UserKey());
    root.SetString("machine\\R19.1\\ACAD-D001:409", "ACAD", "C:\\Acad\\Support;C:\\Acad\\Fonts");
    root.SetString("user\\R19.1\\ACAD-D001:409\\Profiles", "", "Mine");
    root.SetString("user\\R19.1\\ACAD-D001:409\\Profiles\\Mine\\General", "ACAD", "C:\\User");
    CString folders;
    ASSERT_TRUE(ReadAcadSupportFolders(HKEY_CURRENT_USER, HKEY_CURRENT_USER,
                                       root.Path("machine").c_str(), folders));
    EXPECT_STREQ(folders, "C:\\Acad\\Support;C:\\Acad\\Fonts");
}

TEST_F(AcadSupportFoldersTest, UserProfileWhenTheMachineHasNone)
{
    LayOut(UserKey());
    root.SetString("user\\R19.1\\ACAD-D001:409\\Profiles", "", "Mine");
    root.SetString("user\\R19.1\\ACAD-D001:409\\Profiles\\Mine\\General", "ACAD", "C:\\User");
    CString folders;
    ASSERT_TRUE(ReadAcadSupportFolders(HKEY_CURRENT_USER, HKEY_CURRENT_USER,
                                       root.Path("user").c_str(), folders));
    EXPECT_STREQ(folders, "C:\\User");
}

TEST_F(AcadSupportFoldersTest, BrokenChainsFindNothing)
{
    CString folders;
    EXPECT_FALSE(ReadAcadSupportFolders(HKEY_CURRENT_USER, HKEY_CURRENT_USER,
                                        root.Path("none").c_str(), folders));
    LayOut(MachineKey());
    root.SetString("machine\\R19.1\\ACAD-D001:409", "ACAD", "");
    root.SetString("machine\\R19.1\\ACAD-D001:409\\Profiles", "", "");
    EXPECT_FALSE(ReadAcadSupportFolders(HKEY_CURRENT_USER, HKEY_CURRENT_USER,
                                        root.Path("machine").c_str(), folders))
        << "an empty ACAD value and an empty profile name give nothing";
    root.SetString("machine", "Curver", "");
    EXPECT_FALSE(ReadAcadSupportFolders(HKEY_CURRENT_USER, HKEY_CURRENT_USER,
                                        root.Path("machine").c_str(), folders));
}

} // namespace
