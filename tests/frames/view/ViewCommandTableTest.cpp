// Every command of the view frame's menu (134), of the view's popups (179, 180, 239) and every key
// of its accelerator table (134), sent to the running frame with the real drawing thread, once with
// a drawing and once with an image shown. Each command either does what the table below says (a
// changed picture, a mode, a dialog, a switch, the browser) or is disabled where its rules say so
// and then changes nothing. A command found in a menu or the key table and missing from the table
// fails, and so does one that is enabled and changes nothing.
#include "frames/view/CViewFrame.h"

#include "app/CAppState.h"
#include "browser/shell/ShellItemLaunch.h"
#include "core/CAppOptions.h"
#include "core/ShellOpen.h"
#include "engine/rkio/CDrawing.h"
#include "engine/rkio/rkio.h"
#include "engine/rkui/RkUI.h"
#include "framework/ModalSeam.h"
#include "imaging/CDib.h"
#include "render/workers/TDwgDrawThread.h"
#include "res/resource.h"
#include "tests/frames/view/ViewFrameFixture.h"
#include "tests/imaging/ExifTestData.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

using orvo::test::WaitFor;

namespace {

constexpr DWORD kWaitMs = orvo::test::kViewWaitMs;

enum class Effect
{
    kDisabled,    // disabled by its rules for what is shown, and sending it changes nothing
    kPicture,     // the view shows another picture
    kZoomOut,     // mode 4 and a smaller picture at once
    kZoomIn,      // mode 5 and a larger picture at once
    kZoomWindow,  // mode 1
    kPan,         // mode 2
    kDialog,      // a dialog, message, property sheet, common dialog or the shell's window opens
    kRender,      // the drawing is drawn once more
    kBrowser,     // back to the browser
    kQuickMode,   // the quick mode switches
    kOrbit,       // the 3D dynamic view switches
    kPicking,     // picking a print window ends
    kFullScreen,  // full screen switches
    kSmooth,      // the smooth display setting switches
    kApplication, // the frame passes it on to the application (its handlers: AppStateTest)
};

// What is set up before the command, so that it has something to act on.
enum class Before
{
    kNone,
    kZoomedIn,  // one zoom step in first (a previous view, something to fit)
    kPanMode,   // pan mode first
    kGrey,      // grey colours first
    kSideView,  // the SW isometric view point first
    kOrbit,     // the 3D dynamic view on
    kPicking,   // picking a print window
};

struct Row
{
    UINT id;
    Before setup;
    Effect drawing;
    Effect image;
};

using E = Effect;
using S = Before;

const Row kRows[] = {
    {ID_VIEW_FILE_OPEN, S::kNone, E::kDialog, E::kDialog},
    {ID_VIEW_SAVE_AS, S::kNone, E::kDialog, E::kDialog},
    {ID_VIEW_PRINT, S::kNone, E::kDialog, E::kDialog},
    {ID_VIEW_INSERT_AUTOCAD, S::kNone, E::kDialog, E::kDisabled},
    {ID_VIEW_DRAWING_PROPERTIES, S::kNone, E::kDialog, E::kDialog},
    {ID_APP_EXIT, S::kNone, E::kApplication, E::kApplication},
    {ID_VIEW_BROWSER_MODE, S::kNone, E::kBrowser, E::kBrowser},
    {ID_VIEW_ZOOM_OUT, S::kNone, E::kZoomOut, E::kZoomOut},
    {ID_VIEW_ZOOM_IN, S::kNone, E::kZoomIn, E::kZoomIn},
    {ID_VIEW_ZOOM_WINDOW, S::kPanMode, E::kZoomWindow, E::kZoomWindow},
    {ID_VIEW_PAN, S::kNone, E::kPan, E::kPan},
    {ID_VIEW_ZOOM_PREVIOUS, S::kZoomedIn, E::kPicture, E::kPicture},
    {ID_VIEW_ZOOM_EXTENTS, S::kZoomedIn, E::kPicture, E::kPicture},
    {ID_VIEW_ONE_TO_ONE, S::kNone, E::kDisabled, E::kPicture},
    {ID_VIEW_AUTO_FIT, S::kZoomedIn, E::kDisabled, E::kPicture},
    {ID_VIEW_ROTATE_LEFT, S::kNone, E::kDisabled, E::kPicture},
    {ID_VIEW_ROTATE_RIGHT, S::kNone, E::kDisabled, E::kPicture},
    {ID_VIEW_MIRROR, S::kNone, E::kDisabled, E::kPicture},
    {ID_VIEW_FLIP, S::kNone, E::kDisabled, E::kPicture},
    // A JPEG file's only (its own case below); the list walk needs the browser's list.
    {ID_VIEW_EXIF_INFO, S::kNone, E::kDisabled, E::kDisabled},
    {ID_VIEW_NEXT_FILE, S::kNone, E::kDisabled, E::kDisabled},
    {ID_VIEW_PREVIOUS_FILE, S::kNone, E::kDisabled, E::kDisabled},
    {ID_VIEW_QUICK_MODE, S::kNone, E::kQuickMode, E::kDisabled},
    {ID_VIEW_REGEN, S::kNone, E::kRender, E::kDisabled},
    {ID_VIEW_LAYER, S::kNone, E::kDialog, E::kDisabled},
    {ID_VIEW_POINT_STYLE, S::kNone, E::kDialog, E::kDisabled},
    {ID_VIEW_3D_DYNAMIC, S::kNone, E::kOrbit, E::kDisabled},
    {ID_VIEW_3D_FRONT, S::kNone, E::kPicture, E::kDisabled},
    {ID_VIEW_3D_BACK, S::kNone, E::kPicture, E::kDisabled},
    {ID_VIEW_3D_LEFT, S::kNone, E::kPicture, E::kDisabled},
    {ID_VIEW_3D_RIGHT, S::kNone, E::kPicture, E::kDisabled},
    {ID_VIEW_3D_TOP, S::kSideView, E::kPicture, E::kDisabled},
    {ID_VIEW_3D_BOTTOM, S::kNone, E::kPicture, E::kDisabled},
    {ID_VIEW_3D_SW, S::kNone, E::kPicture, E::kDisabled},
    {ID_VIEW_3D_SE, S::kNone, E::kPicture, E::kDisabled},
    {ID_VIEW_3D_NE, S::kNone, E::kPicture, E::kDisabled},
    {ID_VIEW_3D_NW, S::kNone, E::kPicture, E::kDisabled},
    {ID_VIEW_SELECT_VIEWPOINT, S::kNone, E::kDialog, E::kDisabled},
    {ID_VIEW_ROTATE_VIEW, S::kNone, E::kDialog, E::kDisabled},
    {ID_VIEW_BLACK_WHITE, S::kNone, E::kPicture, E::kDisabled},
    {ID_VIEW_GRAY, S::kNone, E::kPicture, E::kDisabled},
    {ID_VIEW_256_COLORS, S::kGrey, E::kPicture, E::kDisabled},
    // One layout, one page: nowhere to go.
    {ID_VIEW_NEXT_PAGE, S::kNone, E::kDisabled, E::kDisabled},
    {ID_VIEW_PREVIOUS_PAGE, S::kNone, E::kDisabled, E::kDisabled},
    {ID_VIEW_FULL_SCREEN, S::kNone, E::kFullScreen, E::kFullScreen},
    {ID_TOOLS_OPTIONS, S::kNone, E::kDialog, E::kDialog},
    {ID_TOOLS_SEARCH_DIRECTORIES, S::kNone, E::kApplication, E::kApplication},
    {ID_HELP_CONTENTS_F1, S::kNone, E::kApplication, E::kApplication},
    {ID_HELP_ACCELERATOR_KEYS, S::kNone, E::kDialog, E::kDialog},
    {ID_HELP_HOME_PAGE, S::kNone, E::kApplication, E::kApplication},
    {ID_HELP_OTHER_PRODUCTS, S::kNone, E::kApplication, E::kApplication},
    {ID_APP_ABOUT, S::kNone, E::kApplication, E::kApplication},
    // The popups of the orbit and of picking show only there (an image has neither).
    {ID_VIEW_DYNAMIC_EXIT, S::kOrbit, E::kOrbit, E::kDisabled},
    {ID_VIEW_PICK_OK, S::kPicking, E::kPicking, E::kDisabled},
    {ID_VIEW_PICK_CANCEL, S::kPicking, E::kPicking, E::kDisabled},
    {ID_VIEW_SMOOTH_DISPLAY, S::kNone, E::kDisabled, E::kSmooth},
};

const Row* RowOf(UINT id)
{
    for (const Row& row : kRows) {
        if (row.id == id)
            return &row;
    }
    return nullptr;
}

void CollectCommands(HMENU menu, std::set<UINT>& out)
{
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        if (HMENU sub = ::GetSubMenu(menu, i)) {
            CollectCommands(sub, out);
            continue;
        }
        const UINT id = ::GetMenuItemID(menu, i);
        if (id != 0 && id != static_cast<UINT>(-1))
            out.insert(id);
    }
}

