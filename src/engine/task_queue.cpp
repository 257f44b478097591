#include "engine/task_queue.h"

namespace brevik2::engine {

void TaskQueue::post(std::function<void()> task) {
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_arrived.notify_one();
}

bool TaskQueue::runNext(std::chrono::milliseconds wait) {
    std::function<void()> task;
    {
        std::unique_lock lock(m_mutex);
        if (!m_arrived.wait_for(lock, wait, [this] { return !m_tasks.empty(); })) {
            return false;
        }
        task = std::move(m_tasks.front());
        m_tasks.pop_front();
    }
    task();
    return true;
}

}  // namespace brevik2::engine
