#include "engine/scan_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace brevik2::engine {
namespace {

using Value = std::variant<std::int32_t, std::uint32_t, float, char, std::string>;

struct ScanCase {
    std::string name;
    std::string input;
    std::string format;
    std::vector<Value> expected;
};

void PrintTo(const ScanCase& c, std::ostream* os) {
    *os << c.name;
}

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNan = std::numeric_limits<float>::quiet_NaN();

// The input is copied into a buffer of exactly its size, with no terminator, so that a read
// past its end shows up under the address sanitizer.
std::vector<ScanValue> scanExact(const std::string& input, const std::string& format) {
    auto bytes = std::make_unique<char[]>(input.size());
    std::copy(input.begin(), input.end(), bytes.get());
    return scanFormat(std::string_view(bytes.get(), input.size()), format);
}

class ScanFormatTest : public testing::TestWithParam<ScanCase> {};

TEST_P(ScanFormatTest, AssignsTheExpectedValuesInOrder) {
    const ScanCase& c = GetParam();
    const auto values = scanExact(c.input, c.format);
    ASSERT_EQ(values.size(), c.expected.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        SCOPED_TRACE(i);
        const ScanValue& v = values[i];
        if (const auto* s = std::get_if<std::int32_t>(&c.expected[i])) {
            EXPECT_EQ(v.kind, ScanValue::Kind::kSigned);
            EXPECT_EQ(v.asSigned(), *s);
        } else if (const auto* u = std::get_if<std::uint32_t>(&c.expected[i])) {
            EXPECT_EQ(v.kind, ScanValue::Kind::kUnsigned);
            EXPECT_EQ(v.asUnsigned(), *u);
        } else if (const auto* f = std::get_if<float>(&c.expected[i])) {
            EXPECT_EQ(v.kind, ScanValue::Kind::kFloat);
            if (std::isnan(*f)) {
                EXPECT_TRUE(std::isnan(v.asFloat()));
            } else {
                EXPECT_EQ(v.asFloat(), *f);
            }
        } else if (const auto* ch = std::get_if<char>(&c.expected[i])) {
            EXPECT_EQ(v.kind, ScanValue::Kind::kChar);
            EXPECT_EQ(v.asChar(), *ch);
        } else {
            EXPECT_EQ(v.kind, ScanValue::Kind::kText);
            EXPECT_EQ(v.text, std::get<std::string>(c.expected[i]));
        }
    }
}

using S = std::int32_t;
using U = std::uint32_t;
using T = std::string;

INSTANTIATE_TEST_SUITE_P(
    Directives, ScanFormatTest,
    testing::Values(
        ScanCase{"SignedWithSigns", " -42 +7", "%d%d", {S{-42}, S{7}}},
        ScanCase{"LongIsThirtyTwoBits", "123", "%ld", {S{123}}},
        ScanCase{"UnsignedNegativeWraps", "-1", "%u", {U{4294967295u}}},
        ScanCase{"HexPrefixAndCase", "0x1f 1F", "%x %x", {U{31}, U{31}}},
        ScanCase{"HexZeroXWithoutDigitIsZero", "0xg", "%x%c", {U{0}, 'x'}},
        ScanCase{"FloatForms", "1.5e2 -.25 +3.", "%f %f %f", {150.0f, -0.25f, 3.0f}},
        ScanCase{"FloatInfinityAndNan", "inf -INFINITY nan(1)", "%f%f%f", {kInf, -kInf, kNan}},
        ScanCase{"FloatLeavesDanglingExponent", "1e+V", "%f%c", {1.0f, 'e'}},
        ScanCase{"DoubleSignIsNoNumber", "--1", "%f", {}},
        ScanCase{"SignAloneIsNoNumber", "- 1", "%d", {}},
        ScanCase{"CharDoesNotSkipWhitespace", " x", "%c%c", {' ', 'x'}},
        ScanCase{"StringSkipsAndStopsAtWhitespace", "  ab\tcd", "%s%s", {T{"ab"}, T{"cd"}}},
        ScanCase{"ScansetUpToComma", "ab c,d", "%[^,],%[^,]", {T{"ab c"}, T{"d"}}},
        ScanCase{"ScansetDoesNotSkipWhitespace", " a", "%[a]", {}},
        ScanCase{"ScansetOfCharacters", "aab", "%[a]%c", {T{"aa"}, 'b'}},
        ScanCase{"EmptyScansetFieldFails", ",x", "%[^,]", {}},
        ScanCase{"BlankMatchesNone", "1,2", "%d ,%d", {S{1}, S{2}}},
        ScanCase{"BlankMatchesAnyWhitespace", "A\r\n \tB!", "A B%c", {'!'}},
        ScanCase{"LiteralMismatchStops", "1;2", "%d,%d", {S{1}}},
        ScanCase{"FirstFailingConversionStops", "1 x 3", "%d %d %d", {S{1}}},
        ScanCase{"UnsupportedDirectiveStops", "5 6", "%d %e", {S{5}}},
        ScanCase{"EndOfInputStops", "7", "%d %d", {S{7}}}, ScanCase{"EmptyInput", "", "%d", {}},
        ScanCase{"ZeroByteEndsInput", std::string("12\0 34", 6), "%d %d", {S{12}}},
        ScanCase{"IntegerWidth", "12345", "%2d%d", {S{12}, S{345}}},
        ScanCase{"WidthCountsTheSign", "-5", "%1d", {}},
        ScanCase{"HexWidthCountsThePrefix", "0x1ff", "%4x%x", {U{0x1f}, U{0xf}}},
        ScanCase{"FloatWidth", "1.2345", "%3f%d", {1.2f, S{345}}},
        ScanCase{"StringWidth", "abcdef", "%2s%s", {T{"ab"}, T{"cdef"}}},
        ScanCase{"ScansetWidth", "abcdefgh,x", "%3[^,]%s", {T{"abc"}, T{"defgh,x"}}},
        // Overlong integers saturate in 64 bits and keep the low 32 bits of that.
        ScanCase{"SignedWrapsPast32Bits", "2147483648", "%d", {S{-2147483647 - 1}}},
        ScanCase{"SignedSaturatesHigh", "99999999999999999999", "%d", {S{-1}}},
        ScanCase{"SignedSaturatesLow", "-99999999999999999999", "%d", {S{0}}},
        ScanCase{"UnsignedWrapsPast32Bits", "4294967297", "%u", {U{1}}},
        ScanCase{"UnsignedSaturates", "-99999999999999999999", "%u", {U{4294967295u}}},
        ScanCase{"HexSaturates", "123456789abcdef0123", "%x", {U{4294967295u}}},
        ScanCase{"FloatOverflowIsInfinite", "1e39 -1000e400", "%f%f", {kInf, -kInf}},
        ScanCase{"FloatUnderflowIsZero", "1e-50 0.0000001e-45", "%f%f", {0.0f, 0.0f}},
        ScanCase{"LongExponentDoesNotOverflow", "1e99999999999999999999", "%f", {kInf}}),
    [](const testing::TestParamInfo<ScanCase>& info) { return info.param.name; });

}  // namespace
}  // namespace brevik2::engine
