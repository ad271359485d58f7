// The drawing password provider: remembered passwords first, in the order entered, then the
// password dialog (answered through the modal seam).
#include "browser/preview/DrawingPassword.h"

#include "framework/ModalSeam.h"
#include "framework/CWnd.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Answers each password dialog with the next scripted text (null: Cancel) and records the prompt.
class ScriptedDialogs
{
public:
    explicit ScriptedDialogs(std::vector<const char*> answers)
        : m_answers(std::move(answers)), m_scope([this](const ModalRequest& r) { return Answer(r); })
    {
    }
    int Shown() const { return m_shown; }
    const std::string& LastPrompt() const { return m_prompt; }

private:
    INT_PTR Answer(const ModalRequest& request)
    {
        EXPECT_EQ(request.kind, ModalKind::Dialog);
        EXPECT_EQ(request.nIDTemplate, static_cast<UINT>(IDD_DRAWING_PASSWORD));
        const HWND dialog = request.pWnd->GetSafeHwnd();
        char prompt[MAX_PATH] = {};
        ::GetDlgItemTextA(dialog, IDC_PASSWORD_PROMPT, prompt, MAX_PATH);
        m_prompt = prompt;
        const size_t at = static_cast<size_t>(m_shown++);
        if (at >= m_answers.size() || !m_answers[at])
            return IDCANCEL;
        ::SetDlgItemTextA(dialog, IDC_PASSWORD_EDIT, m_answers[at]);
        return IDOK;
    }

    std::vector<const char*> m_answers;
    int m_shown = 0;
    std::string m_prompt;
    CModalHandlerScope m_scope;
};

class DrawingPasswordTest : public ::testing::Test
{
protected:
    DrawingPasswordTest() { ForgetDrawingPasswords(); }
    ~DrawingPasswordTest() override { ForgetDrawingPasswords(); }
};

} // namespace

TEST_F(DrawingPasswordTest, FirstProtectedDrawingAsksAtOnceAndRemembersTheAnswer)
{
    ScriptedDialogs dialogs({"secret"});
    CString password;
    int index = -1;
    ASSERT_TRUE(GetDrawingPassword("C:\\plans\\locked.dwg", &password, &index));
    EXPECT_EQ(dialogs.Shown(), 1);
    EXPECT_EQ(dialogs.LastPrompt(), "C:\\plans\\locked.dwg");
    EXPECT_STREQ(password, "secret");
    EXPECT_EQ(index, -1);
    EXPECT_EQ(GetRememberedPasswordCount(), 1);
}

TEST_F(DrawingPasswordTest, CancelLeavesTheDrawingUnopenedAndRemembersNothing)
{
    ScriptedDialogs dialogs({nullptr});
    CString password = "untouched";
    int index = -1;
    EXPECT_FALSE(GetDrawingPassword("locked.dwg", &password, &index));
    EXPECT_STREQ(password, "untouched");
    EXPECT_EQ(GetRememberedPasswordCount(), 0);
}

TEST_F(DrawingPasswordTest, RememberedPasswordsAreTriedInOrderBeforeTheDialog)
{
    ScriptedDialogs dialogs({"first", "second", "third"});
    CString password;
    int index = -1;
    ASSERT_TRUE(GetDrawingPassword("a.dwg", &password, &index));
    index = -1;
    ASSERT_TRUE(GetDrawingPassword("b.dwg", &password, &index)); // "first" is tried: no dialog
    EXPECT_STREQ(password, "first");
    EXPECT_EQ(index, 0);
    ASSERT_TRUE(GetDrawingPassword("b.dwg", &password, &index)); // it failed: ask
    EXPECT_STREQ(password, "second");
    EXPECT_EQ(dialogs.Shown(), 2);
    // A third drawing: both remembered passwords, then the dialog.
    index = -1;
    std::vector<std::string> tried;
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(GetDrawingPassword("c.dwg", &password, &index));
        tried.push_back(static_cast<const char*>(password));
    }
    EXPECT_EQ(tried, (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(dialogs.Shown(), 3);
}

TEST_F(DrawingPasswordTest, HostileIndexOrMissingOutputsEndCleanly)
{
    ScriptedDialogs dialogs({"one", nullptr});
    CString password;
    int index = -1;
    ASSERT_TRUE(GetDrawingPassword("a.dwg", &password, &index));
    for (int hostile : {-1000, 1, 57, 0x7FFFFFFF}) {
        index = hostile;
        ASSERT_TRUE(GetDrawingPassword("a.dwg", &password, &index)) << hostile;
        EXPECT_EQ(index, 0) << hostile;
        EXPECT_STREQ(password, "one") << hostile;
    }
    EXPECT_FALSE(GetDrawingPassword("a.dwg", nullptr, &index));
    EXPECT_FALSE(GetDrawingPassword("a.dwg", &password, nullptr));
    EXPECT_EQ(dialogs.Shown(), 1);
}
