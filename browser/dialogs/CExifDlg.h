// CExifDlg: the Exif information of one JPEG file in a two-column list. The caller sets the path,
// calls ReadExif, and runs the dialog only when that succeeds.
#pragma once

#include "framework/Afx.h"
#include "framework/CDialog.h"
#include "framework/CommonControls.h"
#include "imaging/CRasterImageJPG.h"

class CExifDlg : public CDialog
{
public:
    explicit CExifDlg(CWnd* parent = nullptr);

    // False when the file cannot be opened or holds no Exif block.
    bool ReadExif();
    BOOL OnInitDialog() override;

    CString m_strPath;
    CRasterImageJPG m_jpeg;
    CListCtrl m_list;

protected:
    void DoDataExchange(CDataExchange* dx) override;
};
