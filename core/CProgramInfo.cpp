#include "core/CProgramInfo.h"

const CProgramInfo g_programInfo = {
    "https://www.halvorn.example/",
    "www.halvorn.example",
    "mailto:support@halvorn.example",
    "support@halvorn.example",
    "Orvo DWG Viewer 2014",
    "dwgviewer.chm",
    "Halvorn Software",
};
