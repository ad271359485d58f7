// Insert into AutoCAD against a recording stand-in: a helper process registers an automation
// object as "AutoCAD.Application" in the running object table and writes down every command it
// is sent. The insertion dialog is answered through the modal seam, messages through the prompt
// seam. Also the command texts, block names and the dialog's checks on their own.
#include "frames/acad/AutoCADInsert.h"
#include "frames/acad/CInsertCADDlg.h"
#include "frames/acad/InsertCommands.h"
#include "framework/ModalSeam.h"
#include "framework/Prompt.h"
#include "res/resource.h"
#include "tests/frames/acad/AcadTestServer.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <ole2.h>

#include <clocale>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using orvo::test::TempDir;
using Fields = std::map<int, std::string>;

// The stand-in's process: started with its options, ended (and waited for) by the destructor.
class AcadServer
{
public:
    AcadServer(const std::string& record, const std::string& options)
    {
        static int serial = 0;
        const std::string id = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
        const std::string readyName = "OrvoAcadReady-" + id, quitName = "OrvoAcadQuit-" + id;
        m_ready = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
        m_quit = CreateEventA(nullptr, TRUE, FALSE, quitName.c_str());
        std::string command = "\"" + orvo::test::ProgramPath("AcadTestServer.exe") + "\" \"" + record + "\" " +
                              readyName + " " + quitName + " \"C:\\work\\site plan.dwg\" " + options;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_process))
            CloseHandle(m_process.hThread);
    }
    ~AcadServer()
    {
        SetEvent(m_quit);
        if (m_process.hProcess) {
            if (WaitForSingleObject(m_process.hProcess, 10000) != WAIT_OBJECT_0)
                TerminateProcess(m_process.hProcess, 1);
            CloseHandle(m_process.hProcess);
        }
        CloseHandle(m_ready);
        CloseHandle(m_quit);
    }
    AcadServer(const AcadServer&) = delete;
    AcadServer& operator=(const AcadServer&) = delete;

    bool WaitReady() const
    {
        return m_process.hProcess &&
               orvo::test::WaitFor([this] { return WaitForSingleObject(m_ready, 0) == WAIT_OBJECT_0; }, 20000);
    }

private:
    HANDLE m_ready = nullptr;
    HANDLE m_quit = nullptr;
    PROCESS_INFORMATION m_process = {};
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void Fill(HWND dialog, const Fields& fields)
{
    for (const auto& [id, text] : fields)
        SetDlgItemTextA(dialog, id, text.c_str());
}

class AutoCADInsert : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        RegSetValueA(HKEY_CLASSES_ROOT, "AutoCAD.Application\\CLSID", REG_SZ, kAcadTestServerClsidText,
                     sizeof kAcadTestServerClsidText);
    }
    void TearDown() override { OleUninitialize(); }

    std::string Record() const { return m_dir / "calls.txt"; }
    std::vector<std::string> Calls() const { return Lines(orvo::test::ReadFileBytes(Record())); }

    static InsertOutcome Insert(const std::vector<std::string>& paths)
    {
        CStringList list;
        for (const std::string& p : paths)
            list.AddTail(p.c_str());
        return InsertFilesIntoAutoCAD(list);
    }

    // The insertion dialog answered with fields (and "Zoom all" when zoom), or cancelled.
    CModalHandlerScope Answer(Fields fields, bool zoom, INT_PTR answer = IDOK)
    {
        return CModalHandlerScope([this, fields, zoom, answer](const ModalRequest& r) -> INT_PTR {
            if (r.kind != ModalKind::Dialog)
                return IDCANCEL;
            char prompt[512] = {};
            GetDlgItemTextA(r.pWnd->m_hWnd, IDC_ACAD_PROMPT, prompt, sizeof prompt);
            m_dialogPrompt = prompt;
            Fill(r.pWnd->m_hWnd, fields);
            CheckDlgButton(r.pWnd->m_hWnd, IDC_ACAD_ZOOM_ALL, zoom ? BST_CHECKED : BST_UNCHECKED);
            return answer;
        });
    }

    TempDir m_dir;
    std::string m_dialogPrompt;
    std::vector<std::string> m_prompts;
    CPromptHandlerScope m_promptScope{[this](const PromptRequest& r) {
        m_prompts.push_back(static_cast<LPCSTR>(r.strText));
        return IDOK;
    }};
};

