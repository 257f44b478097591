#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace brevik2::engine {

// The station's deliveries for a front end without an event loop of its own (the console): the
// monitor thread posts tasks, the front end's loop runs them in order.
//
// Thread safety: post() from any thread; runNext() from the front end's thread only.
class TaskQueue {
public:
    void post(std::function<void()> task);
    // Runs the next task, waiting at most the given time for one; false when none came.
    bool runNext(std::chrono::milliseconds wait);

private:
    std::mutex m_mutex;  //!< Protects m_tasks
    std::condition_variable m_arrived;
    std::deque<std::function<void()>> m_tasks;
};

}  // namespace brevik2::engine
