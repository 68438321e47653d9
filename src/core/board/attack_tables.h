#pragma once
// Attack sets. Stepping pieces read a table; sliders use the two-word ray procedures:
// rays toward higher square numbers isolate the nearest blocker as the lowest set bit
// of (occupancy AND ray) with a decrement; rays toward lower numbers byte-reverse each
// word first (every step of such a ray is at least 8 squares, so after the reversal
// the ray's squares come in increasing bit order) and do the same. File rays, with
// steps of one square, stay inside one word and use a leading-bit scan instead.

#include <array>
#include <bit>
#include <cstdint>

#include "core/types/bitboard.h"
#include "core/types/color.h"
#include "core/types/piece.h"
#include "core/util/panic.h"

namespace korvan {

namespace attack_detail {

constexpr Bitboard step_set(int sq, std::initializer_list<std::pair<int, int>> offsets) {
    Bitboard b;
    const int f = sq / 9, r = sq % 9;
    for (auto [df, dr] : offsets) {
        const int nf = f + df, nr = r + dr;
        if (nf >= 0 && nf < 9 && nr >= 0 && nr < 9) b.set(make_square(nf, nr));
    }
    return b;
}

// Offsets are written for Black (forward = rank - 1); White mirrors the rank.
template <class F>
constexpr std::array<std::array<Bitboard, 2>, 81> colored_table(F offsets_of) {
    std::array<std::array<Bitboard, 2>, 81> t{};
    for (int sq = 0; sq < 81; ++sq) {
        t[sq][BLACK] = offsets_of(sq, -1);
        t[sq][WHITE] = offsets_of(sq, +1);
    }
    return t;
}

constexpr Bitboard ray(int sq, int df, int dr) {
    Bitboard b;
    int f = sq / 9 + df, r = sq % 9 + dr;
    while (f >= 0 && f < 9 && r >= 0 && r < 9) {
        b.set(make_square(f, r));
        f += df, r += dr;
    }
    return b;
}

// A two-word ray mask as the crossing procedures read it.
struct RayMask {
    std::uint64_t w0, w1;
};

constexpr std::uint64_t bswap(std::uint64_t x) { return __builtin_bswap64(x); }
constexpr RayMask forward_mask(Bitboard b) { return {b.w[0], b.w[1]}; }
constexpr RayMask reversed_mask(Bitboard b) { return {bswap(b.w[0]), bswap(b.w[1])}; }

}  // namespace attack_detail

inline constexpr auto PAWN_ATTACKS = attack_detail::colored_table(
    [](int sq, int fw) { return attack_detail::step_set(sq, {{0, fw}}); });
inline constexpr auto KNIGHT_ATTACKS = attack_detail::colored_table(
    [](int sq, int fw) { return attack_detail::step_set(sq, {{-1, 2 * fw}, {1, 2 * fw}}); });
inline constexpr auto SILVER_ATTACKS = attack_detail::colored_table([](int sq, int fw) {
    return attack_detail::step_set(sq, {{-1, fw}, {0, fw}, {1, fw}, {-1, -fw}, {1, -fw}});
});
inline constexpr auto GOLD_ATTACKS = attack_detail::colored_table([](int sq, int fw) {
    return attack_detail::step_set(sq, {{-1, fw}, {0, fw}, {1, fw}, {-1, 0}, {1, 0}, {0, -fw}});
});
inline constexpr auto LANCE_RAYS = attack_detail::colored_table(
    [](int sq, int fw) { return attack_detail::ray(sq, 0, fw); });

inline constexpr std::array<Bitboard, 81> KING_ATTACKS = [] {
    std::array<Bitboard, 81> t{};
    for (int sq = 0; sq < 81; ++sq)
        t[sq] = attack_detail::step_set(sq, {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}});
    return t;
}();

// Slider attacks on an empty board.
inline constexpr std::array<Bitboard, 81> ROOK_PSEUDO_ATTACKS = [] {
    std::array<Bitboard, 81> t{};
    for (int sq = 0; sq < 81; ++sq)
        t[sq] = attack_detail::ray(sq, 1, 0) | attack_detail::ray(sq, -1, 0) | attack_detail::ray(sq, 0, 1) |
                attack_detail::ray(sq, 0, -1);
    return t;
}();
inline constexpr std::array<Bitboard, 81> BISHOP_PSEUDO_ATTACKS = [] {
    std::array<Bitboard, 81> t{};
    for (int sq = 0; sq < 81; ++sq)
        t[sq] = attack_detail::ray(sq, 1, 1) | attack_detail::ray(sq, -1, 1) | attack_detail::ray(sq, 1, -1) |
                attack_detail::ray(sq, -1, -1);
    return t;
}();

inline constexpr std::array<Bitboard, 9> FILE_MASKS = [] {
    std::array<Bitboard, 9> t{};
    for (int f = 0; f < 9; ++f)
        for (int r = 0; r < 9; ++r) t[f].set(make_square(f, r));
    return t;
}();

