// CEditPathBoxDlg: edits the bookmarked folders of the path box: delete one, delete all, or purge
// the folders that no longer exist. The list comes in and goes out as plain folder texts; the
// caller loads and saves them (the path box's history keeps them in the registry).
#pragma once

#include "framework/Afx.h"
#include "framework/CDialog.h"
#include "framework/Controls.h"

#include <vector>

// Posted (0, 0) to the owner's frame after OK: the path box reloads its entries.
const UINT WM_PATHBOX_RELOAD = 0x80BF;

class CEditPathBoxDlg : public CDialog
{
public:
    explicit CEditPathBoxDlg(const std::vector<CString>& folders, CWnd* parent = nullptr);

    BOOL OnInitDialog() override;

    // The edited list; after Cancel the list given at construction.
    const std::vector<CString>& GetFolders() const { return m_folders; }
    bool IsChanged() const { return m_bChanged; }

    CListBox m_list;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnCancel() override;
    void OnDeleteAll();
    void OnDeleteSelected();
    void OnPurge();
    void OnSelectionChange();

    DECLARE_MESSAGE_MAP()

private:
    void FillList();
    void UpdateButtons();
    void SetChanged();

    std::vector<CString> m_original;
    std::vector<CString> m_folders;
    bool m_bChanged = false;
};

// The bookmark-editing button's dialog: true after OK with folders replaced by the edited list
// (save it before the posted reload is handled); false after Cancel, folders untouched.
bool EditBookmarkFolders(CWnd* parent, std::vector<CString>& folders);
