// The framework's non-window part in one include: strings, run-time classes, exceptions, files,
// archives, collections, registry keys, times, threads and synchronisation, globals and the
// prompt seam.
#pragma once

#include "framework/AfxDefs.h"
#include "framework/AfxGlobals.h"
#include "framework/CArchive.h"
#include "framework/CException.h"
#include "framework/CFile.h"
#include "framework/CFileException.h"
#include "framework/CObject.h"
#include "framework/CString.h"
#include "framework/CTime.h"
#include "framework/CTimeSpan.h"
#include "framework/Prompt.h"
