// Hooks on a window: the order of a chain, taking hooks off in any order, moving a hook, a window
// destroyed under its hooks, and Default during a nested send.
#include "ui/CSubclassWnd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const UINT kPing = WM_APP + 1;
const UINT kNested = WM_APP + 2;

std::vector<std::string>* g_trace = nullptr;

LRESULT CALLBACK OwnProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if ((msg == kPing || msg == kNested) && g_trace)
        g_trace->push_back("window " + std::to_string(msg - WM_APP));
    if (msg == kPing)
        return 7;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class TracingHook : public CSubclassWnd
{
public:
    explicit TracingHook(std::string name) : m_name(std::move(name)) {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_NCDESTROY)
            sawDestroy = true;
        if (msg == kPing && g_trace)
            g_trace->push_back(m_name);
        if (msg == kPing && answer)
            return 99;
        if (msg == kPing && nestFirst) {
            SendMessageA(GetHookedWindow(), kNested, 0, 0);
            return Default(); // still the ping, not the nested message
        }
        return CSubclassWnd::WindowProc(msg, wParam, lParam);
    }
    bool answer = false;
    bool nestFirst = false;
    bool sawDestroy = false;

private:
    std::string m_name;
};

class SubclassFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &OwnProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "OrvoSubclassTest";
        RegisterClassA(&wc);
        for (HWND& w : m_windows) {
            w = CreateWindowA(wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                              wc.hInstance, nullptr);
            ASSERT_NE(w, nullptr);
        }
        g_trace = &m_trace;
    }
    void TearDown() override
    {
        g_trace = nullptr;
        for (HWND w : m_windows)
            if (IsWindow(w))
                DestroyWindow(w);
    }
    std::vector<std::string> Ping(HWND w, LRESULT expected = 7)
    {
        m_trace.clear();
        EXPECT_EQ(expected, SendMessageA(w, kPing, 0, 0));
        return m_trace;
    }
    using Trace = std::vector<std::string>;

    HWND m_windows[2] = {};
    Trace m_trace;
};

TEST_F(SubclassFixture, TheNewestHookSeesAMessageFirstAndTheWindowLast)
{
    TracingHook older("older"), newer("newer");
    ASSERT_TRUE(older.HookWindow(m_windows[0]));
    ASSERT_TRUE(newer.HookWindow(m_windows[0]));
    EXPECT_EQ(Ping(m_windows[0]), (Trace{"newer", "older", "window 1"}));
    newer.answer = true;
    EXPECT_EQ(Ping(m_windows[0], 99), (Trace{"newer"}));
}

TEST_F(SubclassFixture, HooksComeOffInAnyOrderAndTheLastGivesTheProcedureBack)
{
    const LONG_PTR own = GetWindowLongPtrA(m_windows[0], GWLP_WNDPROC);
    TracingHook a("a"), b("b"), c("c");
    a.HookWindow(m_windows[0]);
    b.HookWindow(m_windows[0]);
    c.HookWindow(m_windows[0]);
    EXPECT_NE(own, GetWindowLongPtrA(m_windows[0], GWLP_WNDPROC));
    b.HookWindow(static_cast<HWND>(nullptr)); // the middle one
    EXPECT_FALSE(b.IsAttached());
    EXPECT_EQ(Ping(m_windows[0]), (Trace{"c", "a", "window 1"}));
    a.HookWindow(static_cast<HWND>(nullptr)); // the oldest
    EXPECT_EQ(Ping(m_windows[0]), (Trace{"c", "window 1"}));
    b.HookWindow(static_cast<HWND>(nullptr)); // again: nothing happens
    c.HookWindow(static_cast<HWND>(nullptr));
    EXPECT_EQ(own, GetWindowLongPtrA(m_windows[0], GWLP_WNDPROC));
    EXPECT_EQ(Ping(m_windows[0]), (Trace{"window 1"}));
}

TEST_F(SubclassFixture, HookingAgainNeverPutsAHookTwiceInAChain)
{
    TracingHook a("a"), b("b");
    a.HookWindow(m_windows[0]);
    b.HookWindow(m_windows[0]);
    a.HookWindow(m_windows[0]); // the same window again
    EXPECT_EQ(Ping(m_windows[0]), (Trace{"b", "a", "window 1"}));
    a.HookWindow(m_windows[1]); // moved: leaves the first window's chain
    EXPECT_EQ(Ping(m_windows[0]), (Trace{"b", "window 1"}));
    EXPECT_EQ(Ping(m_windows[1]), (Trace{"a", "window 1"}));
    {
        TracingHook passing("passing");
        passing.HookWindow(m_windows[1]);
        EXPECT_EQ(Ping(m_windows[1]), (Trace{"passing", "a", "window 1"}));
    } // a hook that goes out of scope takes itself off
    EXPECT_EQ(Ping(m_windows[1]), (Trace{"a", "window 1"}));
}

TEST_F(SubclassFixture, ADestroyedWindowLetsGoOfEveryHookUnseen)
{
    TracingHook a("a"), b("b");
    a.HookWindow(m_windows[0]);
    b.HookWindow(m_windows[0]);
    ASSERT_TRUE(DestroyWindow(m_windows[0]));
    EXPECT_FALSE(a.IsAttached());
    EXPECT_FALSE(b.IsAttached());
    EXPECT_FALSE(a.sawDestroy);
    EXPECT_FALSE(b.sawDestroy);
}

TEST_F(SubclassFixture, DefaultPassesOnTheMessageBeingHandledAfterANestedSend)
{
    TracingHook hook("hook");
    hook.nestFirst = true;
    hook.HookWindow(m_windows[0]);
    EXPECT_EQ(Ping(m_windows[0]), (Trace{"hook", "window 2", "window 1"}));
    hook.HookWindow(static_cast<CWnd*>(nullptr));
    EXPECT_FALSE(hook.IsAttached());
}

} // namespace
