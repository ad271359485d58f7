// The file list's dialogs: the new folder (proposed names, refused names, creation), the save
// thumbnails options and the Exif information list. Every dialog and message box is answered by
// a script.
#include "browser/dialogs/CExifDlg.h"
#include "browser/dialogs/CNewFolderDlg.h"
#include "browser/dialogs/CSaveThumbnailDlg.h"
#include "browser/dialogs/ExifRows.h"
#include "browser/dialogs/InfoList.h"
#include "browser/dialogs/NewFolderName.h"
#include "app/BrowseForFolder.h"
#include "res/resource.h"
#include "tests/browser/dialogs/DialogScript.h"
#include "tests/imaging/ExifTestData.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

using orvo::test::ClickButton;
using orvo::test::ControlText;
using orvo::test::DialogScript;
using orvo::test::TempDir;

namespace {

bool IsFolder(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DialogScript::Step TypeName(const char* name)
{
    return [name](HWND dialog) {
        ::SetDlgItemTextA(dialog, IDC_NEWFOLDER_NAME, name);
        return static_cast<INT_PTR>(IDOK);
    };
}

} // namespace

TEST(NewFolderDialog, ProposesTheFirstFreeNameAndGivesTheParentItsBackslash)
{
    TempDir dir;
    ASSERT_TRUE(::CreateDirectoryA((dir / "New folder").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((dir / "New folder (1)").c_str(), nullptr));
    CNewFolderDlg dialog(dir.Path().c_str(), "New folder");
    EXPECT_EQ(std::string(dialog.m_strParent), dir.Path() + "\\");
    EXPECT_STREQ(dialog.m_strName, "New folder (2)");
}

TEST(NewFolderDialog, AFileOfTheBaseNameDoesNotCount)
{
    TempDir dir;
    ASSERT_TRUE(orvo::test::WriteFileBytes(dir / "New folder", "x", 1));
    EXPECT_STREQ(MakeUniqueFolderName((dir.Path() + "\\").c_str(), "New folder"), "New folder");
}

TEST(NewFolderDialog, AllThousandNamesTakenProposesNothing)
{
    TempDir dir;
    const std::string parent = dir.Path() + "\\";
    ASSERT_TRUE(::CreateDirectoryA((parent + "N").c_str(), nullptr));
    for (int n = 1; n <= 999; ++n)
        ASSERT_TRUE(::CreateDirectoryA((parent + "N (" + std::to_string(n) + ")").c_str(), nullptr));
    EXPECT_STREQ(MakeUniqueFolderName(parent.c_str(), "N"), "");
}

TEST(NewFolderDialog, TypedNamesAreCheckedBeforeAnythingIsMade)
{
    TempDir dir;
    const std::string parent = dir.Path() + "\\";
    ASSERT_TRUE(::CreateDirectoryA((parent + "Old").c_str(), nullptr));
    ASSERT_TRUE(orvo::test::WriteFileBytes(parent + "notes.txt", "x", 1));
    struct Case
    {
        const char* name;
        NewFolderNameCheck check;
    };
    const Case cases[] = {
        {"", NewFolderNameCheck::Empty},         {"   ", NewFolderNameCheck::Empty},
        {"..\\x", NewFolderNameCheck::Invalid},  {"a\\b", NewFolderNameCheck::Invalid},
        {"a/b", NewFolderNameCheck::Invalid},    {"..", NewFolderNameCheck::Invalid},
        {".", NewFolderNameCheck::Invalid},      {"C:x", NewFolderNameCheck::Invalid},
        {"what?", NewFolderNameCheck::Invalid},  {"a*", NewFolderNameCheck::Invalid},
        {"<b>", NewFolderNameCheck::Invalid},    {"pipe|", NewFolderNameCheck::Invalid},
        {"con", NewFolderNameCheck::Invalid},    {"LPT1.txt", NewFolderNameCheck::Invalid},
        {"dots.", NewFolderNameCheck::Invalid},  {"tab\there", NewFolderNameCheck::Invalid},
        {"Old", NewFolderNameCheck::Exists},     {"old", NewFolderNameCheck::Exists},
        {"notes.txt", NewFolderNameCheck::Exists}, {"Plans 2024", NewFolderNameCheck::Valid},
        {"console", NewFolderNameCheck::Valid},  {"a.b", NewFolderNameCheck::Valid},
        {"a..b", NewFolderNameCheck::Valid},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckNewFolderName(parent.c_str(), c.name), c.check) << c.name;
}

TEST(NewFolderDialog, OkCreatesTheFolderAndKeepsItsName)
{
    TempDir dir;
    DialogScript script({TypeName("  Plans  ")});
    CNewFolderDlg dialog(dir.Path().c_str(), "New folder");
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_STREQ(dialog.m_strName, "Plans");
    EXPECT_TRUE(IsFolder(dir / "Plans"));
    EXPECT_TRUE(script.Prompts().empty());
}

// Each refused name is said and the dialog stays open; nothing is made outside the parent.
TEST(NewFolderDialog, RefusedNamesKeepTheDialogOpenWithTheirMessage)
{
    TempDir dir;
    ASSERT_TRUE(::CreateDirectoryA((dir / "inner").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((dir / "inner\\Old").c_str(), nullptr));
    const std::string parent = dir / "inner";
    DialogScript script({TypeName(""), TypeName("..\\x"), TypeName("a\\b"), TypeName("Old"), TypeName("Fresh")});
    CNewFolderDlg dialog(parent.c_str(), "New folder");
    ASSERT_EQ(dialog.DoModal(), IDOK);
    ASSERT_EQ(script.Prompts().size(), 4u);
    EXPECT_NE(script.Prompts()[0].find("enter the new folder name"), std::string::npos);
    EXPECT_NE(script.Prompts()[1].find("..\\x"), std::string::npos);
    EXPECT_NE(script.Prompts()[2].find("a\\b"), std::string::npos);
    EXPECT_NE(script.Prompts()[3].find("already exists"), std::string::npos);
    EXPECT_TRUE(IsFolder(parent + "\\Fresh"));
    EXPECT_FALSE(IsFolder(dir / "x"));
    EXPECT_FALSE(IsFolder(parent + "\\a"));
}

TEST(NewFolderDialog, CancelCreatesNothing)
{
    TempDir dir;
    DialogScript script({[](HWND dialog) {
        ::SetDlgItemTextA(dialog, IDC_NEWFOLDER_NAME, "Never");
        return static_cast<INT_PTR>(IDCANCEL);
    }});
    CNewFolderDlg dialog(dir.Path().c_str(), "New folder");
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_FALSE(IsFolder(dir / "Never"));
    EXPECT_FALSE(IsFolder(dir / "New folder"));
}

TEST(NewFolderDialog, AFolderThatCannotBeMadeIsSaidAndTheDialogStaysOpen)
{
    TempDir dir;
    // The parent is a file: nothing can be made below it.
    ASSERT_TRUE(orvo::test::WriteFileBytes(dir / "blocker", "x", 1));
    DialogScript script({TypeName("Sub"), [](HWND) { return static_cast<INT_PTR>(IDCANCEL); }});
    CNewFolderDlg dialog((dir / "blocker").c_str(), "New folder");
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    ASSERT_EQ(script.Prompts().size(), 1u);
    EXPECT_EQ(script.Prompts()[0], "Cann't create folder: \n   Sub");
}

TEST(SaveThumbnailDialog, OpensOnTheFolderWithGifAllAndGeneratedNames)
{
    bool checked = false;
    DialogScript script({[&checked](HWND dialog) {
        EXPECT_EQ(ControlText(dialog, IDC_SAVETHUMB_FOLDER), "C:\\drawings\\site");
        const std::pair<int, UINT> states[] = {
            {IDC_SAVETHUMB_BMP, BST_UNCHECKED},       {IDC_SAVETHUMB_JPEG, BST_UNCHECKED},
            {IDC_SAVETHUMB_GIF, BST_CHECKED},         {IDC_SAVETHUMB_ALL, BST_CHECKED},
            {IDC_SAVETHUMB_SELECTED, BST_UNCHECKED},  {IDC_SAVETHUMB_OVERWRITE, BST_UNCHECKED},
            {IDC_SAVETHUMB_AUTONAME, BST_CHECKED},    {IDC_SAVETHUMB_PROMPT, BST_UNCHECKED},
        };
        for (const auto& state : states)
            EXPECT_EQ(::IsDlgButtonChecked(dialog, state.first), state.second) << state.first;
        checked = true;
        return static_cast<INT_PTR>(IDCANCEL);
    }});
    CSaveThumbnailDlg dialog("C:\\drawings\\site");
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(checked);
}

TEST(SaveThumbnailDialog, OkReadsTheChoices)
{
    DialogScript script({[](HWND dialog) {
        ::SetDlgItemTextA(dialog, IDC_SAVETHUMB_FOLDER, "D:\\out");
        ::CheckRadioButton(dialog, IDC_SAVETHUMB_BMP, IDC_SAVETHUMB_JPEG, IDC_SAVETHUMB_JPEG);
        ::CheckDlgButton(dialog, IDC_SAVETHUMB_GIF, BST_UNCHECKED);
        ::CheckRadioButton(dialog, IDC_SAVETHUMB_ALL, IDC_SAVETHUMB_SELECTED, IDC_SAVETHUMB_SELECTED);
        ::CheckRadioButton(dialog, IDC_SAVETHUMB_OVERWRITE, IDC_SAVETHUMB_PROMPT, IDC_SAVETHUMB_PROMPT);
        return static_cast<INT_PTR>(IDOK);
    }});
    CSaveThumbnailDlg dialog(nullptr);
    EXPECT_TRUE(dialog.m_options.folder.IsEmpty());
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_STREQ(dialog.m_options.folder, "D:\\out");
    EXPECT_EQ(dialog.m_options.fileType, SaveThumbnailOptions::Jpeg);
    EXPECT_EQ(dialog.m_options.range, 0);
    EXPECT_EQ(dialog.m_options.duplicates, SaveThumbnailOptions::Prompt);
}

TEST(SaveThumbnailDialog, NoTypeOrDuplicateChosenKeepsTheRecordsValues)
{
    DialogScript script({[](HWND dialog) {
        for (int id : {IDC_SAVETHUMB_BMP, IDC_SAVETHUMB_JPEG, IDC_SAVETHUMB_GIF, IDC_SAVETHUMB_OVERWRITE,
                       IDC_SAVETHUMB_AUTONAME, IDC_SAVETHUMB_PROMPT})
            ::CheckDlgButton(dialog, id, BST_UNCHECKED);
        return static_cast<INT_PTR>(IDOK);
    }});
    CSaveThumbnailDlg dialog("C:\\x");
    dialog.m_options.fileType = SaveThumbnailOptions::Bitmap;
    dialog.m_options.duplicates = SaveThumbnailOptions::Overwrite;
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_options.fileType, SaveThumbnailOptions::Bitmap);
    EXPECT_EQ(dialog.m_options.duplicates, SaveThumbnailOptions::Overwrite);
}

// "..." opens the folder browser with its title at the typed folder; a chosen folder replaces the
// text, a cancelled browse keeps it.
TEST(SaveThumbnailDialog, BrowseButtonFillsTheChosenFolder)
{
    TempDir start, chosen;
    std::string title;
    std::vector<std::string> startFolders;
    std::string answer = chosen.Path();
    SetBrowseFolderDialog([&](BROWSEINFOA& info) -> LPITEMIDLIST {
        title = info.lpszTitle ? info.lpszTitle : "";
        startFolders.emplace_back(info.lParam ? reinterpret_cast<const char*>(info.lParam) : "");
        return answer.empty() ? nullptr : ILCreateFromPathA(answer.c_str());
    });
    std::string afterChoice, afterCancel;
    DialogScript script({[&](HWND dialog) {
        ClickButton(dialog, IDC_SAVETHUMB_BROWSE);
        afterChoice = ControlText(dialog, IDC_SAVETHUMB_FOLDER);
        answer.clear();
        ClickButton(dialog, IDC_SAVETHUMB_BROWSE);
        afterCancel = ControlText(dialog, IDC_SAVETHUMB_FOLDER);
        return static_cast<INT_PTR>(IDOK);
    }});
    CSaveThumbnailDlg dialog(start.Path().c_str());
    const INT_PTR result = dialog.DoModal();
    SetBrowseFolderDialog({});
    ASSERT_EQ(result, IDOK);
    EXPECT_EQ(title, "Select save thumbnail image directory");
    EXPECT_EQ(startFolders, (std::vector<std::string>{start.Path(), chosen.Path()}));
    EXPECT_EQ(afterChoice, chosen.Path());
    EXPECT_EQ(afterCancel, chosen.Path());
    EXPECT_STREQ(dialog.m_options.folder, chosen.Path().c_str());
}

namespace {

EXIFINFO EmptyExif()
{
    EXIFINFO info;
    std::memset(&info, 0, sizeof info);
    info.isColor = 1;
    info.flashUsed = -1;
    return info;
}

std::string ValueOf(const std::vector<InfoRow>& rows, const char* type)
{
    for (const InfoRow& row : rows) {
        if (row.type == type)
            return static_cast<const char*>(row.value);
    }
    return "<absent>";
}

} // namespace

TEST(ExifRows, EveryFieldInItsFormAndOrder)
{
    EXIFINFO info = EmptyExif();
    std::strcpy(info.cameraMake, "Canon");
    std::strcpy(info.cameraModel, "EOS 5D");
    std::strcpy(info.dateTime, "2024:05:01 10:20:30");
    std::strcpy(info.version, "0230");
    info.width = 640;
    info.height = 480;
    info.xResolution = 72;
    info.yResolution = 144;
    info.resolutionUnit = 1;
    info.orientation = 6;
    info.isColor = 0;
    info.flashUsed = 1;
    info.focalLength = 50;
    info.ccdWidth = 36;
    info.exposureTime = 0.5f;
    info.brightness = 1.5f;
    info.apertureFNumber = 2.8f;
    info.distance = -1;
    info.isoEquivalent = 400;
    info.exposureBias = -0.33f;
    info.lightSource = 9;
    info.meteringMode = 5;
    info.exposureProgram = 3;
    info.compressionLevel = 4;
    info.frameMarker = 0xC2;
    const std::vector<InfoRow> rows = BuildExifRows(info);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Camera make", "Canon"},
        {"Camera model", "EOS 5D"},
        {"Date/Time", "2024:05:01 10:20:30"},
        {"Exif version", "0230"},
        {"Width x Height", "640 x 480"},
        {"X resolution (dpi)", "72.0"},
        {"Y resolution (dpi)", "144.0"},
        {"Orientation", "6"},
        {"Color/bw", "Black and white"},
        {"Flash used", "Yes"},
        {"Focal length", "50.0mm  (35mm equivalent : 50mm)"},
        {"CCD width", "36.00mm"},
        {"Exposure time", "0.500 s (1/2)"},
        {"Brightness", "1.500"},
        {"Aperture", "f/2.8"},
        {"Focus dist", "Infinite"},
        {"ISO equiv", "400"},
        {"Exposure bias", "-0.33"},
        {"Whitebalance", "Cloudy"},
        {"Metering Mode", "Matrix"},
        {"Exposure", "Aperture priority (Semi-auto)"},
        {"Jpeg Quality", "Fine"},
        {"Encoding", "Progressive"},
    };
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(std::string(rows[i].type), expected[i].first) << i;
        EXPECT_EQ(std::string(rows[i].value), expected[i].second) << i;
    }
}

