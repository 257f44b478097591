// The contact test's check of the "D*2" reply: the unit counts as present exactly when all 145
// bytes came and they open STX CR LF "ID", whatever follows; the fields are read as the poll
// reads them.

#include <string_view>

#include "engine/reply_parsing.h"
#include "fuzz/fuzz_targets.h"

namespace brevik2::fuzz {

int fuzzUnitStatusCheck(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    engine::ConstantsRecord record;
    const bool present = engine::checkUnitStatusReply(reply, record);
    constexpr std::string_view kHead("\x02\r\nID", 5);
    BREVIK2_FUZZ_CHECK(present == (size >= engine::kConstantsReplyLength &&
                                   reply.substr(0, kHead.size()) == kHead));
    engine::ConstantsRecord polled;
    engine::convertConstantsReply(reply, polled);
    BREVIK2_FUZZ_CHECK(polled.slot == record.slot && polled.valid == record.valid);
    BREVIK2_FUZZ_CHECK(record.cdu[2] == '\0' && record.txt[10] == '\0');
    return 0;
}

}  // namespace brevik2::fuzz
