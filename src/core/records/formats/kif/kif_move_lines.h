#pragma once
// The lines and parts of lines that the KIF and KI2 move sections share: the Japanese
// square with "同", stand-alone time and evaluation lines, variation numbers.

#include <compare>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/records/formats/kif/kif_errors.h"
#include "core/types/color.h"
#include "core/types/piece.h"
#include "core/types/square.h"
#include "core/util/expected.h"

namespace korvan {

struct KifSquare {
    Square square;
    std::size_t bytes;  // read from the text: 4 (ASCII file), 6 (full-width file), 3 ("同")
};

// A file digit (full-width "１".."９" or ASCII) and a kanji rank "一".."九", or "同" for
// the previous destination; InvalidMove holding the whole text otherwise. What follows
// the square is left to the caller.
Expected<KifSquare, KifError> parse_kif_square(std::string_view text, bool has_previous, Square previous_square);
// The same square, or nothing where parse_kif_square fails: the form the move readers
// use on every move, which builds no error until one is reported.
std::optional<KifSquare> kif_square_at(std::string_view text, bool has_previous, Square previous_square);

// A piece name at the start of a move text: one character (the variants "王" and "竜"
// included), or "成" and the piece it promotes ("成香", "成桂", "成銀", and "成歩" when
// asked: KIF writes it, KI2 does not read it). Type NO_PIECE_TYPE and no bytes when
// the text begins with no piece name.
struct KifPieceName {
    PieceType type;
    std::size_t bytes;
};
KifPieceName kif_piece_name_at(std::string_view text, bool promoted_pawn_name);

// The files of two squares compared as the side sees them (White's mirrored).
std::strong_ordering compare_square_files(Square a, Square b, Color side);

// The milliseconds after "消費時間" in a time line: numbers separated by spaces or
// colons, read from the right as seconds, minutes, hours...; nothing when the total is
// 0 or does not fit in 32 unsigned bits.
std::optional<std::uint32_t> parse_kif_time_column(std::string_view line);

// Every ASCII digit of the text read as one decimal number; 0 when there is none or it
// passes 64 bits.
std::uint64_t ascii_digits_number(std::string_view text);
// The move a "変化" header branches at: its ASCII and full-width digits read as one
// number, 1 when that is 0 (or passes 64 bits).
std::uint64_t variation_start_number(std::string_view line);

// The value of an evaluation line "**評価値=<signed 32-bit decimal>" (the prefix may
// repeat); nothing for any other text.
std::optional<std::int32_t> parse_kif_evaluation_line(std::string_view line);
constexpr std::string_view KIF_EVALUATION_PREFIX = "**評価値=";

}  // namespace korvan
