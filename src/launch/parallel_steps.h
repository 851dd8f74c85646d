#pragma once

// Many independent file operations at once. Creating, renaming and deleting files costs the file
// system far more than the few bytes it writes, and much of it is waiting (for the journal, for a
// lock on a folder, for the disk): a few threads keep it busy where one would wait. The steps are
// handed out in their order, each to the next free thread; every step must be independent of the
// others, as the caller decides what has to run before or after the whole batch.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace seewolf {

// Threads that work on the steps, the calling one among them. Copying keeps the processor busy:
// a few threads, enough for the creates to overlap and few enough not to crowd a machine of two
// cores. Deleting mostly waits (on a file system mounted with "discard" each delete waits until
// the disk has been told of the freed blocks), so more threads wait side by side.
#ifdef _WIN32
// On Windows one thread. Under Wine, a process cut on purpose (the crash tests end it with
// std::_Exit from one thread) while other threads worked was once killed instead of ending with its
// exit code; until that is understood, Windows runs the steps in order on the calling thread.
inline constexpr std::size_t kCopyThreads = 1;
inline constexpr std::size_t kDeleteThreads = 1;
#else
inline constexpr std::size_t kCopyThreads = 4;
inline constexpr std::size_t kDeleteThreads = 16;
#endif

// Runs step(i) for every i below `count`, on the calling thread and up to `threads` - 1 more.
// `done(n)` is called on the calling thread only (where a window may be repainted), with the
// number of steps finished so far by all threads: after each step that thread finishes, a few
// times a second while it waits for the others, and once all have ended. When a step throws, no
// further step is started, the steps already running end, and the first exception is thrown
// again here. Should no thread be available, the calling thread does every step. `done` must not
// throw.
template <typename Step, typename Done>
void RunSteps(std::size_t count, std::size_t threads, const Step& step, const Done& done) {
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> finished{0};
    std::atomic<bool> stop{false};
    std::mutex mutex;  // guards error and running
    std::condition_variable ended;
    std::exception_ptr error;
    std::size_t running = 0;  // threads besides the calling one
    const auto work = [&](bool caller) {
        while (!stop.load(std::memory_order_relaxed)) {
            const std::size_t i = next.fetch_add(1);
            if (i >= count) {
                break;
            }
            try {
                step(i);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(mutex);
                if (!error) {
                    error = std::current_exception();
                }
                stop.store(true);
                break;
            }
            const std::size_t n = finished.fetch_add(1) + 1;
            if (caller) {
                done(n);
            }
        }
        if (!caller) {
            const std::lock_guard<std::mutex> lock(mutex);
            --running;
            ended.notify_one();
        }
    };
    std::vector<std::thread> helpers;
    const std::size_t extra = std::min(threads > 1 ? threads - 1 : 0, count > 1 ? count - 1 : 0);
    try {
        helpers.reserve(extra);
        for (std::size_t t = 0; t < extra; ++t) {
            {
                const std::lock_guard<std::mutex> lock(mutex);
                ++running;
            }
            try {
                helpers.emplace_back(work, false);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(mutex);
                --running;
                throw;
            }
        }
    } catch (...) {
        // No thread to spare (or no memory for one): the threads started so far and this one do
        // the work.
    }
    work(true);
    {
        std::unique_lock<std::mutex> lock(mutex);
        std::size_t shown = 0;
        while (!ended.wait_for(lock, std::chrono::milliseconds(100), [&running] { return running == 0; })) {
            const std::size_t n = finished.load();
            if (n != shown) {
                shown = n;
                lock.unlock();
                done(n);
                lock.lock();
            }
        }
    }
    for (std::thread& helper : helpers) {
        helper.join();
    }
    if (error) {
        std::rethrow_exception(error);
    }
    done(finished.load());
}

}  // namespace seewolf