TEST_F(AutoCADInsert, WithoutAutoCADTheUserIsToldToInstallIt)
{
    auto dialog = Answer({}, false);
    EXPECT_EQ(Insert({"C:\\a.dwg"}), InsertOutcome::NoAutoCAD);
    ASSERT_EQ(m_prompts.size(), 1u);
    EXPECT_NE(m_prompts[0].find("Please install AutoCAD first!"), std::string::npos);
}

// Three drawings with dots in their names, two copies each, two columns: six blocks filling
// three rows upwards; each second copy inserts the block the first defined, named after the file
// without its last extension. A text file and a picture in the selection are passed over.
TEST_F(AutoCADInsert, DottedDrawingsAreInsertedOnTheGrid)
{
    AcadServer server(Record(), "");
    ASSERT_TRUE(server.WaitReady());
    auto dialog = Answer({{IDC_ACAD_X, "10"}, {IDC_ACAD_Y, "20"}, {IDC_ACAD_COPIES, "2"}, {IDC_ACAD_COLUMNS, "2"},
                          {IDC_ACAD_ROW_SPACE, "50"}, {IDC_ACAD_COLUMN_SPACE, "30.5"}},
                         true);
    const InsertOutcome outcome = Insert(
        {"C:\\dwg files\\plan.v2.dwg", "C:\\dwg files\\notes.txt", "C:\\x\\site.a.b.dxf", "C:\\x\\photo.jpg",
              "C:\\x\\third.rev.1.dwg"});
    EXPECT_EQ(outcome, InsertOutcome::Inserted);
    EXPECT_NE(m_dialogPrompt.find("\"C:\\work\\site plan.dwg\""), std::string::npos) << m_dialogPrompt;
    const std::string tail = "\\n1.000000\\n1.000000\\n0.000000\\n";
    const std::vector<std::string> expected = {
        "-osnap\\noff\\n",
        "-insert\\n\"C:\\dwg files\\plan.v2.dwg\"\\n10.000000,20.000000,0.000000" + tail,
        "-insert\\n\"plan.v2\"\\n40.500000,20.000000,0.000000" + tail,
        "-insert\\n\"C:\\x\\site.a.b.dxf\"\\n10.000000,70.000000,0.000000" + tail,
        "-insert\\n\"site.a.b\"\\n40.500000,70.000000,0.000000" + tail,
        "-insert\\n\"C:\\x\\third.rev.1.dwg\"\\n10.000000,120.000000,0.000000" + tail,
        "-insert\\n\"third.rev.1\"\\n40.500000,120.000000,0.000000" + tail,
        "_zoom\\nE\\n",
    };
    EXPECT_EQ(Calls(), expected);
    ASSERT_EQ(m_prompts.size(), 1u);
    EXPECT_NE(m_prompts[0].find("successfully"), std::string::npos);
}

TEST_F(AutoCADInsert, LongPathsReachAutoCADWhole)
{
    AcadServer server(Record(), "");
    ASSERT_TRUE(server.WaitReady());
    auto dialog = Answer({}, false);
    const std::string path = "C:\\" + std::string(1500, 'd') + "\\long.dwg";
    EXPECT_EQ(Insert({path}), InsertOutcome::Inserted);
    const std::vector<std::string> calls = Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_NE(calls[1].find("\"" + path + "\""), std::string::npos);
}

