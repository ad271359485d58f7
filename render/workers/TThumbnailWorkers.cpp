#include "render/workers/TThumbnailWorkers.h"

#include "render/workers/TThumbnailProducer.h"

#include <algorithm>
#include <chrono>

TThumbnailWorkers::TThumbnailWorkers(TTaskManageThread& owner, int count)
{
    const int workers = std::clamp(count, 1, kMaxWorkers);
    for (int i = 0; i < workers; ++i)
        m_producers.push_back(std::make_unique<TThumbnailProducer>(owner));
    m_rendering.assign(m_producers.size(), 0);
    for (size_t i = 0; i < m_producers.size(); ++i)
        m_threads.emplace_back([this, i] { Work(i); });
}

TThumbnailWorkers::~TThumbnailWorkers()
{
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_ending = true;
        m_waiting.clear();
    }
    m_jobReady.notify_all();
    CallBreak();
    for (std::thread& thread : m_threads)
        thread.join();
}

int TThumbnailWorkers::DefaultCount()
{
    SYSTEM_INFO info = {};
    GetSystemInfo(&info);
    const int cores = static_cast<int>(info.dwNumberOfProcessors);
    return std::clamp(cores - 2, 1, kMaxWorkers);
}

int TThumbnailWorkers::GetOutstanding() const
{
    const std::lock_guard<std::mutex> guard(m_lock);
    return m_outstanding;
}

void TThumbnailWorkers::Hand(TTask* task, Pass pass)
{
    if (!task)
        return;
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_waiting.push_back({task, pass});
        ++m_outstanding;
    }
    m_jobReady.notify_one();
}

bool TThumbnailWorkers::TakeFinished(Result& out)
{
    const std::lock_guard<std::mutex> guard(m_lock);
    if (m_finished.empty())
        return false;
    out = m_finished.front();
    m_finished.pop_front();
    --m_outstanding;
    return true;
}

void TThumbnailWorkers::WaitForFinished(DWORD timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_lock);
    m_jobFinished.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return !m_finished.empty() || m_outstanding == 0; });
}

void TThumbnailWorkers::Withdraw()
{
    const std::lock_guard<std::mutex> guard(m_lock);
    for (const Job& job : m_waiting)
        m_finished.push_back({job.task, job.pass, 0});
    m_waiting.clear();
}

void TThumbnailWorkers::CallBreak() const
{
    for (const auto& producer : m_producers)
        producer->CallBreak();
}

void TThumbnailWorkers::SkipRendering()
{
    const std::lock_guard<std::mutex> guard(m_lock);
    for (size_t i = 0; i < m_producers.size(); ++i) {
        if (m_rendering[i])
            m_producers[i]->Skip();
    }
}

TTask* TThumbnailWorkers::GetStatusTask(const CDib* picture) const
{
    for (const auto& producer : m_producers) {
        if (TTask* task = producer->GetStatusTask(picture))
            return task;
    }
    return nullptr;
}

void TThumbnailWorkers::ForgetStatusTasks() const
{
    for (const auto& producer : m_producers)
        producer->ForgetStatusTask();
}

bool TThumbnailWorkers::WaitForJob(Job& job)
{
    std::unique_lock<std::mutex> lock(m_lock);
    m_jobReady.wait(lock, [this] { return m_ending || !m_waiting.empty(); });
    if (m_ending)
        return false;
    job = m_waiting.front();
    m_waiting.pop_front();
    return true;
}

void TThumbnailWorkers::Work(size_t index)
{
    TThumbnailProducer& producer = *m_producers[index];
    TThumbnailProducer::SetOnThisThread(&producer);
    Job job{nullptr, Pass::CacheFirst};
    while (WaitForJob(job)) {
        {
            const std::lock_guard<std::mutex> guard(m_lock);
            producer.BeginJob();
            m_rendering[index] = job.pass == Pass::Render;
        }
        // The producers catch what the readers throw; nothing may leave the thread all the same.
        UINT code = 0;
        try {
            code = job.pass == Pass::Render ? producer.RenderTask(*job.task) : producer.TryCacheFirst(*job.task);
        } catch (...) {
            code = 0;
        }
        {
            const std::lock_guard<std::mutex> guard(m_lock);
            m_rendering[index] = 0;
            m_finished.push_back({job.task, job.pass, code});
        }
        m_jobFinished.notify_all();
    }
    TThumbnailProducer::SetOnThisThread(nullptr);
}
