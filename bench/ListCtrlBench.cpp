// The owner-drawn list with 20,000 rows of five typed columns: fill, a sort by each column, and a
// full repaint of one visible page into a memory DC (custom draw on), page after page. Prints ms
// per step. With "--show SECONDS" it then shows the filled list on the display for that long.
#include "framework/AfxWin.h"
#include "ui/CUIODListCtrl.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int kRows = 20000;
const UINT IDC_LIST = 100;

double NowMs()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Time spent in the list view's own row inserts, part of the fill.
double g_insertMs = 0;

void Fill(CUIODListCtrl& list)
{
    static const char* const kWords[] = {"plan", "section", "detail", "site", "roof", "elevation", "survey", "stair"};
    static const char* const kExtensions[] = {"dwg", "dxf", "png", "jpg", "tif", "dwf"};
    unsigned seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xFFFFFF;
    };
    list.SetRedraw(FALSE);
    for (int i = 0; i < kRows; ++i) {
        const double t0 = NowMs();
        const int n = list.AddItem(0);
        g_insertMs += NowMs() - t0;
        char text[96];
        snprintf(text, sizeof(text), "%s-%05u.%s", kWords[next() % 8], static_cast<unsigned>(next() % 100000),
                 kExtensions[next() % 6]);
        list.SetCellText(n, 0, text, UIOD_TEXT);
        snprintf(text, sizeof(text), "%lld KB", static_cast<long long>(next()) * 977);
        list.SetCellText(n, 1, text, UIOD_INTEGER_DIGITS);
        snprintf(text, sizeof(text), "%d", static_cast<int>(next() % 2000) - 1000);
        list.SetCellText(n, 2, text, UIOD_INTEGER);
        const COleDateTime date(2000 + static_cast<int>(next() % 25), 1 + static_cast<int>(next() % 12),
                                1 + static_cast<int>(next() % 28), static_cast<int>(next() % 24),
                                static_cast<int>(next() % 60), 0);
        list.SetCellDate(n, 3, date);
        snprintf(text, sizeof(text), "%u", static_cast<unsigned>(next() % 7200));
        list.SetCellText(n, 4, text, UIOD_DURATION);
        if (i % 7 == 0)
            list.SetRowColors(n, RGB(0, 0, 160), RGB(232, 240, 255));
    }
    list.SetRedraw(TRUE);
}

// Average of a full repaint of the visible page, over pages spread through the list.
double RepaintMs(CUIODListCtrl& list, HDC hdc)
{
    const int nPerPage = list.GetCountPerPage();
    const int nPages = 20;
    double total = 0;
    for (int page = 0; page < nPages; ++page) {
        const int nTop = page * (kRows / nPages);
        list.EnsureVisible(kRows - 1, FALSE);
        list.EnsureVisible(nTop, FALSE);
        const double start = NowMs();
        list.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(hdc), PRF_CLIENT | PRF_ERASEBKGND);
        total += NowMs() - start;
    }
    std::printf("  (%d rows per page)\n", nPerPage);
    return total / nPages;
}

} // namespace

int main(int argc, char** argv)
{
    int nShowSeconds = 0;
    if (argc == 3 && strcmp(argv[1], "--show") == 0)
        nShowSeconds = atoi(argv[2]);
    OleInitialize(nullptr);
    CWnd owner;
    if (!owner.CreateEx(0, AfxRegisterWndClass(0, ::LoadCursor(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)),
                        "Owner-drawn list: 20,000 rows", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20, 760, 560, nullptr,
                        nullptr))
        return 1;
    CRect client;
    owner.GetClientRect(&client);
    CUIODListCtrl list;
    if (!list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_EDITLABELS, client, &owner, IDC_LIST))
        return 1;
    list.InitListCtrl("Name|Size|Number|Modified|Length");
    list.SetColumnWidth(0, 180);
    list.SetColumnWidth(1, 150);
    list.SetColumnFormat(1, LVCFMT_RIGHT);
    list.SetColumnFormat(2, LVCFMT_RIGHT);
    list.SetColumnWidth(3, 170);

    double start = NowMs();
    Fill(list);
    std::printf("fill %d rows x 5 columns: %.1f ms (of which the list view's inserts %.1f ms)\n", kRows,
                NowMs() - start, g_insertMs);

    static const char* const kNames[] = {"name (text)", "size (64-bit digits)", "number (integer)", "date", "duration"};
    for (int column = 0; column < 5; ++column) {
        list.SetSortState(-1, TRUE);
        start = NowMs();
        list.SetSort(column, TRUE);
        std::printf("sort by %s: %.1f ms\n", kNames[column], NowMs() - start);
    }
    start = NowMs();
    list.SetSort(4, FALSE);
    std::printf("sort by duration, descending: %.1f ms\n", NowMs() - start);

    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.Width(), client.Height());
    ::ReleaseDC(nullptr, screen);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    const double repaint = RepaintMs(list, memory);
    std::printf("repaint of a visible page into a memory DC: %.2f ms\n", repaint);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);

    if (nShowSeconds > 0) {
        list.SetSort(0, TRUE);
        list.EnsureVisible(0, FALSE);
        list.SetRowBold(1, TRUE);
        list.SetCurSel(2);
        owner.ShowWindow(SW_SHOW);
        owner.UpdateWindow();
        const DWORD end = GetTickCount() + static_cast<DWORD>(nShowSeconds) * 1000;
        while (GetTickCount() < end) {
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
            Sleep(20);
        }
    }
    list.DestroyWindow();
    owner.DestroyWindow();
    OleUninitialize();
    return 0;
}
