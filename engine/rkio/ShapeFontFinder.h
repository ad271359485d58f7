// Finds and reads the shape (SHX) fonts a drawing's text styles name, where CAD programs look for
// them: the drawing's own folder, the program's search folders, then the font and support folders
// of installed AutoCAD releases.
#pragma once

#include "engine/db/Database.h"
#include "engine/draw/ShxFont.h"

#include <memory>
#include <string>
#include <vector>

namespace RkIo {

class ShapeFontFinder
{
public:
    // The folders searched, in order, for a drawing at that path.
    static std::vector<std::string> Folders(const std::string& drawingPath);
    // The fonts of the drawing's styles and of its multiline texts' own font codes found in
    // those folders (a stored full path first); a file that is no shape font is passed over.
    static std::unique_ptr<RkDraw::ShapeFontSet> Load(const RkDb::Database& db,
                                                       const std::vector<std::string>& folders);

private:
    static const std::vector<std::string>& AutodeskFolders();
    static void AddAutodeskFolders(const std::string& root, int depth, std::vector<std::string>& out);
    // The parsed font of that file, shared by every drawing that uses it while the file stays
    // as it was (its size and time are checked).
    static std::shared_ptr<const RkDraw::ShxFont> Read(const std::string& path);
    static void MTextFontFiles(const RkDb::Database& db, std::vector<std::string>& out);
    // A big font with its glyphs kept by the characters their codes give in the code page of
    // its drawing.
    static int BigFontCodePage(const RkDraw::ShxFont& font, const RkDb::Database& db);
    static std::shared_ptr<const RkDraw::ShxFont> Unicode(const RkDraw::ShxFont& font, const RkDb::Database& db);
};

} // namespace RkIo
