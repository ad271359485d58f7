#include "frames/acad/CInsertCADDlg.h"

#include "core/NumberFormat.h"
#include "core/ResourceText.h"
#include "framework/CDataExchange.h"
#include "framework/Prompt.h"
#include "res/resource.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

const short kDecimals = 6;

CString Formatted(UINT id, const char* fallback, const char* a, const char* b = nullptr)
{
    CString text;
    text.Format(LoadResStringOr(id, fallback), a, b ? b : a);
    return text;
}

// A whole number and nothing else; false for an empty text, signs and other characters.
bool ParseCount(const CString& text, int& value)
{
    const char* begin = text;
    if (!*begin || *begin < '0' || *begin > '9')
        return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(begin, &end, 10);
    if (*end != '\0' || errno == ERANGE || parsed > INT_MAX)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

} // namespace

BEGIN_MESSAGE_MAP(CInsertCADDlg, CDialog)
    ON_BN_CLICKED(IDC_ACAD_SAME_SCALE, &CInsertCADDlg::OnSameScale)
    ON_EN_CHANGE(IDC_ACAD_COPIES, &CInsertCADDlg::OnArrayChange)
    ON_EN_CHANGE(IDC_ACAD_COLUMNS, &CInsertCADDlg::OnArrayChange)
END_MESSAGE_MAP()

CInsertCADDlg::CInsertCADDlg(CWnd* parent) : CDialog(IDD_INSERT_CAD, parent) {}

void CInsertCADDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ACAD_INFO, m_wndInfo);
    DDX_Control(pDX, IDC_ACAD_Y, m_editY);
    DDX_Control(pDX, IDC_ACAD_COLUMNS, m_editColumns);
    DDX_Control(pDX, IDC_ACAD_COPIES, m_editCopies);
    DDX_Control(pDX, IDC_ACAD_SCALE_Y, m_editScaleY);
    DDX_Control(pDX, IDC_ACAD_SCALE_X, m_editScaleX);
    DDX_Control(pDX, IDC_ACAD_ROW_SPACE, m_editRowSpace);
    DDX_Control(pDX, IDC_ACAD_COLUMN_SPACE, m_editColumnSpace);
    DDX_Control(pDX, IDC_ACAD_ANGLE, m_editAngle);
    DDX_Control(pDX, IDC_ACAD_Z, m_editZ);
    DDX_Control(pDX, IDC_ACAD_X, m_editX);
    DDX_Control(pDX, IDC_ACAD_PROMPT, m_wndPrompt);
}

BOOL CInsertCADDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CString prompt;
    prompt.Format(LoadResStringOr(IDS_ACAD_PROMPT, "Insert selected drawing files into \"%s\" that is being "
                                                   "edited by AutoCAD."),
                  static_cast<LPCSTR>(m_strDocName));
    m_wndPrompt.SetWindowText(prompt);
    for (CEditEx* edit : {&m_editX, &m_editY, &m_editZ, &m_editAngle})
        edit->SetWindowText(FormatDecimal(0.0, kDecimals));
    for (CEditEx* edit : {&m_editScaleX, &m_editScaleY})
        edit->SetWindowText(FormatDecimal(1.0, kDecimals));
    for (CEditEx* edit : {&m_editRowSpace, &m_editColumnSpace})
        edit->SetWindowText(FormatDecimal(100.0, kDecimals));
    m_editCopies.SetWindowText("1");
    m_editColumns.SetWindowText("1");
    for (CEditEx* edit : {&m_editX, &m_editY, &m_editZ, &m_editAngle, &m_editRowSpace, &m_editColumnSpace})
        edit->SetCharFilter(nullptr, &SignedDecimalFilter);
    for (CEditEx* edit : {&m_editScaleX, &m_editScaleY})
        edit->SetCharFilter(nullptr, &UnsignedDecimalFilter);
    OnArrayChange();
    return TRUE;
}

CString CInsertCADDlg::Text(int id) const
{
    char text[256] = {};
    ::GetDlgItemTextA(m_hWnd, id, text, sizeof text);
    return text;
}

void CInsertCADDlg::EnablePair(int edit, int label, bool enable)
{
    ::EnableWindow(::GetDlgItem(m_hWnd, edit), enable);
    ::EnableWindow(::GetDlgItem(m_hWnd, label), enable);
}

void CInsertCADDlg::OnSameScale()
{
    const bool same = ::IsDlgButtonChecked(m_hWnd, IDC_ACAD_SAME_SCALE) == BST_CHECKED;
    if (same)
        ::SetDlgItemTextA(m_hWnd, IDC_ACAD_SCALE_Y, Text(IDC_ACAD_SCALE_X));
    EnablePair(IDC_ACAD_SCALE_Y, IDC_ACAD_SCALE_Y_LABEL, !same);
}

