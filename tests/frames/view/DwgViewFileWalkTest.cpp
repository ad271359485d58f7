// The view's next and previous file walk the browser's list in list order over files of unknown
// types, and open each file they come to; a file opened on its own has no list to walk.
#include "browser/list/CIEShellListCtrl.h"
#include "frames/common/BrowserFileList.h"
#include "frames/view/CViewFrame.h"
#include "render/workers/TDwgDrawThread.h"
#include "res/resource.h"
#include "tests/frames/view/ViewFrameFixture.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/ListTestWindow.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using orvo::test::WaitFor;

class DwgViewFileWalk : public orvo::test::ViewFrameFixture
{
protected:
    void SetUp() override
    {
        OleInitialize(nullptr);
        const std::string dxf = "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n11\n10\n21\n5\n0\nENDSEC\n0\nEOF\n";
        for (const char* name : {"a_first.dxf", "d_last.dxf"})
            ASSERT_TRUE(orvo::test::WriteFileBytes(m_dir / name, dxf.data(), dxf.size()));
        ASSERT_TRUE(orvo::test::WriteFileBytes(m_dir / "b_notes.txt", "notes", 5));
        ASSERT_TRUE(WritePicture(m_dir / "c_photo.bmp"));
        ASSERT_TRUE(m_owner.CreateOwner(640, 480));
        m_list.SetShellSwitches(false, false);
        m_list.SetShellShowsExtensions(true);
        m_list.SetShowOtherFiles(true);
        ASSERT_TRUE(m_list.CreateList(&m_owner, CRect(0, 0, 620, 440), 112));
        m_list.SetViewType(CIEShellListCtrl::kDetails);
        ASSERT_TRUE(m_list.SetFolderPath(m_dir.Path().c_str()));
        SetBrowserFileList(&m_list);
    }
    void TearDown() override
    {
        SetBrowserFileList(nullptr);
        m_list.DestroyWindow();
        m_owner.DestroyWindow();
        OleUninitialize();
    }

    // Runs the command and waits until the view shows the named file.
    bool WalkTo(UINT id, const std::string& name)
    {
        m_frame->SendMessage(WM_COMMAND, id);
        const CString wanted = (m_dir / name).c_str();
        return WaitFor([&] { return Thread().GetFilePath().CompareNoCase(wanted) == 0; }, orvo::test::kViewWaitMs) &&
               Settled();
    }

    orvo::test::TempDir m_dir;
    CListTestOwner m_owner;
    CIEShellListCtrl m_list;
};

} // namespace

TEST_F(DwgViewFileWalk, NextAndPreviousGoInListOrderOverUnknownTypes)
{
    ASSERT_TRUE(OpenAndWait(m_dir / "a_first.dxf"));
    const int first = m_list.FindRowByName("a_first.dxf");
    ASSERT_GE(first, 0);
    m_list.SetItemState(first, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_FALSE(IsEnabled(ID_VIEW_PREVIOUS_FILE)) << "nothing before the first file";
    ASSERT_TRUE(IsEnabled(ID_VIEW_NEXT_FILE));
    ASSERT_TRUE(WalkTo(ID_VIEW_NEXT_FILE, "c_photo.bmp")) << "the text file is skipped";
    ASSERT_TRUE(WalkTo(ID_VIEW_NEXT_FILE, "d_last.dxf"));
    EXPECT_EQ(m_list.GetSelectedCount(), 1u);
    EXPECT_EQ(m_list.GetItemState(m_list.FindRowByName("d_last.dxf"), LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED));
    EXPECT_FALSE(IsEnabled(ID_VIEW_NEXT_FILE)) << "nothing after the last file";
    ASSERT_TRUE(WalkTo(ID_VIEW_PREVIOUS_FILE, "c_photo.bmp"));
    ASSERT_TRUE(WalkTo(ID_VIEW_PREVIOUS_FILE, "a_first.dxf"));
    // A file opened from the command line or File Open does not walk.
    m_frame->GetView().m_bFolderWalk = false;
    EXPECT_FALSE(IsEnabled(ID_VIEW_NEXT_FILE));
}
