// Resource identifiers of the program.
#pragma once

#define IDR_MAINFRAME 128
#define IDS_APP_TITLE 129

// ---- Application (app/, frames/): frames, commands, strings ----
#define IDR_BROWSEFRAME 116
#define IDR_VIEWFRAME 134
#define IDD_ABOUTBOX 101
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#define IDC_ABOUT_VERSION 1109
#define IDC_ABOUT_BANNER 1110
#define IDC_ABOUT_WEBSITE 1111
#define IDC_ABOUT_SUPPORT_MAIL 1112
#define IDC_ABOUT_AUTHOR_MAIL 1347
#define ID_TOOLS_OPTIONS 32778
#define ID_TOOLS_SEARCH_DIRECTORIES 32800
#define ID_HELP_HOME_PAGE 32804
#define ID_HELP_OTHER_PRODUCTS 32805
#define ID_VIEW_BROWSER_MODE 32829
#define ID_HELP_ACCELERATOR_KEYS 32934
#define ID_HELP_CONTENTS_F1 57671
#define IDS_CREATE_PREVIEW_THREAD_FAILED 3200
#define IDS_CREATE_TASK_THREAD_FAILED 3201
// ---- end of the application's block ----

// ---- File browser (browser/): dialogs ----
#define IDD_DRAWING_PASSWORD 238
#define IDC_PASSWORD_EDIT 1332
#define IDC_PASSWORD_LABEL 1333
#define IDC_PASSWORD_PROMPT 1334
// ---- end of the browser's block ----

// ---- Drawing engine (RkUI): the cursors of g_cursor, 3000..3019 ----
#define IDC_RK_ORBIT_VERTICAL 3000
#define IDC_RK_ORBIT_HORIZONTAL 3001
#define IDC_RK_ORBIT_OUTSIDE 3002
#define IDC_RK_ORBIT_INSIDE 3003
#define IDC_RK_ZOOM_IN 3004
#define IDC_RK_ZOOM_OUT 3005
#define IDC_RK_ZOOM_WINDOW 3006
#define IDC_RK_PAN 3010
#define IDC_RK_PAN_DRAG 3011
#define IDC_RK_OUTSIDE_WINDOW 3019
// ---- end of the drawing engine's block ----

// ---- Drawing rendering (render/): strings 3100..3119 ----
#define IDS_PASSWORD_PROTECTED 3100
#define IDS_OPEN_FILE_FAILURE 3101
#define IDS_LAYOUT_MODAL 3102
#define IDS_LAYOUT_PAPER 3103
#define IDS_THUMB_LOADING 3104
#define IDS_THUMB_ZOOMING_EXTENTS 3105
#define IDS_THUMB_REDRAWING 3106
#define IDS_DRAWING_FAILURE 3107
// ---- end of the drawing rendering block ----

// ---- Window library (ui/): the sizing bars' caption-button tips ----
#define IDS_SCB_HIDE_TIP 5000
#define IDS_SCB_EXPAND_TIP 5001
#define IDS_SCB_CONTRACT_TIP 5002
// ---- end of the window library block ----
