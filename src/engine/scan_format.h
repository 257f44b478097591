#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brevik2::engine {

// One value assigned by scanFormat, in the form the records keep it: integers, floats and
// characters as the bit pattern of their 32-bit slot, texts as a string.
struct ScanValue {
    enum class Kind { kSigned, kUnsigned, kFloat, kChar, kText };

    Kind kind = Kind::kSigned;
    std::uint32_t bits = 0;
    std::string text;  // %s and %[ only

    std::int32_t asSigned() const { return static_cast<std::int32_t>(bits); }
    std::uint32_t asUnsigned() const { return bits; }
    float asFloat() const;
    char asChar() const { return static_cast<char>(bits & 0xFF); }
};

// A bounded, pure formatted scan with the C library's semantics for the directives the unit's
// replies need, and nothing else:
//   - whitespace in the format matches any amount of whitespace in the input, none included;
//   - any other character except '%' must match itself;
//   - %d %u %x (an 'l' before them is accepted and changes nothing: every slot is 32 bits) skip
//     leading whitespace and take an optional sign; %x also an optional 0x prefix;
//   - %f skips leading whitespace and takes a decimal number with optional sign and exponent,
//     or inf, infinity, nan, nan(...), independent of the process locale;
//   - %c takes the next character as it is, whitespace included;
//   - %s skips leading whitespace and takes characters up to the next whitespace;
//   - %[set] and %[^set] take characters in (or not in) the set, without skipping whitespace.
// Numeric conversions and texts take an optional field width. Integers are gathered in a
// saturating 64-bit accumulator (signed conversions saturate at the 64-bit signed range, %u and
// %x at the unsigned one, a negative %u or %x wraps like C) and then truncated to 32 bits, so an
// overlong number gives a defined if meaningless value rather than undefined behaviour. Floats
// out of range become infinity or zero.
//
// The input ends at its first zero byte. Scanning stops at the first directive that fails or is
// not supported; the result holds the values assigned before that, in order.
std::vector<ScanValue> scanFormat(std::string_view input, std::string_view format);

}  // namespace brevik2::engine
