#include "browser/properties/CFileInfoUser.h"

#include "browser/properties/FileInfoText.h"
#include "framework/CDataExchange.h"
#include "render/workers/DRAWINGINFO.h"
#include "res/resource.h"

#include <algorithm>

namespace {

struct PairControls
{
    int name;
    int value;
};

const PairControls kControls[CFileInfoUser::kPairs] = {
    {IDC_FILEINFO_USER_NAME1, IDC_FILEINFO_USER_VALUE1}, {IDC_FILEINFO_USER_NAME2, IDC_FILEINFO_USER_VALUE2},
    {IDC_FILEINFO_USER_NAME3, IDC_FILEINFO_USER_VALUE3}, {IDC_FILEINFO_USER_NAME4, IDC_FILEINFO_USER_VALUE4},
    {IDC_FILEINFO_USER_NAME5, IDC_FILEINFO_USER_VALUE5}, {IDC_FILEINFO_USER_NAME6, IDC_FILEINFO_USER_VALUE6},
    {IDC_FILEINFO_USER_NAME7, IDC_FILEINFO_USER_VALUE7}, {IDC_FILEINFO_USER_NAME8, IDC_FILEINFO_USER_VALUE8},
    {IDC_FILEINFO_USER_NAME9, IDC_FILEINFO_USER_VALUE9}, {IDC_FILEINFO_USER_NAME10, IDC_FILEINFO_USER_VALUE10},
};

} // namespace

CFileInfoUser::CFileInfoUser(const char* path, const DRAWINGINFO* info)
    : CFileInfoPage(IDD_FILEINFO_USER, path, info)
{
}

void CFileInfoUser::DoDataExchange(CDataExchange* dx)
{
    CFileInfoPage::DoDataExchange(dx);
    for (int i = 0; i < kPairs; ++i) {
        DDX_Text(dx, kControls[i].name, m_strNames[i]);
        DDX_Text(dx, kControls[i].value, m_strValues[i]);
    }
}

BOOL CFileInfoUser::OnInitDialog()
{
    if (const DRAWINGINFO* info = FilledInfo()) {
        const int count = std::clamp<int>(info->m_nCustom, 0, std::min(kPairs, DRAWINGINFO::kMaxCustom));
        for (int i = 0; i < count; ++i) {
            if (!SplitUserProperty(info->m_strCustom[i], m_strNames[i], m_strValues[i]))
                break;
        }
    }
    const BOOL result = CFileInfoPage::OnInitDialog();
    for (int i = 0; i < kPairs; ++i) {
        ShowDrawingText(kControls[i].name, m_strNames[i]);
        ShowDrawingText(kControls[i].value, m_strValues[i]);
    }
    return result;
}
