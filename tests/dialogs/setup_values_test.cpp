// The pure parts of the setup dialogs: numbers read from typed text, the unit initialization
// texts and parameters, and the list of serial devices.

#include <gtest/gtest.h>

#include <limits>

#include "dialogs/field_text.h"
#include "dialogs/unit_request_parameters.h"
#include "link/serial_device_list.h"
#include "support/temp_folder.h"

namespace brevik2::dialogs {
namespace {

struct IntegerCase {
    const char* text;
    int expected;
};

class LeadingIntegerTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(LeadingIntegerTest, ReadsLikeTheCLibraryWithoutOverflow) {
    EXPECT_EQ(leadingInteger(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LeadingIntegerTest,
    ::testing::Values(IntegerCase{"150", 150}, IntegerCase{"  \t-25", -25}, IntegerCase{"+7", 7},
                      IntegerCase{"15x", 15}, IntegerCase{"x15", 0}, IntegerCase{"", 0},
                      IntegerCase{"-", 0}, IntegerCase{"+ 5", 0}, IntegerCase{"99999", 99999},
                      IntegerCase{"2147483647", 2147483647},
                      IntegerCase{"99999999999999999999999", std::numeric_limits<int>::max()},
                      IntegerCase{"-99999999999999999999999", std::numeric_limits<int>::min()}));

struct RealCase {
    const char* text;
    double expected;
};

class LeadingRealTest : public ::testing::TestWithParam<RealCase> {};

TEST_P(LeadingRealTest, TakesTheLongestNumberAndNothingElse) {
    EXPECT_DOUBLE_EQ(leadingReal(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, LeadingRealTest,
                         ::testing::Values(RealCase{"1.333", 1.333}, RealCase{" -2.5s", -2.5},
                                           RealCase{".5", 0.5}, RealCase{"5.", 5.0},
                                           RealCase{"1e1x", 10.0}, RealCase{"2e", 2.0},
                                           RealCase{"+3", 3.0}, RealCase{"inf", 0.0},
                                           RealCase{"nan", 0.0}, RealCase{".", 0.0},
                                           RealCase{"abc", 0.0}, RealCase{"1e999", 0.0}));

TEST(FirstLineTest, CutsAtTheFirstLineBreak) {
    EXPECT_EQ(firstLine("c:\\data\\"), "c:\\data\\");
    EXPECT_EQ(firstLine("/srv/data\nSamplingInterval=1"), "/srv/data");
    EXPECT_EQ(firstLine("a\r\nb"), "a");
}

TEST(UnitInitializationTextsTest, OpeningTextsUseTheFormsOfTheForm) {
    EXPECT_EQ(formatUnitId(1010), "01010");
    EXPECT_EQ(formatUnitId(123456), "123456");
    EXPECT_EQ(formatFrequencyOffset(-25), "-000025");
    EXPECT_EQ(formatFrequencyOffset(150), "+000150");
    EXPECT_EQ(formatFrequencyOffset(std::numeric_limits<std::int32_t>::min()), "-2147483648");
    EXPECT_EQ(formatTimeConstant(0.0), " 0.00");
    EXPECT_EQ(formatTimeConstant(1.333), " 1.33");
    EXPECT_EQ(formatTimeConstant(123.456), "123.46");
    EXPECT_EQ(formatTimeConstant(std::numeric_limits<double>::infinity()), "  inf");
    // The largest float still formats whole rather than overflowing a buffer.
    EXPECT_EQ(formatTimeConstant(std::numeric_limits<float>::max()).size(), 39u + 3u);
}

struct ParameterCase {
    std::string (*build)(std::string_view);
    const char* fieldText;
    const char* expected;
};

class FieldParameterTest : public ::testing::TestWithParam<ParameterCase> {};

TEST_P(FieldParameterTest, BuildsTheParameterSent) {
    EXPECT_EQ(GetParam().build(GetParam().fieldText), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FieldParameterTest,
    ::testing::Values(ParameterCase{timeConstantParameter, "1.333", "1 1.33"},
                      ParameterCase{timeConstantParameter, "abc", "1 0.00"},
                      ParameterCase{timeConstantParameter, "25", "1 25.00"},
                      ParameterCase{frequencyOffsetParameter, "150", "+000150  "},
                      ParameterCase{frequencyOffsetParameter, "-1234567", "-1234567  "},
                      ParameterCase{frequencyOffsetParameter, "junk", "+000000  "},
                      ParameterCase{customerMessageParameter, "ABC", "ABC______"},
                      ParameterCase{customerMessageParameter, "HELLOWORLD!", "HELLOWORL"},
                      ParameterCase{customerMessageParameter, "", "_________"},
                      ParameterCase{unitIdParameter, " 12ab", " 12ab"}));

TEST(UnitInitializationParametersTest, SerialParametersTakeFirstCharacters) {
    EXPECT_EQ(serialParameters("19200", "8", "Even", "1"), "19200,8,E,1");
    EXPECT_EQ(serialParameters("9600", "7", "None", "2"), "9600,7,N,2");
}

TEST(UnitInitializationParametersTest, UnitIdIsSentAsTypedUpToTheFieldLimit) {
    const std::string longText(300, '7');
    EXPECT_EQ(unitIdParameter(longText), std::string(kFieldTextChars, '7'));
}

TEST(UnitInitializationParametersTest, SwitchesCompareTheEntryInLowerCase) {
    EXPECT_EQ(switchParameter("On", "on"), "1");
    EXPECT_EQ(switchParameter("Off", "on"), "0");
    EXPECT_EQ(switchParameter("ARM", "arm"), "1");
    EXPECT_EQ(switchParameter("Disarm", "arm"), "0");
    EXPECT_EQ(switchParameter("Critical", "critical"), "1");
    EXPECT_EQ(switchParameter("Warning", "critical"), "0");
}

TEST(SerialDeviceListTest, ListsSerialDevicesInNumericOrderAdaptersFirst) {
    testing::TempFolder dev;
    for (const char* name : {"ttyS10", "ttyS2", "ttyACM0", "ttyUSB1", "ttyUSB0", "ttyS0", "tty0",
                             "ttyS", "ttySAC0", "ttyUSB0.lock", "null", "console"}) {
        testing::writeWholeFile(dev / name, "");
    }
    std::filesystem::create_directory(dev / "ttyS3");  // not a device
    std::vector<std::string> expected;
    for (const char* name : {"ttyUSB0", "ttyUSB1", "ttyACM0", "ttyS0", "ttyS2", "ttyS10"}) {
        expected.push_back((dev / name).string());
    }
    EXPECT_EQ(link::listSerialDevices(dev.path()), expected);

    // A device that a "comN" link already names is not offered a second time; the scan's list
    // holds the adapters only.
    std::filesystem::create_symlink(dev / "ttyUSB1", dev / "com1");
    const std::vector<std::string> named{(dev / "com1").string(), (dev / "absent").string()};
    expected.erase(expected.begin() + 1);
    EXPECT_EQ(link::listSerialDevices(dev.path(), named), expected);
    expected.resize(2);
    EXPECT_EQ(link::listUsbSerialDevices(dev.path(), named), expected);
}

TEST(SerialDeviceListTest, AMissingFolderGivesNothing) {
    testing::TempFolder dev;
    EXPECT_TRUE(link::listSerialDevices(dev / "absent").empty());
}

}  // namespace
}  // namespace brevik2::dialogs
