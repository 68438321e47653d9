#include "records/formats/kif_reader.h"

#include <array>

#include "board/position/updates.h"
#include "records/formats/kif_sections.h"
#include "records/formats/kif_special.h"
#include "records/reader_support.h"
#include "records/time_text.h"
#include "util/text.h"

namespace korvan {

namespace {

// ---- Move and special lines ----

constexpr std::string_view KING_VARIANT = "王";
constexpr std::string_view DRAGON_VARIANT = "竜";
constexpr std::string_view PROMOTED = "成";

struct Replacement {
    std::string_view from;
    std::string_view to;
};
constexpr std::array<Replacement, 6> PIECE_NAME_VARIANTS = {{
    {"王", "玉"}, {"竜", "龍"}, {"成銀", "全"}, {"成桂", "圭"}, {"成香", "杏"}, {"成歩", "と"},
}};

// The replacements in one pass: none of them makes text another one matches, so one
// left-to-right pass equals the six in turn. The line itself when nothing changes.
std::string_view normalize_into(std::string_view text, std::string& out) {
    if (text.find(KING_VARIANT) == std::string_view::npos && text.find(DRAGON_VARIANT) == std::string_view::npos &&
        text.find(PROMOTED) == std::string_view::npos)
        return text;
    out.clear();
    for (std::size_t pos = 0; pos < text.size();) {
        const std::string_view here = text.substr(pos);
        bool replaced = false;
        for (const Replacement& r : PIECE_NAME_VARIANTS) {
            if (!here.starts_with(r.from)) continue;
            out += r.to;
            pos += r.from.size();
            replaced = true;
            break;
        }
        if (!replaced) out.push_back(text[pos++]);
    }
    return out;
}

bool starts_with_space(std::string_view text, std::size_t& width) {
    if (text.empty()) return false;
    std::size_t pos = 0;
    const char32_t cp = utf8_next(text, pos);
    width = pos;
    return is_unicode_whitespace(cp);
}

std::string_view skip_spaces(std::string_view text) {
    std::size_t width = 0;
    while (starts_with_space(text, width)) text.remove_prefix(width);
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

// The last parenthesised group that holds "/" and a colon, scanning from the end; every
// test sees the nearest closing parenthesis, slash and colon to its right, so a line
// is read once whatever its parentheses.
std::optional<TimeColumn> find_time_column(std::string_view line) {
    constexpr std::size_t NONE = std::string_view::npos;
    std::size_t close = NONE, slash = NONE, colon = NONE;
    for (std::size_t i = line.size(); i-- > 0;) {
        const std::string_view here = line.substr(i);
        const char c = line[i];
        if (c == ')' || here.starts_with(CLOSE_WIDE)) {
            close = i;
        } else if (c == '/') {
            slash = i;
        } else if (c == ':' || here.starts_with(COLON_WIDE)) {
            colon = i;
        } else if (c == '(' || here.starts_with(OPEN_WIDE)) {
            const std::size_t inner = i + (c == '(' ? 1 : OPEN_WIDE.size());
            if (close == NONE || close == inner || slash > close || colon > close) continue;
            const std::string_view spent = trim_line(line.substr(inner, slash - inner));
            return TimeColumn{i, parse_time_text_ms(spent)};
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

Expected<KifMoveLine, KifError> read_move_line(std::string_view given, bool has_previous, Square previous,
                                                 std::string& scratch) {
    std::string_view line = normalize_into(given, scratch);
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

    const MovePiece* piece = nullptr;
    for (const MovePiece& p : MOVE_PIECES)
        if (rest.starts_with(p.name)) piece = &p;
    if (!piece) return unexpected(KifError::invalid_move(given));
    rest.remove_prefix(piece->name.size());
    const bool promotes = rest.starts_with(PROMOTED);

    if (skip_spaces(promotes ? rest.substr(PROMOTED.size()) : rest).starts_with("打")) {
        if (!piece->drop_letter) return unexpected(KifError::invalid_move(given));
        out.move = make_drop16(drop_type_of_letter(piece->drop_letter), out.to);
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
    std::size_t width = 0;
    while (end < rest.size() && rest[end] != '(' && !rest.substr(end).starts_with(OPEN_WIDE) &&
           !starts_with_space(rest.substr(end), width))
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
    return (!line.empty() && is_ascii_digit(line[0])) || line.find("手数") != std::string_view::npos;
}

bool is_table_header(std::string_view line) {
    return line.starts_with("手数") && line.find("指手") != std::string_view::npos;
}

// The text of a comment line: the leading run of its first character ('*' or '\'')
// removed, then trimmed.
std::string_view comment_text(std::string_view line) {
    const char mark = line.front();
    while (line.starts_with(mark)) line.remove_prefix(1);
    return trim_line(line);
}

Duration ms_duration(std::uint32_t ms) { return Duration::from_ms(ms); }

struct KifReader {
    const RecordLines& lines;
    std::string scratch;
    std::uint64_t counter = 0;

    // Reads one block of a variation from the branching position.
    Expected<Ok, KifError> read_block(const VariationBlock& block, Position& pos, bool has_previous, Square previous,
                                      VariationLine& line) {
        std::optional<std::string> pending_comment;
        std::optional<std::uint32_t> pending_time;
        std::uint64_t block_counter = 0;
        for (std::size_t i = block.first; i < block.last; ++i) {
            const std::string_view t = trim_line(lines[i]);
            if (t.empty() || t.starts_with('&') || is_table_header(t)) continue;
            if (t.starts_with(KIF_EVALUATION_PREFIX)) {
                if (const auto v = parse_kif_evaluation_line(t); v && !line.entries.empty())
                    set_move_evaluation(line.entries.back().annotations, *v);
                continue;
            }
            if (t.front() == '*' || t.front() == '\'') {
                const std::string_view text = comment_text(t);
                if (text.empty()) continue;
                if (line.entries.empty())
                    append_comment_line(pending_comment, text);
                else
                    append_move_comment(line.entries.back(), text);
                continue;
            }
            if (t.find("消費時間") != std::string_view::npos) {
                if (const auto ms = parse_kif_time_column(t)) {
                    if (line.entries.empty())
                        pending_time = ms;
                    else
                        line.entries.back().annotations.time = ms_duration(*ms);
                }
                continue;
            }
            if (!is_move_line(t)) continue;
            const auto parsed = read_move_line(t, has_previous, previous, scratch);
            if (!parsed) {
                // A terminal ends the variation; variations carry none.
                if (read_special_line(t, pos.side_to_move, scratch)) break;
                return unexpected(KifError::invalid_move(t));
            }
            const auto m = kif_checked_move(pos, parsed->move);
            if (!m) return unexpected(KifError::invalid_move(t));
            MoveEntry entry{parsed->move, {}};
            const auto ms = parsed->time_ms ? parsed->time_ms : line.entries.empty() ? pending_time : std::nullopt;
            if (ms) entry.annotations.time = ms_duration(*ms);
            if (line.entries.empty()) entry.annotations.comment = std::move(pending_comment);
            line.entries.push_back(std::move(entry));
            position_do_move(pos, *m);
            if (auto compact = replay_compact_history(pos, block_counter); !compact)
                return unexpected(KifError::of_sfen(compact.error()));
            has_previous = true;
            previous = parsed->to;
            line.snapshots.push_back(ply_snapshot(pos, true, previous));
        }
        return Ok{};
    }

    Expected<Record, KifError> read() {
        KifHeaderSection header = read_kif_header_section(lines, opens_kif_moves);
        auto start = kif_start_sfen(header);
        if (!start) return unexpected(KifError::invalid_line(start.error()));
        auto parsed_start = position_from_sfen(*start);
        if (!parsed_start) return unexpected(KifError::of_sfen(parsed_start.error()));
        Position pos = std::move(*parsed_start);

        std::optional<std::string> root_comment;
        for (std::string_view line : header.comment_lines) append_comment_line(root_comment, line);

        std::vector<MoveEntry> entries;
        std::optional<SpecialMoveEntry> terminal;
        std::vector<VariationBlock> blocks;
        VariationPath path;
        path.snapshots.push_back(ply_snapshot(pos, false, SQ_NONE));
        bool has_previous = false;
        Square previous = SQ_NONE;
        std::optional<std::uint32_t> pending_time;

        std::size_t i = header.move_section;
        bool ended = false;
        while (i < lines.size() && !ended) {
            const std::string_view t = trim_line(lines[i]);
            if (t.empty()) {
                ++i;
                continue;
            }
            if (t.starts_with("変化")) {
                i = collect_variation_block(lines, i, blocks);
                continue;
            }
            ++i;
            if (t.starts_with("まで")) {
                if (auto s = parse_kif_result_line(t, pos.side_to_move))
                    terminal = special_entry_from_result_line(t, std::move(*s));
                ended = true;
            } else if (t.starts_with(KIF_EVALUATION_PREFIX)) {
                if (const auto v = parse_kif_evaluation_line(t); v && !entries.empty())
                    set_move_evaluation(entries.back().annotations, *v);
            } else if (t.front() == '*' || t.front() == '\'') {
                const std::string_view text = comment_text(t);
                if (text.empty()) continue;
                if (entries.empty())
                    append_comment_line(root_comment, text);
                else
                    append_move_comment(entries.back(), text);
            } else if (t.starts_with('&')) {
                // Bookmarks and display directives of the format's editors: no record content.
            } else if (t.find("消費時間") != std::string_view::npos) {
                if (const auto ms = parse_kif_time_column(t)) {
                    if (entries.empty())
                        pending_time = ms;
                    else
                        entries.back().annotations.time = ms_duration(*ms);
                }
            } else if (is_table_header(t)) {
            } else if (is_move_line(t)) {
                const auto parsed = read_move_line(t, has_previous, previous, scratch);
                if (!parsed) {
                    auto special = read_special_line(t, pos.side_to_move, scratch);
                    if (!special) return unexpected(KifError::invalid_move(t));
                    SpecialMoveEntry entry{std::move(special->special), {}};
                    entry.special.raw = std::string(t);
                    if (special->time_ms) entry.annotations.time = ms_duration(*special->time_ms);
                    terminal = std::move(entry);
                    ended = true;
                    continue;
                }
                const auto m = kif_checked_move(pos, parsed->move);
                if (!m) return unexpected(KifError::illegal_move(entries.size()));
                MoveEntry entry{parsed->move, {}};
                const auto ms = parsed->time_ms ? parsed->time_ms : entries.empty() ? pending_time : std::nullopt;
                if (ms) entry.annotations.time = ms_duration(*ms);
                entries.push_back(std::move(entry));
                position_do_move(pos, *m);
                if (auto compact = replay_compact_history(pos, counter); !compact)
                    return unexpected(KifError::of_sfen(compact.error()));
                has_previous = true;
                previous = parsed->to;
                path.snapshots.push_back(ply_snapshot(pos, true, previous));
            } else {
                return unexpected(KifError::invalid_line(t));
            }
        }
        // Real files put their variation blocks after the main line's end.
        if (ended) collect_later_variation_blocks(lines, i, blocks);

        auto made = record_from_main_line(std::move(*start), std::move(entries), std::move(terminal));
        if (!made) return unexpected(KifError::invalid_line(record_error_display(made.error())));
        Record record = std::move(*made);
        record.metadata = std::move(header.metadata);
        record_set_initial_comment(record, std::move(root_comment));
        if (blocks.empty()) return record;

        path.nodes.push_back(record.root);
        for (RecordNodeId id : record_main_line_ids(record)) path.nodes.push_back(id);
        auto attached = attach_variation_blocks<KifError>(
            record, path, blocks,
            [this](const VariationBlock& b, Position& p, bool has_prev, Square prev, VariationLine& line) {
                return read_block(b, p, has_prev, prev, line);
            });
        if (!attached) return unexpected(std::move(attached.error()));
        return record;
    }
};

}  // namespace

Expected<Record, KifError> parse_kif(std::string_view text) {
    const RecordLines lines(text);
    KifReader reader{lines, {}, 0};
    return reader.read();
}

Expected<KifMoveLine, KifError> parse_kif_move_line(std::string_view line, bool has_previous, Square previous_square) {
    std::string scratch;
    return read_move_line(line, has_previous, previous_square, scratch);
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
