#pragma once
// A small pool of threads that write files while the run goes on: the run hands each one the new file of a
// row to prepare and later waits for that file alone. The threads live as long as the pool.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace qvc {

/// The number of writer threads a run uses: the environment variable QVC_WRITERS when it holds a number from 1
/// to 64, else 4.
std::size_t WriterCount();

/// One job handed to the pool: done once its function has returned or thrown.
class TWriterJob
{
public:
    /// Waits until the job is done; rethrows what its function threw.
    void Wait();
    /// Waits until the job is done, whatever it threw.
    void WaitQuietly();

private:
    friend class TWriterPool;
    void Run();

    std::function<void()> m_work;
    std::mutex m_mutex;
    std::condition_variable m_doneChanged;
    bool m_done = false;
    std::exception_ptr m_failure;
};

class TWriterPool
{
public:
    /// Starts `threads` writer threads (at least one; fewer when the system has no more to give). Throws
    /// std::system_error when not one can be started.
    explicit TWriterPool(std::size_t threads);
    /// Lets the jobs handed over run to their end, then ends the threads.
    ~TWriterPool();
    TWriterPool(const TWriterPool &) = delete;
    TWriterPool &operator=(const TWriterPool &) = delete;
    TWriterPool(TWriterPool &&) = delete;
    TWriterPool &operator=(TWriterPool &&) = delete;

    /// Hands `work` to the next free thread; jobs start in the order they were handed over.
    std::shared_ptr<TWriterJob> Submit(std::function<void()> work);

private:
    void Serve();

    std::mutex m_mutex;
    std::condition_variable m_queueChanged;
    std::deque<std::shared_ptr<TWriterJob>> m_queue;
    bool m_ending = false;
    std::vector<std::thread> m_threads;
};

} // namespace qvc
