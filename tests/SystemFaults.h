#pragma once
// Test help for the system-call seam: make the n-th call that changes a file fail, or end the process
// there as a kill would, and count how many such calls an operation makes.
#include "common/SystemCalls.h"

#include <cerrno>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

/// One call the seam saw: which, and the path it concerned (empty for an open file).
struct TSeenCall
{
    qvc::TSysCall Call;
    std::string Path;
};

/// While alive, counts the seam's calls and makes the `failAt`-th one (1-based; 0: none) fail with
/// `reason`. Only calls of `kind` count when a kind is given. Every call seen is kept, in order.
class TFaultScope
{
public:
    explicit TFaultScope(int failAt = 0, int reason = ENOSPC, std::optional<qvc::TSysCall> kind = std::nullopt)
    {
        qvc::SetFaultHook([this, failAt, reason, kind](qvc::TSysCall call, std::string_view path) {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_seen.push_back({ call, std::string(path) });
            if (kind && call != *kind)
                return 0;
            return ++m_calls == failAt ? reason : 0;
        });
    }
    ~TFaultScope() { qvc::SetFaultHook({}); }
    TFaultScope(const TFaultScope &) = delete;
    TFaultScope &operator=(const TFaultScope &) = delete;
    int Calls() const { return m_calls; }
    const std::vector<TSeenCall> &Seen() const { return m_seen; }

private:
    std::mutex m_mutex; // the hook is called by every thread that writes
    int m_calls = 0;
    std::vector<TSeenCall> m_seen;
};

/// Runs `operation` in a child process that ends itself (as a kill would: no clean-up, no destructors)
/// just before the `killAt`-th call of the seam. True when the child was ended so, false when the
/// operation finished first (it may have thrown).
inline bool RunKilledAt(int killAt, const std::function<void()> &operation)
{
    const pid_t child = ::fork();
    if (child == 0) {
        int calls = 0;
        qvc::SetFaultHook([&calls, killAt](qvc::TSysCall, std::string_view) {
            if (++calls == killAt)
                ::_exit(77);
            return 0;
        });
        try {
            operation();
        } catch (...) {
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 77;
}

/// The file a seam call is made for: the file the calling thread writes a new file for, else the call's path.
/// With several writer threads the order of all calls varies, the order of the calls for one file does not.
inline std::string CallSubject(std::string_view path)
{
    const std::string_view file = qvc::CurrentCallFile();
    return std::string(file.empty() ? path : file);
}

/// While alive, counts the seam's calls made for `subject` (CallSubject) and makes the `failAt`-th one (1-based;
/// 0: none) fail with `reason`; or, with `kill`, ends the process there as a kill would. Thread-safe.
class TSubjectFaultScope
{
public:
    TSubjectFaultScope(std::string subject, int failAt, int reason = ENOSPC, bool kill = false)
    {
        qvc::SetFaultHook(
            [this, subject = std::move(subject), failAt, reason, kill](qvc::TSysCall call, std::string_view path) {
                const std::lock_guard<std::mutex> lock(m_mutex);
                const std::string of = CallSubject(path);
                m_seen.push_back({ call, of });
                if (of != subject || ++m_calls != failAt)
                    return 0;
                if (kill)
                    ::_exit(77);
                return reason;
            });
    }
    ~TSubjectFaultScope() { qvc::SetFaultHook({}); }
    TSubjectFaultScope(const TSubjectFaultScope &) = delete;
    TSubjectFaultScope &operator=(const TSubjectFaultScope &) = delete;
    /// The calls made for the subject so far.
    int Calls()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }
    /// Every call seen, each with its subject.
    std::vector<TSeenCall> Seen()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_seen;
    }

private:
    std::mutex m_mutex;
    int m_calls = 0;
    std::vector<TSeenCall> m_seen;
};
