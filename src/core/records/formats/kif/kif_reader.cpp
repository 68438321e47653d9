#include "core/records/formats/kif/kif_reader.h"

#include <algorithm>
#include <array>

#include "core/board/position/updates.h"
#include "core/records/formats/kif/japanese_reader.h"
#include "core/records/formats/kif/kif_special.h"
#include "core/records/time_text.h"
#include "core/util/decimal.h"
#include "core/util/kanji.h"
#include "core/util/text.h"

namespace korvan {

namespace {

// ---- Move and special lines ----

constexpr std::string_view PROMOTED = "成";

struct Replacement {
    std::string_view from;
    std::string_view to;
};
constexpr std::array<Replacement, 6> PIECE_NAME_VARIANTS = {{
    {"王", "玉"}, {"竜", "龍"}, {"成銀", "全"}, {"成桂", "圭"}, {"成香", "杏"}, {"成歩", "と"},
}};

// The variant that begins at byte i. "王" and "竜" have the lead byte 0xE7 and "成"
// has 0xE6, so the caller passes other bytes over at once.
const Replacement* variant_at(std::string_view text, std::size_t i) {
    if (i + 2 >= text.size()) return nullptr;
    const auto b1 = static_cast<unsigned char>(text[i + 1]), b2 = static_cast<unsigned char>(text[i + 2]);
    if (text[i] == '\xE7') {
        if (b1 == 0x8E && b2 == 0x8B) return &PIECE_NAME_VARIANTS[0];
        if (b1 == 0xAB && b2 == 0x9C) return &PIECE_NAME_VARIANTS[1];
        return nullptr;
    }
    if (text[i] != '\xE6' || b1 != 0x88 || b2 != 0x90) return nullptr;
    for (std::size_t k = 2; k < PIECE_NAME_VARIANTS.size(); ++k)
        if (text.substr(i).starts_with(PIECE_NAME_VARIANTS[k].from)) return &PIECE_NAME_VARIANTS[k];
    return nullptr;
}

// The replacements in one pass: none of them makes text another one matches, so one
// left-to-right pass equals the six in turn. A text that needs no replacement is
// returned as it is; otherwise the result is written to out.
std::string_view normalize_into(std::string_view text, std::string& out) {
    bool copying = false;
    std::size_t copied = 0;
    for (std::size_t i = 0; i < text.size();) {
        const Replacement* hit = (static_cast<unsigned char>(text[i]) & 0xFE) == 0xE6 ? variant_at(text, i) : nullptr;
        if (!hit) {
            ++i;
            continue;
        }
        if (!copying) out.clear();
        copying = true;
        out.append(text.substr(copied, i - copied));
        out.append(hit->to);
        i += hit->from.size();
        copied = i;
    }
    if (!copying) return text;
    out.append(text.substr(copied));
    return out;
}

std::string_view skip_spaces(std::string_view text) {
    while (const std::size_t width = space_at(text)) text.remove_prefix(width);
    return text;
}

std::string_view skip_digits(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && is_ascii_digit(text[i])) ++i;
    return text.substr(i);
}

// Piece characters of a move line, with the USI drop letter of the ones a hand holds.
struct MovePiece {
    std::string_view name;
    char drop_letter;  // 0: cannot be dropped
};
constexpr std::array<MovePiece, 14> MOVE_PIECES = {{
    {"歩", 'P'}, {"香", 'L'}, {"桂", 'N'}, {"銀", 'S'}, {"金", 'G'}, {"角", 'B'}, {"飛", 'R'},
    {"玉", 0},   {"と", 0},   {"杏", 0},   {"圭", 0},   {"全", 0},   {"馬", 0},   {"龍", 0},
}};

PieceType drop_type_of_letter(char letter) {
    constexpr std::string_view LETTERS = "PLNSBRG";
    return PieceType(LETTERS.find(letter) + 1);
}

constexpr std::string_view OPEN_WIDE = "（";
constexpr std::string_view CLOSE_WIDE = "）";
constexpr std::string_view COLON_WIDE = "：";

struct TimeColumn {
    std::size_t open;  // where the line is cut
    std::optional<std::uint32_t> ms;
};

// parse_time_text_ms of the trimmed text, with a shortcut for the form nearly every
// time column has, "minutes:seconds" in digits between ASCII spaces, giving exactly
// what the general reader gives for it.
std::optional<std::uint32_t> spent_time_ms(std::string_view untrimmed) {
    std::string_view text = untrimmed;
    while (text.starts_with(' ')) text.remove_prefix(1);
    while (text.ends_with(' ')) text.remove_suffix(1);
    const std::size_t colon = text.find(':');
    // Nine digits at most each, leading a digit (no sign): neither overflows, nor does
    // their sum in 64 bits.
    const auto digits = [](std::string_view d) -> std::optional<std::uint32_t> {
        if (d.empty() || d.size() > 9 || !is_ascii_digit(d[0])) return std::nullopt;
        return parse_decimal<std::uint32_t>(d).ok();
    };
    const auto minutes = colon == std::string_view::npos ? std::nullopt : digits(text.substr(0, colon));
    const auto seconds = minutes ? digits(text.substr(colon + 1)) : std::nullopt;
    if (!seconds) return parse_time_text_ms(trim_line(untrimmed));
    const std::uint64_t total = std::uint64_t{*seconds} + std::uint64_t{*minutes} * 60;
    if (total * 1000 > UINT32_MAX) return std::nullopt;
    return static_cast<std::uint32_t>(total * 1000);
}

// The group opened at `open`, its text starting at `inner`, when it holds text, a slash
// and a colon before its closing parenthesis.
std::optional<TimeColumn> time_group(std::string_view line, std::size_t open, std::size_t inner, std::size_t close,
                                     std::size_t slash, std::size_t colon) {
    if (close == std::string_view::npos || close == inner || slash > close || colon > close) return std::nullopt;
    return TimeColumn{open, spent_time_ms(line.substr(inner, slash - inner))};
}

// The last parenthesised group that holds "/" and a colon, scanning from the end; every
// test sees the nearest closing parenthesis, slash and colon to its right, so a line
// is read once whatever its parentheses.
std::optional<TimeColumn> scan_time_column(std::string_view line);

// Nearly every time column is the line's last group: a last ASCII "(" with no
// full-width one after it is tried first, reading only the text after it, and the full
// scan runs only when that group does not hold a time.
std::optional<TimeColumn> find_time_column(std::string_view line) {
    constexpr std::size_t NONE = std::string_view::npos;
    const std::size_t open = line.rfind('(');
    if (open == NONE) return scan_time_column(line);
    std::size_t close = NONE, slash = NONE, colon = NONE;
    for (std::size_t i = open + 1; i < line.size(); ++i) {
        const char c = line[i];
        if (c == ')' || c == '/' || c == ':') {
            std::size_t& first = c == ')' ? close : c == '/' ? slash : colon;
            if (first == NONE) first = i;
        } else if (c == '\xEF') {
            const std::string_view here = line.substr(i);
            if (here.starts_with(OPEN_WIDE)) return scan_time_column(line);
            if (here.starts_with(CLOSE_WIDE) && close == NONE) close = i;
            if (here.starts_with(COLON_WIDE) && colon == NONE) colon = i;
        }
    }
    if (auto found = time_group(line, open, open + 1, close, slash, colon)) return found;
    return scan_time_column(line);
}

std::optional<TimeColumn> scan_time_column(std::string_view line) {
    constexpr std::size_t NONE = std::string_view::npos;
    std::size_t close = NONE, slash = NONE, colon = NONE;
    for (std::size_t i = line.size(); i-- > 0;) {
        const char c = line[i];
        // Only "(", ")", "/", ":" and the full-width forms (lead byte 0xEF) matter.
        if (c == '\xEF') {
            const std::string_view here = line.substr(i);
            if (here.starts_with(CLOSE_WIDE)) {
                close = i;
            } else if (here.starts_with(COLON_WIDE)) {
                colon = i;
            } else if (here.starts_with(OPEN_WIDE)) {
                if (auto found = time_group(line, i, i + OPEN_WIDE.size(), close, slash, colon)) return found;
            }
        } else if (c == ')') {
            close = i;
        } else if (c == '/') {
            slash = i;
        } else if (c == ':') {
            colon = i;
        } else if (c == '(') {
            if (auto found = time_group(line, i, i + 1, close, slash, colon)) return found;
        }
    }
    return std::nullopt;
}

std::optional<Square> origin_square(std::string_view rest) {
    const std::size_t open = rest.find('(');
    if (open == std::string_view::npos) return std::nullopt;
    const std::size_t close = rest.find(')', open + 1);
    if (close == std::string_view::npos || close != open + 3) return std::nullopt;
    const char file = rest[open + 1], rank = rest[open + 2];
    if (file < '1' || file > '9' || rank < '1' || rank > '9') return std::nullopt;
    return make_square(file - '1', rank - '1');
}

// The promoted name that "成" and the next character make ("成銀" is "全"), or 0.
std::uint32_t promoted_variant(std::string_view after_promoted) {
    switch (char3_at(after_promoted)) {
        case char3("銀"): return char3("全");
        case char3("桂"): return char3("圭");
        case char3("香"): return char3("杏");
        case char3("歩"): return char3("と");
        default: return 0;
    }
}

struct PieceAt {
    const MovePiece* piece;
    std::size_t bytes;
};

// The piece name at the start of the text, its variants read as normalisation would
// write them: "王", "竜" and the two-character promoted names.
PieceAt piece_at(std::string_view text) {
    std::uint32_t name = char3_at(text);
    std::size_t bytes = KANJI_BYTES;
    if (name == char3("王")) {
        name = char3("玉");
    } else if (name == char3("竜")) {
        name = char3("龍");
    } else if (name == char3(PROMOTED)) {
        name = promoted_variant(text.substr(KANJI_BYTES));
        bytes = 2 * KANJI_BYTES;
    }
    for (const MovePiece& p : MOVE_PIECES)
        if (char3(p.name) == name) return {&p, bytes};
    return {nullptr, 0};
}

// The move line is read as written: the piece-name variants are read where the piece
// stands, which is the only place their normalisation changes what the line says
// (the time column and the origin hold none of their bytes' meaning), so no copy of
// the line is made.
Expected<KifMoveLine, KifError> read_move_line(std::string_view given, bool has_previous, Square previous) {
    std::string_view line = given;
    KifMoveLine out{MOVE_NONE, SQ_NONE, std::nullopt};
    if (const auto column = find_time_column(line)) {
        out.time_ms = column->ms;
        line = line.substr(0, column->open);
    }
    std::string_view rest = skip_spaces(skip_digits(skip_spaces(line)));
    const auto square = parse_kif_square(rest, has_previous, previous);
    if (!square) return unexpected(square.error());
    out.to = square->square;
    rest = skip_spaces(rest.substr(square->bytes));

    const PieceAt piece = piece_at(rest);
    if (!piece.piece) return unexpected(KifError::invalid_move(given));
    rest.remove_prefix(piece.bytes);
    // "成" right after the piece promotes, unless it begins a promoted name.
    const bool promotes = rest.starts_with(PROMOTED) && !promoted_variant(rest.substr(PROMOTED.size()));

    if (skip_spaces(promotes ? rest.substr(PROMOTED.size()) : rest).starts_with("打")) {
        if (!piece.piece->drop_letter) return unexpected(KifError::invalid_move(given));
        out.move = make_drop16(drop_type_of_letter(piece.piece->drop_letter), out.to);
        return out;
    }
    const auto from = origin_square(rest);
    if (!from) return unexpected(KifError::invalid_move(given));
    out.move = promotes ? make_move16_promote(*from, out.to) : make_move16(*from, out.to);
    return out;
}

std::optional<KifSpecialLine> read_special_line(std::string_view given, Color side_to_move, std::string& scratch) {
    const std::string_view line = skip_spaces(normalize_into(given, scratch));
    std::string_view rest = skip_digits(line);
    if (rest.size() == line.size()) return std::nullopt;
    rest = skip_spaces(rest);
    std::size_t end = 0;
    while (end < rest.size() && rest[end] != '(' && !rest.substr(end).starts_with(OPEN_WIDE) &&
           !space_at(rest.substr(end)))
        utf8_next(rest, end);
    const std::string_view word = trim_line(rest.substr(0, end));
    if (word.empty()) return std::nullopt;
    KifSpecialLine out{kif_special_word(word, side_to_move), std::nullopt};

    rest = rest.substr(end);
    std::size_t open = rest.find('(');
    std::size_t open_width = 1;
    if (open == std::string_view::npos) {
        open = rest.find(OPEN_WIDE);
        open_width = OPEN_WIDE.size();
    }
    if (open == std::string_view::npos) return out;
    const std::string_view after = rest.substr(open + open_width);
    std::size_t close = after.find(')');
    if (close == std::string_view::npos) close = after.find(CLOSE_WIDE);
    const std::string_view inner = after.substr(0, close);
    const std::size_t slash = inner.find('/');
    if (slash == std::string_view::npos) return out;
    const std::string_view spent = trim_line(inner.substr(0, slash));
    if (spent.find(':') == std::string_view::npos && spent.find(COLON_WIDE) == std::string_view::npos) return out;
    out.time_ms = parse_time_text_ms(spent);
    return out;
}

// ---- The reader ----

bool opens_kif_moves(std::string_view line) {
    return line.starts_with("変化：") || line.starts_with("手数") || line.starts_with("まで") ||
           (!line.empty() && is_ascii_digit(line[0]));
}

bool is_move_line(std::string_view line) {
    return (!line.empty() && is_ascii_digit(line[0])) || contains_word(line, "手数");
}

bool is_table_header(std::string_view line) {
    return line.starts_with("手数") && contains_word(line, "指手");
}

// The KIF lines of a move section: the numbered move and ending lines, and the table
// header. A variation passes over its table header and its bookmarks before anything
// else, the main line reads a time in any line but a move line first.
struct KifMoves {
    using Error = KifError;
    static constexpr std::size_t MOVES_PER_LINE = 1;
    std::string scratch;

