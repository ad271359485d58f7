// CPropertyPage: one page of a property sheet, a dialog template whose sheet tells it when it
// becomes active (OnSetActive), is left (OnKillActive may refuse), and when OK or Apply
// (OnApply, then OnOK) or Cancel (OnReset, then OnCancel) ends the changes.
#pragma once

#include "framework/CDialog.h"
#include "framework/CString.h"

#include <prsht.h>

class CPropertyPage : public CDialog
{
    DECLARE_DYNAMIC(CPropertyPage)

public:
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0);

    virtual BOOL OnSetActive();
    virtual BOOL OnKillActive();
    virtual BOOL OnApply();
    virtual void OnReset();
    virtual BOOL OnQueryCancel() { return TRUE; }
    void OnOK() override;
    void OnCancel() override;
    // Enables or disables the sheet's Apply button for this page's changes.
    void SetModified(BOOL bChanged = TRUE);

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    PROPSHEETPAGEA m_psp = {};

private:
    CString m_strCaption;
    BOOL m_bFirstSetActive = TRUE;
};
