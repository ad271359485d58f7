#include "engine/rkio/ShapeFontFinder.h"

#include "engine/db/CodePage.h"
#include "engine/db/TextEntities.h"
#include "engine/draw/TextPainter.h"
#include "engine/rkio/DrawingFile.h"
#include "engine/rkio/EngineState.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>

namespace RkIo {

namespace {

// Shape fonts are small; a larger file of that name is not read.
constexpr unsigned long long kMaxFontBytes = 16ull * 1024 * 1024;
// Folders at most this deep under an Autodesk folder ("AutoCAD 2020\R23.1\enu\Support").
constexpr int kAutodeskDepth = 4;
constexpr std::size_t kMaxAutodeskFolders = 256;

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file's size and write time, when it is a file small enough to be a font.
bool Stamp(const std::string& path, unsigned long long& stamp)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    const unsigned long long size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    const unsigned long long time =
        (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    stamp = time ^ (size * 0x9E3779B97F4A7C15ull);
    return size <= kMaxFontBytes;
}

// Fonts read by the process: browsing a folder opens many drawings that use the same few fonts.
class FontCache
{
public:
    static FontCache& Instance()
    {
        static FontCache cache;
        return cache;
    }
    std::shared_ptr<const RkDraw::ShxFont> Find(const std::string& key, unsigned long long stamp)
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        const auto found = m_fonts.find(key);
        return found != m_fonts.end() && found->second.first == stamp ? found->second.second : nullptr;
    }
    void Keep(const std::string& key, unsigned long long stamp, std::shared_ptr<const RkDraw::ShxFont> font)
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        if (m_fonts.size() >= kMaxCachedFonts)
            m_fonts.clear();
        m_fonts[key] = {stamp, std::move(font)};
    }

private:
    static constexpr std::size_t kMaxCachedFonts = 32;
    std::mutex m_lock;
    std::map<std::string, std::pair<unsigned long long, std::shared_ptr<const RkDraw::ShxFont>>> m_fonts;
};

