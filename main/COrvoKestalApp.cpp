#include "main/COrvoKestalApp.h"

#include "main/CAboutDlg.h"
#include "browser/dialogs/CAcceleratorDlg.h"
#include "core/CAppOptions.h"
#include "app/CAppState.h"
#include "core/CDrawingFileType.h"
#include "core/CProgramInfo.h"
#include "app/CStartupGuard.h"
#include "app/CacheOptions.h"
#include "app/OptionsStore.h"
#include "core/FileUtils.h"
#include "core/PathUtils.h"
#include "core/RegistryRoot.h"
#include "core/ShellOpen.h"
#include "engine/rkio/rkio.h"
#include "engine/rkui/RkUI.h"
#include "frames/browse/CBrowseFrame.h"
#include "frames/view/CViewFrame.h"
#include "framework/CException.h"
#include "framework/CRegKey.h"
#include "framework/Prompt.h"
#include "render/workers/TDwgDrawThread.h"
#include "res/resource.h"

#include <commctrl.h>

#include <memory>
#include <stdlib.h>
#include <time.h>

namespace {

const char kAppName[] = "Orvo DWG Viewer";
const char kCompanyKey[] = "Halvorn";
// Longer than the icons of any ordinary start take; a shell folder that hangs is not waited for.
const DWORD kIconWarmupWaitMs = 3000;

} // namespace

BEGIN_MESSAGE_MAP(COrvoKestalApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, &COrvoKestalApp::OnAppAbout)
    ON_COMMAND(ID_APP_EXIT, &COrvoKestalApp::OnAppExit)
    ON_COMMAND(ID_TOOLS_SEARCH_DIRECTORIES, &COrvoKestalApp::OnSetSearchDirectories)
    ON_UPDATE_COMMAND_UI(ID_TOOLS_OPTIONS, &COrvoKestalApp::OnUpdateToolsOptions)
    ON_COMMAND(ID_HELP_HOME_PAGE, &COrvoKestalApp::OnWebPage)
    ON_COMMAND(ID_HELP_OTHER_PRODUCTS, &COrvoKestalApp::OnWebPage)
    ON_COMMAND(ID_HELP_CONTENTS_F1, &COrvoKestalApp::OnHelpContents)
    ON_COMMAND(ID_HELP_ACCELERATOR_KEYS, &COrvoKestalApp::OnKeyList)
END_MESSAGE_MAP()

COrvoKestalApp::COrvoKestalApp() : CWinApp(kAppName)
{
}

// A root given by the environment is taken as it is or not at all: the user's own settings are
// never written by a run that was told to keep away from them.
CString COrvoKestalApp::ChooseRegistryKey()
{
    char value[512] = {};
    const DWORD length = GetEnvironmentVariableA(kRegistryRootVariable, value, sizeof(value));
    if (length == 0)
        return kCompanyKey;
    CString key;
    CString root;
    if (length < sizeof(value) && ParseRegistryRoot(value, m_pszAppName, key, root)) {
        g_strRegistryRoot = root;
        return key;
    }
    CString text;
    text.Format("The registry root in %s is not of the form Software\\<key> or Software\\<key>\\%s:\n\n%s\n\n"
                "The program does not start.",
                kRegistryRootVariable, m_pszAppName, length < sizeof(value) ? value : "(too long)");
    AfxMessageBox(text, MB_OK | MB_ICONSTOP);
    return CString();
}

BOOL COrvoKestalApp::InitInstance()
{
    const CString registryKey = ChooseRegistryKey();
    if (registryKey.IsEmpty())
        return FALSE;
    SetRegistryKey(registryKey);
    CStartupGuard guard(g_strRegistryRoot);
    guard.Begin();
    // The settings still hold their defaults here, so every type is listed.
    g_fileTypes.Build(g_options.OnlyShowDrawing);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xFF};
    InitCommonControlsEx(&controls);
    CWinApp::InitInstance();
    AfxOleInit();
    AfxEnableControlContainer();
    InitDLL();
    DWG_SetRasterDecoder(&m_rasterDecoder);
    g_appState.app = this;
    g_appState.LoadAppSettings();
    initRkUI(g_strRegistryRoot, m_pszAppName, 1, 7);
    LoadOptionsAtStartup();
    CString startPath;
    const int startMode = CAppState::ParseStartupCommandLine(startPath);
    StartIconWarmup(startMode, startPath);
    LoadStdProfileSettings(4);
    // A worker that cannot start has told the user; the program runs on without it.
    g_appState.StartPreviewThread();
    g_appState.StartTaskManagerThread();
    auto browse = std::make_unique<CBrowseFrame>();
    CBrowseFrame& browseFrame = *browse; // owned by its window once made
    if (!g_appState.CreateBrowseFrame(std::move(browse), false) ||
        !g_appState.CreateViewFrame(std::make_unique<CViewFrame>(), false)) {
        guard.Finish();
        return FALSE;
    }
    ForgetLastViewPath();
    // The windows that draw from the shell's image lists are shown only after the warm-up ended.
    if (m_iconWarmup.Finish(kIconWarmupWaitMs))
        browseFrame.GetTree().UseKnownIcons(m_iconWarmup.TakeAnswers());
    EnterStartMode(startMode, startPath);
    srand(static_cast<unsigned>(time(nullptr)));
    guard.Finish();
    return TRUE;
}

