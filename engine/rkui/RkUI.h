// RkUI: start and end, the layer manager, view point, point style and view rotation dialogs, the colour index, the cursor table, the number
// format, the printing pen set, the application-data folder, font replacement, labels, and the
// search-folder dialog. Classes live in namespace RkUI; the functions and the three objects are
// the library's exports at global scope. Every call may be made once initRkUI has run.
#pragma once

#include "engine/rkui/CSystemInfo.h"
#include "engine/rkui/Cursor.h"
#include "engine/rkui/PlotStyleRecord.h"
#include "engine/rkui/PrintPenSet.h"
#include "engine/rkui/PrintRecord.h"
#include "engine/rkui/DwgSaveDialog.h"

#include <windows.h>

class CDrawing;
class CString;
class CWnd;

extern RkUI::CSystemInfo g_systemInfo;
extern RkUI::Cursor g_cursor;
extern RkUI::PrintPenSet g_printPenSet;

// registryRoot: the program's key under HKEY_CURRENT_USER ("Software\...\"); RkUI keeps its own
// values under its "RkUI" subkey. The last two values are the caller's version numbers.
BOOL initRkUI(const char* registryRoot, const char* applicationName, int major, int minor);
void releaseRkUI();
// COLORREF of an ACI index (0..255; 256 "ByLayer" and other values give index 7). With a buffer
// (at least 16 characters) also the colour's name: "red" .. "white", "ByBlock", "ByLayer", or the
// number.
COLORREF GetColorIndex(short index, char* name);
// The colour dialog, starting at index; the index chosen, or the same index when cancelled.
short SelectColor(short index);
// The colour dialog is a CColorDialog, answered by the modal seam in tests. This older hook, kept
// for the tests written against it, replaces it while set: given the start colour, it answers a
// colour or -1 (cancel).
void SetColorPickerForTests(COLORREF (*picker)(COLORREF start));
// The user's application-data folder, without a trailing backslash; never null.
const char* getAppDataPath();
// Font replacement after a drawing is opened or saved: the renderer already draws every style
// with a TrueType face (SHX fonts with a readable stand-in), so nothing is replaced; 0.
int replaceFont(CDrawing* drawing);
// The label for a key; this library has no translations, so the default (null stays null).
const char* languageText(const char* key, const char* defaultText);
// The layer manager (modal, answerable through the modal seam): on/off, freeze and colour of
// each layer of the drawing. 1 when the user applied changes (they are in the drawing and the
// next render shows them), else 0; 0 for a null or closed drawing.
int showLayerManager(CDrawing* drawing);
// "Select View Point": one of the ten standard view points for the drawing; 1 when one was set
// (the caller redraws), else 0.
int showSetViewportDialog(CDrawing* drawing);
// The point style ("Point Style": PDMODE and PDSIZE); both values in and out. 1 on OK, else 0
// with the values as they were. Modes are 0-4 plus 32, 64 or 96 (circle, square, both).
int showSetPointDialog(int* mode, double* size);
// The view rotation ("Rotate View", degrees, -360 to 360); 1 on OK, else 0.
int showSetRotateViewDialog(double* angleDegrees);
// The plot style under "<program key><key>" ("PrintCfg\\plot"); missing or out-of-range values
// read as the defaults. The save is what the print manager does when the user confirms.
void loadPlotStyleDialogFromRegistry(const char* key, PlotStyleRecord* record);
bool savePlotStyleDialogToRegistry(const char* key, const PlotStyleRecord& record);
// The printing pen set (g_printPenSet) under "<program key><key>" ("PrintCfg\\pens"); initRkUI
// loads it, the print manager saves it when the user confirms.
void loadPenSetFromRegistry(const char* key);
bool savePenSetToRegistry(const char* key);
// The search-folder dialog (modal, answerable through the modal seam). OK stores the list under the RkUI key and hands it to the
// engine (DWG_SetSearchDirectories). IDOK or IDCANCEL.
int showSearchManager(HWND owner);
// The folder picker goes through the modal seam (a FolderPicker request). This older hook, kept
// for the tests written against it, replaces it while set: it answers a folder or "".
void SetSearchFolderPickerForTests(const char* (*picker)());
// The search folders as stored (semicolons between them).
const char* getSearchFolders();
// The print manager over the caller's print record: initPrintManager hands the record in,
// showPrintManager shows the dialog (modal, answerable through the modal seam) and answers 1 to
// print (the record holds the choices), 2 closed, 9 pick a window; releasePrintManager forgets
// the record. showPrintManager without a record answers 2.
void initPrintManager(PrintRecord* record);
int showPrintManager();
void releasePrintManager();
// The save dialog: the initial name, the filter ("label|*.ext|...||"), the owner, the callback
// that gives the name for a chosen kind, the kind to start on (from 1). 1 with the chosen kind
// and path filled when the user saved, else 0. The first, second, fourth and sixth values are
// the library's and are passed through.
int showDwgSaveDialog(int, int, const char* initialName, int, const char* filter, int, CWnd* owner,
                      RkUI::SaveTypeCallback callback, int initialIndex, int* chosenIndex, CString* path);
// The common file dialog for opening (openKind 1) or saving (0): filter in "label|patterns|...||"
// form, flags OFN_*. 1 with the chosen path in *path, else 0 and *path unchanged. Answerable
// through the modal seam (a common dialog).
int showDwgOpenDialog(int openKind, const char* defaultExt, const char* initialName, DWORD flags,
                      const char* filter, CWnd* owner, CString* path);
