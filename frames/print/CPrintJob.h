// CPrintJob: one print job on a printer device context, from StartDoc to EndDoc. A step the
// printer refuses ends the job with AbortDoc (never a half job left in the spooler) and tells the
// user through the prompt seam. The steps can be replaced (tests make a printer refuse one).
// Index: PrintJobSteps, CPrintJob.
#pragma once

#include "framework/Afx.h"

#include <functional>

struct PrintJobSteps
{
    std::function<int(HDC, const DOCINFOA*)> startDoc = [](HDC dc, const DOCINFOA* info) { return ::StartDocA(dc, info); };
    std::function<int(HDC)> startPage = [](HDC dc) { return ::StartPage(dc); };
    std::function<int(HDC)> endPage = [](HDC dc) { return ::EndPage(dc); };
    std::function<int(HDC)> endDoc = [](HDC dc) { return ::EndDoc(dc); };
    std::function<int(HDC)> abortDoc = [](HDC dc) { return ::AbortDoc(dc); };
};

class CPrintJob
{
public:
    // The device context stays the caller's.
    CPrintJob(HDC dc, PrintJobSteps steps);
    // A job still open (a step in between threw or returned early) is aborted.
    ~CPrintJob();
    CPrintJob(const CPrintJob&) = delete;
    CPrintJob& operator=(const CPrintJob&) = delete;

    // StartDoc and StartPage; output: a file the spooler writes instead of the port (null: the
    // printer's port). False (and the user told) when the printer refused.
    bool Begin(const CString& title, const char* output, const char* dataType);
    // EndPage and EndDoc; false (job aborted, the user told) when the printer refused.
    bool End();
    bool Aborted() const { return m_aborted; }

private:
    void Abort(const char* step);

    HDC m_dc;
    PrintJobSteps m_steps;
    bool m_docStarted = false;
    bool m_aborted = false;
};
