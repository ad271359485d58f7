// Resource ids of the image menu tests.
#pragma once

#define IDR_MENUTEST_TOOLS 3101
#define IDR_MENUTEST_MORE 3102
#define IDR_MENUTEST_WIDE 3103
#define ID_MT_OPEN 33001
#define ID_MT_SAVE 33002
#define ID_MT_PRINT 33003
#define ID_MT_CUT 33004
#define ID_MT_GRID 33005
#define ID_MT_OTHER 33006
