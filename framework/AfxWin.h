// The framework in one include: the non-window part (Afx.h) and the window part (application,
// message maps, windows, frames, views, bars, dialogs, GDI, menus, controls, common dialogs).
#pragma once

#include "framework/Afx.h"
#include "framework/AfxMsgMap.h"
#include "framework/AfxRes.h"
#include "framework/CCmdTarget.h"
#include "framework/CCmdUI.h"
#include "framework/CControlBar.h"
#include "framework/CDC.h"
#include "framework/CFrameWnd.h"
#include "framework/CGdiObject.h"
#include "framework/CHandleMap.h"
#include "framework/CMenu.h"
#include "framework/CRecentFileList.h"
#include "framework/CRect.h"
#include "framework/CStatusBar.h"
#include "framework/CToolBar.h"
#include "framework/CView.h"
#include "framework/CWinApp.h"
#include "framework/CWnd.h"
#include "framework/ModalSeam.h"
