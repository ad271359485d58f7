#include "frames/print/CPrintJob.h"

#include "framework/Prompt.h"

CPrintJob::CPrintJob(HDC dc, PrintJobSteps steps) : m_dc(dc), m_steps(std::move(steps)) {}

CPrintJob::~CPrintJob()
{
    if (m_docStarted)
        m_steps.abortDoc(m_dc);
}

bool CPrintJob::Begin(const CString& title, const char* output, const char* dataType)
{
    DOCINFOA info = {};
    info.cbSize = sizeof info;
    info.lpszDocName = title;
    info.lpszOutput = output;
    info.lpszDatatype = dataType;
    if (m_steps.startDoc(m_dc, &info) <= 0) {
        m_aborted = true;
        AfxMessageBox("The printer did not accept the print job. Nothing was printed.", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    m_docStarted = true;
    if (m_steps.startPage(m_dc) <= 0) {
        Abort("start the page");
        return false;
    }
    return true;
}

bool CPrintJob::End()
{
    if (!m_docStarted)
        return false;
    if (m_steps.endPage(m_dc) <= 0) {
        Abort("finish the page");
        return false;
    }
    m_docStarted = false;
    if (m_steps.endDoc(m_dc) <= 0) {
        m_aborted = true;
        AfxMessageBox("The printer could not finish the print job.", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

void CPrintJob::Abort(const char* step)
{
    m_steps.abortDoc(m_dc);
    m_docStarted = false;
    m_aborted = true;
    CString text;
    text.Format("The printer could not %s. The print job was cancelled.", step);
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}
