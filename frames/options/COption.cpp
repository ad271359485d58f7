#include "frames/options/COption.h"

#include "app/CAppState.h"
#include "app/CBrowseModeFrame.h"
#include "app/OptionsStore.h"
#include "core/CAppOptions.h"
#include "frames/options/COptionAssociate.h"
#include "frames/options/COptionBrowse.h"
#include "frames/options/COptionCache.h"
#include "frames/options/COptionDrawing.h"
#include "frames/options/COptionThumbnail.h"
#include "framework/CPropertySheet.h"
#include "render/workers/TTaskManageThread.h"

namespace {

// The options the thumbnail thread works with.
TTaskManageThread::ThumbnailSettings ThumbnailSettingsOf(const CAppOptions& options)
{
    TTaskManageThread::ThumbnailSettings settings;
    settings.readStoredPreview = options.ReadBitmapFromDwg;
    settings.readExifThumbnail = options.ReadBitmapFromRaster;
    settings.zoomExtents = options.ZoomExtend;
    settings.backgroundColorIndex = options.BackGroundColor & 0xFFFF;
    return settings;
}

bool SameSettings(const TTaskManageThread::ThumbnailSettings& a, const TTaskManageThread::ThumbnailSettings& b)
{
    return a.readStoredPreview == b.readStoredPreview && a.readExifThumbnail == b.readExifThumbnail &&
           a.zoomExtents == b.zoomExtents && a.backgroundColorIndex == b.backgroundColorIndex;
}

void Tell(HWND window, UINT message, LPARAM lParam)
{
    if (window != nullptr)
        ::SendMessageA(window, message, 0, lParam);
}

} // namespace

bool COption::DoOptions(CAppOptions& options, HWND mainWindow, HWND browseWindow)
{
    COptionBrowse browse(options);
    COptionDrawing drawing(options);
    COptionCache cache;
    COptionThumbnail thumbnail(options);
    COptionAssociate associate;
    CPropertySheet sheet("Options");
    sheet.AddPage(&browse);
    sheet.AddPage(&drawing);
    sheet.AddPage(&cache);
    sheet.AddPage(&thumbnail);
    sheet.AddPage(&associate);
    const auto before = ThumbnailSettingsOf(options);
    if (sheet.DoModal() != IDOK)
        return false;
    SaveOptions(options);
    // Before the frames are told: the redraws they start use the new colours.
    g_appState.ApplyDisplaySettings(options);
    // The browse frame keeps what concerns it while another frame is the main window.
    const HWND also = browseWindow != mainWindow ? browseWindow : nullptr;
    const auto tellBoth = [&](UINT message, LPARAM lParam) {
        Tell(mainWindow, message, lParam);
        Tell(also, message, lParam);
    };
    if (browse.IsChanged())
        tellBoth(WM_OPTIONS_BROWSER_CHANGED, browse.AreFileTypesChanged() ? 1 : 0);
    if (thumbnail.IsChanged())
        tellBoth(WM_OPTIONS_THUMBNAIL_CHANGED, 0);
    if (cache.IsChanged())
        tellBoth(WM_OPTIONS_CACHE_CHANGED, 0);
    if (drawing.IsChanged())
        tellBoth(WM_OPTIONS_DRAWING_CHANGED, 0);
    const auto after = ThumbnailSettingsOf(options);
    if (!SameSettings(before, after) && g_appState.taskThread)
        g_appState.taskThread->SetSettings(after);
    return true;
}

bool COption::DoOptions()
{
    CWnd* browser = g_appState.browseFrame;
    return DoOptions(g_options, g_appState.GetMainWindowHandle(), browser ? browser->GetSafeHwnd() : nullptr);
}

void RunOptionsCommand()
{
    if (!g_appState.CanOpenOptions())
        return;
    CAppState::ModalScope modal(g_appState);
    COption().DoOptions();
}
