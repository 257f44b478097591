#include "link/request_framing.h"

#include <gtest/gtest.h>

#include <set>

#include "link/command_catalogue.h"
#include "link/pending_request_slot.h"
#include "link/port_name.h"
#include "support/temp_folder.h"

namespace brevik2::link {
namespace {

using FillResult = PendingRequestSlot::FillResult;

TEST(RequestFraming, WireBytesAreExact) {
    EXPECT_EQ(frameRequest("W04", ""), std::string("\x02W04 00000 \x03", 12));
    EXPECT_EQ(frameRequest("W01", "+000000"), std::string("\x02W01 00000 +000000\x03", 19));
    EXPECT_EQ(frameRequest("D*1", ""), std::string("\x02"
                                                   "D*1 00000 \x03",
                                                   12));
    EXPECT_EQ(frameRequest("A", ""), std::string("\x02  A 00000 \x03", 12));  // right-aligned
}

TEST(PendingRequestSlot, SecondRequestIsDroppedAndKeepsTheFirstCompletionCode) {
    PendingRequestSlot slot;
    EXPECT_EQ(slot.fill("W00", "", 12, 11), FillResult::Accepted);
    EXPECT_EQ(slot.fill("A06", "07/09/03", 32, 12), FillResult::Busy);
    ASSERT_TRUE(slot.isPending());
    EXPECT_EQ(slot.take().code, "W00");
    EXPECT_EQ(slot.take().completionCode, 11);
    slot.release();
    EXPECT_FALSE(slot.isPending());
    EXPECT_EQ(slot.fill("A06", "07/09/03", 32, 12), FillResult::Accepted);
    EXPECT_EQ(slot.take().parameter, "07/09/03");
}

TEST(PendingRequestSlot, RefusesOverlongParameterAndBadCodes) {
    PendingRequestSlot slot;
    EXPECT_EQ(slot.fill("C06", std::string(1024, 'x'), 64, 0), FillResult::ParameterTooLong);
    EXPECT_EQ(slot.fill("", "", 64, 0), FillResult::BadCode);
    EXPECT_EQ(slot.fill("W001", "", 64, 0), FillResult::BadCode);
    EXPECT_FALSE(slot.isPending());
    EXPECT_EQ(slot.fill("C06", std::string(1023, 'x'), 64, 0), FillResult::Accepted);
}

TEST(CommandCatalogue, SixtyOneDistinctRowsHonouringTheirInvariants) {
    const auto& rows = commandCatalogue();
    std::set<std::string_view> codes;
    for (const CommandRow& row : rows) {
        EXPECT_EQ(row.code.size(), 3u);
        EXPECT_FALSE(row.displayName.empty());
        EXPECT_TRUE(codes.insert(row.code).second) << row.code;
        if (!row.takesParameter()) {
            EXPECT_TRUE(row.parameterMask.empty() && row.defaultParameter.empty()) << row.code;
        }
    }
    EXPECT_EQ(rows.front().displayName, "Reset Alarms");
    EXPECT_EQ(rows.back().code, "A22");
    EXPECT_EQ(findCommand("D*3")->replyLimit, 32000);
    EXPECT_EQ(findCommand("D*4")->replyLimit, 2048);
    EXPECT_EQ(
        findCommand("W07")->description,
        "Set the TTL output Frequency (Q520k)\n   1=100KHz\n   2=1MHz\n   3=5MHz\n   4=10MHz");
    EXPECT_EQ(findCommand("A24"), nullptr);  // the monitor's own request, not the operator's
}

TEST(CommandCatalogue, QueueRequestUsesTheRowsLimitAndParameterRule) {
    PendingRequestSlot slot;
    EXPECT_EQ(queueRequest(slot, "W12", "ignored", 17), FillResult::Accepted);
    EXPECT_EQ(slot.take().parameter, "");  // a command without parameter sends none
    EXPECT_EQ(slot.take().replyLimit, 1024);
    EXPECT_EQ(slot.take().completionCode, 17);
    slot.release();
    EXPECT_EQ(queueRequest(slot, "A05", "47DC59E511F8,000000000001,0099"), FillResult::Accepted);
    EXPECT_EQ(slot.take().replyLimit, 32000);
    slot.release();
    EXPECT_EQ(queueRequest(slot, "Z99", ""), FillResult::BadCode);
}

TEST(PortName, ComNFollowsALinkBesideTheSettings) {
    testing::TempFolder folder;
    EXPECT_EQ(resolvePortName("/dev/ttyUSB0", folder.path()), "/dev/ttyUSB0");
#ifdef _WIN32
    // The device namespace reaches every COM number; a bare "COM10" would not open.
    EXPECT_EQ(resolvePortName("Com1", folder.path()), "\\\\.\\COM1");
    EXPECT_EQ(resolvePortName("com12", folder.path()), "\\\\.\\COM12");
    EXPECT_EQ(resolvePortName("COM256", folder.path()), "\\\\.\\COM256");
#else
    EXPECT_EQ(resolvePortName("Com1", folder.path()), "/dev/ttyS0");
    EXPECT_EQ(resolvePortName("COM4", folder.path()), "/dev/ttyS3");
    std::filesystem::create_symlink("/dev/null", folder / "com2");
    EXPECT_EQ(resolvePortName("com2", folder.path()), (folder / "com2").string());
#endif
    EXPECT_EQ(resolvePortName("Com", folder.path()), "Com");
    EXPECT_EQ(resolvePortName("Com0", folder.path()), "Com0");
}

}  // namespace
}  // namespace brevik2::link