// The shape font files of the folders searched, by folder: a drawing's own folder is searched for
// every drawing of a folder of thousands, and under Wine each name looked up there that is not
// a file costs a walk of the whole folder. A folder's list is made again when the folder
// changes (its write time) and at least every few seconds (file systems whose times are coarse).
class FolderFontFiles
{
public:
    static FolderFontFiles& Instance()
    {
        static FolderFontFiles lists;
        return lists;
    }
    // False only when the folder is known to hold no file of that name (a lower-case ".shx" name).
    bool MayHold(const std::string& folder, const std::string& lowerName)
    {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (!GetFileAttributesExA(folder.c_str(), GetFileExInfoStandard, &data) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            return true;
        const unsigned long long written =
            (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
        const std::string key = Lower(folder);
        const DWORD now = GetTickCount();
        const std::lock_guard<std::mutex> guard(m_lock);
        auto found = m_lists.find(key);
        if (found == m_lists.end() || found->second.written != written || now - found->second.listed > kFreshMs) {
            if (m_lists.size() >= kMaxFolders)
                m_lists.clear();
            Listing& listing = m_lists[key];
            listing.written = written;
            listing.listed = now;
            listing.complete = List(folder, listing.names);
            found = m_lists.find(key);
        }
        return !found->second.complete || found->second.names.count(lowerName) != 0;
    }

private:
    struct Listing
    {
        unsigned long long written = 0;
        DWORD listed = 0;
        bool complete = false;
        std::set<std::string> names;
    };
    static constexpr DWORD kFreshMs = 3000;
    static constexpr std::size_t kMaxFolders = 512;
    static constexpr std::size_t kMaxNames = 4096;

    // False when the folder could not be read or holds more fonts than are kept.
    static bool List(const std::string& folder, std::set<std::string>& names)
    {
        names.clear();
        WIN32_FIND_DATAA found = {};
        const HANDLE find = FindFirstFileA((folder + "\\*.shx").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
            return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_NO_MORE_FILES;
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                names.insert(Lower(found.cFileName));
        } while (names.size() <= kMaxNames && FindNextFileA(find, &found));
        FindClose(find);
        return names.size() <= kMaxNames;
    }

    std::mutex m_lock;
    std::map<std::string, Listing> m_lists;
};

bool IsShapeFileName(const std::string& lowerName)
{
    return lowerName.size() > 4 && lowerName.compare(lowerName.size() - 4, 4, ".shx") == 0;
}

} // namespace

void ShapeFontFinder::AddAutodeskFolders(const std::string& root, int depth, std::vector<std::string>& out)
{
    if (depth > kAutodeskDepth || out.size() >= kMaxAutodeskFolders)
        return;
    WIN32_FIND_DATAA found = {};
    const HANDLE find = FindFirstFileA((root + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || name == "." || name == "..")
            continue;
        const std::string path = root + "\\" + name;
        const std::string lower = Lower(name);
        if (lower == "fonts" || lower == "support")
            out.push_back(path);
        else
            AddAutodeskFolders(path, depth + 1, out);
    } while (out.size() < kMaxAutodeskFolders && FindNextFileA(find, &found));
    FindClose(find);
}

std::vector<std::string> ShapeFontFinder::Folders(const std::string& drawingPath)
{
    std::vector<std::string> folders;
    const std::string own = FolderOf(drawingPath);
    if (!own.empty())
        folders.push_back(own);
    for (const std::string& dir : EngineState::Instance().SearchDirectories())
        folders.push_back(dir);
    const std::vector<std::string>& autodesk = AutodeskFolders();
    folders.insert(folders.end(), autodesk.begin(), autodesk.end());
    return folders;
}

// Looked for once per run: installing a CAD program while this one runs is rare, and walking
// the program folders for every thumbnail is not.
const std::vector<std::string>& ShapeFontFinder::AutodeskFolders()
{
    static const std::vector<std::string> folders = [] {
        std::vector<std::string> found;
        std::set<std::string> roots;
        for (const char* variable : {"ProgramFiles", "ProgramW6432", "ProgramFiles(x86)", "APPDATA"}) {
            const char* value = std::getenv(variable);
            if (value && *value && roots.insert(Lower(value)).second)
                AddAutodeskFolders(std::string(value) + "\\Autodesk", 0, found);
        }
        return found;
    }();
    return folders;
}

// The font files multiline texts name in their own codes ("\\Fromans.shx|c0;").
void ShapeFontFinder::MTextFontFiles(const RkDb::Database& db, std::vector<std::string>& out)
{
    std::set<std::string> seen;
    for (const RkDb::Block& block : db.Blocks()) {
        for (const RkDb::EntityPtr& e : block.entities) {
            const auto* m = RkDb::As<RkDb::MText>(*e);
            if (!m)
                continue;
            for (std::size_t at = m->contents.find("\\F"); at != std::string::npos && seen.size() < 64;
                 at = m->contents.find("\\F", at + 2)) {
                const std::size_t end = m->contents.find_first_of("|;", at + 2);
                const std::string name = m->contents.substr(at + 2, end == std::string::npos ? std::string::npos : end - at - 2);
                if (seen.insert(Lower(name)).second)
                    out.push_back(name);
            }
        }
    }
}

std::shared_ptr<const RkDraw::ShxFont> ShapeFontFinder::Read(const std::string& path)
{
    unsigned long long stamp = 0;
    if (!Stamp(path, stamp))
        return nullptr;
    const std::string key = Lower(path);
    if (auto cached = FontCache::Instance().Find(key, stamp))
        return cached;
    std::string bytes;
    if (!DrawingFile::ReadAll(path.c_str(), bytes))
        return nullptr;
    std::shared_ptr<const RkDraw::ShxFont> font = RkDraw::ShxFont::Parse(bytes);
    if (font)
        FontCache::Instance().Keep(key, stamp, font);
    return font;
}

// A big font's glyphs are kept by the double-byte codes of an Asian code page: the drawing's
// own when it is one, else Chinese GB (the big font most drawings name, gbcbig.shx), or
// Japanese when the font's lead bytes are those of Shift-JIS (0x81-0x9F).
int ShapeFontFinder::BigFontCodePage(const RkDraw::ShxFont& font, const RkDb::Database& db)
{
    const int own = RkDb::CodePage::FromName(db.Header().codePage);
    if (own == 932 || own == 936 || own == 949 || own == 950 || own == 1361)
        return own;
    return font.ShapeNumbered(0x8140) || font.ShapeNumbered(0x889F) ? 932 : 936;
}

std::shared_ptr<const RkDraw::ShxFont> ShapeFontFinder::Unicode(const RkDraw::ShxFont& font, const RkDb::Database& db)
{
    const int codePage = BigFontCodePage(font, db);
    return font.Rekeyed([codePage](std::uint32_t code) -> std::uint32_t {
        const char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
        std::string utf8;
        if (code < 0x8000 || !RkDb::CodePage::ConvertWithPlatform(codePage, std::string_view(bytes, 2), utf8))
            return 0;
        std::size_t length = 0;
        const std::uint32_t cp = RkDb::CodePage::DecodeUtf8(utf8, 0, length);
        // One character, not the replacement of a code the code page lacks.
        return length == utf8.size() && cp >= 0x80 && cp != 0xFFFD ? cp : 0;
    });
}

std::unique_ptr<RkDraw::ShapeFontSet> ShapeFontFinder::Load(const RkDb::Database& db,
                                                             const std::vector<std::string>& folders)
{
    auto fonts = std::make_unique<RkDraw::ShapeFontSet>();
    std::set<std::string> tried;
    std::vector<std::string> files;
    for (const RkDb::TextStyle& style : db.TextStyles()) {
        if (style.typeface.empty()) {
            files.push_back(style.fontFile);
            files.push_back(style.bigFontFile);
        }
    }
    MTextFontFiles(db, files);
    for (const std::string& file : files) {
        if (file.empty() || RkDraw::TextPainter::IsTrueTypeFile(file) ||
            !tried.insert(RkDraw::ShapeFontSet::Key(file)).second)
            continue;
        std::string name = FileNameOf(file);
        if (name.find('.') == std::string::npos)
            name += ".shx";
        std::vector<std::string> candidates;
        if (file.find_first_of("\\/") != std::string::npos)
            candidates.push_back(file);
        const std::string lowerName = Lower(name);
        const bool listed = IsShapeFileName(lowerName);
        for (const std::string& folder : folders) {
            if (!listed || FolderFontFiles::Instance().MayHold(folder, lowerName))
                candidates.push_back(folder + "\\" + name);
        }
        for (const std::string& candidate : candidates) {
            if (auto font = Read(candidate)) {
                if (font->Big())
                    font = Unicode(*font, db);
                fonts->Add(file, std::move(font));
                break;
            }
        }
    }
    return fonts;
}

} // namespace RkIo
