#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <thread>

namespace brevik2::console {

// Writes whole lines to a stream from a thread of its own, so that a stream that blocks (a pipe
// nobody reads, a terminal stopped with Ctrl-S) never holds up the caller. At most kMaxLines
// wait; past that the oldest is dropped and counted, and once the stream takes lines again a
// note of how many were dropped goes out first. A stream that fails (a closed pipe) is marked
// closed and what comes after is dropped. The stream is untied from any other.
//
// Thread safety: write(), closed() and finish() from one thread; the writer thread touches the
// stream only.
class LineWriter {
public:
    static constexpr std::size_t kMaxLines = 1000;
    // The note for n dropped lines.
    using DroppedNote = std::function<std::string(std::uint64_t n)>;

    LineWriter(std::ostream& out, DroppedNote note);
    ~LineWriter();  // finish(0)
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    // Queues one line, without its newline.
    void write(std::string line);
    bool closed() const;
    // Waits until every queued line has gone out or the deadline passes, and ends the writer.
    // False when the stream still blocks: the thread is then left waiting in it, and the
    // process must end without flushing that stream (std::_Exit).
    bool finish(std::chrono::steady_clock::time_point deadline);

private:
    struct State;
    static void run(const std::shared_ptr<State>& state);

    std::shared_ptr<State> m_state;  // shared with the thread, which may outlive the writer
    std::thread m_thread;
};

}  // namespace brevik2::console