TEST(ExifRows, AnEmptyRecordShowsOnlyTheAlwaysRows)
{
    const std::vector<InfoRow> rows = BuildExifRows(EmptyExif());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_STREQ(rows[0].type, "Width x Height");
    EXPECT_STREQ(rows[0].value, "0 x 0");
    EXPECT_STREQ(rows[1].type, "Encoding");
    EXPECT_STREQ(rows[1].value, "Unknown");
}

TEST(ExifRows, ValuesFollowTheirRanges)
{
    EXIFINFO info = EmptyExif();
    info.exposureTime = 2.0f;
    info.focalLength = 7.5f;
    info.distance = 3.25f;
    info.flashUsed = 0;
    info.lightSource = 2;
    info.meteringMode = 4;
    info.exposureProgram = 5;
    info.compressionLevel = 3;
    info.frameMarker = 0xCF;
    const std::vector<InfoRow> rows = BuildExifRows(info);
    EXPECT_EQ(ValueOf(rows, "Exposure time"), "2.000 s");
    EXPECT_EQ(ValueOf(rows, "Focal length"), "7.5mm");
    EXPECT_EQ(ValueOf(rows, "Focus dist"), "3.25m");
    EXPECT_EQ(ValueOf(rows, "Flash used"), "No");
    EXPECT_EQ(ValueOf(rows, "Whitebalance"), "Fluorescent");
    EXPECT_EQ(ValueOf(rows, "Metering Mode"), "<absent>");
    EXPECT_EQ(ValueOf(rows, "Exposure"), "<absent>");
    EXPECT_EQ(ValueOf(rows, "Jpeg Quality"), "<absent>");
    EXPECT_EQ(ValueOf(rows, "Encoding"), "Differential lossless, arithmetic coding");
    EXPECT_EQ(ValueOf(rows, "Camera make"), "<absent>");
}

