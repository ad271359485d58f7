// CAppOptions: the record of every user option (g_options), with its defaults, the colours derived
// from it, and its load from and save to the program's registry keys.
#pragma once

#include "framework/Afx.h"

class CAppOptions
{
public:
    // Every field gets its default; the derived colours follow (SetDefaults).
    CAppOptions();

    // Derived colours from the default colours; run once while the record is made.
    void SetDefaults();
    // Recomputes the list colour and thumbnail colour (with SystemColor), the light and dark
    // thumbnail colours and the four list shades.
    void UpdateDerivedColors();

    // Reads "Option", "Option\Thumbnail", "Option\DwgDraw", "Option\Browser" and "Option\Raster"
    // under the registry root. A missing key or value, or a value not stored as REG_DWORD, keeps
    // the field; sizes and the sort column are clamped.
    void Load();
    // Writes the same values, all as REG_DWORD; a key that cannot be created is skipped. (The
    // thumbnail-cache options are saved beside it by SaveOptions, above the cache.)
    void SaveRecord() const;

    void SetSortType(int sortType);
    void SetBackgroundColor(int colorIndex);

    // The fields, in the record's order. Booleans are stored as 0 or 1.
    int BackGroundColor = 0; // low 16 bits: the drawing background's colour index
    int SortType = 0;        // sort column of the file list, 0..3
    bool IsWindowsNT = true; // not stored
    COLORREF ListShades[4] = {};
    int ThumbWidth = 170;  // 80..250
    int ThumbHeight = 130; // 80..250
    int ThumbBorder = 5;   // 5..10
    COLORREF ListCtrlColor = 0x808080;
    COLORREF ThumbnailColor = 0xC08080;
    COLORREF ThumbLightColor = 0;
    COLORREF ThumbDarkColor = 0;
    bool SystemColor = true;
    bool ReadBitmapFromDwg = true;
    bool ReadBitmapFromRaster = true;
    bool ForceUseLibSize = true;
    short DrawTextQickly = 0;
    short FillOn = 1;
    bool ZoomExtend = true;
    bool PreviewZoomExtend = false;
    bool ShowPathBox = true;
    bool ShowStatus = true;
    bool ShowToolBar = true;
    bool ShowFullPath = true;
    bool StartPreviousFolder = true;
    bool ShowNoneDrawingFile = true;
    bool OnlyShowDrawing = false;
    bool SortDir = true;
    bool ConstrainProportion = true;
    bool DBClickOpenByOrvoKestal = true;
    bool HighLight = true;
    bool PreviewHalfTone = false;

    // The stored fields in registry order, for the loader and the saver: the visitor gets each
    // subkey, then each of its values with the field it belongs to.
    template <class Options, class Visitor>
    static void VisitStoredFields(Options& options, Visitor& visitor);
};

extern CAppOptions g_options;

template <class Options, class Visitor>
void CAppOptions::VisitStoredFields(Options& o, Visitor& v)
{
    v.Subkey("Option");
    v.Bool("ConstrainProportion", o.ConstrainProportion);
    v.Subkey("Option\\Thumbnail");
    v.Int("ThumbWidth", o.ThumbWidth, 80, 250);
    v.Int("ThumbHeight", o.ThumbHeight, 80, 250);
    v.Int("ThumbBorder", o.ThumbBorder, 5, 10);
    v.Bool("ReadBitmapFromDwg", o.ReadBitmapFromDwg);
    v.Bool("ReadBitmapFromRaster", o.ReadBitmapFromRaster);
    v.Bool("ForceUseLibSize", o.ForceUseLibSize);
    v.Bool("SystemColor", o.SystemColor);
    v.Color("ListCtrlColor", o.ListCtrlColor);
    v.Color("ThumbnailColor", o.ThumbnailColor);
    v.Subkey("Option\\DwgDraw");
    v.Bool("DrawTextQickly", o.DrawTextQickly);
    v.Bool("FillOn", o.FillOn);
    v.Bool("ZoomExtend", o.ZoomExtend);
    v.Bool("PreviewZoomExtend", o.PreviewZoomExtend);
    v.ColorIndex("BackGroundColor", o.BackGroundColor);
    v.Bool("HighLight", o.HighLight);
    v.Subkey("Option\\Browser");
    v.Bool("OnlyShowDrawing", o.OnlyShowDrawing);
    v.Bool("ShowPathBox", o.ShowPathBox);
    v.Bool("ShowStatus", o.ShowStatus);
    v.Bool("ShowToolBar", o.ShowToolBar);
    v.Bool("ShowFullPath", o.ShowFullPath);
    v.Bool("StartPreviousFolder", o.StartPreviousFolder);
    v.Bool("ShowNoneDrawingFile", o.ShowNoneDrawingFile);
    v.Int("SortType", o.SortType, 0, 3);
    v.Bool("SortDir", o.SortDir);
    v.Bool("DBClickOpenByOrvoKestal", o.DBClickOpenByOrvoKestal);
    v.Subkey("Option\\Raster");
    v.Bool("PreviewHalfTone", o.PreviewHalfTone);
    v.Subkey(nullptr);
}
