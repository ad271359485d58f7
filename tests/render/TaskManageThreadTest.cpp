// The thumbnail thread on a real folder of drawings and images, with the real engine, the real
// cache and a hidden window standing in for the file list: served from the cache without
// rendering, rebuilt without lookups, placeholders for what cannot be drawn, an empty queue,
// jobs kept alive for a list that answers late; and the stored preview of a drawing as a DIB.
#include "render/workers/TTaskManageThread.h"

#include "core/CAppOptions.h"
#include "imaging/CDrawingPreview.h"
#include "imaging/CRasterImage.h"
#include "imaging/KImage.h"
#include "render/cache/CacheFile.h"
#include "render/cache/KBMP.h"
#include "render/cache/TDwgCache.h"
#include "render/cache/TImageLib.h"
#include "render/workers/TDwgDrawThread.h"
#include "render/cache/TLibIndexTree.h"
#include "render/workers/TUnclaimedTasks.h"
#include "render/workers/WorkerAppState.h"
#include "tests/core/RegistryRootScope.h"
#include "tests/support/HiddenWindow.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

using orvo::test::TempDir;
using orvo::test::WaitFor;

namespace {

constexpr int kThumbWidth = 96;
constexpr int kThumbHeight = 72;

// What the list saw of one finished job.
struct Finished
{
    WPARAM wParam;
    int item;
    UINT result;
    int pictureWidth;  // 0: no picture
    int pictureHeight;
    int nominalWidth;
    std::string picture; // the BMP file image
};

// A hidden window that plays the file list: takes each finished job's picture, counts the
// status pictures and the end-of-queue notes. Hooks let a case act inside a handler, as the list
// does while the thread waits in its send.
class ListWindow
{
public:
    ListWindow()
        : m_window([this](UINT message, WPARAM wParam, LPARAM lParam) { Handle(message, wParam, lParam); })
    {
    }

    HWND Get() const { return m_window.Get(); }
    void Clear()
    {
        finished.clear();
        statusPictures = 0;
        queueEnds = 0;
        reports = 0;
        largestReport = 0;
    }
    const Finished* ForItem(int item) const
    {
        for (const Finished& f : finished) {
            if (f.item == item)
                return &f;
        }
        return nullptr;
    }

    std::vector<Finished> finished;
    int statusPictures = 0;
    int queueEnds = 0;
    // The messages that brought finished jobs, and the most jobs one of them brought.
    int reports = 0;
    size_t largestReport = 0;
    std::function<void(TTask&)> onFinished;
    std::function<void()> onStatus;

private:
    void Handle(UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == TTaskManageThread::kMsgTaskFinished && lParam) {
            ++reports;
            TakeJob(wParam, *reinterpret_cast<TTask*>(lParam));
        } else if (message == TTaskManageThread::kMsgTasksFinished && lParam) {
            ++reports;
            largestReport = std::max(largestReport, static_cast<size_t>(wParam));
            const auto* jobs = reinterpret_cast<const TTaskManageThread::FinishedJob*>(lParam);
            for (WPARAM i = 0; i < wParam; ++i)
                TakeJob(jobs[i].state, *jobs[i].task);
        } else if (message == CDrawCommonThread::kMsgPictureReady) {
            ++statusPictures;
            if (onStatus)
                onStatus();
        } else if (message == TTaskManageThread::kMsgQueueFinished)
            ++queueEnds;
    }

    void TakeJob(WPARAM wParam, TTask& task)
    {
        if (onFinished)
            onFinished(task);
        std::unique_ptr<KBMP> picture(task.DetachBitmap());
        Finished f{wParam, task.m_item, task.m_result, 0, 0, 0, {}};
        if (picture && !picture->IsEmpty()) {
            f.pictureWidth = picture->GetBitmapWidth();
            f.pictureHeight = picture->GetBitmapHeight();
            f.nominalWidth = picture->GetWidth();
            f.picture.assign(reinterpret_cast<const char*>(picture->GetImage()), picture->GetImageSize());
        }
        finished.push_back(f);
        task.m_taken = true;
    }

    orvo::test::HiddenWindow m_window;
};

const char kSmallDxf[] =
    "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n62\n1\n10\n0.0\n20\n0.0\n30\n0.0\n11\n100.0\n21\n"
    "50.0\n31\n0.0\n0\nCIRCLE\n8\n0\n62\n3\n10\n50.0\n20\n25.0\n30\n0.0\n40\n20.0\n0\nENDSEC\n"
    "0\nEOF\n";

// A bottom-up 24-bit BMP file of width x height in one colour.
std::string BmpFile(int width, int height, BYTE red)
{
    const int stride = (width * 3 + 3) & ~3;
    const DWORD bitsSize = static_cast<DWORD>(stride * height);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + bitsSize;
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = bitsSize;
    std::string out(reinterpret_cast<const char*>(&file), sizeof file);
    out.append(reinterpret_cast<const char*>(&info), sizeof info);
    std::string bits(bitsSize, '\0');
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bits[static_cast<size_t>(y * stride + x * 3 + 2)] = static_cast<char>(red);
    return out + bits;
}

// Overwrites a file with as many bytes of rubbish and puts its write time back: the cache still
// takes it for the file it knows, but nothing can read it any more.
void SpoilKeepingStamp(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
    const std::string rubbish(data.nFileSizeLow, 'x');
    ASSERT_TRUE(orvo::test::WriteFileBytes(path, rubbish.data(), rubbish.size()));
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetFileTime(file, nullptr, nullptr, &data.ftLastWriteTime);
    CloseHandle(file);
}

// The application's state the thread is handed, in the given mode.
struct AppStateScope : WorkerAppState
{
    explicit AppStateScope(int startMode) { mode.store(startMode); }
};

struct Job
{
    std::string path;
    int type;
};

// A job that counts how many of its kind are alive.
class CountedTask : public TTask
{
public:
    CountedTask(const char* path, int item, int type) : TTask(path, item, true, type) { ++s_alive; }
    ~CountedTask() override { --s_alive; }
    static std::atomic<int> s_alive;
};

std::atomic<int> CountedTask::s_alive{0};

class ThumbnailFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CacheFile::SetRetryPolicy({3, 1});
        CreateLibIndexTree(m_cache.Path().c_str(), false, true);
        CreateDwgCache(true);
    }
    void TearDown() override
    {
        if (m_thread) {
            EXPECT_TRUE(m_thread->StopAndWait(20000));
        }
        m_thread.reset();
        DeleteDwgCache();
        DeleteLibIndexTree();
        CacheFile::SetRetryPolicy({100, 100});
    }

    // workers 0: as many as the machine's cores give.
    void Start(bool storedPreview = false, int backgroundColorIndex = 7, int workers = 0)
    {
        m_thread.reset(); // before the next one registers its abort query
        m_list.Clear();
        m_thread = workers > 0 ? std::make_unique<TTaskManageThread>(workers) : std::make_unique<TTaskManageThread>();
        m_thread->SetAppState(&m_state);
        TTaskManageThread::ThumbnailSettings settings;
        settings.readStoredPreview = storedPreview;
        settings.backgroundColorIndex = backgroundColorIndex;
        m_thread->SetSettings(settings);
        m_thread->SetNotifyWnd(m_list.Get());
        ASSERT_TRUE(m_thread->SetThumbSize(kThumbWidth, kThumbHeight));
        ASSERT_TRUE(m_thread->CreateThread());
        ASSERT_TRUE(m_thread->WaitUntilIdle(10000));
        WaitFor([] { return false; }, 50);
        EXPECT_EQ(0, m_list.queueEnds); // disabled until the first folder
    }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        const std::string path = m_folder / name;
        EXPECT_TRUE(orvo::test::WriteFileBytes(path, bytes.data(), bytes.size()));
        return path;
    }

    // Hands the jobs over as the list does and waits for the end of the queue and its flush.
    void Serve(const std::vector<Job>& jobs, bool cacheFirst, bool rebuild = false)
    {
        m_list.Clear();
        for (size_t i = 0; i < jobs.size(); ++i)
            m_thread->AddTask(new TTask(jobs[i].path.c_str(), static_cast<int>(i), cacheFirst, jobs[i].type));
        m_thread->SetEnabled(true);
        m_thread->SetRebuild(rebuild);
        m_thread->SetStartIndex(0);
        m_thread->StartFolder(m_folder.Path().c_str());
        ASSERT_TRUE(WaitFor([&] { return m_list.queueEnds > 0; }, 60000));
        ASSERT_TRUE(m_thread->WaitUntilIdle(10000));
        ASSERT_TRUE(GetDwgCache()->WaitForWriter(10000));
    }

    // Hands the jobs over as the list does, numbered from firstItem.
    void HandOver(const std::vector<Job>& jobs, int firstItem)
    {
        for (size_t i = 0; i < jobs.size(); ++i)
            m_thread->AddTask(new TTask(jobs[i].path.c_str(), firstItem + static_cast<int>(i), true, jobs[i].type));
        m_thread->SetEnabled(true);
        m_thread->SetRebuild(false);
        m_thread->SetStartIndex(0);
        m_thread->StartFolder(m_folder.Path().c_str());
    }

    // The list keeps its first finished job past the send's time-out: the folder changes while
    // the list is busy, the thread gives up waiting and drops its queue, but the message is still
    // being handled. Once the thread is idle, alive tells (into outcome) what is still there.
    void HoldTheFirstJob(bool& outcome, std::function<bool(TTask&)> alive)
    {
        auto first = std::make_shared<bool>(true);
        m_list.onFinished = [this, first, &outcome, alive](TTask& task) {
            if (!*first)
                return;
            *first = false;
            m_thread->SetResultFlag(false);
            Sleep(TTaskManageThread::kTaskSendTimeoutMs + 100);
            const DWORD start = GetTickCount();
            while (!m_thread->IsIdle() && GetTickCount() - start < 20000)
                Sleep(10);
            outcome = m_thread->IsIdle() && alive(task);
        };
    }

    // Drawings and images of distinct names and pictures, count of each.
    std::vector<Job> ManyFiles(int count)
    {
        std::vector<Job> jobs;
        for (int i = 0; i < count; ++i) {
            const std::string n = std::to_string(i);
            // The same extents, a circle of its own place in each.
            const std::string dxf = "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0.0\n20\n0.0\n30\n0.0\n11\n"
                                    "100.0\n21\n50.0\n31\n0.0\n0\nCIRCLE\n8\n0\n10\n" + std::to_string(10 + 2 * i) +
                                    ".0\n20\n25.0\n30\n0.0\n40\n5.0\n0\nENDSEC\n0\nEOF\n";
            jobs.push_back({Write("many" + n + ".dxf", dxf), 1});
            jobs.push_back({Write("many" + n + ".bmp", BmpFile(30 + i, 20, static_cast<BYTE>(i))), 4});
        }
        return jobs;
    }

    // Two drawings and two images, one wider than the cell and one smaller than it.
    std::vector<Job> DrawingsAndImages()
    {
        return {{Write("first.dxf", kSmallDxf), 1},
                {Write("second.dxf", std::string(kSmallDxf) + "\n"), 1},
                {Write("wide.bmp", BmpFile(300, 100, 200)), 4},
                {Write("small.bmp", BmpFile(20, 10, 90)), 4}};
    }

    RegistryRootScope m_registry;
    AppStateScope m_state{1};
    TempDir m_cache;
    TempDir m_folder;
    ListWindow m_list;
    std::unique_ptr<TTaskManageThread> m_thread;
};

} // namespace

TEST_F(ThumbnailFixture, AFolderSeenAgainIsServedFromTheCacheWithoutRendering)
{
    Start();
    const std::vector<Job> jobs = DrawingsAndImages();
    Serve(jobs, true);
    ASSERT_EQ(jobs.size(), m_list.finished.size());
    for (const Finished& f : m_list.finished) {
        EXPECT_EQ(1u, f.wParam) << f.item; // rendered in the render pass
        EXPECT_EQ(1u, f.result) << f.item;
        EXPECT_EQ(kThumbWidth, f.nominalWidth) << f.item;
    }
    // Images keep their proportions and are never enlarged.
    EXPECT_EQ(96, m_list.ForItem(2)->pictureWidth);
    EXPECT_EQ(32, m_list.ForItem(2)->pictureHeight);
    EXPECT_EQ(20, m_list.ForItem(3)->pictureWidth);
    EXPECT_EQ(kThumbWidth, m_list.ForItem(0)->pictureWidth);
    EXPECT_GT(m_list.statusPictures, 0);
    // The pictures are made side by side: they come back in the order they were finished.
    std::map<int, std::string> first;
    for (const Finished& f : m_list.finished)
        first[f.item] = f.picture;

    // Nothing could be drawn from these files any more: only the cache can answer.
    for (const Job& job : jobs)
        SpoilKeepingStamp(job.path);
    Serve(jobs, true);
    ASSERT_EQ(jobs.size(), m_list.finished.size());
    for (const Finished& f : m_list.finished) {
        EXPECT_EQ(0u, f.wParam) << f.item; // the cache pass
        EXPECT_EQ(1u, f.result) << f.item;
        EXPECT_TRUE(first[f.item] == f.picture) << f.item;
    }
    EXPECT_EQ(0, m_list.statusPictures);
}