std::set<UINT> MenuCommands()
{
    std::set<UINT> ids;
    for (const UINT menu : {IDR_VIEWFRAME, IDR_VIEW_POPUP_MAIN, IDR_VIEW_POPUP_3DVIEW, IDR_VIEW_POPUP_PICK}) {
        const HMENU loaded = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menu));
        EXPECT_NE(loaded, nullptr) << menu;
        if (!loaded)
            continue;
        CollectCommands(loaded, ids);
        ::DestroyMenu(loaded);
    }
    return ids;
}

std::vector<ACCEL> Accelerators()
{
    const HACCEL table = ::LoadAcceleratorsA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_VIEWFRAME));
    if (!table)
        return {};
    std::vector<ACCEL> keys(static_cast<size_t>(::CopyAcceleratorTableA(table, nullptr, 0)));
    ::CopyAcceleratorTableA(table, keys.data(), static_cast<int>(keys.size()));
    return keys;
}

std::string KeyName(const ACCEL& key)
{
    std::string name;
    if (key.fVirt & FCONTROL)
        name += "Ctrl+";
    if (key.fVirt & FALT)
        name += "Alt+";
    if (!(key.fVirt & FVIRTKEY))
        return name + "'" + static_cast<char>(key.key) + "'";
    if (key.key >= '0' && key.key <= 'Z')
        return name + static_cast<char>(key.key);
    return name + "vk" + std::to_string(key.key);
}

