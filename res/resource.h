// Resource identifiers of the program.
#pragma once

#define IDR_MAINFRAME 128
#define IDS_APP_TITLE 129

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
// ---- end of the drawing rendering block ----