// A value never breaks its cell: the bias has no line break, nor do texts from the file, and a
// hostile number gives a bounded text instead of an overflow.
TEST(ExifRows, NoValueHoldsALineBreakAndHostileNumbersStayInBounds)
{
    EXIFINFO info = EmptyExif();
    std::memcpy(info.cameraMake, "Make\r\nline two\tend", 19);
    std::memset(info.cameraModel, 'M', sizeof info.cameraModel); // no terminating zero
    info.exposureBias = 1.0f;
    info.exposureTime = 1e-30f;
    info.focalLength = 1.0f;
    info.ccdWidth = 1e-30f;
    info.resolutionUnit = std::numeric_limits<float>::quiet_NaN();
    info.xResolution = 1.0f;
    const std::vector<InfoRow> rows = BuildExifRows(info);
    for (const InfoRow& row : rows) {
        const std::string value(row.value);
        EXPECT_EQ(value.find_first_of("\r\n\t"), std::string::npos) << row.type;
        EXPECT_LT(value.size(), 400u) << row.type;
    }
    EXPECT_EQ(ValueOf(rows, "Exposure bias"), "1.00");
    EXPECT_EQ(ValueOf(rows, "Camera make"), "Make  line two end");
    EXPECT_EQ(ValueOf(rows, "Camera model"), std::string(sizeof info.cameraModel, 'M'));
    EXPECT_EQ(ValueOf(rows, "Exposure time"), "0.000 s (1/0)");
    EXPECT_EQ(ValueOf(rows, "Focal length"), "1.0mm  (35mm equivalent : 0mm)");
}

