#include "console/line_writer.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <ostream>
#include <utility>

namespace brevik2::console {

struct LineWriter::State {
    State(std::ostream& stream, DroppedNote droppedNote)
        : out(stream), note(std::move(droppedNote)) {}

    std::ostream& out;
    const DroppedNote note;
    std::mutex mutex;  //!< Protects the members below
    std::condition_variable changed;
    std::deque<std::string> lines;
    std::uint64_t dropped = 0;
    bool writing = false;  // a line is on its way into the stream
    bool closed = false;
    bool ending = false;
};

LineWriter::LineWriter(std::ostream& out, DroppedNote note)
    : m_state(std::make_shared<State>(out, std::move(note))) {
    // A tied stream is flushed before each write to this one (the error stream is tied to the
    // standard output): this writer would then block whenever that one does.
    out.tie(nullptr);
    m_thread = std::thread([state = m_state] { run(state); });
}

LineWriter::~LineWriter() {
    finish(std::chrono::steady_clock::now());
}

void LineWriter::write(std::string line) {
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->closed || m_state->ending) {
            return;
        }
        if (m_state->lines.size() == kMaxLines) {
            m_state->lines.pop_front();
            ++m_state->dropped;
        }
        m_state->lines.push_back(std::move(line));
    }
    m_state->changed.notify_all();
}

bool LineWriter::closed() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->closed;
}

bool LineWriter::finish(std::chrono::steady_clock::time_point deadline) {
    if (!m_thread.joinable()) {
        return true;
    }
    std::unique_lock lock(m_state->mutex);
    m_state->ending = true;
    m_state->changed.notify_all();
    const bool done = m_state->changed.wait_until(lock, deadline, [this] {
        return m_state->closed || (m_state->lines.empty() && !m_state->writing);
    });
    m_state->lines.clear();
    lock.unlock();
    m_state->changed.notify_all();
    if (done) {
        m_thread.join();
    } else {
        m_thread.detach();
    }
    return done;
}

void LineWriter::run(const std::shared_ptr<State>& state) {
    std::unique_lock lock(state->mutex);
    for (;;) {
        state->changed.wait(lock, [&] { return !state->lines.empty() || state->ending; });
        if (state->lines.empty()) {
            return;
        }
        std::string text;
        if (state->dropped > 0) {
            text = state->note(std::exchange(state->dropped, 0)) + '\n';
        }
        text += std::move(state->lines.front());
        text += '\n';
        state->lines.pop_front();
        state->writing = true;
        lock.unlock();
        state->out << text;
        state->out.flush();
        const bool failed = !state->out;
        lock.lock();
        state->writing = false;
        if (failed) {
            state->closed = true;
            state->lines.clear();
        }
        state->changed.notify_all();
        if (failed) {
            return;
        }
    }
}

}  // namespace brevik2::console
