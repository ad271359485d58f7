// CViewModeFrame: the view frame as the application's mode switch and start-up see it. The frame
// itself lives above the state record (frames/CViewFrame implements this); the record holds it
// through this class, so that the state record needs no frame's header.
#pragma once

#include "framework/Afx.h"
#include "framework/AfxWin.h"
#include "imaging/CGDIDevice.h"

class CViewModeFrame : public CFrameWnd
{
public:
    // The frame's resource (menu, accelerators, title) for LoadFrame.
    virtual UINT GetResourceId() const = 0;
    // The drawing thread's picture of the file being viewed.
    virtual CGDIDevice& GetPicture() = 0;
    // Opens a file for viewing at the view's own picture size (start-up's command-line file).
    virtual void OpenViewFile(const char* path) = 0;

    // Set by start-up before a file named on the command line is opened: Escape then ends the
    // program instead of going back to the browser.
    bool m_bStartedInView = false;
    // Set when the browser took over again; cleared before a command-line open.
    bool m_bReturnedToBrowser = false;
};
