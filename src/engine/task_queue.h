#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

#include "engine/delivered_task.h"

namespace brevik2::engine {

// The station's deliveries for a front end without an event loop of its own (the console): the
// monitor thread posts tasks, the front end's loop runs them in order. It holds at most
// kDroppableBound droppable tasks: past that the oldest of them is dropped and counted, so a
// loop that falls behind cannot make it grow without end. A poll's records, a request's outcome
// and every other kept task always run.
//
// Thread safety: post() from any thread; runNext() and takeDropped() from the front end's
// thread only; size() from any thread.
class TaskQueue {
public:
    static constexpr std::size_t kDroppableBound = 256;

    void post(DeliveredTask task);
    // Runs the next task, waiting at most the given time for one; false when none came.
    bool runNext(std::chrono::milliseconds wait);
    // How many tasks were dropped since the last call.
    std::uint64_t takeDropped();
    std::size_t size() const;

private:
    mutable std::mutex m_mutex;  //!< Protects the members below
    std::condition_variable m_arrived;
    std::deque<DeliveredTask> m_tasks;
    std::size_t m_droppable = 0;  // droppable tasks in m_tasks
    std::uint64_t m_dropped = 0;
};

}  // namespace brevik2::engine
