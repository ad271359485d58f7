// The AutoCAD command texts of an insertion: one "-insert" per file and copy, laid out on a grid
// that fills row after row upwards across all files; the first copy of a file inserts it by its
// quoted path, later copies by its block name. Numbers are written with '.' whatever the user's
// locale. Index: InsertParameters, InsertBlockName, FormatInsertNumber, BuildInsertCommands.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct InsertParameters
{
    double x = 0.0, y = 0.0, z = 0.0;
    double scaleX = 1.0, scaleY = 1.0;
    double angle = 0.0;
    double columnSpace = 100.0, rowSpace = 100.0;
    int copies = 1;
    int columns = 1;
    bool zoomAll = false;
};

// The block the first insert of path defines: the file name without folder and without its
// last extension ("plan.v2.dwg" gives "plan.v2").
std::string InsertBlockName(const std::string& path);
// Six decimals and '.' as separator.
std::string FormatInsertNumber(double value);
// known: whether a path is a drawing the file-type table knows (others are skipped).
std::vector<std::string> BuildInsertCommands(const std::vector<std::string>& files, const InsertParameters& p,
                                             const std::function<bool(const std::string&)>& known);
