// COrvoKestalApp: the application object (theApp): start-up in its fixed order, shut-down, and
// the application's own commands (About, search folders, help, web pages).
#pragma once

#include "framework/Afx.h"
#include "framework/AfxWin.h"
#include "browser/shell/ShellIconWarmup.h"
#include "imaging/DrawingRasterDecoder.h"

class COrvoKestalApp : public CWinApp
{
public:
    COrvoKestalApp();

    BOOL InitInstance() override;
    int Run() override;
    BOOL OnIdle(LONG lCount) override;
    int ExitInstance() override;

    // Tests run the program against a registry root of their own, named by this environment
    // variable as "Software\<key>\Orvo DWG Viewer\" so that the framework's profile follows it.
    static constexpr const char* kRegistryRootVariable = "ORVO_KESTAL_REGISTRY_ROOT";
    // The key for SetRegistryKey: "Halvorn", or the test root's when the variable names one of
    // the right form (g_strRegistryRoot is then pointed at it).
    CString ChooseRegistryKey();

protected:
    void OnAppAbout();
    // Help/Accelerator keys list, in browse and in view mode.
    void OnKeyList();
    void OnAppExit();
    void OnSetSearchDirectories();
    void OnUpdateToolsOptions(CCmdUI* pCmdUI);
    void OnWebPage();
    void OnHelpContents();

    DECLARE_MESSAGE_MAP()

private:
    static void ForgetLastViewPath();
    // The pictures of drawings' raster images, decoded by the imaging layer for the engine.
    DrawingRasterDecoder m_rasterDecoder;
    // The icons the first window shows are loaded while its frames are made.
    ShellIconWarmup m_iconWarmup;
    void StartIconWarmup(int startMode, const CString& path);
    static void EnterStartMode(int startMode, const CString& path);
    static void OpenFromCommandLine(const CString& path);
};
