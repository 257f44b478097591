#pragma once

#include <functional>
#include <utility>

namespace brevik2::engine {

// One report of the monitor thread on its way to the receiver's thread. A status text, and the
// report of a cycle that brought nothing (code 0, no outcome), may be dropped by a receiver that
// has to bound what it holds, oldest first; every other task must run, in order.
class DeliveredTask {
public:
    DeliveredTask() = default;
    explicit DeliveredTask(std::function<void()> run, bool droppable = false)
        : m_run(std::move(run)), m_droppable(droppable) {}

    void operator()() const {
        if (m_run) {
            m_run();
        }
    }
    bool droppable() const { return m_droppable; }

private:
    std::function<void()> m_run;
    bool m_droppable = false;
};

}  // namespace brevik2::engine
