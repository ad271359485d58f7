// File drag and drop of the list, in process through OLE data objects: dropped CF_HDROP files are
// copied into the folder of the row under the point (or the list's folder), data without files is
// refused, and a drag offers the selected rows' files, its data block living exactly as long as
// the data object.
#include "tests/ui/ListTestWindow.h"

#include "tests/support/TestSupport.h"
#include "framework/COleDataObject.h"
#include "ui/CUIODListCtrl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const UINT IDC_LIST = 100;
using orvo::test::TempDir;

// Each row stands for a folder of the temporary folder; the list itself shows its root.
class CFolderList : public CUIODListCtrl
{
public:
    CString GetItemPath(int nIndex) override
    {
        const CString name = GetCellText(nIndex, 0);
        return name.IsEmpty() ? CString() : CString(m_root.c_str()) + "\\" + name;
    }
    CString GetFolderPath() override { return CString(m_root.c_str()); }
    void OnDragDone() override { ++m_nDragsDone; }

    DROPEFFECT RunDragLoop(COleDataSource& source, DWORD dwAllowed) override
    {
        m_dwAllowed = dwAllowed;
        m_pKept = source.GetDataObject();
        m_pKept->AddRef();
        COleDataObject data;
        data.Attach(m_pKept, FALSE);
        HGLOBAL hDrop = data.GetGlobalData(CF_HDROP);
        CStringList names;
        EXPECT_TRUE(CFileDropTarget::CollectFileNames(hDrop, names));
        GlobalFree(hDrop);
        for (POSITION pos = names.GetHeadPosition(); pos != nullptr;)
            m_dragged.emplace_back(names.GetNext(pos));
        return m_effect;
    }

    std::string m_root;
    DROPEFFECT m_effect = DROPEFFECT_NONE;
    DWORD m_dwAllowed = 0;
    IDataObject* m_pKept = nullptr;
    std::vector<std::string> m_dragged;
    int m_nDragsDone = 0;
};

class DragDropListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        m_list.m_root = m_dir / "list";
        for (const char* folder : {"list", "list\\A", "list\\B", "src"})
            ASSERT_TRUE(CreateDirectoryA((m_dir / folder).c_str(), nullptr));
        for (const char* file : {"one.txt", "two.dwg", "three.png"})
            ASSERT_TRUE(orvo::test::WriteFileBytes(m_dir / ("src\\" + std::string(file)), file, strlen(file)));
        ASSERT_TRUE(m_owner.CreateOwner(400, 300));
        m_owner.ShowWindow(SW_SHOW);
        ASSERT_TRUE(m_list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, CRect(0, 0, 380, 280),
                                  &m_owner, IDC_LIST));
        ASSERT_EQ(m_list.InitListCtrl("Name"), 1);
        for (const char* name : {"A", "B"})
            m_list.SetCellText(m_list.AddItem(0), 0, name);
        ASSERT_EQ(m_list.GetDropTarget().GetRegisteredWindow(), m_list.m_hWnd);
    }
    void TearDown() override
    {
        m_list.DestroyWindow();
        m_owner.DestroyWindow();
        OleUninitialize();
    }

    POINTL ScreenPointOfRow(int nRow)
    {
        CRect rect;
        m_list.GetItemRect(nRow, &rect, LVIR_LABEL);
        POINT point = {rect.left + 5, (rect.top + rect.bottom) / 2};
        ::ClientToScreen(m_list.m_hWnd, &point);
        return {point.x, point.y};
    }

    POINTL ScreenPointBelowRows()
    {
        POINT point = {100, 250};
        ::ClientToScreen(m_list.m_hWnd, &point);
        return {point.x, point.y};
    }

    // The CF_HDROP block of the three source files.
    HGLOBAL SourceBlock()
    {
        CStringList files;
        for (const char* file : {"one.txt", "two.dwg", "three.png"})
            files.AddTail(CString((m_dir / ("src\\" + std::string(file))).c_str()));
        return CDragDropList::MakeDropBlock(files);
    }

    // The whole OLE conversation of a drop at the point: the effects of enter, over and drop.
    std::vector<DWORD> DropAt(IDataObject* pData, POINTL point)
    {
        IDropTarget* pTarget = m_list.GetDropTarget().GetInterface();
        std::vector<DWORD> effects;
        DWORD dwEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        pTarget->DragEnter(pData, MK_LBUTTON, point, &dwEffect);
        effects.push_back(dwEffect);
        dwEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        pTarget->DragOver(MK_LBUTTON, point, &dwEffect);
        effects.push_back(dwEffect);
        dwEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        pTarget->Drop(pData, MK_LBUTTON | MK_SHIFT, point, &dwEffect);
        effects.push_back(dwEffect);
        return effects;
    }

    bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    TempDir m_dir;
    CListTestOwner m_owner;
    CFolderList m_list;
};