// A 40 x 30 picture with four quarters of four colours: every turn and mirror shows another one.
bool WriteQuarters(const std::string& path)
{
    CDib dib;
    if (!dib.Create(40, 30, 24))
        return false;
    const HDC dc = dib.BeginMemDC();
    const struct
    {
        RECT rect;
        COLORREF colour;
    } quarters[] = {{{0, 0, 20, 15}, RGB(255, 0, 0)},
                    {{20, 0, 40, 15}, RGB(0, 255, 0)},
                    {{0, 15, 20, 30}, RGB(0, 0, 255)},
                    {{20, 15, 40, 30}, RGB(255, 255, 0)}};
    for (const auto& q : quarters) {
        const HBRUSH brush = ::CreateSolidBrush(q.colour);
        ::FillRect(dc, &q.rect, brush);
        ::DeleteObject(brush);
    }
    dib.EndMemDC();
    return dib.SaveFile(path.c_str()) != FALSE;
}

// Every modal the command opens, answered with its cancelling answer, and every shell launch.
class OpenedCounter
{
public:
    OpenedCounter()
        : m_layer(ModalSeam::PushLayer(~0u,
                                       [this](const ModalRequest& r) {
                                           ++m_count;
                                           return CancelAnswer(r);
                                       })),
          m_shellItem(SetShellItemLaunchHandler([this](HWND, LPCITEMIDLIST, const char*, const char*) {
              ++m_count;
              return true;
          })),
          m_shellOpen(SetShellOpenHandler([this](HWND, const char*) {
              ++m_count;
              return true;
          }))
    {
    }
    ~OpenedCounter()
    {
        ModalSeam::RemoveLayer(m_layer);
        SetShellItemLaunchHandler(m_shellItem);
        SetShellOpenHandler(m_shellOpen);
    }
    OpenedCounter(const OpenedCounter&) = delete;
    OpenedCounter& operator=(const OpenedCounter&) = delete;
    int Count() const { return m_count; }

private:
    int m_count = 0;
    int m_layer;
    ShellItemLaunchHandler m_shellItem;
    ShellOpenHandler m_shellOpen;
};

