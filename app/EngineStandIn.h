// STAND-IN for the three engine calls the application core makes, declared as the engine's
// libraries export them: RkUI's user number format (g_systemInfo.getDecimalSep) and per-user
// application-data folder (getAppDataPath), and rkio's CAD support folders
// (DWG_SetSearchDirectories). The engine work replaces this header and EngineStandIn.cpp with its
// own headers and definitions; until then these answer from the system's own settings and keep
// the folders for a later engine start.
#pragma once

namespace RkUI {

class CSystemInfo
{
public:
    // The user's decimal separator character.
    char getDecimalSep() const;
};

extern CSystemInfo g_systemInfo;

// The per-user application-data folder without a trailing backslash; null when it is unknown.
const char* getAppDataPath();

} // namespace RkUI

// Hands the CAD support folders (a list separated by semicolons) to the drawing reader.
void DWG_SetSearchDirectories(const char* folders);
