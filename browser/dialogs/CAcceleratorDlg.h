// CAcceleratorDlg: the list of keyboard shortcuts of the three windows, sized with the dialog.
#pragma once

#include "framework/Afx.h"
#include "framework/CDialog.h"
#include "framework/CommonControls.h"

class CAcceleratorDlg : public CDialog
{
public:
    explicit CAcceleratorDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;

    CListCtrl m_list;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnSize(UINT type, int cx, int cy);

    DECLARE_MESSAGE_MAP()
};

// The "Accelerator keys list" command: shows the key list modally; the dialog's end code.
INT_PTR ShowAcceleratorKeys(CWnd* parent);