TEST_F(DragDropListTest, FilesDroppedOnARowAreCopiedIntoItsFolder)
{
    COleDataSource source;
    source.CacheGlobalData(CF_HDROP, SourceBlock());
    IDropTarget* pTarget = m_list.GetDropTarget().GetInterface();
    DWORD dwEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    ASSERT_EQ(pTarget->DragEnter(source.GetDataObject(), MK_LBUTTON, ScreenPointOfRow(1), &dwEffect), S_OK);
    EXPECT_EQ(dwEffect, static_cast<DWORD>(DROPEFFECT_COPY));
    dwEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    pTarget->DragOver(MK_LBUTTON, ScreenPointOfRow(1), &dwEffect);
    EXPECT_EQ(dwEffect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(m_list.GetDropTargetRow(), 1);
    EXPECT_NE(m_list.GetItemState(1, LVIS_DROPHILITED), 0u);
    dwEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    // Shift would ask for a move: the list's target always copies.
    pTarget->Drop(source.GetDataObject(), MK_LBUTTON | MK_SHIFT, ScreenPointOfRow(1), &dwEffect);
    EXPECT_EQ(dwEffect, static_cast<DWORD>(DROPEFFECT_COPY));
    for (const char* file : {"one.txt", "two.dwg", "three.png"}) {
        EXPECT_EQ(orvo::test::ReadFileBytes(m_dir / ("list\\B\\" + std::string(file))), file);
        EXPECT_TRUE(Exists(m_dir / ("src\\" + std::string(file)))) << "the dropped files stay";
        EXPECT_FALSE(Exists(m_dir / ("list\\A\\" + std::string(file))));
    }
    EXPECT_EQ(m_list.GetDropTargetRow(), -1);
    EXPECT_EQ(m_list.GetItemState(1, LVIS_DROPHILITED), 0u);
}

TEST_F(DragDropListTest, FilesDroppedBelowTheRowsGoToTheListsFolder)
{
    COleDataSource source;
    source.CacheGlobalData(CF_HDROP, SourceBlock());
    const std::vector<DWORD> effects = DropAt(source.GetDataObject(), ScreenPointBelowRows());
    EXPECT_EQ(effects.back(), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(orvo::test::ReadFileBytes(m_dir / "list\\two.dwg"), "two.dwg");
}

TEST_F(DragDropListTest, NothingIsCopiedWithoutAFolder)
{
    m_list.m_root.clear();
    COleDataSource source;
    source.CacheGlobalData(CF_HDROP, SourceBlock());
    DropAt(source.GetDataObject(), ScreenPointBelowRows());
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof(current), current);
    EXPECT_FALSE(Exists(std::string(current) + "\\two.dwg")) << "not into whatever folder is current";
    CStringList files;
    files.AddTail(CString((m_dir / "src\\one.txt").c_str()));
    EXPECT_FALSE(m_list.DropFiles(files, DROPEFFECT_COPY));
}

TEST_F(DragDropListTest, DataWithoutFilesIsRefused)
{
    COleDataSource source;
    HGLOBAL hText = GlobalAlloc(GMEM_MOVEABLE, 6);
    memcpy(GlobalLock(hText), "hello", 6);
    GlobalUnlock(hText);
    source.CacheGlobalData(CF_TEXT, hText);
    const std::vector<DWORD> effects = DropAt(source.GetDataObject(), ScreenPointOfRow(0));
    for (DWORD dwEffect : effects)
        EXPECT_EQ(dwEffect, static_cast<DWORD>(DROPEFFECT_NONE));
    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA((m_dir / "list\\A\\*.*").c_str(), &found);
    int nEntries = 0;
    if (hFind != INVALID_HANDLE_VALUE) {
        do
            ++nEntries;
        while (FindNextFileA(hFind, &found));
        FindClose(hFind);
    }
    EXPECT_EQ(nEntries, 2) << "only . and ..";
}

TEST_F(DragDropListTest, ADragOffersTheSelectedRowsAndItsBlockLivesWithTheDataObject)
{
    const struct
    {
        DROPEFFECT effect;
        int done;
    } cases[] = {{DROPEFFECT_NONE, 0}, {DROPEFFECT_COPY, 1}, {DROPEFFECT_MOVE, 1}};
    m_list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    m_list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    for (const auto& c : cases) {
        m_list.m_effect = c.effect;
        m_list.m_dragged.clear();
        m_list.m_nDragsDone = 0;
        m_list.BeginDrag(1);
        EXPECT_FALSE(m_list.IsDragging());
        EXPECT_EQ(m_list.GetDragSourceRow(), 1);
        EXPECT_EQ(m_list.m_dwAllowed, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_MOVE));
        ASSERT_EQ(m_list.m_dragged.size(), 2u);
        EXPECT_EQ(m_list.m_dragged[0], m_dir / "list\\A");
        EXPECT_EQ(m_list.m_dragged[1], m_dir / "list\\B");
        EXPECT_EQ(m_list.m_nDragsDone, c.done);
        // A holder that kept the data object still reads the files after the drag, whatever
        // the effect; its release is the last one and frees the object and the block.
        COleDataObject kept;
        kept.Attach(m_list.m_pKept, FALSE);
        HGLOBAL hDrop = kept.GetGlobalData(CF_HDROP);
        CStringList names;
        EXPECT_TRUE(CFileDropTarget::CollectFileNames(hDrop, names));
        EXPECT_EQ(names.GetCount(), 2);
        GlobalFree(hDrop);
        EXPECT_EQ(m_list.m_pKept->Release(), 0u);
        m_list.m_pKept = nullptr;
    }
}

