#include "framework/CControlBarInfo.h"

#include "framework/AfxGlobals.h"
#include "framework/CProfileSection.h"
#include "framework/CString.h"
#include "framework/CWinApp.h"

namespace {

// A stored list longer than this is not a layout this program wrote.
constexpr int kMaxStoredBars = 1024;

constexpr LONG kNeverFloated = static_cast<LONG>(0x80000000);

CString SectionName(LPCSTR lpszProfileName, int nIndex)
{
    CString strSection;
    strSection.Format("%s-Bar%d", lpszProfileName, nIndex);
    return strSection;
}


int ScaleValue(int value, int from, int to)
{
    return ::MulDiv(value, to, from);
}

} // namespace

BOOL CControlBarInfo::LoadState(LPCSTR lpszProfileName, int nIndex)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return FALSE;
    // One key for the record's twenty values.
    const CProfileSection section(pApp, SectionName(lpszProfileName, nIndex));
    const auto read = [&section](LPCSTR lpszEntry, int nDefault) {
        return static_cast<int>(section.GetInt(lpszEntry, nDefault));
    };
    m_nBarID = static_cast<UINT>(read("BarID", 0));
    m_bVisible = read("Visible", TRUE) != 0;
    m_bHorz = read("Horz", TRUE) != 0;
    m_bFloating = read("Floating", FALSE) != 0;
    m_nMRUWidth = read("MRUWidth", 32767);
    m_pointPos.x = read("XPos", -1);
    m_pointPos.y = read("YPos", -1);
    const int nBars = read("Bars", 0);
    m_arrBarID.clear();
    m_bDockBar = nBars > 0;
    if (nBars > 0 && nBars <= kMaxStoredBars) {
        for (int i = 0; i < nBars; ++i) {
            CString strEntry;
            strEntry.Format("Bar#%d", i);
            m_arrBarID.push_back(static_cast<UINT>(read(strEntry, 0)));
        }
    }
    m_bDocking = read("Docking", FALSE) != 0;
    if (m_bDocking) {
        m_uMRUDockID = static_cast<UINT>(read("MRUDockID", 0));
        m_rectMRUDockPos.left = read("MRUDockLeftPos", 0);
        m_rectMRUDockPos.top = read("MRUDockTopPos", 0);
        m_rectMRUDockPos.right = read("MRUDockRightPos", 0);
        m_rectMRUDockPos.bottom = read("MRUDockBottomPos", 0);
        m_dwMRUFloatStyle = static_cast<DWORD>(read("MRUFloatStyle", 0));
        m_ptMRUFloatPos.x = read("MRUFloatXPos", kNeverFloated);
        m_ptMRUFloatPos.y = read("MRUFloatYPos", 0);
    }
    return m_nBarID != 0;
}

BOOL CControlBarInfo::SaveState(LPCSTR lpszProfileName, int nIndex) const
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return FALSE;
    const CString strSection = SectionName(lpszProfileName, nIndex);
    LPCSTR s = strSection;
    // Values left at their defaults are not written: the old section goes first.
    pApp->WriteProfileString(s, nullptr, nullptr);
    BOOL bOk = pApp->WriteProfileInt(s, "BarID", static_cast<int>(m_nBarID));
    if (!m_bVisible)
        bOk &= pApp->WriteProfileInt(s, "Visible", 0);
    if (!m_bHorz)
        bOk &= pApp->WriteProfileInt(s, "Horz", 0);
    if (m_bFloating)
        bOk &= pApp->WriteProfileInt(s, "Floating", 1);
    if (m_nMRUWidth != 32767)
        bOk &= pApp->WriteProfileInt(s, "MRUWidth", m_nMRUWidth);
    if (m_pointPos.x != -1)
        bOk &= pApp->WriteProfileInt(s, "XPos", m_pointPos.x);
    if (m_pointPos.y != -1)
        bOk &= pApp->WriteProfileInt(s, "YPos", m_pointPos.y);
    if (!m_arrBarID.empty()) {
        bOk &= pApp->WriteProfileInt(s, "Bars", static_cast<int>(m_arrBarID.size()));
        for (size_t i = 0; i < m_arrBarID.size(); ++i) {
            CString strEntry;
            strEntry.Format("Bar#%d", static_cast<int>(i));
            bOk &= pApp->WriteProfileInt(s, strEntry, static_cast<int>(m_arrBarID[i]));
        }
    }
    if (m_bDocking) {
        bOk &= pApp->WriteProfileInt(s, "Docking", 1);
        bOk &= pApp->WriteProfileInt(s, "MRUDockID", static_cast<int>(m_uMRUDockID));
        bOk &= pApp->WriteProfileInt(s, "MRUDockLeftPos", m_rectMRUDockPos.left);
        bOk &= pApp->WriteProfileInt(s, "MRUDockTopPos", m_rectMRUDockPos.top);
        bOk &= pApp->WriteProfileInt(s, "MRUDockRightPos", m_rectMRUDockPos.right);
        bOk &= pApp->WriteProfileInt(s, "MRUDockBottomPos", m_rectMRUDockPos.bottom);
        bOk &= pApp->WriteProfileInt(s, "MRUFloatStyle", static_cast<int>(m_dwMRUFloatStyle));
        bOk &= pApp->WriteProfileInt(s, "MRUFloatXPos", m_ptMRUFloatPos.x);
        bOk &= pApp->WriteProfileInt(s, "MRUFloatYPos", m_ptMRUFloatPos.y);
    }
    return bOk;
}

void CControlBarInfo::Scale(CSize sizeFrom, CSize sizeTo)
{
    // A stored screen size of zero says nothing about the screen: nothing is scaled.
    if (sizeFrom.cx <= 0 || sizeFrom.cy <= 0 || sizeFrom == sizeTo)
        return;
    if (m_pointPos.x != -1)
        m_pointPos.x = ScaleValue(m_pointPos.x, sizeFrom.cx, sizeTo.cx);
    if (m_pointPos.y != -1)
        m_pointPos.y = ScaleValue(m_pointPos.y, sizeFrom.cy, sizeTo.cy);
    m_rectMRUDockPos.left = ScaleValue(m_rectMRUDockPos.left, sizeFrom.cx, sizeTo.cx);
    m_rectMRUDockPos.right = ScaleValue(m_rectMRUDockPos.right, sizeFrom.cx, sizeTo.cx);
    m_rectMRUDockPos.top = ScaleValue(m_rectMRUDockPos.top, sizeFrom.cy, sizeTo.cy);
    m_rectMRUDockPos.bottom = ScaleValue(m_rectMRUDockPos.bottom, sizeFrom.cy, sizeTo.cy);
    if (m_ptMRUFloatPos.x != kNeverFloated) {
        m_ptMRUFloatPos.x = ScaleValue(m_ptMRUFloatPos.x, sizeFrom.cx, sizeTo.cx);
        m_ptMRUFloatPos.y = ScaleValue(m_ptMRUFloatPos.y, sizeFrom.cy, sizeTo.cy);
    }
}
