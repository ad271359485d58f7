// The prompt seam: message boxes reach the installed handler, never the screen, and the scope
// helper puts the previous handler back.
#include "framework/Prompt.h"

#include "framework/AfxGlobals.h"
#include "framework/CFileException.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Recorder
{
    std::vector<PromptRequest> requests;
    int answer = IDOK;
    PromptHandler Handler()
    {
        return [this](const PromptRequest& r) {
            requests.push_back(r);
            return answer;
        };
    }
};

TEST(Prompt, MessageBoxesGoThroughTheHandler)
{
    Recorder recorder;
    CPromptHandlerScope scope(recorder.Handler());
    recorder.answer = IDNO;
    EXPECT_EQ(IDNO, AfxMessageBox("Delete it?", MB_YESNO));
    recorder.answer = IDOK;
    EXPECT_EQ(IDOK, AfxMessageBox(IDS_APP_TITLE));
    EXPECT_EQ(IDOK, AfxMessageBox("Stop", MB_OK | MB_ICONSTOP, 77));

    ASSERT_EQ(3u, recorder.requests.size());
    EXPECT_STREQ("Delete it?", recorder.requests[0].strText);
    EXPECT_STREQ(AfxGetAppName(), recorder.requests[0].strCaption);
    // Without an icon of their own, question boxes get the question mark, others the
    // exclamation mark; a given icon stays.
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), recorder.requests[0].nType);
    EXPECT_STREQ("Orvo DWG Viewer", recorder.requests[1].strText);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), recorder.requests[1].nType);
    EXPECT_EQ(static_cast<UINT>(IDS_APP_TITLE), recorder.requests[1].nIDHelp);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONSTOP), recorder.requests[2].nType);
    EXPECT_EQ(77u, recorder.requests[2].nIDHelp);
}

TEST(Prompt, ScopesNestAndRestore)
{
    Recorder outer, inner;
    CPromptHandlerScope outerScope(outer.Handler());
    {
        CPromptHandlerScope innerScope(inner.Handler());
        AfxMessageBox("inner");
    }
    AfxMessageBox("outer");
    ASSERT_EQ(1u, inner.requests.size());
    ASSERT_EQ(1u, outer.requests.size());
    EXPECT_STREQ("outer", outer.requests[0].strText);
}

TEST(Prompt, ExceptionReportsItsText)
{
    Recorder recorder;
    CPromptHandlerScope scope(recorder.Handler());
    CFileException e(CFileException::accessDenied, ERROR_ACCESS_DENIED, "C:\\x.opslib");
    e.ReportError();
    ASSERT_EQ(1u, recorder.requests.size());
    EXPECT_NE(-1, recorder.requests[0].strText.Find("C:\\x.opslib"));
}

TEST(AfxGlobals, ResourceHandleDefaultsToTheExecutable)
{
    EXPECT_EQ(GetModuleHandleA(nullptr), AfxGetResourceHandle());
    EXPECT_EQ(GetModuleHandleA(nullptr), AfxGetInstanceHandle());
    EXPECT_EQ(GetModuleHandleA(nullptr),
              AfxFindResourceHandle(MAKEINTRESOURCE((IDS_APP_TITLE >> 4) + 1), RT_STRING));
    EXPECT_EQ(nullptr, AfxGetApp());
    EXPECT_NE('\0', *AfxGetAppName());
}

} // namespace
