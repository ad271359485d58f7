// CPathListBox: the path box above the file list, an editable combo box. Its edit field shows
// and takes a folder path (Enter asks the main window to browse there); its drop-down list is
// the typed-folder history, saved at every change. Folders dropped on it join the history.
#pragma once

#include "browser/pathbox/CPathBoxDropTarget.h"
#include "browser/pathbox/CPathManager.h"
#include "framework/Controls.h"
#include "framework/CStringList.h"

// Posted to the main window when Enter is pressed in the path box: browse to its text.
constexpr UINT WM_PATHBOX_BROWSE = WM_APP + 0x7A;

class CPathListBox : public CComboBox
{
public:
    CPathListBox();
    ~CPathListBox() override;

    CPathManager& GetHistory() { return m_history; }
    CPathBoxDropTarget& GetDropTarget() { return m_dropTarget; }

    // Reloads the history from the registry into the drop-down list.
    void ReloadList();
    // Adds the edit field's text to the history; false when it is empty or there already.
    BOOL AddCurrentFolder();
    // Removes the edit field's text from the history; false when it is not there.
    BOOL RemoveCurrentFolder();
    // Adds the folders among the names (files are ignored); saves once when any was added.
    void AddDroppedFolders(const CStringList& names);
    CString GetText() const;
    void SetText(const CString& text);

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void FillList();

    CPathManager m_history;
    CPathBoxDropTarget m_dropTarget;
};