struct Snapshot
{
    std::vector<COLORREF> pixels;
    int mode = 0;
    bool picking = false, orbit = false, fullScreen = false, quick = false, smooth = false, visible = false;
    int appMode = 0;
    int renders = 0;

    bool operator==(const Snapshot& o) const
    {
        return pixels == o.pixels && mode == o.mode && picking == o.picking && orbit == o.orbit &&
               fullScreen == o.fullScreen && quick == o.quick && smooth == o.smooth && visible == o.visible &&
               appMode == o.appMode && renders == o.renders;
    }
};

struct TableCase
{
    bool image;
    bool keys; // through the accelerator table, else as the menus send them
};

class ViewCommandTable : public orvo::test::ViewFrameFixture, public ::testing::WithParamInterface<TableCase>
{
protected:
    void SetUp() override
    {
        InitDLL();
        initRkUI((m_registry.Key() + "\\").c_str(), "Orvo Kestal", 1, 0);
        ASSERT_TRUE(WriteQuarters(m_image));
        ASSERT_TRUE(orvo::test::WriteFileBytes(m_drawing, orvo::test::Generated3DDxf().data(),
                                               orvo::test::Generated3DDxf().size()));
    }
    void TearDown() override { releaseRkUI(); }

    CDwgView& View() { return m_frame->GetView(); }
    bool Image() const { return GetParam().image; }

    // The file shown afresh, the view out of every mode.
    bool ShowFresh()
    {
        if (m_frame->IsFullScreen())
            m_frame->SendMessage(WM_COMMAND, ID_VIEW_FULL_SCREEN);
        g_appState.mode.store(CAppState::kModeView);
        m_frame->ShowWindow(SW_SHOWNOACTIVATE);
        View().m_bDynamicView = false;
        View().SetPickWindowMode(false);
        View().m_bPickDone = false;
        View().SetMode(CDwgView::kModeZoomWindow);
        g_options.PreviewHalfTone = m_smooth;
        return Image() ? OpenImageAndWait(m_image) : OpenAndWait(m_drawing);
    }

    bool Prepare(Before setup)
    {
        switch (setup) {
        case Before::kNone:
            return true;
        case Before::kZoomedIn:
            return Send(ID_VIEW_ZOOM_IN) && WaitRender() && Settled() &&
                   (View().SetMode(CDwgView::kModeZoomWindow), true);
        case Before::kPanMode:
            View().SetMode(CDwgView::kModePan);
            return true;
        case Before::kGrey:
            return Send(ID_VIEW_GRAY) && WaitRender();
        case Before::kSideView:
            return Send(ID_VIEW_3D_SW) && WaitRender();
        case Before::kOrbit:
            if (!Image())
                View().SetDynamicViewMode(true);
            return Image() || View().m_bDynamicView;
        case Before::kPicking:
            if (!Image())
                View().SetPickWindowMode(true);
            return true;
        }
        return false;
    }

    bool Send(UINT id)
    {
        m_renders = m_frame->GetRenderCount();
        m_frame->SendMessage(WM_COMMAND, id);
        return true;
    }

    // A drawing's change comes back as a new picture; an image is painted at once.
    bool WaitRender()
    {
        if (Image())
            return Settled();
        return WaitFor([this] { return m_frame->GetRenderCount() > m_renders; }, kWaitMs) && Settled();
    }