// The value was read into the state record; shut-down writes it back, so a start that dies
// leaves none behind.
void COrvoKestalApp::ForgetLastViewPath()
{
    CRegKey key;
    if (key.Open(HKEY_CURRENT_USER, ProgramKeyPath("main"), 0x2001F) == ERROR_SUCCESS)
        key.DeleteValue("LastViewPath");
}

// The folder the tree will select: the one named on the command line, else the last one when the
// options say to start there. A start in the view shows no tree yet: only the list's image lists.
void COrvoKestalApp::StartIconWarmup(int startMode, const CString& path)
{
    CString folder;
    if (startMode == CAppState::kStartInFolder)
        folder = path;
    else if (g_options.StartPreviousFolder)
        folder = g_appState.lastPath;
    m_iconWarmup.Start(static_cast<const char*>(folder), startMode != CAppState::kStartViewFile);
}

void COrvoKestalApp::EnterStartMode(int startMode, const CString& path)
{
    switch (startMode) {
    case CAppState::kStartInFolder:
        g_appState.EnterBrowseMode(path, true);
        break;
    case CAppState::kStartViewFile:
        OpenFromCommandLine(path);
        break;
    default:
        g_appState.EnterBrowseMode(nullptr, true);
        break;
    }
}

void COrvoKestalApp::OpenFromCommandLine(const CString& path)
{
    // Escape then ends the program instead of going back to the browser.
    g_appState.viewFrame->m_bStartedInView = true;
    g_appState.viewFrame->m_bReturnedToBrowser = false;
    g_appState.SetViewPath(path);
    g_appState.EnterViewMode();
    // Shown first, so the open asks for the size the view really has: one render per open.
    g_appState.viewFrame->OpenViewFile(path);
}

int COrvoKestalApp::Run()
{
    return CWinApp::Run();
}

BOOL COrvoKestalApp::OnIdle(LONG lCount)
{
    return CWinApp::OnIdle(lCount);
}

int COrvoKestalApp::ExitInstance()
{
    // A start that failed early may leave it running; it ends before what it uses is released.
    m_iconWarmup.Finish(kIconWarmupWaitMs);
    g_appState.mode.store(CAppState::kModeNone);
    g_appState.SaveAppSettings();
    g_appState.StopPreviewThread();
    g_appState.StopTaskManagerThread();
    try {
        SaveOptions(g_options);
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
        // A failed save must not keep the engine from being released.
    }
    // Left to the clean-up of static objects, a writer still at its library ran on while what it
    // uses was being destroyed, and the process crashed with the library half written.
    EndImageCache();
    releaseRkUI();
    UninitDLL();
    return CWinApp::ExitInstance();
}

void COrvoKestalApp::OnAppAbout()
{
    CAppState::ModalScope modal(g_appState);
    CAboutDlg dialog;
    dialog.DoModal();
}

void COrvoKestalApp::OnKeyList()
{
    CAppState::ModalScope modal(g_appState);
    ShowAcceleratorKeys(AfxGetMainWnd());
}

void COrvoKestalApp::OnAppExit()
{
    // Closing the main window the way the user does runs its own close steps.
    if (CWnd* main = GetMainWnd())
        main->PostMessage(WM_CLOSE);
}

void COrvoKestalApp::OnSetSearchDirectories()
{
    CAppState::ModalScope modal(g_appState);
    showSearchManager(nullptr);
}

void COrvoKestalApp::OnUpdateToolsOptions(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(g_appState.CanOpenOptions());
}

void COrvoKestalApp::OnWebPage()
{
    ShellOpen(g_appState.GetMainWindowHandle(), g_programInfo.homePage);
}

void COrvoKestalApp::OnHelpContents()
{
    // The program's own folder, wherever it was started from.
    const CString path = GetProgramFolder() + g_programInfo.helpFile;
    if (IsExistingFile(path))
        ShellOpen(g_appState.GetMainWindowHandle(), path);
    else
        AfxMessageBox("File not found :" + path, MB_OK);
}
