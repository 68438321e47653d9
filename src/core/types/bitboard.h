#pragma once
// A set of squares in two words: squares 0..62 in bits 0..62 of word 0, squares
// 63..80 in bits 0..17 of word 1. No file straddles the two words (files 1..7 live in
// word 0, files 8 and 9 in word 1), which the file-ray attacks rely on.

#include <bit>
#include <cstdint>
#include <string>

#include "core/types/square.h"

namespace korvan {

struct Bitboard {
    std::uint64_t w[2] = {0, 0};

    constexpr Bitboard() = default;
    constexpr Bitboard(std::uint64_t w0, std::uint64_t w1) : w{w0, w1} {}

    static constexpr Bitboard square(Square s) {
        return s < 63 ? Bitboard(std::uint64_t(1) << s, 0) : Bitboard(0, std::uint64_t(1) << (s - 63));
    }

    constexpr bool test(Square s) const {
        return s < 63 ? (w[0] >> s) & 1 : (w[1] >> (s - 63)) & 1;
    }
    constexpr void set(Square s) { *this |= square(s); }
    constexpr void clear(Square s) { *this &= ~square(s); }

    constexpr bool empty() const { return (w[0] | w[1]) == 0; }
    constexpr explicit operator bool() const { return !empty(); }
    constexpr int count() const { return std::popcount(w[0]) + std::popcount(w[1]); }
    // True when two or more squares are set.
    constexpr bool more_than_one() const {
        return w[0] ? ((w[0] & (w[0] - 1)) | w[1]) != 0 : (w[1] & (w[1] - 1)) != 0;
    }

    // Lowest square (word 0 first); the set must not be empty.
    constexpr Square lsb() const {
        return w[0] ? static_cast<Square>(std::countr_zero(w[0]))
                    : static_cast<Square>(63 + std::countr_zero(w[1]));
    }
    constexpr Square pop_lsb() {
        if (w[0]) {
            const Square s = static_cast<Square>(std::countr_zero(w[0]));
            w[0] &= w[0] - 1;
            return s;
        }
        const Square s = static_cast<Square>(63 + std::countr_zero(w[1]));
        w[1] &= w[1] - 1;
        return s;
    }

    constexpr Bitboard operator&(Bitboard o) const { return {w[0] & o.w[0], w[1] & o.w[1]}; }
    constexpr Bitboard operator|(Bitboard o) const { return {w[0] | o.w[0], w[1] | o.w[1]}; }
    constexpr Bitboard operator^(Bitboard o) const { return {w[0] ^ o.w[0], w[1] ^ o.w[1]}; }
    // Complement within the 81 squares.
    constexpr Bitboard operator~() const { return {~w[0] & 0x7FFFFFFFFFFFFFFFULL, ~w[1] & 0x3FFFFULL}; }
    constexpr Bitboard andnot(Bitboard o) const { return {w[0] & ~o.w[0], w[1] & ~o.w[1]}; }
    constexpr Bitboard& operator&=(Bitboard o) { return *this = *this & o; }
    constexpr Bitboard& operator|=(Bitboard o) { return *this = *this | o; }
    constexpr Bitboard& operator^=(Bitboard o) { return *this = *this ^ o; }
    constexpr bool operator==(const Bitboard&) const = default;

    // Visits the squares in ascending order.
    template <class F>
    constexpr void for_each(F&& f) const {
        for (std::uint64_t b = w[0]; b; b &= b - 1) f(static_cast<Square>(std::countr_zero(b)));
        for (std::uint64_t b = w[1]; b; b &= b - 1) f(static_cast<Square>(63 + std::countr_zero(b)));
    }
    // Visits the squares in ascending order until f returns true; whether one did. A
    // word at a time, so no step tests which word the next square is in.
    template <class F>
    constexpr bool any_of(F&& f) const {
        for (std::uint64_t b = w[0]; b; b &= b - 1)
            if (f(static_cast<Square>(std::countr_zero(b)))) return true;
        for (std::uint64_t b = w[1]; b; b &= b - 1)
            if (f(static_cast<Square>(63 + std::countr_zero(b)))) return true;
        return false;
    }
};

inline constexpr Bitboard BB_EMPTY{};
inline constexpr Bitboard BB_ALL{0x7FFFFFFFFFFFFFFFULL, 0x3FFFFULL};

constexpr Bitboard square_bb(Square s) { return Bitboard::square(s); }

// The diagram text: rank "i" at the top, file "9" on the left.
std::string bitboard_display(const Bitboard& b);

}  // namespace korvan
