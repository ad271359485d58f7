#include "app/StartupCommandLine.h"

#include "app/CAppState.h"
#include "core/CDrawingFileType.h"
#include "core/FileUtils.h"

namespace {

bool IsViewableFile(const char* path)
{
    return GetDrawingFileInfo(path, nullptr) && IsExistingFile(path);
}

int ParseOption(const char* option, const CString& path)
{
    CString lowered(option ? option : "");
    lowered.MakeLower();
    if (lowered == "/v")
        return IsViewableFile(path) ? CAppState::kStartViewFile : CAppState::kStartBrowser;
    if (lowered == "/b")
        return IsExistingFolder(path) ? CAppState::kStartInFolder : CAppState::kStartBrowser;
    return CAppState::kStartBrowser;
}

} // namespace

int ParseStartupArguments(int argc, const char* const* argv, CString& path)
{
    if (!argv || argc < 2)
        return CAppState::kStartBrowser;
    if (argc >= 3) {
        path = argv[2] ? argv[2] : "";
        return ParseOption(argv[1], path);
    }
    path = argv[1] ? argv[1] : "";
    if (IsViewableFile(path))
        return CAppState::kStartViewFile;
    return IsExistingFolder(path) ? CAppState::kStartInFolder : CAppState::kStartBrowser;
}
