// The kinds of Save As: the eight drawing kinds (DWG and DXF of 2004, 2000, R14, R12) and the
// seven raster kinds, their filters for the save dialog, the names a change of kind gives, and
// the last kind chosen, remembered under "ViewWindow" ("VectorFormat", "RasterFormat").
// Index: DrawingSaveFormat, RasterSaveFormat and the functions over them.
#pragma once

#include "engine/rkui/DwgSaveDialog.h"
#include "framework/Afx.h"

struct DrawingSaveFormat
{
    const char* key;         // the label's key for the engine's translations
    const char* label;
    int kind;                // 1 DWG, 2 DXF
    int version;             // 9 2004, 8 2000, 7 R14, 5 R12
    const char* extension;
};

struct RasterSaveFormat
{
    UINT labelId;            // string table
    const char* label;       // used when the string table has none
    const char* pattern;
    const char* extension;
};

constexpr int kDrawingFormats = 8;
constexpr int kRasterFormats = 7;
extern const char kVectorFormatValue[];
extern const char kRasterFormatValue[];

// index 1..kDrawingFormats / 1..kRasterFormats; out of range gives the first.
const DrawingSaveFormat& DrawingFormat(int index);
const RasterSaveFormat& RasterFormat(int index);
CString DrawingSaveFilter();
CString RasterSaveFilter();

// The remembered index: missing, unreadable or 0 gives 1, above highest gives highest.
int ReadRememberedFormat(const char* valueName, int highest);
bool RememberFormat(const char* valueName, int index);

// The path with its extension (after the last dot of the file name) replaced, or added.
CString ReplaceExtension(const CString& path, const char* extension);
// The save dialog's answers to a change of kind: the name with that kind's extension (drawing
// indices 1..8); raster indices outside 1..7 leave the name as it is.
CString OnSaveTypeChangedDrawing(int index, const CString& name);
CString OnSaveTypeChangedImage(int index, const CString& name);
// True when both name the same file (full paths, without regard to case).
bool IsSameFile(const CString& a, const CString& b);

enum class SaveAsResult
{
    Saved,
    Cancelled,      // the user closed the dialog, or declined to replace the shown file
    Failed,         // the writer refused; the user was told and the kind is not remembered
};

// Saving over the file that is shown replaces the source with a converted copy: the user is
// asked first. True to go on (always when target is another file).
bool ConfirmReplacingShownFile(const CString& target, const CString& shown);

// A read-only file is never replaced (a rename over it would succeed on some systems): the user is
// told. True when target is such a file.
bool RefuseReadOnlyTarget(const CString& target);

// The save dialog over filter, starting on the kind remembered under valueName (1..kinds) with
// the name initialName gives for it; false when the user cancelled.
bool AskSaveTarget(const char* valueName, int kinds, const std::function<CString(int)>& initialName,
                   const CString& filter, CWnd* owner, RkUI::SaveTypeCallback callback, CString& path, int& chosen);