    // The key as the user presses it: the frame's keys, then the accelerator table.
    void Press(const ACCEL& key)
    {
        m_renders = m_frame->GetRenderCount();
        BYTE state[256] = {};
        ::GetKeyboardState(state);
        BYTE pressed[256];
        memcpy(pressed, state, sizeof pressed);
        pressed[VK_CONTROL] = (key.fVirt & FCONTROL) ? 0x80 : 0;
        pressed[VK_MENU] = (key.fVirt & FALT) ? 0x80 : 0;
        pressed[VK_SHIFT] = 0;
        ::SetKeyboardState(pressed);
        const bool alt = (key.fVirt & FALT) != 0;
        MSG msg = {View().GetSafeHwnd(), static_cast<UINT>(alt ? WM_SYSKEYDOWN : WM_KEYDOWN), key.key,
                   alt ? (1 << 29) : 0, 0, {0, 0}};
        if (!(key.fVirt & FVIRTKEY))
            msg.message = WM_CHAR;
        if (!m_frame->PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::SetKeyboardState(state);
    }

    Snapshot Take()
    {
        Snapshot s;
        s.pixels = orvo::test::PrintClientPixels(View().GetSafeHwnd(), 2, nullptr, nullptr);
        s.mode = View().m_nMode;
        s.picking = View().m_bPickWindow;
        s.orbit = View().m_bDynamicView;
        s.fullScreen = m_frame->IsFullScreen();
        s.quick = Thread().QueryViewState();
        s.smooth = g_options.PreviewHalfTone;
        s.visible = m_frame->IsWindowVisible() != FALSE;
        s.appMode = g_appState.mode.load();
        s.renders = m_frame->GetRenderCount();
        return s;
    }

    // Sends the command (or presses the key) and checks what the row says it does.
    void Check(UINT id, const std::function<void()>& send)
    {
        const Row* row = RowOf(id);
        ASSERT_NE(row, nullptr) << "command " << id << " is in no row of the table";
        const Effect want = Image() ? row->image : row->drawing;
        ASSERT_TRUE(ShowFresh());
        ASSERT_TRUE(Prepare(row->setup));
        if (want == Effect::kApplication) {
            EXPECT_FALSE(m_frame->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr)) << "the frame passes it on";
            return;
        }
        EXPECT_EQ(IsEnabled(id), want != Effect::kDisabled) << "enabled";
        const Snapshot before = Take();
        int opened = 0;
        {
            OpenedCounter counter;
            send();
            if (want == Effect::kPicture || want == Effect::kRender || want == Effect::kZoomIn ||
                want == Effect::kZoomOut) {
                EXPECT_TRUE(WaitRender()) << "the picture comes";
            }
            EXPECT_TRUE(Settled());
            opened = counter.Count();
        }
        const Snapshot after = Take();
        switch (want) {
        case Effect::kDisabled:
            EXPECT_TRUE(after == before) << "a disabled command changes nothing";
            EXPECT_EQ(opened, 0);
            break;
        case Effect::kPicture:
            EXPECT_NE(after.pixels, before.pixels) << "another picture";
            break;
        case Effect::kZoomOut:
        case Effect::kZoomIn:
            EXPECT_EQ(after.mode, want == Effect::kZoomIn ? CDwgView::kModeZoomIn : CDwgView::kModeZoomOut);
            EXPECT_NE(after.pixels, before.pixels) << "one step at once";
            break;
        case Effect::kZoomWindow:
            EXPECT_EQ(after.mode, CDwgView::kModeZoomWindow);
            break;
        case Effect::kPan:
            EXPECT_EQ(after.mode, CDwgView::kModePan);
            break;
        case Effect::kDialog:
            EXPECT_GE(opened, 1) << "a window opens";
            break;
        case Effect::kRender:
            EXPECT_GT(after.renders, before.renders);
            break;
        case Effect::kBrowser:
            EXPECT_EQ(after.appMode, CAppState::kModeBrowse);
            EXPECT_FALSE(after.visible);
            break;
        case Effect::kQuickMode:
            EXPECT_NE(after.quick, before.quick);
            break;
        case Effect::kOrbit:
            EXPECT_NE(after.orbit, before.orbit);
            break;
        case Effect::kPicking:
            EXPECT_TRUE(before.picking);
            EXPECT_FALSE(after.picking);
            break;
        case Effect::kFullScreen:
            EXPECT_NE(after.fullScreen, before.fullScreen);
            break;
        case Effect::kSmooth:
            EXPECT_NE(after.smooth, before.smooth);
            break;
        case Effect::kApplication:
            break;
        }
    }

