#include "core/records/formats/kif/kif_move_lines.h"

#include <string>

#include "core/util/decimal.h"
#include "core/util/kanji.h"
#include "core/util/text.h"

namespace korvan {

Expected<KifSquare, KifError> parse_kif_square(std::string_view text, bool has_previous, Square previous_square) {
    if (text.starts_with("同")) {
        if (!has_previous) return unexpected(KifError::invalid_move(text));
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
    if (file <= 0 || rank == 0) return unexpected(KifError::invalid_move(text));
    return KifSquare{make_square(file - 1, rank - 1), width + KANJI_BYTES};
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
    std::size_t end = text.size();
    while (true) {
        std::size_t start = end;
        std::size_t sep = 0;
        while (start > 0) {
            if (text[start - 1] == ' ' || text[start - 1] == ':') {
                sep = 1;
                break;
            }
            if (start >= KANJI_BYTES) {
                const std::string_view tail = text.substr(start - KANJI_BYTES, KANJI_BYTES);
                if (tail == "：" || tail == "　") {
                    sep = KANJI_BYTES;
                    break;
                }
            }
            --start;
        }
        if (const auto value = parse_decimal<std::uint32_t>(text.substr(start, end - start))) {
            if (*value != 0) {
                if (unit_past_limit || *value > LIMIT / unit) return std::nullopt;
                total += *value * unit;
                if (total > LIMIT) return std::nullopt;
            }
            if (!unit_past_limit) {
                unit *= 60;
                unit_past_limit = unit > LIMIT;
            }
        }
        if (start == 0) break;
        end = start - sep;
    }
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