// The darkest and brightest channel value of a thumbnail's pixels (a whole BMP file image).
// The colour at (x, y), counted from the top, of a finished job's 24-bit BMP file image.
RGBQUAD PixelOf(const Finished& f, int x, int y)
{
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    if (f.picture.size() < sizeof file + sizeof info)
        return {};
    std::memcpy(&file, f.picture.data(), sizeof file);
    std::memcpy(&info, f.picture.data() + sizeof file, sizeof info);
    const size_t stride = (size_t(info.biWidth) * 3 + 3) & ~size_t(3);
    const LONG row = info.biHeight > 0 ? info.biHeight - 1 - y : y;
    const size_t at = file.bfOffBits + size_t(row) * stride + size_t(x) * 3;
    if (info.biBitCount != 24 || at + 3 > f.picture.size())
        return {};
    const auto* p = reinterpret_cast<const BYTE*>(f.picture.data() + at);
    return RGBQUAD{p[0], p[1], p[2], 0};
}

std::pair<int, int> ChannelRange(const std::string& bmp)
{
    if (bmp.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))
        return {0, 255};
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    std::memcpy(&file, bmp.data(), sizeof file);
    std::memcpy(&info, bmp.data() + sizeof file, sizeof info);
    const size_t stride = (size_t(info.biWidth) * 3 + 3) & ~size_t(3);
    int low = 255, high = 0;
    for (LONG y = 0; y < std::abs(info.biHeight); ++y) {
        for (size_t x = 0; x < size_t(info.biWidth) * 3; ++x) {
            const size_t at = file.bfOffBits + size_t(y) * stride + x;
            if (at >= bmp.size())
                return {0, 255};
            const int v = static_cast<unsigned char>(bmp[at]);
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    return {low, high};
}

// Fine stripes become an even grey in a thumbnail, whether the photo was decoded at a reduced
// scale (JPEG) or in full (BMP): a sampling shrink would show black or white bars.
TEST_F(ThumbnailFixture, PhotosAreShrunkByAveragingWithoutAliasing)
{
    CRasterImage stripes(1600, 1200, 24, RASTER_FORMAT_JPG);
    for (DWORD y = 0; y < 1200; ++y) {
        BYTE* row = stripes.GetBits(y);
        for (DWORD x = 0; x < 1600 * 3; ++x)
            row[x] = (x / 3) % 4 < 2 ? 255 : 0;
    }
    stripes.SetJpegQuality(100);
    const std::string jpeg = m_folder / "stripes.jpg";
    const std::string bmp = m_folder / "stripes.bmp";
    ASSERT_TRUE(stripes.Save(jpeg.c_str(), RASTER_FORMAT_JPG));
    ASSERT_TRUE(stripes.Save(bmp.c_str(), RASTER_FORMAT_BMP));
    Start();
    Serve({{jpeg, 5}, {bmp, 4}}, true);
    for (int item : {0, 1}) {
        const Finished* f = m_list.ForItem(item);
        ASSERT_TRUE(f) << item;
        EXPECT_EQ(1u, f->result) << item;
        EXPECT_EQ(kThumbWidth, f->pictureWidth) << item;
        EXPECT_EQ(kThumbHeight, f->pictureHeight) << item;
        const std::pair<int, int> range = ChannelRange(f->picture);
        EXPECT_GE(range.first, 105) << item;
        EXPECT_LE(range.second, 150) << item;
    }
}

// The thumbnail has no opacity: a transparent picture's clear part showed the colour its
// pixels held (here magenta) instead of the cell's.
TEST_F(ThumbnailFixture, TransparentPicturesShowTheCellThrough)
{
    CRasterImage picture(320, 240, 24, RASTER_FORMAT_PNG);
    picture.AlphaCreate();
    for (DWORD y = 0; y < 240; ++y) {
        BYTE* row = picture.GetBits(y);
        for (DWORD x = 0; x < 320; ++x) {
            const bool clear = x < 160;
            row[3 * x] = clear ? 255 : 200;
            row[3 * x + 1] = clear ? 0 : 100;
            row[3 * x + 2] = clear ? 255 : 20;
            picture.AlphaSet(long(x), long(y), clear ? 0 : 255);
        }
    }
    const std::string png = m_folder / "clear.png";
    ASSERT_TRUE(picture.Save(png.c_str(), RASTER_FORMAT_PNG));
    Start();
    Serve({{png, 9}}, true);
    const Finished* f = m_list.ForItem(0);
    ASSERT_TRUE(f);
    ASSERT_EQ(1u, f->result);
    ASSERT_FALSE(f->picture.empty());
    const COLORREF cell = g_options.ThumbnailColor;
    const RGBQUAD left = PixelOf(*f, 2, f->pictureHeight / 2);
    EXPECT_EQ(left.rgbRed, GetRValue(cell));
    EXPECT_EQ(left.rgbGreen, GetGValue(cell));
    EXPECT_EQ(left.rgbBlue, GetBValue(cell));
    const RGBQUAD right = PixelOf(*f, f->pictureWidth - 3, f->pictureHeight / 2);
    EXPECT_EQ(right.rgbRed, 20);
    EXPECT_EQ(right.rgbBlue, 200);
}

TEST_F(ThumbnailFixture, ARebuildRendersEveryJobAndLooksNothingUp)
{
    Start();
    const std::vector<Job> jobs = DrawingsAndImages();
    Serve(jobs, true);
    ASSERT_EQ(jobs.size(), m_list.finished.size());

    // The cache still matches every file, but a rebuild must not ask it.
    for (const Job& job : jobs)
        SpoilKeepingStamp(job.path);
    Serve(jobs, false, true);
    ASSERT_EQ(jobs.size(), m_list.finished.size());
    for (const Finished& f : m_list.finished) {
        EXPECT_EQ(2u, f.wParam) << f.item;
        EXPECT_EQ(2u, f.result) << f.item;
        EXPECT_EQ(kThumbWidth, f.pictureWidth) << f.item; // the placeholder
    }
}

TEST_F(ThumbnailFixture, FilesThatCannotBeDrawnGetPlaceholdersAndTheThreadGoesOn)
{
    Start();
    const std::string gone = Write("gone.dxf", kSmallDxf);
    const std::string goneImage = Write("gone.jpg", BmpFile(8, 8, 1));
    const std::vector<Job> jobs = {
        {gone, 1},
        {goneImage, 5},
        {Write("broken.dxf", std::string(300, '\x01')), 1},
        {Write("broken.png", "\x89PNG\r\n\x1a\n truncated"), 9},
        {m_folder / "never.dwg", 0},
        {Write("good.dxf", kSmallDxf), 1},
    };
    // Deleted after the list was made, before the thread came to them.
    DeleteFileA(gone.c_str());
    DeleteFileA(goneImage.c_str());
    Serve(jobs, true);
    ASSERT_EQ(jobs.size(), m_list.finished.size());
    EXPECT_FALSE(m_thread->HasExited());
    for (int item = 0; item < 5; ++item) {
        const Finished* f = m_list.ForItem(item);
        ASSERT_NE(nullptr, f) << item;
        EXPECT_EQ(2u, f->wParam) << item;
        EXPECT_EQ(kThumbWidth, f->pictureWidth) << item;
        EXPECT_EQ(kThumbHeight, f->pictureHeight) << item;
    }
    EXPECT_EQ(1u, m_list.ForItem(5)->result);
    // Every failure shows the same placeholder.
    EXPECT_EQ(m_list.ForItem(0)->picture, m_list.ForItem(4)->picture);
}

TEST_F(ThumbnailFixture, APasswordProtectedDrawingGetsItsOwnPlaceholder)
{
    ORVO_REQUIRE_SAMPLES(samples);
    Start();
    std::string bytes = orvo::test::ReadFileBytes(samples + "\\dwg\\example_2004.dwg");
    ASSERT_GT(bytes.size(), 0x100u);
    bytes[0x18] = 1; // the data is encrypted with a password
    const std::vector<Job> jobs = {{Write("locked.dwg", bytes), 0}, {m_folder / "missing.dwg", 0}};
    Serve(jobs, true);
    ASSERT_EQ(2u, m_list.finished.size());
    for (const Finished& f : m_list.finished) {
        EXPECT_EQ(2u, f.wParam) << f.item;
        EXPECT_EQ(kThumbWidth, f.pictureWidth) << f.item;
    }
    EXPECT_NE(m_list.ForItem(0)->picture, m_list.ForItem(1)->picture);
}

TEST_F(ThumbnailFixture, SampleDrawingsAreRenderedOrTakenFromTheirStoredPreview)
{
    ORVO_REQUIRE_SAMPLES(samples);
    std::vector<Job> jobs;
    for (const char* name : {"example_2000.dwg", "example_2018.dwg", "sample_2000.dwg"}) {
        const std::string path = m_folder / name;
        ASSERT_TRUE(CopyFileA((samples + "\\dwg\\" + name).c_str(), path.c_str(), FALSE)) << name;
        jobs.push_back({path, 0});
    }
    Start(false);
    Serve(jobs, true);
    ASSERT_EQ(jobs.size(), m_list.finished.size());
    for (const Finished& f : m_list.finished) {
        EXPECT_EQ(1u, f.result) << f.item;
        EXPECT_EQ(kThumbWidth, f.pictureWidth) << f.item;
    }

    Start(true);
    Serve(jobs, true);
    ASSERT_EQ(jobs.size(), m_list.finished.size());
    for (const Finished& f : m_list.finished) {
        CDib preview;
        if (!GetDrawingPreviewDib(jobs[static_cast<size_t>(f.item)].path.c_str(), &preview))
            continue;
        // Stored previews come first and are served in the cache pass, centred in the cell.
        EXPECT_EQ(0u, f.wParam) << f.item;
        EXPECT_EQ(3u, f.result) << f.item;
        EXPECT_EQ(kThumbWidth, f.pictureWidth) << f.item;
    }
}

// The stored previews are served while the folder's library loads; the cached pictures wait for
// it and are served from it all the same, none rendered again.
TEST_F(ThumbnailFixture, StoredPreviewsAndCachedPicturesOfOneFolderAllComeBackFromTheCachePass)
{
    ORVO_REQUIRE_SAMPLES(samples);
    std::vector<Job> jobs;
    for (const char* name : {"example_2000.dwg", "example_2018.dwg", "sample_2000.dwg"}) {
        CDib preview;
        const std::string source = samples + "\\dwg\\" + name;
        if (!GetDrawingPreviewDib(source.c_str(), &preview))
            continue;
        const std::string path = m_folder / name;
        ASSERT_TRUE(CopyFileA(source.c_str(), path.c_str(), FALSE)) << name;
        jobs.push_back({path, 0});
    }
    ASSERT_FALSE(jobs.empty());
    const size_t drawings = jobs.size();
    for (int i = 0; i < 30; ++i)
        jobs.push_back({Write("kept" + std::to_string(i) + ".bmp", BmpFile(20 + i, 20, static_cast<BYTE>(i))), 4});
    Start(true);
    Serve(jobs, true);
    ASSERT_EQ(jobs.size(), m_list.finished.size());
    Serve(jobs, true);
    ASSERT_EQ(jobs.size(), m_list.finished.size());
    EXPECT_EQ(0, m_list.statusPictures);
    for (const Finished& f : m_list.finished) {
        const bool drawing = static_cast<size_t>(f.item) < drawings;
        EXPECT_EQ(0u, f.wParam) << f.item;
        EXPECT_EQ(drawing ? 3u : 1u, f.result) << f.item;
        if (!drawing) {
            EXPECT_EQ(20 + f.item - static_cast<int>(drawings), f.pictureWidth) << f.item;
        }
    }
}

// Line work in the drawing's default colour must show on any background the user chose: on the
// default black one it is drawn light, on a white one dark.
TEST_F(ThumbnailFixture, DefaultColourLinesShowOnTheChosenBackground)
{
    const std::string lines = "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0.0\n20\n0.0\n30\n0.0\n11\n"
                              "100.0\n21\n50.0\n31\n0.0\n0\nLINE\n8\n0\n10\n0.0\n20\n50.0\n30\n0.0\n11\n"
                              "100.0\n21\n0.0\n31\n0.0\n0\nENDSEC\n0\nEOF\n";
    struct Case
    {
        int backgroundIndex;
        bool darkBackground;
    };
    for (const Case c : {Case{0, true}, Case{7, false}, Case{0, true}}) {
        SCOPED_TRACE(c.backgroundIndex);
        Start(false, c.backgroundIndex);
        Serve({{Write("default-colour.dxf", lines), 1}}, false, true);
        ASSERT_EQ(1u, m_list.finished.size());
        const auto [low, high] = ChannelRange(m_list.finished[0].picture);
        if (c.darkBackground) {
            EXPECT_LT(low, 40);
            EXPECT_GT(high, 200); // the lines
        } else {
            EXPECT_GT(high, 215);
            EXPECT_LT(low, 60); // the lines
        }
    }
}

TEST_F(ThumbnailFixture, AnEmptyQueueEndsAtOnceAndReportsOnlyInTheBrowser)
{
    Start();
    Serve({}, true);
    EXPECT_EQ(1, m_list.queueEnds);
    EXPECT_TRUE(m_list.finished.empty());

    struct Case
    {
        const char* what;
        int mode;
        bool enabled;
    };
    const Case cases[] = {{"view mode", 2, true}, {"disabled", 1, false}};
    for (const Case& c : cases) {
        m_state.mode.store(c.mode);
        m_list.Clear();
        m_thread->SetEnabled(c.enabled);
        m_thread->StartFolder(m_folder.Path().c_str());
        WaitFor([&] { return !m_thread->IsIdle(); }, 200); // it may be quicker than that
        ASSERT_TRUE(m_thread->WaitUntilIdle(10000)) << c.what;
        WaitFor([] { return false; }, 100); // delivers what it posted
        EXPECT_EQ(0, m_list.queueEnds) << c.what;
    }
}

TEST_F(ThumbnailFixture, InViewModeOnlyTheCurrentJobIsServedAndNothingIsSent)
{
    Start();
    m_state.mode.store(2);
    for (int i = 0; i < 3; ++i)
        m_thread->AddTask(new TTask(Write("v" + std::to_string(i) + ".dxf", kSmallDxf).c_str(), i, false, 1));
    m_thread->SetEnabled(true);
    m_thread->StartFolder(m_folder.Path().c_str());
    ASSERT_TRUE(WaitFor([&] { return m_thread->GetTaskCount() == 0 && m_thread->IsIdle(); }, 30000));
    WaitFor([] { return false; }, 100);
    EXPECT_TRUE(m_list.finished.empty());
    EXPECT_EQ(0, m_list.queueEnds);
    EXPECT_FALSE(m_thread->GetResultFlag());
}

TEST_F(ThumbnailFixture, TurningTheCacheOffAndOnWhileThumbnailsAreMadeIsSafe)
{
    Start();
    std::vector<Job> jobs;
    for (int i = 0; i < 12; ++i) {
        jobs.push_back({Write("d" + std::to_string(i) + ".dxf", kSmallDxf), 1});
        jobs.push_back({Write("i" + std::to_string(i) + ".bmp", BmpFile(40 + i, 30, 7)), 4});
    }
    for (int round = 0; round < 2; ++round) {
        m_list.Clear();
        for (size_t i = 0; i < jobs.size(); ++i)
            m_thread->AddTask(new TTask(jobs[i].path.c_str(), static_cast<int>(i), true, jobs[i].type));
        m_thread->SetEnabled(true);
        m_thread->StartFolder(m_folder.Path().c_str());
        bool on = true;
        // The options page switches the cache while the thread looks up and stores.
        ASSERT_TRUE(WaitFor([&] {
            on = !on;
            GetDwgCache()->EnableLib(on);
            return m_list.queueEnds > 0;
        }, 60000)) << round;
        ASSERT_TRUE(m_thread->WaitUntilIdle(10000));
        GetDwgCache()->EnableLib(true);
        ASSERT_TRUE(GetDwgCache()->WaitForWriter(10000));
        EXPECT_EQ(jobs.size(), m_list.finished.size()) << round;
        for (const Finished& f : m_list.finished)
            EXPECT_EQ(1u, f.result) << f.item;
    }
}

TEST_F(ThumbnailFixture, ASkippedRenderIsFinishedWithoutAPicture)
{
    Start();
    m_list.onStatus = [this] { m_thread->SetSkipFlag(true); };
    Serve({{Write("skipped.dxf", kSmallDxf), 1}}, true);
    ASSERT_EQ(1u, m_list.finished.size());
    EXPECT_EQ(2u, m_list.finished[0].result);
    EXPECT_EQ(0, m_list.finished[0].pictureWidth);
}

TEST_F(ThumbnailFixture, AJobOutWithASlowListStaysAliveUntilTheListIsDone)
{
    Start();
    const std::string path = Write("slow.bmp", BmpFile(10, 10, 3));
    bool aliveAfterTheTimeOut = false;
    HoldTheFirstJob(aliveAfterTheTimeOut,
                    [&](TTask& task) { return CountedTask::s_alive.load() == 1 && task.m_path == path.c_str(); });
    m_list.Clear();
    m_thread->AddTask(new CountedTask(path.c_str(), 0, 4));
    m_thread->SetEnabled(true);
    m_thread->StartFolder(m_folder.Path().c_str());
    ASSERT_TRUE(WaitFor([&] { return !m_list.finished.empty(); }, 30000));
    EXPECT_TRUE(aliveAfterTheTimeOut);
    ASSERT_TRUE(m_thread->WaitUntilIdle(10000));
    EXPECT_EQ(0, m_thread->GetTaskCount());
    EXPECT_EQ(1u, m_thread->GetUnclaimedCount());
    // Taken by now: the next emptying lets it go.
    m_thread->ClearTasks();
    EXPECT_EQ(0u, m_thread->GetUnclaimedCount());
    EXPECT_EQ(0, CountedTask::s_alive.load());
}

// Cache hits come faster than one send: they go to the list several to a message, and a message
// the list answers too late keeps every job of it (and the list of them) alive while it is read.
TEST_F(ThumbnailFixture, JobsReportedTogetherToASlowListStayAliveUntilTheListIsDone)
{
    Start();
    std::vector<Job> jobs;
    for (int i = 0; i < 6; ++i)
        jobs.push_back({Write("together" + std::to_string(i) + ".bmp", BmpFile(10 + i, 10, 3)), 4});
    Serve(jobs, true);
    ASSERT_EQ(jobs.size(), m_list.finished.size());

    bool aliveAfterTheTimeOut = false;
    HoldTheFirstJob(aliveAfterTheTimeOut, [&](TTask&) {
        return m_thread->GetTaskCount() == 0 && CountedTask::s_alive.load() == static_cast<int>(jobs.size());
    });
    m_list.Clear();
    for (size_t i = 0; i < jobs.size(); ++i)
        m_thread->AddTask(new CountedTask(jobs[i].path.c_str(), static_cast<int>(i), 4));
    m_thread->SetEnabled(true);
    m_thread->StartFolder(m_folder.Path().c_str());
    ASSERT_TRUE(WaitFor([&] { return !m_list.finished.empty(); }, 30000));
    ASSERT_TRUE(m_thread->WaitUntilIdle(10000));
    EXPECT_TRUE(aliveAfterTheTimeOut);
    EXPECT_EQ(1, m_list.reports);
    EXPECT_EQ(jobs.size(), m_list.largestReport);
    // The list went on reading the message after the thread had given it up: each job whole.
    ASSERT_EQ(jobs.size(), m_list.finished.size());
    for (size_t i = 0; i < jobs.size(); ++i) {
        const Finished& f = m_list.finished[i];
        EXPECT_EQ(static_cast<int>(i), f.item);
        EXPECT_EQ(0u, f.wParam) << i;
        EXPECT_EQ(static_cast<int>(10 + i), f.pictureWidth) << i;
    }
    m_thread->ClearTasks();
    EXPECT_EQ(0u, m_thread->GetUnclaimedCount());
    EXPECT_EQ(0, CountedTask::s_alive.load());
}

// Several workers make the pictures side by side: every job still comes back exactly once with
// its own picture, and the folder's cache file holds each file exactly once.
TEST_F(ThumbnailFixture, ManyJobsThroughSeveralWorkersComeBackOnceEach)
{
    Start(false, 7, 4);
    ASSERT_EQ(4, m_thread->GetWorkerCount());
    const std::vector<Job> jobs = ManyFiles(40);
    Serve(jobs, true);
    ASSERT_EQ(jobs.size(), m_list.finished.size());
    std::map<int, std::string> pictures;
    for (const Finished& f : m_list.finished) {
        EXPECT_EQ(1u, f.result) << f.item;
        EXPECT_EQ(1u, f.wParam) << f.item;
        EXPECT_TRUE(pictures.emplace(f.item, f.picture).second) << "twice: " << f.item;
    }
    EXPECT_EQ(jobs.size(), pictures.size());
    for (size_t i = 0; i + 1 < jobs.size(); i += 2) {
        // A picture of its own file: each image is as wide as its number says.
        EXPECT_EQ(static_cast<int>(30 + i / 2), m_list.ForItem(static_cast<int>(i + 1))->pictureWidth) << i;
        EXPECT_FALSE(pictures[static_cast<int>(i)] == pictures[static_cast<int>(i + 2 < jobs.size() ? i + 2 : 0)]) << i;
    }

    TImageLib lib;
    lib.Load(m_folder.Path().c_str());
    ASSERT_TRUE(lib.IsLoaded());
    EXPECT_EQ(static_cast<int>(jobs.size()), lib.GetCount());
    for (const Job& job : jobs)
        EXPECT_NE(nullptr, lib.Find(job.path.c_str(), kThumbWidth, kThumbHeight)) << job.path;

    // Seen again, the cache answers each one with the picture made the first time.
    for (const Job& job : jobs)
        SpoilKeepingStamp(job.path);
    Serve(jobs, true);
    ASSERT_EQ(jobs.size(), m_list.finished.size());
    std::map<int, int> seen;
    for (const Finished& f : m_list.finished) {
        EXPECT_EQ(0u, f.wParam) << f.item;
        EXPECT_TRUE(pictures[f.item] == f.picture) << f.item;
        ++seen[f.item];
    }
    EXPECT_EQ(jobs.size(), seen.size());
    // Served faster than one send each: several go in one message, never more than the limit.
    EXPECT_LT(static_cast<size_t>(m_list.reports), jobs.size());
    EXPECT_LE(m_list.largestReport, TTaskManageThread::kReportBatchLimit);
}

// The folder changes while the workers are busy: the list's stop ends every worker's job within
// a bounded wait, nothing of the old folder reaches the list afterwards, and the next folder's
// jobs all come back.
TEST_F(ThumbnailFixture, AFolderChangeWhileWorkersRunStopsThemAndNoOldJobLands)
{
    Start(false, 7, 4);
    // Drawings that take a while each: many blocks of many lines.
    std::string heavy = "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n8\n0\n2\nB\n70\n0\n10\n0\n20\n0\n30\n0\n";
    for (int i = 0; i < 400; ++i)
        heavy += "0\nLINE\n8\n0\n10\n0\n20\n" + std::to_string(i) + "\n30\n0\n11\n100\n21\n" + std::to_string(400 - i) + "\n31\n0\n";
    heavy += "0\nENDBLK\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
    heavy += "0\nINSERT\n8\n0\n2\nB\n10\n0\n20\n0\n30\n0\n70\n60\n71\n60\n44\n110\n45\n410\n";
    heavy += "0\nENDSEC\n0\nEOF\n";
    std::vector<Job> old;
    for (int i = 0; i < 80; ++i)
        old.push_back({Write("heavy" + std::to_string(i) + ".dxf", heavy), 1});
    HandOver(old, 0);
    ASSERT_TRUE(WaitFor([&] { return !m_list.finished.empty(); }, 60000));

    // The list's stop: no more results wanted, the drawings broken off, then wait for idle.
    const DWORD start = GetTickCount();
    m_thread->SetEnabled(false);
    m_thread->SetResultFlag(false);
    m_thread->CallBreak();
    ASSERT_TRUE(m_thread->WaitUntilIdle(10000));
    const DWORD stopMs = GetTickCount() - start;
    EXPECT_LT(stopMs, 5000u);
    EXPECT_LT(m_list.finished.size(), old.size());
    m_thread->ClearTasks();
    EXPECT_EQ(0, m_thread->GetTaskCount());
    const size_t before = m_list.finished.size();
    WaitFor([] { return false; }, 300); // anything still on its way would arrive now
    EXPECT_EQ(before, m_list.finished.size());

    m_list.Clear();
    const std::vector<Job> next = DrawingsAndImages();
    HandOver(next, 1000);
    ASSERT_TRUE(WaitFor([&] { return m_list.queueEnds > 0; }, 60000));
    ASSERT_TRUE(m_thread->WaitUntilIdle(10000));
    ASSERT_EQ(next.size(), m_list.finished.size());
    for (const Finished& f : m_list.finished) {
        EXPECT_GE(f.item, 1000);
        EXPECT_EQ(1u, f.result) << f.item;
    }
    EXPECT_EQ(0u, m_thread->GetUnclaimedCount());
}

TEST_F(ThumbnailFixture, ThumbnailSizesWithoutAreaAreRefused)
{
    Start();
    EXPECT_FALSE(m_thread->SetThumbSize(0, 50));
    EXPECT_FALSE(m_thread->SetThumbSize(50, -1));
    EXPECT_EQ(kThumbWidth, m_thread->GetThumbWidth());
    EXPECT_EQ(kThumbHeight, m_thread->GetThumbHeight());
    SetTaskManageThread(m_thread.get());
    EXPECT_EQ(m_thread.get(), GetTaskManageThread());
    SetTaskManageThread(nullptr);
}

namespace {

// A stored preview put into a cell the long way round: the preview as a DIB of its own, then
// stretched from it onto the button face, centred. The BMP file image of the cell.
std::string PreviewCellTheLongWay(const std::string& path, int width, int height)
{
    CDib preview;
    CDib cell;
    if (!GetDrawingPreviewDib(path.c_str(), &preview) || !cell.Create(width, height, 24))
        return {};
    HDC dc = cell.BeginMemDC(nullptr);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const HPEN pen = CreatePen(PS_SOLID, 1, face);
    const HBRUSH brush = CreateSolidBrush(face);
    const HGDIOBJ oldPen = SelectObject(dc, pen);
    const HGDIOBJ oldBrush = SelectObject(dc, brush);
    Rectangle(dc, 0, 0, width, height);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
    const double scale = std::min(static_cast<double>(width) / preview.GetWidth(),
                                  static_cast<double>(height) / preview.GetHeight());
    const int w = static_cast<int>(preview.GetWidth() * scale);
    const int h = static_cast<int>(preview.GetHeight() * scale);
    preview.StretchDraw(dc, (width - w) / 2, (height - h) / 2, w, h, 0, 0, preview.GetWidth(),
                        preview.GetHeight(), SRCCOPY);
    cell.EndMemDC();
    DWORD size = 0;
    BYTE* image = cell.GetBmpFileImage(&size);
    const std::string bytes = image ? std::string(reinterpret_cast<const char*>(image), size) : std::string();
    free(image);
    return bytes;
}

// The sample drawings of every folder of the samples.
std::vector<std::string> AllSampleDwgs(const std::string& samples)
{
    std::vector<std::string> paths;
    for (const char* folder : {"\\dwg\\", "\\dwg\\2000\\", "\\dwg\\2018\\", "\\dwg\\real\\"}) {
        WIN32_FIND_DATAA found = {};
        const std::string dir = samples + folder;
        const HANDLE search = FindFirstFileA((dir + "*.dwg").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            continue;
        do {
            paths.push_back(dir + found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return paths;
}

} // namespace

// The thread scales a stored preview into the cell in one step from the engine's bytes; the
// cell is the very picture the way through a DIB of the preview's own size made.
TEST_F(ThumbnailFixture, AStoredPreviewCellIsThePictureTheLongWayMade)
{
    ORVO_REQUIRE_SAMPLES(samples);
    std::vector<Job> jobs;
    std::vector<std::string> sources;
    for (const std::string& source : AllSampleDwgs(samples)) {
        CDib preview;
        if (!GetDrawingPreviewDib(source.c_str(), &preview))
            continue;
        const std::string path = m_folder / ("d" + std::to_string(jobs.size()) + ".dwg");
        ASSERT_TRUE(CopyFileA(source.c_str(), path.c_str(), FALSE)) << source;
        jobs.push_back({path, 0});
        sources.push_back(source);
    }
    ASSERT_GE(jobs.size(), 5u);
    Start(true);
    // Each worker keeps its cell from drawing to drawing: a new size makes it anew.
    for (const SIZE size : {SIZE{kThumbWidth, kThumbHeight}, SIZE{160, 120}, SIZE{300, 40}, SIZE{kThumbWidth, kThumbHeight}}) {
        SCOPED_TRACE(size.cx);
        ASSERT_TRUE(m_thread->SetThumbSize(size.cx, size.cy));
        Serve(jobs, true);
        ASSERT_EQ(jobs.size(), m_list.finished.size());
        for (const Finished& f : m_list.finished) {
            const std::string& source = sources[static_cast<size_t>(f.item)];
            EXPECT_EQ(3u, f.result) << source;
            EXPECT_TRUE(f.picture == PreviewCellTheLongWay(jobs[static_cast<size_t>(f.item)].path, size.cx, size.cy))
                << source;
        }
    }
}

namespace {

// A bottom-up (or, with topDown, top-down) BMP file of 8 bits with a grey ramp palette, whose
// rows run dark to light from the picture's top.
std::string PalettedBmp(int width, int height, bool topDown)
{
    const int stride = (width + 3) & ~3;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * height);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = topDown ? -height : height;
    info.biPlanes = 1;
    info.biBitCount = 8;
    std::string out(reinterpret_cast<const char*>(&file), sizeof file);
    out.append(reinterpret_cast<const char*>(&info), sizeof info);
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD grey = {static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 0};
        out.append(reinterpret_cast<const char*>(&grey), sizeof grey);
    }
    for (int row = 0; row < height; ++row) {
        const int fromTop = topDown ? row : height - 1 - row;
        out.append(static_cast<size_t>(stride), static_cast<char>(fromTop * 255 / std::max(1, height - 1)));
    }
    return out;
}

// The picture drawn at width x height into a fresh 24-bit DIB; its BMP file image.
std::string DrawnAt(const CDrawingPreview& preview, int width, int height)
{
    CDib cell;
    if (!cell.Create(width, height, 24))
        return {};
    const bool drawn = preview.Draw(cell.BeginMemDC(nullptr), 0, 0, width, height);
    cell.EndMemDC();
    DWORD size = 0;
    BYTE* image = drawn ? cell.GetBmpFileImage(&size) : nullptr;
    const std::string bytes = image ? std::string(reinterpret_cast<const char*>(image), size) : std::string();
    free(image);
    return bytes;
}

} // namespace

// A plain picture goes to the device as it lies, any other through the raster image class: both
// give the same picture; what cannot be read is refused and leaves nothing.
TEST(DrawingPreviewTest, PlainAndOtherPicturesDrawAlikeAndBadOnesAreRefused)
{
    const std::string bottomUp = PalettedBmp(40, 30, false);
    const std::string topDown = PalettedBmp(40, 30, true);
    CDrawingPreview plain;
    CDrawingPreview decoded;
    ASSERT_TRUE(plain.ReadBmp(reinterpret_cast<const BYTE*>(bottomUp.data()), static_cast<DWORD>(bottomUp.size())));
    ASSERT_TRUE(decoded.ReadBmp(reinterpret_cast<const BYTE*>(topDown.data()), static_cast<DWORD>(topDown.size())));
    EXPECT_EQ(40, plain.GetWidth());
    EXPECT_EQ(30, plain.GetHeight());
    EXPECT_EQ(30, decoded.GetHeight());
    for (const SIZE size : {SIZE{40, 30}, SIZE{17, 11}, SIZE{90, 70}}) {
        const std::string a = DrawnAt(plain, size.cx, size.cy);
        ASSERT_FALSE(a.empty()) << size.cx;
        EXPECT_TRUE(a == DrawnAt(decoded, size.cx, size.cy)) << size.cx;
    }

    const std::string truncated = bottomUp.substr(0, bottomUp.size() - 100);
    const std::string notBmp(200, 'x');
    for (const std::string& bad : {truncated, notBmp, std::string("BM")}) {
        SCOPED_TRACE(bad.size());
        CDrawingPreview preview;
        ASSERT_TRUE(plain.IsValid());
        EXPECT_FALSE(preview.ReadBmp(reinterpret_cast<const BYTE*>(bad.data()), static_cast<DWORD>(bad.size())));
        EXPECT_FALSE(preview.IsValid());
        EXPECT_EQ(nullptr, preview.GetBytes());
        EXPECT_TRUE(DrawnAt(preview, 10, 10).empty());
    }
    // Bits said to start inside the colour table are not given to the device as they lie: the
    // raster image class judges the picture, as it always did.
    std::string overlapping = bottomUp;
    overlapping[10] = 20;
    CDrawingPreview odd;
    const CRasterImage judged(reinterpret_cast<const BYTE*>(overlapping.data()), static_cast<DWORD>(overlapping.size()),
                              RASTER_FORMAT_BMP);
    EXPECT_EQ(judged.IsValid(),
              odd.ReadBmp(reinterpret_cast<const BYTE*>(overlapping.data()), static_cast<DWORD>(overlapping.size())));
    CDrawingPreview none;
    EXPECT_FALSE(none.Read(nullptr));
    EXPECT_FALSE(none.ReadBmp(nullptr, 10));
}

TEST(GetDrawingPreviewDibTest, AStoredPreviewBecomesADibAndItsAbsenceIsAFailure)
{
    ORVO_REQUIRE_SAMPLES(samples);
    TempDir dir;
    const std::string withPreview = samples + "\\dwg\\example_2000.dwg";
    CDib dib;
    ASSERT_TRUE(GetDrawingPreviewDib(withPreview.c_str(), &dib));
    EXPECT_GT(dib.GetWidth(), 0);
    EXPECT_GT(dib.GetHeight(), 0);

    std::string bytes = orvo::test::ReadFileBytes(withPreview);
    ASSERT_GT(bytes.size(), 0x20u);
    for (size_t i = 0x0D; i < 0x11; ++i)
        bytes[i] = 0; // no pointer to a preview
    const std::string without = dir / "without.dwg";
    ASSERT_TRUE(orvo::test::WriteFileBytes(without, bytes.data(), bytes.size()));
    const std::string dxf = dir / "drawing.dxf";
    ASSERT_TRUE(orvo::test::WriteFileBytes(dxf, kSmallDxf, sizeof kSmallDxf - 1));
    for (const std::string& path : {without, dxf, dir / "missing.dwg"}) {
        CDib none;
        EXPECT_FALSE(GetDrawingPreviewDib(path.c_str(), &none)) << path;
        EXPECT_EQ(0, none.GetWidth()) << path;
    }
    EXPECT_FALSE(GetDrawingPreviewDib(nullptr, &dib));
}

TEST(TUnclaimedTasksTest, AJobOutWithTheListLivesUntilNothingCanReachIt)
{
    struct Case
    {
        const char* what;
        std::function<void(TUnclaimedTasks&, TTask&, orvo::test::HiddenWindow&, HWND other)> then;
        size_t kept;
    };
    const Case cases[] = {
        {"nothing yet", [](TUnclaimedTasks&, TTask&, orvo::test::HiddenWindow&, HWND) {}, 1},
        {"taken late", [](TUnclaimedTasks&, TTask& t, orvo::test::HiddenWindow&, HWND) { t.m_taken = true; }, 0},
        {"a later send to its window answered",
         [](TUnclaimedTasks& u, TTask&, orvo::test::HiddenWindow& w, HWND) { u.NoteAnswered(w.Get()); }, 0},
        {"another window answered",
         [](TUnclaimedTasks& u, TTask&, orvo::test::HiddenWindow&, HWND other) { u.NoteAnswered(other); }, 1},
        {"its window is gone", [](TUnclaimedTasks&, TTask&, orvo::test::HiddenWindow& w, HWND) { w.Destroy(); }, 0},
    };
    orvo::test::HiddenWindow other([](UINT, WPARAM, LPARAM) {});
    for (const Case& c : cases) {
        orvo::test::HiddenWindow window([](UINT, WPARAM, LPARAM) {});
        TUnclaimedTasks unclaimed;
        TTaskList queue;
        auto* task = new CountedTask("a.dxf", 0, 1);
        queue.Add(task);
        queue.Add(new CountedTask("b.dxf", 1, 1));
        unclaimed.NoteUnanswered(task, window.Get());
        EXPECT_TRUE(unclaimed.IsAwaitingList()) << c.what;
        unclaimed.KeepFrom(queue);
        queue.RemoveAll();
        EXPECT_FALSE(unclaimed.IsAwaitingList()) << c.what;
        EXPECT_EQ(1, CountedTask::s_alive.load()) << c.what;
        c.then(unclaimed, *task, window, other.Get());
        unclaimed.Prune();
        EXPECT_EQ(c.kept, unclaimed.GetKeptCount()) << c.what;
        EXPECT_EQ(static_cast<int>(c.kept), CountedTask::s_alive.load()) << c.what;
    }
    EXPECT_EQ(0, CountedTask::s_alive.load());

    // Taken before the queue was emptied: it goes with the queue.
    orvo::test::HiddenWindow window([](UINT, WPARAM, LPARAM) {});
    TUnclaimedTasks unclaimed;
    TTaskList queue;
    auto* task = new CountedTask("a.dxf", 0, 1);
    queue.Add(task);
    unclaimed.NoteUnanswered(task, window.Get());
    task->m_taken = true;
    EXPECT_FALSE(unclaimed.IsAwaitingList());
    unclaimed.KeepFrom(queue);
    queue.RemoveAll();
    EXPECT_EQ(0u, unclaimed.GetKeptCount());
    EXPECT_EQ(0, CountedTask::s_alive.load());
}
