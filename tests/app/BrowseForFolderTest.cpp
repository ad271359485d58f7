// The folder picker answered by the modal seam's script in place of the shell's modal dialog: the
// start folder handed to the dialog, the chosen folder, and cancel.
#include "app/BrowseForFolder.h"
#include "framework/ModalSeam.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class BrowseForFolderTest : public ::testing::Test
{
protected:
    // Answers the folder picker with the folder, or cancels when it is empty; records what the
    // dialog was given.
    ModalStep Answer(const std::string& title, const std::string& answer)
    {
        ModalStep step(ModalKind::FolderPicker, title.c_str(), answer.empty() ? IDCANCEL : IDOK,
                       [this](const ModalRequest& request) {
                           const BROWSEINFOA& info = *request.pBrowseInfo;
                           startFolder = info.lParam ? reinterpret_cast<const char*>(info.lParam) : "<null>";
                           this->title = info.lpszTitle ? info.lpszTitle : "";
                           callbackSet = info.lpfn == BrowseFolderCallback;
                           flags = info.ulFlags;
                       });
        return step.Choosing(answer.c_str());
    }

    orvo::test::TempDir dir;
    std::string startFolder;
    std::string title;
    bool callbackSet = false;
    UINT flags = 0;
};

TEST_F(BrowseForFolderTest, ChosenFolderReplacesThePath)
{
    ASSERT_TRUE(CreateDirectoryA((dir / "chosen").c_str(), nullptr));
    CModalScript script({Answer("Cache folder", dir / "chosen")});
    CString path = dir.Path().c_str();
    ASSERT_TRUE(BrowseForFolder(nullptr, "Cache folder", path));
    EXPECT_EQ(std::string(path), dir / "chosen");
    EXPECT_EQ(startFolder, dir.Path());
    EXPECT_EQ(title, "Cache folder");
    EXPECT_TRUE(callbackSet);
    EXPECT_EQ(flags, static_cast<UINT>(BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN));
}

TEST_F(BrowseForFolderTest, CancelKeepsAnExistingStartAndEmptiesAMissingOne)
{
    CModalScript script({Answer("t", ""), Answer("t", "")});
    CString path = dir.Path().c_str();
    EXPECT_FALSE(BrowseForFolder(nullptr, "t", path));
    EXPECT_EQ(std::string(path), dir.Path());

    path = (dir / "missing").c_str();
    EXPECT_FALSE(BrowseForFolder(nullptr, "t", path));
    EXPECT_TRUE(path.IsEmpty());
    EXPECT_EQ(startFolder, "<null>");
}

} // namespace
