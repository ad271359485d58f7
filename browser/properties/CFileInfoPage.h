// CFileInfoPage: the base of the read-only file property pages: the file's path and the drawing
// information the caller keeps alive while the sheet runs (null for a file that is no drawing).
#pragma once

#include "framework/Afx.h"
#include "framework/CPropertyPage.h"

class DRAWINGINFO;

class CFileInfoPage : public CPropertyPage
{
public:
    CFileInfoPage(UINT templateId, const char* path, const DRAWINGINFO* info)
        : CPropertyPage(templateId), m_strPath(path ? path : ""), m_pInfo(info)
    {
    }

protected:
    // The information only when it holds a drawing's summary.
    const DRAWINGINFO* FilledInfo() const;
    // Shows a text read from the drawing (UTF-8) in a control through the wide call, so names
    // and properties in other scripts stay right whatever the system's code page.
    void ShowDrawingText(int id, const CString& text) const;

    CString m_strPath;
    const DRAWINGINFO* m_pInfo; // borrowed
};
