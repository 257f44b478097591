#include "shell/snapshot_report.h"

#include <gtest/gtest.h>

namespace brevik2::shell {
namespace {

using namespace engine;

const LocalTime kJuly9{2003, 7, 9, 14, 5, 9};

UnitRecords unitOfModel(int model) {
    UnitRecords r;
    r.constants.setSigned(kConModelCode, model);
    r.variables.setUnsigned(kVarUnitId, 1234);
    r.variables.setSigned(kVarFreqTune, -42);
    r.version = {'C', 7};
    r.nvram.setSigned(NvRecord::kPoweredHours, 5678);
    r.nvram.setSigned(NvRecord::kManufactureYear, 2001);
    r.nvram.setSigned(NvRecord::kManufactureMonth, 3);
    r.nvram.setSigned(NvRecord::kManufactureDay, 4);
    return r;
}

const char* const kGeneral400 =
    "Harrowquill Cesium Instrument Configuration Settings\n"
    "\n"
    "This file was generated on 07/09/2003 at 14:05:09 \n"
    "General Information\n"
    "\tUnit ID = 1234\n"
    "\tSystem Type = Q710\n"
    "\tFirmware Version C 7\n"
    "\tProgrammed Frequency Offset -000042\n"
    "\tTotal hours powered 5678\n"
    "\tManufacture Date 03/04/01\n";

TEST(SnapshotDefaultName, NamesTheTypeAndUnit) {
    EXPECT_EQ(snapshotDefaultName(unitOfModel(402)), "Harrowquill_Q520K_1234_status");
    EXPECT_EQ(snapshotDefaultName(unitOfModel(401)), "Harrowquill_VRX80_1234_status");
    EXPECT_EQ(snapshotDefaultName(unitOfModel(400)), "Harrowquill_Q710_1234_status");
    EXPECT_EQ(snapshotDefaultName(unitOfModel(0)), "Harrowquill_Cesium_1234_status");
}

TEST(SnapshotFirstSection, Model400HasNoTelecommunicationsPart) {
    EXPECT_EQ(snapshotFirstSection(unitOfModel(400), kJuly9), kGeneral400);
}

TEST(SnapshotFirstSection, Model402AddsTheTelecommunicationsPart) {
    UnitRecords r = unitOfModel(402);
    NvRecord& n = r.nvram;
    n.setChar(NvRecord::kChannel1Type, 'E');
    n.setChar(NvRecord::kChannel1Format, 'F');
    n.setChar(NvRecord::kChannel1Drive, 'U');
    n.setUnsigned(NvRecord::kChannel1Liu, 3);
    n.setChar(NvRecord::kChannel2Type, 'T');
    n.setChar(NvRecord::kChannel2Format, 'C');
    n.setChar(NvRecord::kChannel2Drive, 'B');
    n.setUnsigned(NvRecord::kChannel2Liu, 6);
    n.setUnsigned(NvRecord::kT1FaultStrategy, 3);
    n.setUnsigned(NvRecord::kT1BitstreamFormat, 1);
    n.setUnsigned(NvRecord::kE1FaultStrategy, 0b1010);  // bits 1 and 3
    n.setUnsigned(NvRecord::kSsmOnSa, 4);
    n.setUnsigned(NvRecord::kE1DataFormat, 4);

    std::string expected = kGeneral400;
    expected.replace(expected.find("Q710"), 4, "Q520K");
    expected +=
        "\nTelecommunications Subsystem\n"
        "\tOutput Channel 1\n"
        "\t\tType = \tE1,\n"
        "\t\tFormat = Framed\n"
        "\t\tDrive = UnBalanced,\n"
        "\t\tLIU setting = 3 (T1 0-133 feet,  Ansi T1.403)\n"
        "\tOutput Channel 2\n"
        "\t\tType = T1, \n"
        "\t\tFormat = Clocked, \n"
        "\t\tDrive = Balanced, \n"
        "\t\tLIU setting = ??\n"
        "\tT1 FPG Settings\n"
        "\t\tFault Strategy = AIS\n"
        "\t\tBitstream FormatD4 All 1's\n"
        "\tE1 FPG Settings\n"
        "\t\tFault Strategy = TS 16 Alarm Bit\n"
        "\t\tSSM on Sa Channel = 4\n"
        "\t\tFramed data format = CRC-4 and TS16\n";
    EXPECT_EQ(snapshotFirstSection(r, kJuly9), expected);
}

TEST(SnapshotFirstSection, UnknownCodesAndAFreshRecordShowQuestionMarks) {
    // A 401 before its non-volatile memory was read: every choice is unknown. An SSM value
    // below 4 has no line.
    UnitRecords r = unitOfModel(401);
    r.nvram.setUnsigned(NvRecord::kSsmOnSa, 3);
    const std::string s = snapshotFirstSection(r, kJuly9);
    EXPECT_NE(s.find("\tSystem Type = VRX-80\n"), std::string::npos);
    EXPECT_NE(s.find("\t\tType = \t ?,\n\t\tFormat = \n\t\tDrive = \n\t\tLIU setting = 0 (E1)\n"),
              std::string::npos);
    EXPECT_NE(s.find("\t\tType =  ?, \n"), std::string::npos);
    EXPECT_NE(s.find("\t\tFault Strategy = ??\n\t\tBitstream Format??\n"), std::string::npos);
    EXPECT_NE(s.find("\tE1 FPG Settings\n\t\tFault Strategy = ??\n\t\tFramed data format = ??\n"),
              std::string::npos);
}

TEST(SnapshotFirstSection, OnlyTheLowestE1StrategyBitCounts) {
    UnitRecords r = unitOfModel(402);
    struct Row {
        std::uint32_t bits;
        const char* text;
    };
    for (const Row& row :
         {Row{0b0001, "CRC 4 Alarm Bit, \n"}, Row{0b1110, "TS 16 Alarm Bit\n"},
          Row{0b1100, "SSM Alarm Bit\n"}, Row{0b1000, "Signal Cutoff\n"}, Row{0b10000, "??\n"}}) {
        r.nvram.setUnsigned(NvRecord::kE1FaultStrategy, row.bits);
        const std::string s = snapshotFirstSection(r, kJuly9);
        EXPECT_NE(s.find(std::string("E1 FPG Settings\n\t\tFault Strategy = ") + row.text),
                  std::string::npos)
            << row.bits;
    }
}

TEST(SnapshotFirstSection, AnotherModelLeavesTheSystemTypeLineOpen) {
    const std::string s = snapshotFirstSection(unitOfModel(0), kJuly9);
    EXPECT_NE(s.find("\tSystem Type = \tFirmware Version C 7\n"), std::string::npos);
    EXPECT_EQ(s.find("Telecommunications"), std::string::npos);
}

TEST(SnapshotFirstSection, ManufactureYearIsItsLow16BitsModulo100) {
    UnitRecords r = unitOfModel(400);
    r.nvram.setSigned(NvRecord::kManufactureYear, 65536 + 1999);
    EXPECT_NE(snapshotFirstSection(r, kJuly9).find("Manufacture Date 03/04/99\n"),
              std::string::npos);
}

TEST(SnapshotFirstSection, NoZeroByteForAVersionNeverRead) {
    UnitRecords r = unitOfModel(400);
    r.version = {};
    const std::string s = snapshotFirstSection(r, kJuly9);
    EXPECT_EQ(s.find('\0'), std::string::npos);
    EXPECT_NE(s.find("\tFirmware Version  0\n"), std::string::npos);
}

TEST(SnapshotEventLogSection, EntriesWithTheirContinuations) {
    EventTable table;
    table.count = 2;
    table.entries = {{"first", {"        more", "        still more"}}, {"second", {}}};
    EXPECT_EQ(snapshotEventLogSection(table),
              "\nEventlog\n\tfirst\n\t\t        more\n\t\t        still more\n\tsecond\n");
}

TEST(SnapshotEventLogSection, NoEventsOnlyForACountOfZero) {
    EventTable empty;
    empty.count = 0;
    EXPECT_EQ(snapshotEventLogSection(empty), "\nEventlog\nNo Events\n");
    EventTable neverRead;
    EXPECT_EQ(snapshotEventLogSection(neverRead), "\nEventlog\n");
}

TEST(WithCrLf, EveryLineFeedGetsACarriageReturn) {
    EXPECT_EQ(withCrLf("a\n\nb\tc\n"), "a\r\n\r\nb\tc\r\n");
    EXPECT_EQ(withCrLf("no end"), "no end");
}

}  // namespace
}  // namespace brevik2::shell
