#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "sim/reply_outbox.h"

namespace brevik2::sim {
namespace {

using namespace std::chrono_literals;
using Clock = ReplyOutbox::Clock;

struct RecordingSink {
    std::string written;
    long capacity = 1 << 20;  // bytes it takes before it is full
    bool failing = false;

    ReplyOutbox::Sink sink() {
        return [this](const char* data, std::size_t count) -> long {
            if (failing) {
                return -1;
            }
            const long taken = std::min<long>(capacity, static_cast<long>(count));
            written.append(data, static_cast<std::size_t>(taken));
            capacity -= taken;
            return taken;
        };
    }
};

const Clock::time_point t0{};

TEST(ReplyOutbox, HoldsAPieceUntilItsTime) {
    ReplyOutbox outbox;
    RecordingSink out;
    outbox.push("late", t0 + 1500ms);
    outbox.push("after", t0);
    EXPECT_EQ(outbox.writeDue(t0 + 1499ms, out.sink()), ReplyOutbox::WriteResult::Done);
    EXPECT_EQ(out.written, "") << "pieces keep their order";
    EXPECT_EQ(outbox.nextDue(), t0 + 1500ms);
    outbox.writeDue(t0 + 1500ms, out.sink());
    EXPECT_EQ(out.written, "lateafter");
    EXPECT_TRUE(outbox.empty());
    EXPECT_FALSE(outbox.nextDue().has_value());
}

TEST(ReplyOutbox, PacedPieceGoesOutOneCharacterTimeAtATime) {
    ReplyOutbox outbox;
    RecordingSink out;
    outbox.push("0123456789", t0, 1ms);
    outbox.writeDue(t0, out.sink());
    EXPECT_EQ(out.written, "0");
    EXPECT_EQ(outbox.nextDue(), t0 + 1ms);
    outbox.writeDue(t0 + 4500us, out.sink());
    EXPECT_EQ(out.written, "01234");
    EXPECT_EQ(outbox.nextDue(), t0 + 5ms);
    outbox.writeDue(t0 + 1s, out.sink());
    EXPECT_EQ(out.written, "0123456789");
    EXPECT_TRUE(outbox.empty());
}

TEST(ReplyOutbox, FullReceiverBlocksAndResumes) {
    ReplyOutbox outbox;
    RecordingSink out;
    out.capacity = 3;
    outbox.push("abcdef", t0);
    EXPECT_EQ(outbox.writeDue(t0, out.sink()), ReplyOutbox::WriteResult::Blocked);
    EXPECT_EQ(outbox.pendingBytes(), 3u);
    out.capacity = 100;
    EXPECT_EQ(outbox.writeDue(t0, out.sink()), ReplyOutbox::WriteResult::Done);
    EXPECT_EQ(out.written, "abcdef");
}

TEST(ReplyOutbox, FailureIsReportedAndClearEmpties) {
    ReplyOutbox outbox;
    RecordingSink out;
    out.failing = true;
    outbox.push("abc", t0);
    EXPECT_EQ(outbox.writeDue(t0, out.sink()), ReplyOutbox::WriteResult::Failed);
    outbox.clear();
    EXPECT_TRUE(outbox.empty());
    outbox.push("", t0);
    EXPECT_TRUE(outbox.empty()) << "an empty piece is not queued";
}

}  // namespace
}  // namespace brevik2::sim