// [0] the rank ray toward higher files (+9) as stored, [1] the ray toward lower files
// (-9) with each word byte-reversed.
inline constexpr std::array<std::array<attack_detail::RayMask, 2>, 81> ROOK_RANK_MASKS = [] {
    std::array<std::array<attack_detail::RayMask, 2>, 81> t{};
    for (int sq = 0; sq < 81; ++sq) {
        t[sq][0] = attack_detail::forward_mask(attack_detail::ray(sq, 1, 0));
        t[sq][1] = attack_detail::reversed_mask(attack_detail::ray(sq, -1, 0));
    }
    return t;
}();

// [0] +8 (file +1, rank -1) and [1] +10 as stored; [2] -10 and [3] -8 byte-reversed.
inline constexpr std::array<std::array<attack_detail::RayMask, 4>, 81> BISHOP_RAY_MASKS = [] {
    std::array<std::array<attack_detail::RayMask, 4>, 81> t{};
    for (int sq = 0; sq < 81; ++sq) {
        t[sq][0] = attack_detail::forward_mask(attack_detail::ray(sq, 1, -1));
        t[sq][1] = attack_detail::forward_mask(attack_detail::ray(sq, 1, 1));
        t[sq][2] = attack_detail::reversed_mask(attack_detail::ray(sq, -1, -1));
        t[sq][3] = attack_detail::reversed_mask(attack_detail::ray(sq, -1, 1));
    }
    return t;
}();

namespace attack_detail {

using u128 = unsigned __int128;

constexpr u128 join(std::uint64_t lo, std::uint64_t hi) { return (u128(hi) << 64) | lo; }

// Ray toward higher square numbers: word 0 is the less significant half.
inline Bitboard forward_ray(RayMask mask, Bitboard occ) {
    const u128 r = join(mask.w0, mask.w1);
    const u128 o = join(occ.w[0], occ.w[1]);
    const u128 a = (((o & r) - 1) ^ o) & r;
    return {static_cast<std::uint64_t>(a), static_cast<std::uint64_t>(a >> 64)};
}

// Ray toward lower square numbers, on byte-reversed words: word 1 is met first and
// becomes the less significant half.
inline Bitboard backward_ray(RayMask mask, Bitboard occ) {
    const u128 r = join(mask.w1, mask.w0);
    const u128 o = join(bswap(occ.w[1]), bswap(occ.w[0]));
    const u128 a = (((o & r) - 1) ^ o) & r;
    return {bswap(static_cast<std::uint64_t>(a >> 64)), bswap(static_cast<std::uint64_t>(a))};
}

inline void check_slider_square(Square sq) { check_index("board/attack_tables", sq, 81); }

// The forward file ray of a lance of colour c, blocked; unchecked square.
inline Bitboard lance_file(Square sq, Color c, Bitboard occ) {
    const int w = sq >= 63;
    const std::uint64_t ray = LANCE_RAYS[sq][c].w[w];
    const std::uint64_t o = occ.w[w];
    const std::uint64_t m = o & ray;
    std::uint64_t a;
    if (c == WHITE) {
        a = ((m - 1) ^ o) & ray;
    } else {
        const int b = 63 - std::countl_zero(m | 1);
        a = ray & ~((std::uint64_t(1) << b) - 1);
    }
    Bitboard out;
    out.w[w] = a;
    return out;
}

}  // namespace attack_detail

inline Bitboard lance_attacks(Square sq, Color c, Bitboard occ) {
    attack_detail::check_slider_square(sq);
    return attack_detail::lance_file(sq, c, occ);
}

inline Bitboard rook_file_attacks(Square sq, Bitboard occ) {
    attack_detail::check_slider_square(sq);
    return attack_detail::lance_file(sq, BLACK, occ) | attack_detail::lance_file(sq, WHITE, occ);
}

inline Bitboard rook_rank_attacks(Square sq, Bitboard occ) {
    attack_detail::check_slider_square(sq);
    const auto& m = ROOK_RANK_MASKS[sq];
    return attack_detail::forward_ray(m[0], occ) | attack_detail::backward_ray(m[1], occ);
}

inline Bitboard rook_attacks(Square sq, Bitboard occ) { return rook_file_attacks(sq, occ) | rook_rank_attacks(sq, occ); }

inline Bitboard bishop_attacks(Square sq, Bitboard occ) {
    attack_detail::check_slider_square(sq);
    const auto& m = BISHOP_RAY_MASKS[sq];
    return attack_detail::forward_ray(m[0], occ) | attack_detail::forward_ray(m[1], occ) |
           attack_detail::backward_ray(m[2], occ) | attack_detail::backward_ray(m[3], occ);
}

inline Bitboard horse_attacks(Square sq, Bitboard occ) { return bishop_attacks(sq, occ) | KING_ATTACKS[sq]; }
inline Bitboard dragon_attacks(Square sq, Bitboard occ) { return rook_attacks(sq, occ) | KING_ATTACKS[sq]; }

// The attack set of a piece of type pt and colour c on sq. Types 0, 15 and anything
// else that is no piece give the empty set.
Bitboard piece_type_attacks(unsigned pt, Square sq, Color c, Bitboard occ);

// Walks from sq by (df, dr) steps, start excluded, up to and including the first
// occupied square or the edge.
Bitboard ray_until_blocker(Square sq, int df, int dr, Bitboard occ);

}  // namespace korvan
