#include "browser/dialogs/CExifDlg.h"

#include "browser/dialogs/ExifRows.h"
#include "browser/dialogs/InfoList.h"
#include "framework/CDataExchange.h"
#include "res/resource.h"

#include <cstdio>
#include <memory>

namespace {

struct FileCloser
{
    void operator()(FILE* file) const { std::fclose(file); }
};

} // namespace

CExifDlg::CExifDlg(CWnd* parent) : CDialog(IDD_EXIF_INFO, parent)
{
}

void CExifDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_EXIF_LIST, m_list);
}

bool CExifDlg::ReadExif()
{
    const std::unique_ptr<FILE, FileCloser> file(std::fopen(m_strPath, "rb"));
    return file && m_jpeg.DecodeExif(file.get()) && m_jpeg.GetExifInfo().isExif;
}

BOOL CExifDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    PrepareInfoList(m_list, {{"Type", 140}, {"Value", 280}});
    for (const InfoRow& row : BuildExifRows(m_jpeg.GetExifInfo()))
        AddInfoListRow(m_list, {row.type, row.value});
    return TRUE;
}
