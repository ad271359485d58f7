// CNewFolderDlg: asks for the name of a new folder inside the list's current folder, proposes
// the first free "New folder (n)" name, and creates the folder on OK.
#pragma once

#include "framework/Afx.h"
#include "framework/CDialog.h"

class CNewFolderDlg : public CDialog
{
public:
    CNewFolderDlg(const char* parentFolder, const char* baseName, CWnd* parent = nullptr);

    CString m_strParent; // always ends with a backslash
    CString m_strName;   // after IDOK: the created folder's name

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;

private:
    // Tells the user why the name cannot be used; true when it can.
    bool AcceptName();
};
