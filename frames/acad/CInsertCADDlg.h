// CInsertCADDlg: where and how the selected drawings go into the drawing AutoCAD is editing:
// insertion point, scales (optionally the same), rotation, copies of each file and the grid
// they are laid out on, and whether AutoCAD zooms to the extents afterwards. OK checks every
// field in order and names the first wrong one.
#pragma once

#include "frames/acad/InsertCommands.h"
#include "framework/CDialog.h"
#include "framework/Controls.h"
#include "ui/CEditEx.h"

class CInsertCADDlg : public CDialog
{
public:
    explicit CInsertCADDlg(CWnd* parent = nullptr);

    CString m_strDocName;
    CStatic m_wndInfo;
    CEditEx m_editY;
    CEditEx m_editColumns;
    CEditEx m_editCopies;
    CEditEx m_editScaleY;
    CEditEx m_editScaleX;
    CEditEx m_editRowSpace;
    CEditEx m_editColumnSpace;
    CEditEx m_editAngle;
    CEditEx m_editZ;
    CEditEx m_editX;
    CStatic m_wndPrompt;
    int m_nFileCount = 1;
    double m_x = 0.0, m_y = 0.0, m_z = 0.0;
    double m_scaleX = 1.0, m_scaleY = 1.0;
    double m_angle = 0.0;
    double m_columnSpace = 100.0, m_rowSpace = 100.0;
    int m_nCopies = 1, m_nColumns = 1;
    bool m_bZoomAll = false;

    // The accepted values as the command builder takes them.
    InsertParameters Parameters() const;
    // Rows of the grid: ceil(files x copies / columns); 0 when a count is not positive.
    static int RowCount(int files, int copies, int columns);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnSameScale();
    void OnArrayChange();

    DECLARE_MESSAGE_MAP()

private:
    CString Text(int id) const;
    // Reads a number (the user's decimal separator); false shows message and focuses the field.
    bool ReadNumber(int id, double& value, const CString& message);
    bool ReadCount(int id, int& value, const CString& message);
    bool Refuse(int id, const CString& message);
    void EnablePair(int edit, int label, bool enable);
};
