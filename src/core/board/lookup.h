#pragma once
// Geometry between squares: the squares strictly between two squares on a line, the
// direction from one square toward another, and the four lines through a square.
// All three are computed at compile time; every index 0..81 is valid (81 gives the
// empty set or 0).

#include <array>
#include <cstdint>

#include "core/types/bitboard.h"
#include "core/util/panic.h"

namespace korvan {

namespace lookup_detail {

constexpr int sign(int x) { return (x > 0) - (x < 0); }

struct BetweenTable {
    std::array<Bitboard, 785> sets{};
    std::array<std::array<std::uint16_t, 82>, 82> index{};
};

constexpr BetweenTable make_between() {
    BetweenTable t{};
    int next = 1;
    for (int a = 0; a < 81; ++a) {
        for (int b = a + 1; b < 81; ++b) {
            const int fa = a / 9, ra = a % 9, fb = b / 9, rb = b % 9;
            int step;
            if (fa == fb) {
                step = sign(rb - ra);
            } else if (ra == rb) {
                step = 9 * sign(fb - fa);
            } else if ((fb - fa) * (fb - fa) != (rb - ra) * (rb - ra)) {
                continue;
            } else {
                step = sign(rb - ra) + 9 * sign(fb - fa);
            }
            Bitboard between;
            for (int s = a + step; s != b; s += step) between.set(static_cast<Square>(s));
            if (between.empty()) continue;
            t.sets[next] = between;
            t.index[a][b] = static_cast<std::uint16_t>(next);
            t.index[b][a] = static_cast<std::uint16_t>(next);
            ++next;
        }
    }
    if (next != 785) throw "between table size";
    return t;
}

constexpr std::array<std::array<std::uint8_t, 82>, 82> make_direction() {
    std::array<std::array<std::uint8_t, 82>, 82> t{};
    for (int a = 0; a < 81; ++a) {
        for (int b = 0; b < 81; ++b) {
            if (a == b) continue;
            const int df = b / 9 - a / 9, dr = b % 9 - a % 9;
            if (df != 0 && dr != 0 && df * df != dr * dr) continue;
            // Bit order follows the square delta: -10, -9, -8, -1, +1, +8, +9, +10.
            const int delta = 9 * sign(df) + sign(dr);
            constexpr int deltas[8] = {-10, -9, -8, -1, 1, 8, 9, 10};
            for (int i = 0; i < 8; ++i)
                if (deltas[i] == delta) t[a][b] = static_cast<std::uint8_t>(1 << i);
        }
    }
    return t;
}

constexpr std::array<std::array<Bitboard, 4>, 81> make_lines() {
    std::array<std::array<Bitboard, 4>, 81> t{};
    constexpr int dirs[4][2] = {{1, 1}, {1, 0}, {1, -1}, {0, 1}};
    for (int sq = 0; sq < 81; ++sq) {
        for (int k = 0; k < 4; ++k) {
            Bitboard line = Bitboard::square(static_cast<Square>(sq));
            for (int sgn = -1; sgn <= 1; sgn += 2) {
                int f = sq / 9 + sgn * dirs[k][0], r = sq % 9 + sgn * dirs[k][1];
                while (f >= 0 && f < 9 && r >= 0 && r < 9) {
                    line.set(make_square(f, r));
                    f += sgn * dirs[k][0], r += sgn * dirs[k][1];
                }
            }
            t[sq][k] = line;
        }
    }
    return t;
}

}  // namespace lookup_detail

inline constexpr lookup_detail::BetweenTable BETWEEN_TABLE = lookup_detail::make_between();
inline constexpr auto DIRECTION_TABLE = lookup_detail::make_direction();
// Lines through each square, the square included: 0 the +-10 diagonal, 1 the rank,
// 2 the +-8 diagonal, 3 the file.
inline constexpr auto LINE_TABLE = lookup_detail::make_lines();

inline Bitboard between_bb(Square a, Square b) {
    check_index("board/lookup", a, 82);
    check_index("board/lookup", b, 82);
    return BETWEEN_TABLE.sets[BETWEEN_TABLE.index[a][b]];
}

inline std::uint8_t direction(Square a, Square b) {
    check_index("board/lookup", a, 82);
    check_index("board/lookup", b, 82);
    return DIRECTION_TABLE[a][b];
}

// a and b on one line through c, on the same side of c.
inline bool squares_aligned(Square a, Square b, Square c) {
    const std::uint8_t d = direction(a, c);
    return d != 0 && d == direction(b, c);
}

}  // namespace korvan
