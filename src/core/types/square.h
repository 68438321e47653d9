#pragma once
// Squares: index = file * 9 + rank, file 0 is USI file "1", rank 0 is USI rank "a".
// 81 is the absence of a square; 82..255 are not squares.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/util/expected.h"
#include "core/util/text.h"

namespace korvan {

using Square = std::uint8_t;
using File = std::uint8_t;
using Rank = std::uint8_t;

constexpr Square SQ_NONE = 81;
constexpr int SQUARE_NB = 81;

namespace detail {
constexpr std::array<std::uint8_t, 82> make_file_table() {
    std::array<std::uint8_t, 82> t{};
    for (int s = 0; s < 81; ++s) t[s] = static_cast<std::uint8_t>(s / 9);
    t[81] = 255;
    return t;
}
constexpr std::array<std::uint8_t, 82> make_rank_table() {
    std::array<std::uint8_t, 82> t{};
    for (int s = 0; s < 81; ++s) t[s] = static_cast<std::uint8_t>(s % 9);
    t[81] = 255;
    return t;
}
}  // namespace detail

// Entry 81 of both tables is 255; callers never look up an index above 81.
inline constexpr std::array<std::uint8_t, 82> FILE_OF = detail::make_file_table();
inline constexpr std::array<std::uint8_t, 82> RANK_OF = detail::make_rank_table();

constexpr File file_of(Square s) { return FILE_OF[s]; }
constexpr Rank rank_of(Square s) { return RANK_OF[s]; }
constexpr Square make_square(int file, int rank) { return static_cast<Square>(file * 9 + rank); }
constexpr bool is_board_square(int s) { return s >= 0 && s < 81; }

// Defined for 0..80 only.
constexpr Square mirror_file(Square s) { return make_square(8 - file_of(s), rank_of(s)); }
constexpr Square flip_side(Square s) { return static_cast<Square>(80 - s); }

Expected<Square, std::string> square_from_usi(std::string_view text);
std::string square_display_usi(std::uint8_t square);

// The tuple values' debug texts are tuple_debug's ("Square(40)", "File(3)"); the
// pretty form spreads one over three lines.
std::string tuple_debug_pretty(std::string_view type_name, unsigned value);

}  // namespace korvan