TEST_F(DragDropListTest, TheDropBlockIsAnAnsiFileList)
{
    CStringList none;
    EXPECT_EQ(CDragDropList::MakeDropBlock(none), nullptr);
    none.AddTail(CString());
    EXPECT_EQ(CDragDropList::MakeDropBlock(none), nullptr) << "a row without a path offers nothing";
    // A row without a path between two others does not cut the list short.
    CStringList gap;
    gap.AddTail(CString("C:\\a.dwg"));
    gap.AddTail(CString());
    gap.AddTail(CString("C:\\b.dwg"));
    HGLOBAL hGap = CDragDropList::MakeDropBlock(gap);
    CStringList gapNames;
    EXPECT_TRUE(CFileDropTarget::CollectFileNames(hGap, gapNames));
    EXPECT_EQ(gapNames.GetCount(), 2);
    GlobalFree(hGap);
    HGLOBAL hDrop = SourceBlock();
    const auto* pHeader = static_cast<const DROPFILES*>(GlobalLock(hDrop));
    EXPECT_EQ(pHeader->pFiles, sizeof(DROPFILES));
    EXPECT_FALSE(pHeader->fWide);
    GlobalUnlock(hDrop);
    CStringList names;
    EXPECT_TRUE(CFileDropTarget::CollectFileNames(hDrop, names));
    EXPECT_EQ(names.GetCount(), 3);
    EXPECT_STREQ(names.GetTail(), (m_dir / "src\\three.png").c_str());
    GlobalFree(hDrop);
}

} // namespace