    orvo::test::TempDir m_dir;
    std::string m_image = m_dir / "quarters.bmp";
    std::string m_drawing = m_dir / "axes.dxf";
    bool m_smooth = g_options.PreviewHalfTone;
    int m_renders = 0;
};

} // namespace

TEST_P(ViewCommandTable, EveryCommandDoesWhatItsRowSays)
{
    if (!GetParam().keys) {
        const std::set<UINT> ids = MenuCommands();
        ASSERT_GT(ids.size(), 50u);
        for (const UINT id : ids) {
            SCOPED_TRACE(testing::Message() << "command " << id);
            Check(id, [this, id] { Send(id); });
        }
        return;
    }
    const std::vector<ACCEL> keys = Accelerators();
    ASSERT_GT(keys.size(), 30u);
    for (const ACCEL& key : keys) {
        SCOPED_TRACE(testing::Message() << KeyName(key) << " for command " << key.cmd);
        Check(key.cmd, [this, key] { Press(key); });
    }
}

INSTANTIATE_TEST_SUITE_P(Shown, ViewCommandTable,
                         ::testing::Values(TableCase{false, false}, TableCase{true, false}, TableCase{false, true},
                                           TableCase{true, true}),
                         [](const ::testing::TestParamInfo<TableCase>& info) {
                             return std::string(info.param.image ? "Image" : "Drawing") +
                                    (info.param.keys ? "Keys" : "Menus");
                         });

// The key table binds what the command table gives, with the menus' shortcut labels.
TEST(ViewCommandTablePieces, TheAcceleratorTableHoldsEveryKeyOfTheCommands)
{
    std::map<std::string, UINT> bound;
    for (const ACCEL& key : Accelerators())
        bound[KeyName(key)] = key.cmd;
    const std::map<std::string, UINT> wanted = {
        {"U", ID_VIEW_ZOOM_OUT},        {"Ctrl+U", ID_VIEW_ZOOM_OUT},       {"I", ID_VIEW_ZOOM_IN},
        {"Ctrl+I", ID_VIEW_ZOOM_IN},    {"W", ID_VIEW_ZOOM_WINDOW},         {"Ctrl+W", ID_VIEW_ZOOM_WINDOW},
        {"Ctrl+O", ID_VIEW_ZOOM_WINDOW}, {"P", ID_VIEW_PAN},                 {"Ctrl+P", ID_VIEW_PAN},
        {"E", ID_VIEW_ZOOM_EXTENTS},    {"Ctrl+E", ID_VIEW_ZOOM_EXTENTS},   {"Q", ID_VIEW_ZOOM_PREVIOUS},
        {"Ctrl+L", ID_VIEW_ZOOM_PREVIOUS}, {"Ctrl+1", ID_VIEW_ONE_TO_ONE},  {"A", ID_VIEW_AUTO_FIT},
        {"Ctrl+A", ID_VIEW_AUTO_FIT},   {"Alt+L", ID_VIEW_ROTATE_LEFT},     {"Alt+R", ID_VIEW_ROTATE_RIGHT},
        {"Alt+M", ID_VIEW_MIRROR},      {"Alt+F", ID_VIEW_FLIP},            {"vk34", ID_VIEW_NEXT_FILE},
        {"vk33", ID_VIEW_PREVIOUS_FILE}, {"vk117", ID_VIEW_EXIF_INFO},      {"','", ID_VIEW_PREVIOUS_PAGE},
        {"'.'", ID_VIEW_NEXT_PAGE},     {"F", ID_VIEW_FULL_SCREEN},         {"L", ID_VIEW_LAYER},
        {"R", ID_VIEW_REGEN},           {"Ctrl+R", ID_VIEW_REGEN},          {"S", ID_VIEW_SAVE_AS},
        {"T", ID_VIEW_PRINT},           {"vk112", ID_HELP_CONTENTS_F1},     {"vk115", ID_VIEW_SMOOTH_DISPLAY},
        {"Alt+X", ID_APP_EXIT},
    };
    for (const auto& [key, id] : wanted)
        EXPECT_EQ(bound[key], id) << key;
    EXPECT_EQ(bound.size(), wanted.size()) << "nothing more";
}

