#include "frames/save/SaveFormats.h"

#include "core/RegistryRoot.h"
#include "core/ResourceText.h"
#include "engine/rkui/RkUI.h"
#include "framework/CRegKey.h"
#include "framework/Prompt.h"
#include "res/resource.h"

#include <algorithm>

const char kVectorFormatValue[] = "VectorFormat";
const char kRasterFormatValue[] = "RasterFormat";

namespace {

const char kSubkey[] = "ViewWindow";

const DrawingSaveFormat kDrawing[kDrawingFormats] = {
    {"DwgTypeVer2004", "AutoCAD 2004 drawing(*.dwg)", 1, 9, ".dwg"},
    {"DwgTypeVer2000", "AutoCAD 2000 drawing(*.dwg)", 1, 8, ".dwg"},
    {"DwgTypeVer14", "AutoCAD R14 drawing(*.dwg)", 1, 7, ".dwg"},
    {"DwgTypeVer12", "AutoCAD R12 drawing(*.dwg)", 1, 5, ".dwg"},
    {"DxfTypeVer2004", "AutoCAD 2004 dxf(*.dxf)", 2, 9, ".dxf"},
    {"DxfTypeVer2000", "AutoCAD 2000 dxf(*.dxf)", 2, 8, ".dxf"},
    {"DxfTypeVer14", "AutoCAD R14 dxf(*.dxf)", 2, 7, ".dxf"},
    {"DxfTypeVer12", "AutoCAD R12 dxf(*.dxf)", 2, 5, ".dxf"},
};

const RasterSaveFormat kRaster[kRasterFormats] = {
    {IDS_SAVE_BMP, "Windows Bitmap file(*.bmp)", "*.BMP", ".bmp"},
    {IDS_SAVE_JPG, "Jpeg file(*.jpg)", "*.JPG", ".jpg"},
    {IDS_SAVE_GIF, "gif file(*.gif)", "*.GIF", ".gif"},
    {IDS_SAVE_PCX, "pcx file(*.pcx)", "*.PCX", ".pcx"},
    {IDS_SAVE_TIF, "Tiff file(*.tif)", "*.TIF", ".tif"},
    {IDS_SAVE_PNG, "png file(*.png)", "*.PNG", ".png"},
    {IDS_SAVE_TGA, "tga file(*.tga)", "*.TGA", ".tga"},
};

} // namespace

const DrawingSaveFormat& DrawingFormat(int index)
{
    return kDrawing[index >= 1 && index <= kDrawingFormats ? index - 1 : 0];
}

const RasterSaveFormat& RasterFormat(int index)
{
    return kRaster[index >= 1 && index <= kRasterFormats ? index - 1 : 0];
}

CString DrawingSaveFilter()
{
    CString filter;
    for (int i = 1; i <= kDrawingFormats; ++i) {
        const DrawingSaveFormat& f = DrawingFormat(i);
        const char* label = languageText(f.key, f.label);
        filter += label ? label : "";
        filter += f.kind == 1 ? "|*.dwg|" : "|*.dxf|";
    }
    return filter + "|";
}

CString RasterSaveFilter()
{
    CString filter;
    for (int i = 1; i <= kRasterFormats; ++i) {
        const RasterSaveFormat& f = RasterFormat(i);
        filter += LoadResStringOr(f.labelId, f.label) + "|" + f.pattern + "|";
    }
    return filter + "|";
}

int ReadRememberedFormat(const char* valueName, int highest)
{
    CRegKey key;
    DWORD value = 0;
    if (key.Open(HKEY_CURRENT_USER, ProgramKeyPath(kSubkey), KEY_READ) != ERROR_SUCCESS ||
        key.QueryDWORDValue(valueName, value) != ERROR_SUCCESS || value == 0)
        return 1;
    return static_cast<int>(std::min<DWORD>(value, static_cast<DWORD>(highest)));
}

bool RememberFormat(const char* valueName, int index)
{
    CRegKey key;
    return key.Create(HKEY_CURRENT_USER, ProgramKeyPath(kSubkey)) == ERROR_SUCCESS &&
           key.SetDWORDValue(valueName, static_cast<DWORD>(index)) == ERROR_SUCCESS;
}

CString ReplaceExtension(const CString& path, const char* extension)
{
    const int slash = std::max(path.ReverseFind('\\'), path.ReverseFind('/'));
    const int dot = path.ReverseFind('.');
    return (dot > slash ? path.Left(dot) : path) + extension;
}

CString OnSaveTypeChangedDrawing(int index, const CString& name)
{
    return ReplaceExtension(name, index >= 5 ? ".dxf" : ".dwg");
}

CString OnSaveTypeChangedImage(int index, const CString& name)
{
    if (index < 1 || index > kRasterFormats)
        return name;
    return ReplaceExtension(name, RasterFormat(index).extension);
}

bool IsSameFile(const CString& a, const CString& b)
{
    char fullA[MAX_PATH] = {}, fullB[MAX_PATH] = {};
    if (!::GetFullPathNameA(a, MAX_PATH, fullA, nullptr) || !::GetFullPathNameA(b, MAX_PATH, fullB, nullptr))
        return a.CompareNoCase(b) == 0;
    return ::lstrcmpiA(fullA, fullB) == 0;
}

bool ConfirmReplacingShownFile(const CString& target, const CString& shown)
{
    if (shown.IsEmpty() || !IsSameFile(target, shown))
        return true;
    CString text;
    text.Format("%s is the file being shown.\nDo you want to replace it with the saved copy?",
                static_cast<LPCSTR>(target));
    return AfxMessageBox(text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

bool RefuseReadOnlyTarget(const CString& target)
{
    const DWORD attributes = ::GetFileAttributesA(target);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0)
        return false;
    CString text;
    text.Format("%s is read-only and was not replaced.", static_cast<LPCSTR>(target));
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    return true;
}

bool AskSaveTarget(const char* valueName, int kinds, const std::function<CString(int)>& initialName,
                   const CString& filter, CWnd* owner, RkUI::SaveTypeCallback callback, CString& path, int& chosen)
{
    const int remembered = ReadRememberedFormat(valueName, kinds);
    chosen = remembered;
    return showDwgSaveDialog(0, 0, initialName(remembered), 2, filter, 0, owner, std::move(callback), remembered,
                             &chosen, &path) == 1;
}