int CInsertCADDlg::RowCount(int files, int copies, int columns)
{
    if (files <= 0 || copies <= 0 || columns <= 0)
        return 0;
    const long long blocks = static_cast<long long>(files) * copies;
    return static_cast<int>((blocks + columns - 1) / columns);
}

void CInsertCADDlg::OnArrayChange()
{
    int copies = 0, columns = 0;
    if (!ParseCount(Text(IDC_ACAD_COPIES), copies) || !ParseCount(Text(IDC_ACAD_COLUMNS), columns) || copies < 1 ||
        columns < 1)
        return;
    const int rows = RowCount(m_nFileCount, copies, columns);
    CString info;
    info.Format(LoadResStringOr(IDS_ACAD_BLOCK_INFO, "Number of blocks is %d , number of rows is %d ."),
                m_nFileCount * copies, rows);
    m_wndInfo.SetWindowText(info);
    EnablePair(IDC_ACAD_ROW_SPACE, IDC_ACAD_ROW_SPACE_LABEL, rows > 1);
    EnablePair(IDC_ACAD_COLUMN_SPACE, IDC_ACAD_COLUMN_SPACE_LABEL, columns > 1);
}

bool CInsertCADDlg::Refuse(int id, const CString& message)
{
    AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
    ::SetFocus(::GetDlgItem(m_hWnd, id));
    return false;
}

bool CInsertCADDlg::ReadNumber(int id, double& value, const CString& message)
{
    return ParseLocaleNumber(Text(id), &value) || Refuse(id, message);
}

bool CInsertCADDlg::ReadCount(int id, int& value, const CString& message)
{
    return (ParseCount(Text(id), value) && value >= 1) || Refuse(id, message);
}

void CInsertCADDlg::OnOK()
{
    const char* pointText = "The %s coordinates of insert point is error!";
    const char* scaleText = "The %s scale is error!\nThe %s scale must be greater than 0 .";
    if (!ReadNumber(IDC_ACAD_X, m_x, Formatted(IDS_ACAD_BAD_POINT, pointText, "X")) ||
        !ReadNumber(IDC_ACAD_Y, m_y, Formatted(IDS_ACAD_BAD_POINT, pointText, "Y")) ||
        !ReadNumber(IDC_ACAD_Z, m_z, Formatted(IDS_ACAD_BAD_POINT, pointText, "Z")))
        return;
    const CString badX = Formatted(IDS_ACAD_BAD_SCALE, scaleText, "X");
    if (!ReadNumber(IDC_ACAD_SCALE_X, m_scaleX, badX) || (m_scaleX <= 0.0 && !Refuse(IDC_ACAD_SCALE_X, badX)))
        return;
    const CString badY = Formatted(IDS_ACAD_BAD_SCALE, scaleText, "Y");
    if (::IsDlgButtonChecked(m_hWnd, IDC_ACAD_SAME_SCALE) == BST_CHECKED)
        m_scaleY = m_scaleX;
    else if (!ReadNumber(IDC_ACAD_SCALE_Y, m_scaleY, badY) || (m_scaleY <= 0.0 && !Refuse(IDC_ACAD_SCALE_Y, badY)))
        return;
    if (!ReadNumber(IDC_ACAD_ANGLE, m_angle, LoadResStringOr(IDS_ACAD_BAD_ROTATION, "The rotation is error!")) ||
        !ReadCount(IDC_ACAD_COPIES, m_nCopies,
                   LoadResStringOr(IDS_ACAD_BAD_COPIES, "The copies is error!\nThe copies must be greater than 0 .")) ||
        !ReadCount(IDC_ACAD_COLUMNS, m_nColumns,
                   LoadResStringOr(IDS_ACAD_BAD_COLUMNS, "The column number is error!\nThe column number must be "
                                                         "greater than 0 .")))
        return;
    if (RowCount(m_nFileCount, m_nCopies, m_nColumns) > 1 &&
        !ReadNumber(IDC_ACAD_ROW_SPACE, m_rowSpace,
                    LoadResStringOr(IDS_ACAD_BAD_ROW_SPACE, "The space of rows is error!")))
        return;
    if (!ReadNumber(IDC_ACAD_COLUMN_SPACE, m_columnSpace,
                    LoadResStringOr(IDS_ACAD_BAD_COLUMN_SPACE, "The space of columns is error!")))
        return;
    m_bZoomAll = ::IsDlgButtonChecked(m_hWnd, IDC_ACAD_ZOOM_ALL) == BST_CHECKED;
    CDialog::OnOK();
}

InsertParameters CInsertCADDlg::Parameters() const
{
    InsertParameters p;
    p.x = m_x;
    p.y = m_y;
    p.z = m_z;
    p.scaleX = m_scaleX;
    p.scaleY = m_scaleY;
    p.angle = m_angle;
    p.columnSpace = m_columnSpace;
    p.rowSpace = m_rowSpace;
    p.copies = m_nCopies;
    p.columns = m_nColumns;
    p.zoomAll = m_bZoomAll;
    return p;
}
