// Resource identifiers of the program.
#pragma once

#define IDR_MAINFRAME 128
#define IDS_APP_TITLE 129
