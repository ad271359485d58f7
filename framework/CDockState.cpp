#include "framework/CDockState.h"

#include "framework/AfxGlobals.h"
#include "framework/CProfileSection.h"
#include "framework/CString.h"
#include "framework/CWinApp.h"

namespace {

// A summary naming more records than this is not a layout this program wrote.
constexpr int kMaxStoredRecords = 256;
// Stale records after the last one are removed up to this many.
constexpr int kStaleRecords = 64;

CString SummaryName(LPCSTR lpszProfileName)
{
    CString strSection;
    strSection.Format("%s-Summary", lpszProfileName);
    return strSection;
}

CSize CurrentScreen()
{
    return CSize(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
}

} // namespace

void CDockState::LoadState(LPCSTR lpszProfileName)
{
    Clear();
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return;
    const CProfileSection summary(pApp, SummaryName(lpszProfileName));
    const int nBars = static_cast<int>(summary.GetInt("Bars", 0));
    m_sizeDevice.cx = static_cast<int>(summary.GetInt("ScreenCX", 0));
    m_sizeDevice.cy = static_cast<int>(summary.GetInt("ScreenCY", 0));
    if (nBars <= 0 || nBars > kMaxStoredRecords)
        return;
    for (int i = 0; i < nBars; ++i) {
        CControlBarInfo info;
        if (info.LoadState(lpszProfileName, i))
            m_arrBarInfo.push_back(info);
    }
}

void CDockState::SaveState(LPCSTR lpszProfileName) const
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return;
    const int nBars = static_cast<int>(m_arrBarInfo.size());
    for (int i = 0; i < nBars; ++i)
        m_arrBarInfo[static_cast<size_t>(i)].SaveState(lpszProfileName, i);
    for (int i = nBars; i < nBars + kStaleRecords; ++i) {
        CString strSection;
        strSection.Format("%s-Bar%d", lpszProfileName, i);
        pApp->WriteProfileString(strSection, nullptr, nullptr);
    }
    const CString strSummary = SummaryName(lpszProfileName);
    const CSize sizeScreen = CurrentScreen();
    pApp->WriteProfileInt(strSummary, "Bars", nBars);
    pApp->WriteProfileInt(strSummary, "ScreenCX", sizeScreen.cx);
    pApp->WriteProfileInt(strSummary, "ScreenCY", sizeScreen.cy);
}

void CDockState::ScaleToScreen()
{
    const CSize sizeScreen = CurrentScreen();
    for (CControlBarInfo& info : m_arrBarInfo)
        info.Scale(m_sizeDevice, sizeScreen);
    if (m_sizeDevice.cx > 0 && m_sizeDevice.cy > 0)
        m_sizeDevice = sizeScreen;
}
