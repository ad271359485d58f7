// DRAWINGINFO: the summary of the drawing the drawing thread has open (summary texts, custom
// properties, file times, format version), and FillDrawingInfo, which refills it from the engine.
#pragma once

#include "framework/Afx.h"
#include "framework/CStringList.h"

#include <cstdint>
#include <memory>

class CDrawing;

class DRAWINGINFO
{
public:
    static constexpr int kMaxCustom = 10;

    DRAWINGINFO();
    virtual ~DRAWINGINFO() = default;
    DRAWINGINFO(const DRAWINGINFO&) = delete;
    DRAWINGINFO& operator=(const DRAWINGINFO&) = delete;

    void Reset();
    // The engine's summary enumeration calls this once per property.
    static int PropertyCallback(int index, const char* value, void* info);

    int32_t m_nFilled = 0; // properties stored by the last fill; 0 = empty
    CString m_strTitle;
    CString m_strSubject;
    CString m_strAuthor;
    CString m_strText5;
    std::unique_ptr<CStringList> m_pStrings; // the comment, one entry per line

    CString m_strText0;
    int64_t m_tCreation = 0;     // seconds since 1 January 1970
    int64_t m_tModification = 0; // seconds since 1 January 1970
    CString m_strText6;
    CString m_strCustom[kMaxCustom];
    int16_t m_nCustom = 0;
    CString m_strVersion;
    int16_t m_nEditHours = 0;   // total editing time
    int16_t m_nEditMinutes = 0;
};

// The drawing's version code as a text ("Format ACAD 2000;", "Unknown version;").
CString GetVersionText(short code);
// Refills info from the drawing; false only for a null drawing.
bool FillDrawingInfo(const CDrawing* drawing, DRAWINGINFO* info);
