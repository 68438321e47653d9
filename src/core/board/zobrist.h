#pragma once
// Zobrist keys. The piece-square entries come from a fixed-seed generator run at
// compile time; opening-book files store keys made from them, so the seed and the
// generator must never change.

#include <algorithm>
#include <array>
#include <cstdint>

namespace korvan {

namespace zobrist_detail {

constexpr std::uint64_t splitmix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

using Table = std::array<std::array<std::uint64_t, 82>, 32>;

// Row 0 (no piece) and column 81 (no square) are zero.
constexpr Table make_table() {
    Table t{};
    std::uint64_t state = 0x6B6F7276616E2D31ULL;  // "korvan-1"
    for (int p = 1; p < 32; ++p)
        for (int s = 0; s < 81; ++s) t[p][s] = splitmix64(state);
    return t;
}

constexpr bool entries_distinct_and_nonzero(const Table& t) {
    std::array<std::uint64_t, 31 * 81> v{};
    std::size_t n = 0;
    for (int p = 1; p < 32; ++p)
        for (int s = 0; s < 81; ++s) v[n++] = t[p][s];
    std::sort(v.begin(), v.end());
    if (v[0] == 0) return false;
    for (std::size_t i = 1; i < v.size(); ++i)
        if (v[i] == v[i - 1]) return false;
    return true;
}

}  // namespace zobrist_detail

inline constexpr zobrist_detail::Table ZOBRIST = zobrist_detail::make_table();
static_assert(zobrist_detail::entries_distinct_and_nonzero(ZOBRIST));

constexpr std::uint64_t ZOBRIST_SIDE = 0x909d1e2758b29699ULL;
constexpr std::uint64_t ZOBRIST_PAWN_KEY_SEED = 0xc2b1ab598a3406e5ULL;

// [colour][hand piece]; the hand key adds count times these.
inline constexpr std::array<std::array<std::uint64_t, 7>, 2> ZOBRIST_HAND = {{
    {0x2af2b058bd369fb8ULL, 0x651b5765a0c85c50ULL, 0x922bd7fca21a9f07ULL, 0xf767e0787562b4a4ULL,
     0xf15e433849ddc617ULL, 0xaae476a454e97668ULL, 0x7a319d44a298748dULL},
    {0x885081105285784bULL, 0x06f7621d97401344ULL, 0xdc7498daf03c6b5aULL, 0x0d9eb326f0f673a0ULL,
     0x3970c8c29d8c2d79ULL, 0xc9efc5f8ff2a4754ULL, 0xcd6c69730de74593ULL},
}};

}  // namespace korvan
