#include "frames/options/COptionAssociate.h"

#include "app/AssociationRequests.h"
#include "app/ExtensionAssociation.h"
#include "res/resource.h"

namespace {

const int kBoxIds[COptionAssociate::kBoxCount] = {
    IDC_OPT_ASSOC_BMP, IDC_OPT_ASSOC_GIF, IDC_OPT_ASSOC_ICO,  IDC_OPT_ASSOC_JPG, IDC_OPT_ASSOC_MNG,
    IDC_OPT_ASSOC_PCX, IDC_OPT_ASSOC_PNG, IDC_OPT_ASSOC_TGA,  IDC_OPT_ASSOC_TIF, IDC_OPT_ASSOC_WBMP,
    IDC_OPT_ASSOC_WMF, IDC_OPT_ASSOC_DWG, IDC_OPT_ASSOC_DXF,
};
const int kDwgBox = 11;
const int kDxfBox = 12;

struct DrawingKind
{
    const char* extension;
    const char* progId;
    const char* description;
};

CString OpenCommandLower(const char* extension)
{
    CString ext = extension;
    CString progId;
    CString description;
    CString contentType;
    CString command = QueryExtensionAssociation(ext, progId, description, contentType);
    command.MakeLower();
    return command;
}

// Queues what one box asks for; false when it asks for nothing.
bool QueueFor(const DrawingKind& kind, bool checked, const CString& programPath)
{
    if (checked) {
        // The open command is written with the program's path: a registration with an empty
        // command would leave the files unopenable.
        QueueAssociationSet(kind.extension, kind.progId, kind.description, "", programPath, 0);
        return true;
    }
    if (!COptionAssociate::IsOurs(kind.extension))
        return false;
    QueueAssociationDelete(kind.extension);
    return true;
}

} // namespace

BEGIN_MESSAGE_MAP(COptionAssociate, CPropertyPage)
    ON_BN_CLICKED(IDC_OPT_ASSOC_SELECT_ALL, &COptionAssociate::OnSelectAll)
    ON_BN_CLICKED(IDC_OPT_ASSOC_UNSELECT_ALL, &COptionAssociate::OnUnselectAll)
    ON_BN_CLICKED(IDC_OPT_ASSOC_INVERT, &COptionAssociate::OnInvert)
END_MESSAGE_MAP()

COptionAssociate::COptionAssociate(const char* dwgExtension, const char* dxfExtension)
    : CPropertyPage(IDD_OPTION_ASSOCIATE), m_dwgExtension(dwgExtension), m_dxfExtension(dxfExtension)
{
}

CString COptionAssociate::ProgramPathLower()
{
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    CString result = (length > 0 && length < MAX_PATH) ? CString(path) : CString();
    result.MakeLower();
    return result;
}

bool COptionAssociate::IsOurs(const char* extension)
{
    const CString program = ProgramPathLower();
    return !program.IsEmpty() && OpenCommandLower(extension).Find(program) >= 0;
}

void COptionAssociate::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    for (int i = 0; i < kBoxCount; ++i)
        DDX_Check(pDX, kBoxIds[i], m_boxes[i]);
}

BOOL COptionAssociate::OnInitDialog()
{
    for (int& box : m_boxes)
        box = 0;
    m_dwgAtOpen = IsOurs(m_dwgExtension) ? 1 : 0;
    m_dxfAtOpen = IsOurs(m_dxfExtension) ? 1 : 0;
    m_boxes[kDwgBox] = m_dwgAtOpen;
    m_boxes[kDxfBox] = m_dxfAtOpen;
    return CPropertyPage::OnInitDialog();
}

void COptionAssociate::SetAll(int value)
{
    for (int& box : m_boxes)
        box = value;
    UpdateData(FALSE);
}

void COptionAssociate::OnSelectAll()
{
    SetAll(1);
}

void COptionAssociate::OnUnselectAll()
{
    SetAll(0);
}

void COptionAssociate::OnInvert()
{
    UpdateData(TRUE);
    for (int& box : m_boxes)
        box = box ? 0 : 1;
    UpdateData(FALSE);
}

void COptionAssociate::OnOK()
{
    if (m_hWnd == nullptr)
        return;
    UpdateData(TRUE);
    const bool dwg = m_boxes[kDwgBox] != 0;
    const bool dxf = m_boxes[kDxfBox] != 0;
    if (dwg == (m_dwgAtOpen != 0) && dxf == (m_dxfAtOpen != 0))
        return;
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    const DrawingKind dwgKind = {m_dwgExtension, "OrvoKestal.DWG", "Drawing file"};
    const DrawingKind dxfKind = {m_dxfExtension, "OrvoKestal.DXF", "Drawing interchange file"};
    BeginAssociationRequest();
    bool queued = QueueFor(dwgKind, dwg, path);
    queued = QueueFor(dxfKind, dxf, path) || queued;
    if (queued)
        AssociateThroughHelper();
}
