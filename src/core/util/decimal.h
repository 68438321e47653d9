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
// Inlined: the readers call it on short fields of every line.
constexpr std::size_t ANY_DIGITS = std::numeric_limits<std::size_t>::max();
template <class T>
[[gnu::always_inline]] inline Expected<T, IntErrorKind> parse_decimal(std::string_view text,
                                                                      std::size_t max_digits = ANY_DIGITS) {
    static_assert(std::is_integral_v<T> && !std::is_same_v<T, bool>);
    if (text.empty()) return unexpected(IntErrorKind::Empty);
    const bool negative = std::is_signed_v<T> && text.front() == '-';
    if (negative || text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty()) return unexpected(IntErrorKind::InvalidDigit);
    }
    const IntErrorKind overflow = negative ? IntErrorKind::NegOverflow : IntErrorKind::PosOverflow;
    if (text.size() > max_digits) return unexpected(overflow);
    T value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return unexpected(IntErrorKind::InvalidDigit);
        const auto digit = static_cast<T>(c - '0');
        const bool overflowed = __builtin_mul_overflow(value, T{10}, &value) ||
                                (negative ? __builtin_sub_overflow(value, digit, &value)
                                          : __builtin_add_overflow(value, digit, &value));
        if (overflowed) return unexpected(overflow);
    }
    return value;
}

}  // namespace korvan