namespace {

std::string WriteJpeg(const TempDir& dir, const char* name, bool withExif)
{
    using orvo::test::ExifBuilder;
    orvo::test::Bytes jpeg = orvo::test::EncodeTestJpeg(32, 24, 3);
    if (withExif) {
        ExifBuilder exif(false);
        exif.Ascii(ExifBuilder::Ifd0, 0x010F, "Halvorn")
            .Ascii(ExifBuilder::Ifd0, 0x0110, "K-1")
            .Ascii(ExifBuilder::ExifIfd, 0x9003, "2024:01:02 03:04:05")
            .Rational(ExifBuilder::ExifIfd, 0x829A, 1, 250)
            .Short(ExifBuilder::ExifIfd, 0x8827, 200);
        jpeg = orvo::test::InsertApp1(jpeg, exif.Build());
    }
    const std::string path = dir / name;
    EXPECT_TRUE(orvo::test::WriteFileBytes(path, jpeg.data(), jpeg.size()));
    return path;
}

std::vector<std::pair<std::string, std::string>> ListRows(HWND dialog)
{
    HWND list = ::GetDlgItem(dialog, IDC_EXIF_LIST);
    std::vector<std::pair<std::string, std::string>> rows;
    const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char type[256] = {};
        char value[256] = {};
        ListView_GetItemText(list, i, 0, type, sizeof type);
        ListView_GetItemText(list, i, 1, value, sizeof value);
        rows.emplace_back(type, value);
    }
    return rows;
}

} // namespace

