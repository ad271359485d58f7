#include "frames/browse/BrowseBarLayout.h"

#include "core/RegistryRoot.h"

#include <iterator>

namespace BrowseBarLayout {

namespace {

constexpr DWORD kToolBar = 0xE800;
constexpr DWORD kStatusBar = 0xE801;
constexpr DWORD kTopDock = 0xE81B;
constexpr DWORD kLeftDock = 0xE81C;
constexpr DWORD kBottomDock = 0xE81E;
constexpr DWORD kPreview = 105;
constexpr DWORD kTree = 106;
constexpr DWORD kNeverFloatedX = 0x80000000;
constexpr DWORD kNeverFloatedY = 0xCDCDCDCD;
constexpr DWORD kMinus2 = 0xFFFFFFFE;
constexpr REGSAM kWriteAccess = 0x2001F;
constexpr REGSAM kReadAccess = 0x20019;

const char* const kAllKeys[] = {"Bar State-Bar0", "Bar State-Bar1",      "Bar State-Bar2",      "Bar State-Bar3",
                                "Bar State-Bar4", "Bar State-Bar5",      "Bar State-Bar6",      "Bar State-SCBar-105",
                                "Bar State-SCBar-106", "Bar State-Summary"};

// A docked bar's record: id, dock place (bottom, dock id, left, right, top) and float style.
Key BarRecord(const char* key, DWORD id, DWORD bottom, DWORD dockId, DWORD left, DWORD right, DWORD top,
              DWORD floatStyle, DWORD floatX, DWORD floatY, DWORD x)
{
    return {key,
            {{"BarID", id}, {"Docking", 1}, {"MRUDockBottomPos", bottom}, {"MRUDockID", dockId},
             {"MRUDockLeftPos", left}, {"MRUDockRightPos", right}, {"MRUDockTopPos", top},
             {"MRUFloatStyle", floatStyle}, {"MRUFloatXPos", floatX}, {"MRUFloatYPos", floatY}, {"XPos", x},
             {"YPos", top}}};
}

// A dock bar's list of bars: 0 begins, separates rows and ends it.
Key DockList(const char* key, DWORD dockId, const std::vector<DWORD>& bars)
{
    Key result{key, {}};
    static const char* const names[] = {"Bar#0", "Bar#1", "Bar#2", "Bar#3", "Bar#4", "Bar#5", "Bar#6", "Bar#7"};
    for (size_t i = 0; i < bars.size() && i < std::size(names); ++i)
        result.values.push_back({names[i], bars[i]});
    result.values.push_back({"BarID", dockId});
    result.values.push_back({"Bars", static_cast<DWORD>(bars.size())});
    return result;
}

Key Sizes(const char* key, DWORD floatCY, DWORD horzCX, DWORD horzCY, DWORD vertCX, DWORD vertCY)
{
    return {key,
            {{"Expanded", 0}, {"sizeFloatCX", 225}, {"sizeFloatCY", floatCY}, {"sizeHorzCX", horzCX},
             {"sizeHorzCY", horzCY}, {"sizeVertCX", vertCX}, {"sizeVertCY", vertCY}}};
}

Key Summary(DWORD bars)
{
    return {"Bar State-Summary", {{"Bars", bars}, {"ScreenCX", 1024}, {"ScreenCY", 768}}};
}

std::vector<Key> CommonKeys()
{
    Key toolBar = BarRecord("Bar State-Bar0", kToolBar, 25, 0, 0, 686, kMinus2, 0x2004, kNeverFloatedX,
                            kNeverFloatedY, 0);
    return {toolBar, {"Bar State-Bar1", {{"BarID", kStatusBar}}}};
}

std::vector<Key> ModeKeys(int mode)
{
    const Key topToolBar = DockList("Bar State-Bar2", kTopDock, {0, kToolBar, 0});
    switch (mode) {
    case 1:
        return {topToolBar,
                DockList("Bar State-Bar3", kLeftDock, {0, kTree, kPreview, 0}),
                BarRecord("Bar State-Bar4", kTree, 326, 0, 0, 465, kMinus2, 4, kNeverFloatedX, kNeverFloatedY, 0),
                BarRecord("Bar State-Bar5", kPreview, 657, kLeftDock, 0, 225, 328, 4, kNeverFloatedX,
                          kNeverFloatedY, 0),
                Sizes("Bar State-SCBar-105", 80, 225, 80, 465, 329),
                Sizes("Bar State-SCBar-106", 100, 225, 100, 465, 328), Summary(6)};
    case 2:
        return {topToolBar,
                DockList("Bar State-Bar3", kBottomDock, {0, kPreview, 0}),
                DockList("Bar State-Bar4", kLeftDock, {0, kTree, 0}),
                BarRecord("Bar State-Bar5", kTree, 321, 0, 0, 465, kMinus2, 4, kNeverFloatedX, kNeverFloatedY, 0),
                BarRecord("Bar State-Bar6", kPreview, 332, kBottomDock, 0, 1024, kMinus2, 0x1000, 952, 220, 0),
                Sizes("Bar State-SCBar-105", 80, 1024, 334, 465, 519),
                Sizes("Bar State-SCBar-106", 100, 225, 100, 465, 323), Summary(7)};
    case 3:
    case 4: {
        const bool treeFirst = mode == 3;
        const std::vector<DWORD> row = treeFirst ? std::vector<DWORD>{0, kToolBar, 0, kTree, kPreview, 0}
                                                 : std::vector<DWORD>{0, kToolBar, 0, kPreview, kTree, 0};
        // The tree's left edge in mode 4 is stored as 557 beside its place 577.
        const Key tree = treeFirst ? BarRecord("Bar State-Bar3", kTree, 421, kTopDock, 0, 447, 23, 4, kNeverFloatedX,
                                               kNeverFloatedY, 0)
                                   : BarRecord("Bar State-Bar3", kTree, 421, kTopDock, 557, 1024, 23, 4,
                                               kNeverFloatedX, kNeverFloatedY, 577);
        const Key preview = treeFirst ? BarRecord("Bar State-Bar4", kPreview, 421, kTopDock, 447, 1024, 23, 0x1000,
                                                  952, 220, 447)
                                      : BarRecord("Bar State-Bar4", kPreview, 421, kTopDock, 0, 577, 23, 0x1000,
                                                  952, 220, 0);
        return {DockList("Bar State-Bar2", kTopDock, row), tree, preview,
                Sizes("Bar State-SCBar-105", 80, 577, 398, 465, 519),
                Sizes("Bar State-SCBar-106", 100, 447, 398, 465, 323), Summary(5)};
    }
    default:
        return {};
    }
}

void WriteKey(const Key& key)
{
    HKEY handle = nullptr;
    const CString path = ProgramKeyPath(key.name);
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, kWriteAccess, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return;
    for (const Value& value : key.values)
        ::RegSetValueExA(handle, value.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.data),
                         sizeof(value.data));
    ::RegCloseKey(handle);
}

} // namespace

std::vector<Key> LayoutKeys(int mode)
{
    std::vector<Key> keys = ModeKeys(mode);
    if (keys.empty())
        return keys;
    std::vector<Key> common = CommonKeys();
    keys.insert(keys.begin(), common.begin(), common.end());
    return keys;
}

void Reset()
{
    for (const char* name : kAllKeys)
        ::RegDeleteKeyA(HKEY_CURRENT_USER, ProgramKeyPath(name));
    for (const Key& key : CommonKeys())
        WriteKey(key);
}

bool Write(int mode)
{
    const std::vector<Key> keys = ModeKeys(mode);
    if (keys.empty())
        return false;
    Reset();
    for (const Key& key : keys)
        WriteKey(key);
    return true;
}

bool IsSaved()
{
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, ProgramKeyPath("Bar State-SCBar-105"), 0, kReadAccess, &handle) !=
        ERROR_SUCCESS)
        return false;
    ::RegCloseKey(handle);
    return true;
}

} // namespace BrowseBarLayout
