#include "frames/view/ViewOpenFilter.h"

#include "core/ResourceText.h"
#include "res/resource.h"

namespace {

struct FilterEntry
{
    UINT label;
    const char* fallback;
    const char* patterns;
};

const FilterEntry kEntries[] = {
    {IDS_VIEW_FILTER_ALL_GRAPHICS, "All graphics files",
     "*.dwg;*.dxf;*.dwt;*.dwf;*.bmp;*.jpg;*.gif;*.pcx;*.tif;*.png;*.jng;*.ico;*.tga;*.wbmp;*.j2k;*.jbg"},
    {IDS_VIEW_FILTER_DRAWINGS, "All drawing files(*.dwg,*.dxf,*.dwt,*.dwf)", "*.dwg;*.dxf;*.dwt;*.dwf"},
    {IDS_VIEW_FILTER_DWG, "AutoCAD Drawing(*.dwg)", "*.dwg"},
    {IDS_VIEW_FILTER_DXF, "AutoCAD DXF(*.dxf)", "*.dxf"},
    {IDS_VIEW_FILTER_DWT, "Drawing Template(*.dwt)", "*.dwt"},
    {IDS_VIEW_FILTER_DWF, "Design Web Format(*.dwf)", "*.dwf"},
    // Every raster type lists "*.jpg": the JPEG files are the ones most often opened.
    {IDS_VIEW_FILTER_RASTER, "All raster image files",
     "*.bmp;*.jpg;*.gif;*.pcx;*.tif;*.png;*.jng;*.ico;*.tga;*.wbmp;*.j2k;*.jbg"},
    {IDS_VIEW_FILTER_BMP, "Windows Bitmap file(*.bmp)", "*.BMP"},
    {IDS_VIEW_FILTER_BMP + 1, "Jpeg file(*.jpg)", "*.JPG"},
    {IDS_VIEW_FILTER_BMP + 2, "gif file(*.gif)", "*.GIF"},
    {IDS_VIEW_FILTER_BMP + 3, "pcx file(*.pcx)", "*.PCX"},
    {IDS_VIEW_FILTER_BMP + 4, "Tiff file(*.tif)", "*.TIF"},
    {IDS_VIEW_FILTER_BMP + 5, "png file(*.png)", "*.PNG"},
    {IDS_VIEW_FILTER_BMP + 6, "JNG file(*.jng)", "*.JNG"},
    {IDS_VIEW_FILTER_BMP + 7, "Icon file(*.ico)", "*.ICO"},
    {IDS_VIEW_FILTER_BMP + 8, "tga file(*.tga)", "*.TGA"},
    {IDS_VIEW_FILTER_BMP + 9, "Wireless Bitmap file(*.wbmp)", "*.WBMP"},
    {IDS_VIEW_FILTER_BMP + 10, "Windows Metafile(*.wmf)", "*.WMF"},
    {IDS_VIEW_FILTER_BMP + 11, "JPEG 2000 file(*.j2k)", "*.J2K"},
    {IDS_VIEW_FILTER_JBG, "jbg file(*.jbg)", "*.JBG"},
};

} // namespace

CString BuildViewOpenFilter()
{
    CString filter;
    for (const FilterEntry& entry : kEntries)
        filter += LoadResStringOr(entry.label, entry.fallback) + "|" + entry.patterns + "|";
    return filter + "|";
}
