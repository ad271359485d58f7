// COptionAssociate: the "Associate" page of the Options sheet: whether .dwg and .dxf files open
// with this program. OK asks the association services for the changes; an extension that belongs
// to another program is never taken away from it by unchecking.
#pragma once

#include "framework/Afx.h"
#include "framework/AfxWin.h"
#include "framework/CPropertyPage.h"

class COptionAssociate : public CPropertyPage
{
public:
    static constexpr int kBoxCount = 13;

    // The two drawing extensions, with their dots (other ones only in tests).
    explicit COptionAssociate(const char* dwgExtension = ".dwg", const char* dxfExtension = ".dxf");

    BOOL OnInitDialog() override;
    void OnOK() override;

    // The path this program runs from, in lower case (the module's file, not the command line).
    static CString ProgramPathLower();
    // True when the extension's open command names this program.
    static bool IsOurs(const char* extension);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnSelectAll();
    void OnUnselectAll();
    void OnInvert();

    DECLARE_MESSAGE_MAP()

private:
    void SetAll(int value);

    CString m_dwgExtension;
    CString m_dxfExtension;
    int m_dwgAtOpen = 0;
    int m_dxfAtOpen = 0;
    int m_boxes[kBoxCount] = {};
};
