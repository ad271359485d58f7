#include "browser/properties/CFileInfoPage.h"

#include "render/workers/DRAWINGINFO.h"

const DRAWINGINFO* CFileInfoPage::FilledInfo() const
{
    return m_pInfo && m_pInfo->m_nFilled > 0 ? m_pInfo : nullptr;
}
