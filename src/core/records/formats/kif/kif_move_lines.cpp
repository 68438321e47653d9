#include "core/records/formats/kif/kif_move_lines.h"

#include <string>

#include "core/records/time_text.h"
#include "core/util/decimal.h"
#include "core/util/kanji.h"
#include "core/util/text.h"

namespace korvan {

std::optional<KifSquare> kif_square_at(std::string_view text, bool has_previous, Square previous_square) {
    if (char3_at(text) == char3("同")) {
        if (!has_previous) return std::nullopt;
        return KifSquare{previous_square, KANJI_BYTES};
    }
    int file = -1;
    std::size_t width = 0;
    if (!text.empty() && is_ascii_digit(text[0])) {
        file = text[0] - '0';
        width = 1;
    } else if ((file = full_width_digit_at(text)) >= 0) {
        width = KANJI_BYTES;
    }
    const int rank = file >= 0 ? kanji_digit_at(text.substr(width)) : 0;
    // File "0" names no square.
    if (file <= 0 || rank == 0) return std::nullopt;
    return KifSquare{make_square(file - 1, rank - 1), width + KANJI_BYTES};
}

Expected<KifSquare, KifError> parse_kif_square(std::string_view text, bool has_previous, Square previous_square) {
    if (const auto square = kif_square_at(text, has_previous, previous_square)) return *square;
    return unexpected(KifError::invalid_move(text));
}

namespace {

PieceType piece_of_character(std::uint32_t name) {
    switch (name) {
        case char3("歩"): return PAWN;
        case char3("香"): return LANCE;
        case char3("桂"): return KNIGHT;
        case char3("銀"): return SILVER;
        case char3("金"): return GOLD;
        case char3("角"): return BISHOP;
        case char3("飛"): return ROOK;
        case char3("玉"):
        case char3("王"): return KING;
        case char3("と"): return PRO_PAWN;
        case char3("杏"): return PRO_LANCE;
        case char3("圭"): return PRO_KNIGHT;
        case char3("全"): return PRO_SILVER;
        case char3("馬"): return HORSE;
        case char3("龍"):
        case char3("竜"): return DRAGON;
        default: return NO_PIECE_TYPE;
    }
}

}  // namespace

KifPieceName kif_piece_name_at(std::string_view text, bool promoted_pawn_name) {
    const std::uint32_t first = char3_at(text);
    if (first != char3("成")) {
        const PieceType type = piece_of_character(first);
        return {type, type == NO_PIECE_TYPE ? 0 : KANJI_BYTES};
    }
    const PieceType base = piece_of_character(char3_at(text.substr(KANJI_BYTES)));
    if (base == LANCE || base == KNIGHT || base == SILVER || (promoted_pawn_name && base == PAWN))
        return {promote(base), 2 * KANJI_BYTES};
    return {NO_PIECE_TYPE, 0};
}

std::strong_ordering compare_square_files(Square a, Square b, Color side) {
    if (side == WHITE) {
        a = flip_side(a);
        b = flip_side(b);
    }
    return file_of(a) <=> file_of(b);
}

std::optional<std::uint32_t> parse_kif_time_column(std::string_view line) {
    constexpr std::string_view WORD = "消費時間";
    const std::size_t at = find_word(line, WORD);
    if (at == std::string_view::npos) return std::nullopt;
    const std::string_view text = line.substr(at + WORD.size());

    // Pieces from the right; the unit grows by 60 with each piece that reads, and a
    // figure past 32 bits at any step means no time at all.
    constexpr std::uint64_t LIMIT = UINT32_MAX / 1000;
    std::uint64_t total = 0;
    std::uint64_t unit = 1;
    bool unit_past_limit = false;
    bool fits = true;
    for_each_clock_piece_from_right(text, [&](std::string_view piece) {
        const auto value = parse_decimal<std::uint32_t>(piece);
        if (!value) return true;
        if (*value != 0) {
            if (unit_past_limit || *value > LIMIT / unit) return fits = false;
            total += *value * unit;
            if (total > LIMIT) return fits = false;
        }
        if (!unit_past_limit) {
            unit *= 60;
            unit_past_limit = unit > LIMIT;
        }
        return true;
    });
    if (!fits) return std::nullopt;
    if (total == 0) return std::nullopt;
    return static_cast<std::uint32_t>(total * 1000);
}

namespace {

// Digits of a text read as one number; full-width digits count when asked.
std::uint64_t digits_number(std::string_view text, bool full_width) {
    std::uint64_t v = 0;
    bool overflow = false;
    auto push = [&](unsigned d) {
        if (v > (UINT64_MAX - d) / 10) overflow = true;
        v = v * 10 + d;
    };
    for (std::size_t pos = 0; pos < text.size();) {
        if (is_ascii_digit(text[pos])) {
            push(static_cast<unsigned>(text[pos] - '0'));
            ++pos;
        } else if (int d; full_width && (d = full_width_digit_at(text.substr(pos))) >= 0) {
            push(static_cast<unsigned>(d));
            pos += KANJI_BYTES;
        } else {
            ++pos;
        }
    }
    return overflow ? 0 : v;
}

}  // namespace

std::uint64_t ascii_digits_number(std::string_view text) { return digits_number(text, false); }

std::uint64_t variation_start_number(std::string_view line) {
    const std::uint64_t n = digits_number(line, true);
    return n == 0 ? 1 : n;
}

std::optional<std::int32_t> parse_kif_evaluation_line(std::string_view line) {
    if (!line.starts_with(KIF_EVALUATION_PREFIX)) return std::nullopt;
    while (line.starts_with(KIF_EVALUATION_PREFIX)) line.remove_prefix(KIF_EVALUATION_PREFIX.size());
    return parse_decimal<std::int32_t>(line).ok();
}

}  // namespace korvan
