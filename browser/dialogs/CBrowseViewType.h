// CBrowseViewType: the user picks one of the six browser modes by its picture; a double click on
// a picture acts as OK.
#pragma once

#include "framework/Afx.h"
#include "framework/CDialog.h"
#include "ui/CCavus.h"

class CBrowseViewType : public CDialog
{
public:
    static constexpr int kModeCount = 6;

    explicit CBrowseViewType(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;

    int m_nMode = 0; // 1..6 after OK, 0 after Cancel
    CCavus m_swatches[kModeCount];

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    LRESULT OnSwatchDoubleClick(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()
};

// The "Select browser mode" command's dialog: the chosen mode 1..6, or 0 when the user cancels.
int ChooseBrowserMode(CWnd* parent);