TEST_F(AutoCADInsert, FailuresEndWithTheirMessage)
{
    struct Case
    {
        const char* options;
        InsertOutcome outcome;
        std::size_t calls;
        const char* message;
    };
    const Case cases[] = {
        {"--no-document", InsertOutcome::NoDrawing, 0, "There isn't editing drawing file"},
        {"--fail-command=1", InsertOutcome::CommandFailed, 1, "Insert error!"},
        {"--fail-command=3", InsertOutcome::CommandFailed, 3, "Insert error!"},
        {"--fail-zoom", InsertOutcome::ZoomFailed, 4, "did not zoom"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        DeleteFileA(Record().c_str());
        m_prompts.clear();
        AcadServer server(Record(), c.options);
        ASSERT_TRUE(server.WaitReady());
        auto dialog = Answer({{IDC_ACAD_COPIES, "2"}}, true);
        EXPECT_EQ(Insert({"C:\\a.dwg"}), c.outcome);
        EXPECT_EQ(Calls().size(), c.calls);
        ASSERT_EQ(m_prompts.size(), 1u);
        EXPECT_NE(m_prompts[0].find(c.message), std::string::npos) << m_prompts[0];
    }
}

TEST_F(AutoCADInsert, CancelledDialogSendsNothing)
{
    AcadServer server(Record(), "");
    ASSERT_TRUE(server.WaitReady());
    auto dialog = Answer({}, false, IDCANCEL);
    EXPECT_EQ(Insert({"C:\\a.dwg"}), InsertOutcome::Cancelled);
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(m_prompts.empty());
}

// The dialog on its own: each wrong field is named and the dialog stays; the seam is asked again
// and closes it.
TEST(InsertCADDialog, EachWrongFieldIsNamedInOrder)
{
    struct Case
    {
        Fields fields;
        bool sameScale;
        int files;
        const char* message;    // null: accepted
    };
    const Case cases[] = {
        {{{IDC_ACAD_X, "abc"}}, false, 1, "The X coordinates of insert point is error!"},
        {{{IDC_ACAD_Y, ""}}, false, 1, "The Y coordinates"},
        {{{IDC_ACAD_Z, "1,5"}}, false, 1, "The Z coordinates"},
        {{{IDC_ACAD_SCALE_X, "0"}}, false, 1, "The X scale is error!\nThe X scale must be greater than 0 ."},
        {{{IDC_ACAD_SCALE_Y, "-2"}}, false, 1, "The Y scale is error!"},
        {{{IDC_ACAD_SCALE_X, "2"}, {IDC_ACAD_SCALE_Y, "junk"}}, true, 1, nullptr},
        {{{IDC_ACAD_ANGLE, "1.2.3"}}, false, 1, "The rotation is error!"},
        {{{IDC_ACAD_COPIES, "0"}}, false, 1, "The copies is error!"},
        {{{IDC_ACAD_COLUMNS, "x"}}, false, 1, "The column number is error!"},
        {{{IDC_ACAD_ROW_SPACE, "bad"}}, false, 1, nullptr},
        {{{IDC_ACAD_ROW_SPACE, "bad"}, {IDC_ACAD_COPIES, "2"}}, false, 1, "The space of rows is error!"},
        {{{IDC_ACAD_COLUMN_SPACE, "bad"}}, false, 3, "The space of columns is error!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message ? c.message : "accepted");
        std::vector<std::string> prompts;
        CPromptHandlerScope promptScope([&](const PromptRequest& r) {
            prompts.push_back(static_cast<LPCSTR>(r.strText));
            return IDOK;
        });
        int asked = 0;
        CModalHandlerScope modal([&](const ModalRequest& r) -> INT_PTR {
            if (++asked > 1)
                return IDCANCEL;
            const HWND dialog = r.pWnd->m_hWnd;
            Fill(dialog, c.fields);
            if (c.sameScale) {
                CheckDlgButton(dialog, IDC_ACAD_SAME_SCALE, BST_CHECKED);
                SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_ACAD_SAME_SCALE, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_ACAD_SAME_SCALE)));
                EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_ACAD_SCALE_Y)));
                SetDlgItemTextA(dialog, IDC_ACAD_SCALE_Y, "junk");
            }
            return IDOK;
        });
        CInsertCADDlg dialog;
        dialog.m_nFileCount = c.files;
        const INT_PTR result = dialog.DoModal();
        if (!c.message) {
            EXPECT_EQ(result, IDOK);
            EXPECT_TRUE(prompts.empty());
            if (c.sameScale) {
                EXPECT_EQ(dialog.m_scaleY, 2.0);
            }
        } else {
            EXPECT_EQ(result, IDCANCEL);
            ASSERT_EQ(prompts.size(), 1u);
            EXPECT_NE(prompts[0].find(c.message), std::string::npos) << prompts[0];
        }
    }
}

