#include "browser/properties/FileProperties.h"

#include "browser/shell/CFileName.h"
#include "browser/properties/CFileInfoBasic.h"
#include "browser/properties/CFileInfoInfo.h"
#include "browser/properties/CFileInfoSummary.h"
#include "browser/properties/CFileInfoUser.h"
#include "engine/rkio/CDrawing.h"
#include "framework/CPropertySheet.h"
#include "render/workers/DRAWINGINFO.h"

#include <memory>

namespace {

struct DrawingDeleter
{
    void operator()(CDrawing* drawing) const { CDrawing::DeleteDrawing(drawing); }
};

} // namespace

bool RunFilePropertiesSheet(const char* path, const DRAWINGINFO* info, CWnd* parent)
{
    const CString title = CFileName(path ? path : "").GetFileNameExt() + " Properties";
    CPropertySheet sheet(title, parent);
    CFileInfoBasic basic(path, info);
    CFileInfoInfo statistics(path, info);
    CFileInfoSummary summary(path, info);
    CFileInfoUser user(path, info);
    sheet.AddPage(&basic);
    sheet.AddPage(&statistics);
    sheet.AddPage(&summary);
    sheet.AddPage(&user);
    return sheet.DoModal() == IDOK;
}

bool ReadDrawingInfo(const char* path, DRAWINGINFO* info)
{
    if (!info)
        return false;
    info->Reset();
    if (!path || !*path)
        return false;
    // The thumbnail channel: no progress reports to a window while the file is read.
    const std::unique_ptr<CDrawing, DrawingDeleter> drawing(CDrawing::CreateDrawing(1));
    if (!drawing || drawing->Open(path, "") != 0 || !drawing->IsValid())
        return false;
    return FillDrawingInfo(drawing.get(), info);
}
