#include "engine/write/WriterPool.h"

#include <cstdlib>
#include <string>
#include <system_error>

namespace qvc {

std::size_t WriterCount()
{
    constexpr std::size_t kDefault = 4;
    constexpr unsigned long kMost = 64;
    const char *text = std::getenv("QVC_WRITERS"); // NOLINT(concurrency-mt-unsafe): read before any writer starts
    if (text == nullptr || *text == '\0')
        return kDefault;
    char *end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (*end != '\0' || value < 1 || value > kMost)
        return kDefault;
    return value;
}

void TWriterJob::Run()
{
    std::exception_ptr failure;
    try {
        m_work();
    } catch (...) {
        failure = std::current_exception();
    }
    m_work = nullptr;
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_failure = failure;
    m_done = true;
    m_doneChanged.notify_all();
}

void TWriterJob::Wait()
{
    WaitQuietly();
    if (m_failure)
        std::rethrow_exception(m_failure);
}

void TWriterJob::WaitQuietly()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_doneChanged.wait(lock, [this] { return m_done; });
}

TWriterPool::TWriterPool(std::size_t threads)
{
    if (threads == 0)
        threads = 1;
    m_threads.reserve(threads);
    try {
        for (std::size_t k = 0; k < threads; ++k)
            m_threads.emplace_back([this] { Serve(); });
    } catch (const std::system_error &) {
        // The threads started so far serve alone; none at all leaves the pool unusable.
        if (m_threads.empty())
            throw;
    }
}

TWriterPool::~TWriterPool()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_ending = true;
    }
    m_queueChanged.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
}

std::shared_ptr<TWriterJob> TWriterPool::Submit(std::function<void()> work)
{
    auto job = std::make_shared<TWriterJob>();
    job->m_work = std::move(work);
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(job);
    }
    m_queueChanged.notify_one();
    return job;
}

void TWriterPool::Serve()
{
    for (;;) {
        std::shared_ptr<TWriterJob> job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_queueChanged.wait(lock, [this] { return m_ending || !m_queue.empty(); });
            if (m_queue.empty())
                return;
            job = std::move(m_queue.front());
            m_queue.pop_front();
        }
        job->Run();
    }
}

} // namespace qvc