namespace {

class ViewJpegKeysTest : public orvo::test::ViewFrameFixture
{
protected:
    std::string WriteJpeg(const char* name, bool withExif)
    {
        orvo::test::Bytes jpeg = orvo::test::EncodeTestJpeg(32, 24, 3);
        if (withExif) {
            orvo::test::ExifBuilder exif(false);
            exif.Ascii(orvo::test::ExifBuilder::Ifd0, 0x010F, "Halvorn");
            jpeg = orvo::test::InsertApp1(jpeg, exif.Build());
        }
        const std::string path = m_dir / name;
        EXPECT_TRUE(orvo::test::WriteFileBytes(path, jpeg.data(), jpeg.size()));
        return path;
    }
    void PressF6()
    {
        MSG msg = {m_frame->GetView().GetSafeHwnd(), WM_KEYDOWN, VK_F6, 0, 0, {0, 0}};
        EXPECT_TRUE(m_frame->PreTranslateMessage(&msg));
    }

    orvo::test::TempDir m_dir;
};

} // namespace

// F6 shows a JPEG file's Exif block, or says that the file has none.
TEST_F(ViewJpegKeysTest, F6ShowsTheExifInformationOfTheShownJpeg)
{
    ASSERT_TRUE(OpenImageAndWait(WriteJpeg("camera.jpg", true)));
    ASSERT_TRUE(IsEnabled(ID_VIEW_EXIF_INFO));
    {
        CModalScript script({ModalStep(ModalKind::Dialog, IDD_EXIF_INFO, IDOK)});
        PressF6();
        EXPECT_EQ(script.Remaining(), 0u) << "the Exif dialog";
    }
    ASSERT_TRUE(OpenImageAndWait(WriteJpeg("plain.jpg", false)));
    ASSERT_TRUE(IsEnabled(ID_VIEW_EXIF_INFO));
    {
        CModalScript script({ModalStep(ModalKind::MessageBox, "There isn't Exif information in the file:", IDOK)});
        PressF6();
        EXPECT_EQ(script.Remaining(), 0u);
    }
}

// Alt let go after Alt+R turned the picture leaves the menu bar closed; Alt alone still opens it.
TEST_F(ViewJpegKeysTest, AnAltChordTakenByTheKeysLeavesTheMenuBarClosed)
{
    ASSERT_TRUE(OpenImageAndWait(WriteJpeg("plain.jpg", false)));
    const HWND view = m_frame->GetView().GetSafeHwnd();
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    BYTE alt[256];
    memcpy(alt, state, sizeof alt);
    alt[VK_MENU] = 0x80;
    ::SetKeyboardState(alt);
    MSG chord = {view, WM_SYSKEYDOWN, 'R', 1 << 29, 0, {0, 0}};
    EXPECT_TRUE(m_frame->PreTranslateMessage(&chord)) << "Alt+R is the accelerator's";
    ::SetKeyboardState(state);
    MSG up = {view, WM_SYSKEYUP, VK_MENU, static_cast<LPARAM>(0xC0000001), 0, {0, 0}};
    EXPECT_TRUE(m_frame->PreTranslateMessage(&up)) << "the Alt that ended the chord is kept from the menu bar";
    EXPECT_FALSE(m_frame->PreTranslateMessage(&up)) << "a lone Alt reaches the menu bar";
}
