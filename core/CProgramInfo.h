// CProgramInfo: the program's addresses and names (g_programInfo): the maker's home page and
// support mail box with the texts shown for them, the product title, the help file and the
// company.
#pragma once

#include "framework/Afx.h"

class CProgramInfo
{
public:
    CString homePage;
    CString homePageText;
    CString supportMail;
    CString supportMailText;
    CString productTitle;
    CString helpFile;
    CString company;
};

extern const CProgramInfo g_programInfo;