TEST(ExifDialog, AJpegWithExifShowsItsRows)
{
    TempDir dir;
    CExifDlg dialog;
    dialog.m_strPath = WriteJpeg(dir, "camera.jpg", true).c_str();
    ASSERT_TRUE(dialog.ReadExif());
    std::vector<std::pair<std::string, std::string>> rows;
    COLORREF background = 0;
    DialogScript script({[&](HWND window) {
        rows = ListRows(window);
        background = ListView_GetBkColor(::GetDlgItem(window, IDC_EXIF_LIST));
        return static_cast<INT_PTR>(IDOK);
    }});
    EXPECT_EQ(dialog.DoModal(), IDOK);
    ASSERT_GE(rows.size(), 7u);
    EXPECT_EQ(rows[0], std::make_pair(std::string("Camera make"), std::string("Halvorn")));
    EXPECT_EQ(rows[1], std::make_pair(std::string("Camera model"), std::string("K-1")));
    EXPECT_EQ(rows[2], std::make_pair(std::string("Date/Time"), std::string("2024:01:02 03:04:05")));
    EXPECT_EQ(rows[3].first, "Width x Height");
    bool exposure = false;
    bool iso = false;
    for (const auto& row : rows) {
        exposure = exposure || (row.first == "Exposure time" && row.second == "0.004 s (1/250)");
        iso = iso || (row.first == "ISO equiv" && row.second == "200");
    }
    EXPECT_TRUE(exposure);
    EXPECT_TRUE(iso);
    EXPECT_EQ(rows.back(), std::make_pair(std::string("Encoding"), std::string("Baseline")));
    EXPECT_EQ(background, LoweredColor(::GetSysColor(COLOR_WINDOW), 5));
}

TEST(ExifDialog, AJpegWithoutExifOrAMissingFileIsRefused)
{
    TempDir dir;
    CExifDlg plain;
    plain.m_strPath = WriteJpeg(dir, "plain.jpg", false).c_str();
    EXPECT_FALSE(plain.ReadExif());
    CExifDlg missing;
    missing.m_strPath = (dir / "gone.jpg").c_str();
    EXPECT_FALSE(missing.ReadExif());
    CExifDlg notJpeg;
    ASSERT_TRUE(orvo::test::WriteFileBytes(dir / "text.jpg", "not a picture", 13));
    notJpeg.m_strPath = (dir / "text.jpg").c_str();
    EXPECT_FALSE(notJpeg.ReadExif());
}

TEST(InfoList, ChannelsAreLoweredByFiveAndStopAtZero)
{
    EXPECT_EQ(LoweredColor(RGB(255, 255, 255), 5), RGB(250, 250, 250));
    EXPECT_EQ(LoweredColor(RGB(5, 6, 4), 5), RGB(0, 1, 0));
    EXPECT_EQ(LoweredColor(RGB(0, 128, 10), 5), RGB(0, 123, 5));
}
