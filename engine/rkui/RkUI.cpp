#include "engine/rkui/RkUI.h"

#include "engine/db/AciPalette.h"
#include "engine/rkio/rkio.h"
#include "engine/rkui/LayerManagerDialog.h"
#include "engine/rkui/NumberFieldsDialog.h"
#include "engine/rkui/PrintManagerDialog.h"
#include "engine/rkui/RegistryText.h"
#include "engine/rkui/SearchManagerDialog.h"
#include "engine/rkui/ViewPointDialog.h"
#include "framework/CommonDialogs.h"

#include <shlobj.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

RkUI::CSystemInfo g_systemInfo;
RkUI::Cursor g_cursor;
RkUI::PrintPenSet g_printPenSet;

namespace {

// What initRkUI was given and what RkUI keeps; read by the UI thread and the drawing thread.
struct RkUIState
{
    std::mutex lock;
    std::string root;           // the program's key, ending in a backslash
    std::string key;            // "<root>RkUI"
    std::string appData;
    std::string searchFolders;
};

RkUIState& State()
{
    static RkUIState state;
    return state;
}

// The user's roaming application-data folder without a trailing backslash; empty if unknown.
std::string UserAppDataFolder()
{
    char path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    std::string folder = path;
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

std::atomic<COLORREF (*)(COLORREF)> g_colorPicker{nullptr};
std::atomic<const char* (*)()> g_folderPicker{nullptr};

COLORREF ToColorRef(std::uint32_t rgb)
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The framework's colour dialog, so the modal seam answers it in tests like any other.
COLORREF PickWithDialog(COLORREF start)
{
    CColorDialog dialog(start, CC_RGBINIT | CC_FULLOPEN, CWnd::FromHandle(GetActiveWindow()));
    return dialog.DoModal() == IDOK ? dialog.GetColor() : static_cast<COLORREF>(-1);
}

} // namespace

BOOL initRkUI(const char* registryRoot, const char* applicationName, int, int)
{
    (void)applicationName;
    g_cursor.Load(GetModuleHandleA(nullptr));
    RkUIState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    s.key = std::string(registryRoot ? registryRoot : "");
    if (!s.key.empty() && s.key.back() != '\\')
        s.key += '\\';
    s.root = s.key;
    s.key += "RkUI";
    s.searchFolders = RkUI::RegistryText::Read(s.key, "SearchFolders");
    if (!s.searchFolders.empty())
        DWG_SetSearchDirectories(s.searchFolders.c_str());
    s.appData = UserAppDataFolder();
    g_printPenSet.Load(s.root + RkUI::PrintPenSet::kRegistryKey);
    return TRUE;
}

void releaseRkUI()
{
    g_printPenSet.Reset();
}

COLORREF GetColorIndex(short index, char* name)
{
    const int i = index >= 0 && index <= 255 ? index : 7;
    if (name) {
        const char* known = RkDb::AciPalette::Name(index == 256 ? 256 : i);
        if (known)
            std::strcpy(name, known);
        else
            std::snprintf(name, 16, "%d", i);
    }
    return ToColorRef(RkDb::AciPalette::Rgb(i));
}

void SetColorPickerForTests(COLORREF (*picker)(COLORREF start))
{
    g_colorPicker.store(picker);
}

short SelectColor(short index)
{
    COLORREF (*picker)(COLORREF) = g_colorPicker.load();
    const COLORREF chosen = (picker ? picker : PickWithDialog)(GetColorIndex(index, nullptr));
    if (chosen == static_cast<COLORREF>(-1))
        return index;
    const std::uint32_t rgb = (static_cast<std::uint32_t>(GetRValue(chosen)) << 16) |
                              (static_cast<std::uint32_t>(GetGValue(chosen)) << 8) | GetBValue(chosen);
    return static_cast<short>(RkDb::AciPalette::Nearest(rgb));
}

const char* getAppDataPath()
{
    RkUIState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    // The settings record asks for it while loading, which may come before initRkUI.
    if (s.appData.empty())
        s.appData = UserAppDataFolder();
    return s.appData.c_str();
}

int replaceFont(CDrawing*)
{
    return 0;
}

const char* languageText(const char*, const char* defaultText)
{
    return defaultText;
}

void SetSearchFolderPickerForTests(const char* (*picker)())
{
    g_folderPicker.store(picker);
}

const char* getSearchFolders()
{
    RkUIState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    return s.searchFolders.c_str();
}

int showLayerManager(CDrawing* drawing)
{
    if (!drawing || !drawing->IsValid())
        return 0;
    std::vector<CDrawing::LayerState> layers = drawing->GetLayers();
    if (layers.empty())
        return 0;
    RkUI::LayerManagerDialog dialog(nullptr, std::move(layers), &SelectColor);
    if (dialog.DoModal() != IDOK || !dialog.Changed())
        return 0;
    if (!drawing->SetLayers(dialog.Layers()))
        return 0;
    drawing->Regenerate();
    return 1;
}

int showSetViewportDialog(CDrawing* drawing)
{
    if (!drawing || !drawing->IsValid())
        return 0;
    RkUI::ViewPointDialog dialog(drawing->CanView3D() ? 6 : 4);
    if (dialog.DoModal() != IDOK)
        return 0;
    drawing->SetViewPoint(dialog.Choice());
    return 1;
}

int showSetPointDialog(int* mode, double* size)
{
    if (!mode || !size)
        return 0;
    RkUI::NumberFieldsDialog dialog(L"Point Style", {{L"Display mode (PDMODE):", static_cast<double>(*mode)}, {L"Size (PDSIZE):", *size}},
                                    [](const std::vector<double>& v) {
                                        const double m = v[0];
                                        const bool valid = m >= 0 && m <= 100 && m == std::floor(m) &&
                                                           (static_cast<int>(m) & 0x1F) <= 4;
                                        return valid ? std::string() : std::string(
                                            "The display mode is 0 to 4, plus 32 (circle), 64 (square) or 96 (both).");
                                    });
    if (dialog.DoModal() != IDOK)
        return 0;
    *mode = static_cast<int>(dialog.Values()[0]);
    *size = dialog.Values()[1];
    return 1;
}

int showSetRotateViewDialog(double* angleDegrees)
{
    if (!angleDegrees)
        return 0;
    const double start = std::isfinite(*angleDegrees) ? *angleDegrees : 0.0;
    RkUI::NumberFieldsDialog dialog(L"Rotate View", {{L"Angle (degrees):", start}},
                                    [](const std::vector<double>& v) {
                                        return std::abs(v[0]) <= 360.0 ? std::string()
                                                                       : std::string("The angle is -360 to 360 degrees.");
                                    });
    if (dialog.DoModal() != IDOK)
        return 0;
    *angleDegrees = dialog.Values()[0];
    return 1;
}

namespace {

// "<program key><key>", as the print manager keeps its settings.
std::string ProgramSubkey(const char* key)
{
    RkUIState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    return s.root + (key ? key : "");
}

} // namespace

void loadPlotStyleDialogFromRegistry(const char* key, PlotStyleRecord* record)
{
    if (record)
        record->Load(ProgramSubkey(key));
}

bool savePlotStyleDialogToRegistry(const char* key, const PlotStyleRecord& record)
{
    return record.Save(ProgramSubkey(key));
}

void loadPenSetFromRegistry(const char* key)
{
    g_printPenSet.Load(ProgramSubkey(key));
}

bool savePenSetToRegistry(const char* key)
{
    return g_printPenSet.Save(ProgramSubkey(key));
}

int showSearchManager(HWND owner)
{
    RkUIState& s = State();
    std::string key, folders;
    {
        std::lock_guard<std::mutex> hold(s.lock);
        key = s.key;
        folders = s.searchFolders;
    }
    RkUI::SearchManagerDialog dialog(RkUI::SearchFolderList::FromText(folders), owner);
    if (const char* (*picker)() = g_folderPicker.load())
        dialog.SetFolderPicker([picker](HWND) { const char* f = picker(); return std::string(f ? f : ""); });
    const INT_PTR result = dialog.DoModal();
    if (result != IDOK)
        return IDCANCEL;
    const std::string text = dialog.Result().ToText();
    {
        std::lock_guard<std::mutex> hold(s.lock);
        s.searchFolders = text;
    }
    if (!key.empty())
        RkUI::RegistryText::Write(key, "SearchFolders", text);
    DWG_SetSearchDirectories(text.c_str());
    return IDOK;
}

namespace {

// The record of the print manager between initPrintManager and releasePrintManager (the
// interface thread's only).
PrintRecord* g_printRecord = nullptr;

} // namespace

void initPrintManager(PrintRecord* record)
{
    g_printRecord = record;
}

int showPrintManager()
{
    if (!g_printRecord)
        return 2;
    RkUI::PrintManagerDialog dialog(*g_printRecord);
    const INT_PTR answer = dialog.DoModal();
    if (answer == IDOK)
        return 1;
    return answer == RkUI::PrintManagerDialog::kPickWindow ? 9 : 2;
}

void releasePrintManager()
{
    g_printRecord = nullptr;
}

int showDwgSaveDialog(int, int, const char* initialName, int, const char* filter, int, CWnd* owner,
                      RkUI::SaveTypeCallback callback, int initialIndex, int* chosenIndex, CString* path)
{
    RkUI::DwgSaveDialog dialog(initialName, filter, owner, std::move(callback), initialIndex);
    if (dialog.DoModal() != IDOK)
        return 0;
    if (chosenIndex)
        *chosenIndex = dialog.ChosenIndex();
    if (path)
        *path = dialog.GetPathName();
    return path && path->IsEmpty() ? 0 : 1;
}
