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

constexpr std::string_view OPEN_WIDE = "（";
constexpr std::string_view CLOSE_WIDE = "）";
constexpr std::string_view COLON_WIDE = "：";

// A time column found: where the line is cut, and its time in ms (NO_TIME when the
// group holds none). Plain integers rather than optionals: the column is asked for on
// every move line, and a result in integers stays in registers.
constexpr std::size_t NO_COLUMN = std::string_view::npos;
constexpr std::uint64_t NO_TIME = UINT64_MAX;
struct TimeColumn {
    std::size_t open = NO_COLUMN;
    std::uint64_t ms = NO_TIME;
};

// parse_time_text_ms of the trimmed text, with a shortcut for the form nearly every
// time column has, "minutes:seconds" in digits between ASCII spaces, giving exactly
// what the general reader gives for it.
std::uint64_t spent_time_ms(std::string_view untrimmed) {
    const char* p = untrimmed.data();
    const char* end = p + untrimmed.size();
    while (p < end && *p == ' ') ++p;
    while (end > p && end[-1] == ' ') --end;
    // Nine digits at most each, leading a digit (no sign): neither overflows, nor does
    // their sum in 64 bits.
    const auto digits = [end](const char*& q, std::uint64_t& value) {
        const char* first = q;
        for (; q < end && is_ascii_digit(*q); ++q) value = value * 10 + static_cast<unsigned>(*q - '0');
        return q - first >= 1 && q - first <= 9;
    };
    std::uint64_t minutes = 0, seconds = 0;
    if (digits(p, minutes) && p < end && *p == ':' && digits(++p, seconds) && p == end) {
        const std::uint64_t total = seconds + minutes * 60;
        return total * 1000 > UINT32_MAX ? NO_TIME : total * 1000;
    }
    const auto ms = parse_time_text_ms(trim_line(untrimmed));
    return ms ? *ms : NO_TIME;
}

// The group opened at `open`, its text starting at `inner`, when it holds text, a slash
// and a colon before its closing parenthesis.
TimeColumn time_group(std::string_view line, std::size_t open, std::size_t inner, std::size_t close,
                      std::size_t slash, std::size_t colon) {
    if (close == std::string_view::npos || close == inner || slash > close || colon > close) return {};
    return {open, spent_time_ms(line.substr(inner, slash - inner))};
}

// The time column as nearly every line writes it, "( 0:07/00:00:07)" closing the line:
// only ASCII digits, blanks, colons and slashes between "(" and the final ")". Such a
// group is the first that find_time_column meets and tests, so its answer is this
// one; no column when the line ends otherwise or the group does not hold a time (the
// full scan then takes over).
TimeColumn plain_time_column(std::string_view line) {
    if (line.empty() || line.back() != ')') return {};
    constexpr std::size_t NONE = std::string_view::npos;
    const std::size_t close = line.size() - 1;
    std::size_t slash = NONE, colon = NONE;
    for (std::size_t i = close; i-- > 0;) {
        const char c = line[i];
        if (is_ascii_digit(c) || c == ' ') continue;
        if (c == ':') {
            colon = i;
        } else if (c == '/') {
            slash = i;
        } else {
            if (c != '(') return {};
            return time_group(line, i, i + 1, close, slash, colon);
        }
    }
    return {};
}

// The last parenthesised group that holds "/" and a colon: one pass from the end, every
// opening parenthesis tested against the nearest closing parenthesis, slash and colon
// to its right. Nearly every time column is the line's last group, so the pass
// usually stops within its first twenty bytes.
TimeColumn find_time_column(std::string_view line) {
    constexpr std::size_t NONE = std::string_view::npos;
    std::size_t close = NONE, slash = NONE, colon = NONE;
    const auto byte_at = [line](std::size_t k) { return k < line.size() ? line[k] : '\0'; };
    for (std::size_t i = line.size(); i-- > 0;) {
        switch (line[i]) {
            case ')': close = i; break;
            case '/': slash = i; break;
            case ':': colon = i; break;
            case '(':
                if (const TimeColumn found = time_group(line, i, i + 1, close, slash, colon); found.open != NO_COLUMN)
                    return found;
                break;
            case '\xEF':
                // "（", "）" and "：" are EF BC 88, EF BC 89 and EF BC 9A.
                if (byte_at(i + 1) != '\xBC') break;
                if (byte_at(i + 2) == '\x89') {
                    close = i;
                } else if (byte_at(i + 2) == '\x9A') {
                    colon = i;
                } else if (byte_at(i + 2) == '\x88') {
                    const TimeColumn found = time_group(line, i, i + OPEN_WIDE.size(), close, slash, colon);
                    if (found.open != NO_COLUMN) return found;
                }
                break;
            default: break;
        }
    }
    return {};
}