TEST(InsertCADDialog, ArrayChangesShowBlocksAndRows)
{
    std::string info;
    bool rowSpaceEnabled = false, columnSpaceEnabled = true;
    CModalHandlerScope modal([&](const ModalRequest& r) -> INT_PTR {
        const HWND dialog = r.pWnd->m_hWnd;
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_ACAD_COLUMN_SPACE)));
        char text[64] = {};
        GetDlgItemTextA(dialog, IDC_ACAD_X, text, sizeof text);
        EXPECT_STREQ(text, "0.000000");
        SetDlgItemTextA(dialog, IDC_ACAD_COPIES, "2");
        SetDlgItemTextA(dialog, IDC_ACAD_COLUMNS, "4");
        char shown[128] = {};
        GetDlgItemTextA(dialog, IDC_ACAD_INFO, shown, sizeof shown);
        info = shown;
        rowSpaceEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_ACAD_ROW_SPACE));
        columnSpaceEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_ACAD_COLUMN_SPACE));
        return IDCANCEL;
    });
    CInsertCADDlg dialog;
    dialog.m_nFileCount = 3;
    dialog.DoModal();
    EXPECT_EQ(info, "Number of blocks is 6 , number of rows is 2 .");
    EXPECT_TRUE(rowSpaceEnabled);
    EXPECT_TRUE(columnSpaceEnabled);
}

TEST(InsertCommands, BlockNamesKeepTheirDots)
{
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\a\\plan.dwg", "plan"}, {"C:\\a\\plan.v2.dwg", "plan.v2"}, {"C:\\a.b\\plan", "plan"},
        {"plan.rev.1.DXF", "plan.rev.1"}, {"C:\\a\\.hidden.dwg", ".hidden"}, {"C:\\a\\.dwg", ".dwg"}};
    for (const auto& [path, name] : cases)
        EXPECT_EQ(InsertBlockName(path), name) << path;
}

TEST(InsertCommands, NumbersUseAPointWhateverTheLocale)
{
    const std::string before = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "German_Germany.1252");
    EXPECT_EQ(FormatInsertNumber(1.5), "1.500000");
    EXPECT_EQ(FormatInsertNumber(-1234.0000004), "-1234.000000");
    EXPECT_EQ(FormatInsertNumber(0.0), "0.000000");
    std::setlocale(LC_ALL, before.c_str());
}

TEST(InsertCommands, GridRunsAcrossFiles)
{
    InsertParameters p;
    p.x = 1;
    p.y = 2;
    p.copies = 1;
    p.columns = 3;
    p.columnSpace = 10;
    p.rowSpace = -5;
    const auto commands = BuildInsertCommands({"a.dwg", "b.dwg", "c.txt", "d.dwg", "e.dwg"}, p,
                                              [](const std::string& s) { return s.find(".dwg") != std::string::npos; });
    ASSERT_EQ(commands.size(), 4u);
    EXPECT_NE(commands[0].find("1.000000,2.000000"), std::string::npos);
    EXPECT_NE(commands[1].find("11.000000,2.000000"), std::string::npos);
    EXPECT_NE(commands[2].find("\"d.dwg\"\n21.000000,2.000000"), std::string::npos);
    EXPECT_NE(commands[3].find("\"e.dwg\"\n1.000000,-3.000000"), std::string::npos);
}

} // namespace
