// CPassWordDlg: asks for the password of a protected drawing; the prompt names the file.
#pragma once

#include "framework/Afx.h"
#include "framework/CDialog.h"

class CPassWordDlg : public CDialog
{
public:
    explicit CPassWordDlg(CWnd* parent = nullptr);

    CString m_prompt;
    CString m_password;

protected:
    void DoDataExchange(CDataExchange* dx) override;
};
