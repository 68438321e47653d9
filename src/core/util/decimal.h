#pragma once
// Decimal integers in text, read with every check: the one reader of numbers that
// every format and the SFEN reader use.

#include <cstdint>
#include <limits>
#include <string_view>
#include <type_traits>

#include "core/util/expected.h"

namespace korvan {

// The failure kinds of a decimal read; the texts are those of the standard readers of
// integers.
enum class IntErrorKind : std::uint8_t { Empty, InvalidDigit, PosOverflow, NegOverflow };

const char* int_error_display(IntErrorKind k);
const char* int_error_debug_name(IntErrorKind k);

// An optional "+" (or "-", for a signed T) and ASCII digits, nothing else, in T's range.
// Each character is checked before the value grows past the range, so "99999x" is an
// overflow of 16 bits and "6553x" an invalid digit. A format that bounds the length of
// its numbers gives max_digits, the digits allowed after the sign (leading zeros
// count); more is an overflow.
template <class T>
Expected<T, IntErrorKind> parse_decimal(std::string_view text,
                                        std::size_t max_digits = std::numeric_limits<std::size_t>::max()) {
    static_assert(std::is_integral_v<T> && !std::is_same_v<T, bool>);
    if (text.empty()) return unexpected(IntErrorKind::Empty);
    const bool negative = std::is_signed_v<T> && text.front() == '-';
    if (negative || text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty()) return unexpected(IntErrorKind::InvalidDigit);
    }
    const IntErrorKind overflow = negative ? IntErrorKind::NegOverflow : IntErrorKind::PosOverflow;
    if (text.size() > max_digits) return unexpected(overflow);
    constexpr T LOW = std::numeric_limits<T>::min();
    constexpr T HIGH = std::numeric_limits<T>::max();
    T value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return unexpected(IntErrorKind::InvalidDigit);
        const auto digit = static_cast<T>(c - '0');
        if (negative ? value < (LOW + digit) / 10 : value > (HIGH - digit) / 10) return unexpected(overflow);
        value = static_cast<T>(negative ? value * 10 - digit : value * 10 + digit);
    }
    return value;
}

}  // namespace korvan