    KifLineKind classify(std::string_view t, bool variation) const {
        if (variation && (t.starts_with('&') || is_table_header(t))) return KifLineKind::Ignored;
        if (t.starts_with(KIF_EVALUATION_PREFIX)) return KifLineKind::Evaluation;
        if (t.front() == '*' || t.front() == '\'') return KifLineKind::Comment;
        // Bookmarks and display directives of the format's editors: no record content.
        if (t.starts_with('&')) return KifLineKind::Ignored;
        if (contains_word(t, "消費時間")) return KifLineKind::Time;
        if (is_table_header(t)) return KifLineKind::Ignored;
        return is_move_line(t) ? KifLineKind::Moves : KifLineKind::Odd;
    }

    // The leading run of the line's first character ('*' or '\'') removed, then trimmed.
    std::string_view comment_text(std::string_view line, bool) const {
        const char mark = line.front();
        while (line.starts_with(mark)) line.remove_prefix(1);
        return trim_line(line);
    }

    Expected<bool, KifError> read_moves(std::string_view t, RecordBuilder& builder, bool variation) {
        const auto parsed = read_move_line(t, builder.has_previous(), builder.previous());
        if (!parsed) {
            auto special = read_special_line(t, builder.position().side_to_move, scratch);
            if (!special) return unexpected(KifError::invalid_move(t));
            // A terminal ends a variation; variations carry none.
            if (!variation) {
                special->special.raw = std::string(t);
                builder.end(std::move(special->special), special->time_ms);
            }
            return false;
        }
        if (auto played = play_kif_move<KifError>(builder, parsed->move, parsed->time_ms, t, variation); !played)
            return unexpected(std::move(played.error()));
        return true;
    }
};

}  // namespace

Expected<Record, KifError> parse_kif(std::string_view text) {
    KifMoves moves;
    return read_japanese_record(text, opens_kif_moves, moves);
}

Expected<KifMoveLine, KifError> parse_kif_move_line(std::string_view line, bool has_previous, Square previous_square) {
    return read_move_line(line, has_previous, previous_square);
}

std::optional<KifSpecialLine> parse_kif_special_line(std::string_view line, Color side_to_move) {
    std::string scratch;
    return read_special_line(line, side_to_move, scratch);
}

std::string normalize_kif_piece_name(std::string_view text) {
    std::string out;
    const std::string_view normal = normalize_into(text, out);
    return normal.data() == out.data() ? out : std::string(normal);
}

}  // namespace korvan
