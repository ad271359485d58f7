// rkio: the engine's start and end, drawings (CDrawing), the export callback base (CDwgExport),
// the abort and progress callbacks, search folders, the stored preview pair lppp/ppll, the
// printing pen sets, the background colour and raster output. Safe to call from the drawing
// thread and the thumbnail thread at once.
#pragma once

#include "engine/rkio/CDrawing.h"
#include "engine/rkio/CDwgExport.h"

#include <windows.h>

// The abort query: the engine calls it while loading or drawing and abandons the work when it
// returns true. The document channel and the thumbnail channel have one each.
typedef bool (*DWG_FileAboutFunc)(void* context);
typedef void (*DWG_ProgressStartFunc)(int value);
typedef void (*DWG_ProgressFunc)(double percent);
typedef void (*DWG_ProgressFinishFunc)();

// Once at start-up and at exit. InitDLL lets the readers convert texts of every Windows code page.
BOOL InitDLL();
void UninitDLL();
// The CAD support folders (fonts, external references, raster files), separated by semicolons.
void DWG_SetSearchDirectories(const char* list);
// The decoder of the raster pictures placed in drawings (IMAGE entities), supplied by the
// program's imaging layer; it must stay until UninitDLL and be callable from any thread. Without
// one (null) images are drawn as their frames.
void DWG_SetRasterDecoder(RkDraw::RasterDecoder* decoder);
// Document channel (drawings of documents); (null, null) unregisters.
void DWG_SetFileAboutFunc(DWG_FileAboutFunc func, void* context);
// Thumbnail channel (drawings made with CDrawing::CreateDrawing(1)).
void DWG_SetFileAboutFunc_2(DWG_FileAboutFunc func, void* context);
// Progress of document loads only: start(0), progress(percent) as it advances, finish().
void DWG_SetProgressCallBackFuns(DWG_ProgressStartFunc start, DWG_ProgressFunc progress,
                                 DWG_ProgressFinishFunc finish);
// The stored preview picture of a drawing file as a BMP file image; ppll frees it.
bool lppp(const char* path, unsigned char** data, long* size);
void ppll(unsigned char** data);
// Pen sets used when drawing through an export device: the printer's resolution, and back to
// the defaults.
void CommonPenSets_SetDPI(short dpi);
void CommonPenSets_Reset();
// The background colour drawings are rendered against.
void DWG_SetBackgroundColor(COLORREF color);
// Writes a bitmap to a file: format 3 TIFF (uncompressed 24-bit), 1 BMP. The file is written to
// a temporary name beside it and renamed over the old one. True on success.
BOOL SaveRasterImage(HBITMAP bitmap, int format, const char* path, long reserved);