std::size_t find_byte(std::string_view text, char c, std::size_t from = 0) {
    // The texts searched are a few bytes long: a plain loop beats a library call.
    for (std::size_t i = from; i < text.size(); ++i)
        if (text[i] == c) return i;
    return std::string_view::npos;
}

std::optional<Square> origin_square(std::string_view rest) {
    const std::size_t open = find_byte(rest, '(');
    if (open == std::string_view::npos) return std::nullopt;
    const std::size_t close = find_byte(rest, ')', open + 1);
    if (close == std::string_view::npos || close != open + 3) return std::nullopt;
    const char file = rest[open + 1], rank = rest[open + 2];
    if (file < '1' || file > '9' || rank < '1' || rank > '9') return std::nullopt;
    return make_square(file - '1', rank - '1');
}

// The move line is read as written: the piece-name variants are read where the piece
// stands, which is the only place their normalisation changes what the line says
// (the time column and the origin hold none of their bytes' meaning), so no copy of
// the line is made.
Expected<KifMoveLine, KifError> read_move_line(std::string_view given, bool has_previous, Square previous) {
    std::string_view line = given;
    KifMoveLine out{MOVE_NONE, SQ_NONE, std::nullopt};
    TimeColumn column = plain_time_column(line);
    if (column.open == NO_COLUMN) column = find_time_column(line);
    if (column.open != NO_COLUMN) {
        if (column.ms != NO_TIME) out.time_ms = static_cast<std::uint32_t>(column.ms);
        line = line.substr(0, column.open);
    }
    std::string_view rest = skip_spaces(skip_digits(skip_spaces(line)));
    const auto square = kif_square_at(rest, has_previous, previous);
    if (!square) return unexpected(KifError::invalid_move(rest));
    out.to = square->square;
    rest = skip_spaces(rest.substr(square->bytes));

    const KifPieceName piece = kif_piece_name_at(rest, true);
    if (!piece.bytes) return unexpected(KifError::invalid_move(given));
    rest.remove_prefix(piece.bytes);
    // "成" right after the piece promotes, unless it begins a promoted name.
    const bool promotes = rest.starts_with(PROMOTED) && kif_piece_name_at(rest, true).type == NO_PIECE_TYPE;

    if (char3_at(skip_spaces(promotes ? rest.substr(PROMOTED.size()) : rest)) == char3("打")) {
        // Only the pieces a hand holds are dropped.
        if (piece.type < PAWN || piece.type > GOLD) return unexpected(KifError::invalid_move(given));
        out.move = make_drop16(piece.type, out.to);
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

// "手数" and a colon or an equals sign is no table header: "手数：9" is a header line
// (KI2 keeps it as one, and the KIF writer writes it back), and a diagram's last-move
// line "手数＝0  まで" holds no colon and is passed over.
bool is_move_count_line(std::string_view line) {
    constexpr std::string_view KEY = "手数";
    if (!line.starts_with(KEY)) return false;
    const std::string_view rest = line.substr(KEY.size());
    return rest.starts_with("：") || rest.starts_with(':') || rest.starts_with("＝") || rest.starts_with('=');
}

bool opens_kif_moves(std::string_view line) {
    return line.starts_with("変化：") || (line.starts_with("手数") && !is_move_count_line(line)) ||
           line.starts_with("まで") || (!line.empty() && is_ascii_digit(line[0]));
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
    static constexpr bool CLOSING_WORDS = false;
    std::string scratch;

    KifLineKind classify(std::string_view t, bool variation) const {
        if (variation && (t.starts_with('&') || is_table_header(t))) return KifLineKind::Ignored;
        if (t.starts_with(KIF_EVALUATION_PREFIX)) return KifLineKind::Evaluation;
        if (t.front() == '*' || t.front() == '\'') return KifLineKind::Comment;
        // Bookmarks and display directives of the format's editors: no record content.
        if (t.starts_with('&')) return KifLineKind::Ignored;
        if (contains_word(t, "消費時間")) return KifLineKind::Time;
        // Lines for programs to pass over, wherever they stand ("#  12 投了" in a sample).
        if (t.front() == '#') return KifLineKind::Ignored;
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
