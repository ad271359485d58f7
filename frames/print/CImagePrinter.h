// CImagePrinter: prints the shown raster image on one page through the standard print dialog:
// the scene is drawn fitted into a canvas the size of the printable page and copied onto it.
#pragma once

#include "frames/print/CPrintJob.h"
#include "framework/Afx.h"

class JGraphics;

class CImagePrinter
{
public:
    CImagePrinter(JGraphics& scene, const char* imagePath, HWND owner);

    // Tests: the job's steps and a file the spooler writes instead of the printer's port.
    void SetJobSteps(PrintJobSteps steps) { m_steps = std::move(steps); }
    void SetJobOutput(const CString& path) { m_jobOutput = path; }

    // True when a page was printed; false when cancelled or refused (a refusal is told).
    bool PrintImage();
    // "OrvoKestal - " and the image's file name without its folder.
    CString JobTitle() const;

private:
    bool PrintOn(HDC dc);

    JGraphics& m_scene;
    CString m_imagePath;
    HWND m_owner;
    PrintJobSteps m_steps;
    CString m_jobOutput;
};
