#include "engine/task_queue.h"

#include <algorithm>
#include <utility>

namespace brevik2::engine {

void TaskQueue::post(DeliveredTask task) {
    {
        std::lock_guard lock(m_mutex);
        if (task.droppable()) {
            if (m_droppable == kDroppableBound) {
                // The oldest sit at the front, so the search ends early.
                m_tasks.erase(std::find_if(m_tasks.begin(), m_tasks.end(),
                                           [](const DeliveredTask& t) { return t.droppable(); }));
                ++m_dropped;
            } else {
                ++m_droppable;
            }
        }
        m_tasks.push_back(std::move(task));
    }
    m_arrived.notify_one();
}

bool TaskQueue::runNext(std::chrono::milliseconds wait) {
    DeliveredTask task;
    {
        std::unique_lock lock(m_mutex);
        if (!m_arrived.wait_for(lock, wait, [this] { return !m_tasks.empty(); })) {
            return false;
        }
        task = std::move(m_tasks.front());
        m_tasks.pop_front();
        if (task.droppable()) {
            --m_droppable;
        }
    }
    task();
    return true;
}

std::uint64_t TaskQueue::takeDropped() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_dropped, 0);
}

std::size_t TaskQueue::size() const {
    std::lock_guard lock(m_mutex);
    return m_tasks.size();
}

}  // namespace brevik2::engine
