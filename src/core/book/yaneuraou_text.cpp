#include "core/book/yaneuraou_text.h"

#include "core/board/position/parser.h"
#include "core/util/decimal.h"
#include "core/util/text.h"
#include "core/util/utf8_check.h"

namespace korvan {

namespace {

constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";

BookError line_error(std::uint64_t line_number, std::string_view message) {
    return BookError::invalid_data(yaneuraou_line_error(line_number, message));
}

// The next field of a position line, split at runs of Unicode white space; empty when
// none is left. The text is valid UTF-8, so it is stepped a character at a time.
std::string_view next_unicode_field(std::string_view& rest) {
    std::size_t pos = 0;
    while (pos < rest.size()) {
        const std::size_t n = space_at(rest.substr(pos));
        if (n == 0) break;
        pos += n;
    }
    const std::size_t start = pos;
    while (pos < rest.size() && space_at(rest.substr(pos)) == 0) utf8_next(rest, pos);
    const std::string_view field = rest.substr(start, pos - start);
    rest.remove_prefix(pos);
    return field;
}

// Move lines split at ASCII white space only: a vertical tab or an ideographic space
// stays inside its field.
constexpr bool is_ascii_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }

std::string_view next_ascii_field(std::string_view& rest) {
    std::size_t pos = 0;
    while (pos < rest.size() && is_ascii_blank(rest[pos])) ++pos;
    const std::size_t start = pos;
    while (pos < rest.size() && !is_ascii_blank(rest[pos])) ++pos;
    const std::string_view field = rest.substr(start, pos - start);
    rest.remove_prefix(pos);
    return field;
}

bool is_none(std::string_view token) { return token == "none" || token == "None"; }

// Sets `slot` from a number field; "none" leaves it empty.
template <class T>
Expected<Ok, BookError> read_number_field(std::uint64_t line_number, std::string_view token, std::string_view field,
                                          std::optional<T>& slot) {
    if (is_none(token)) return Ok{};
    auto value = parse_decimal<T>(token);
    if (!value) {
        std::string message = "invalid ";
        message += field;
        message += ": ";
        message += int_error_display(value.error());
        return unexpected(line_error(line_number, message));
    }
    slot = *value;
    return Ok{};
}

Expected<YaneuraOuLine, BookError> parse_move_line(std::uint64_t line_number, std::string_view text) {
    std::string_view fields[5];
    std::size_t count = 0;
    std::string_view rest = text;
    while (count < 5) {
        const std::string_view field = next_ascii_field(rest);
        if (field.empty()) break;
        fields[count++] = field;
    }
    if (count < 2) return unexpected(line_error(line_number, "missing ponder move"));
    YaneuraOuLine line;
    line.kind = YaneuraOuLineKind::Move;
    YaneuraOuMove& move = line.move;
    auto mv = yaneuraou_parse_move_token(line_number, fields[0], "move");
    if (!mv) return unexpected(std::move(mv.error()));
    move.mv = *mv;
    auto ponder = yaneuraou_parse_move_token(line_number, fields[1], "ponder move");
    if (!ponder) return unexpected(std::move(ponder.error()));
    move.ponder = *ponder;
    Expected<Ok, BookError> numbers = Ok{};
    if (count > 2) numbers = read_number_field(line_number, fields[2], "score", move.score);
    if (numbers && count > 3) numbers = read_number_field(line_number, fields[3], "depth", move.depth);
    if (numbers && count > 4) numbers = read_number_field(line_number, fields[4], "count", move.count);
    if (!numbers) return unexpected(std::move(numbers.error()));
    if (count > 4) {
        // The marker goes, a blank right after it stays.
        std::string_view comment = trim_line(rest);
        if (comment.starts_with("//"))
            comment.remove_prefix(2);
        else if (comment.starts_with('#'))
            comment.remove_prefix(1);
        line.text = comment;
    }
    return line;
}

}  // namespace

std::string yaneuraou_line_error(std::uint64_t line_number, std::string_view message) {
    if (line_number == 0) return std::string(message);
    std::string out = "line " + std::to_string(line_number) + ": ";
    out += message;
    return out;
}

Expected<std::string_view, BookError> yaneuraou_decode_line(std::uint64_t line_number, std::string_view bytes) {
    if (const auto fault = utf8_error(bytes))
        return unexpected(line_error(
            line_number, "invalid utf-8: " + utf8_error_display(*fault) + "; CP932 / Shift_JIS input is not supported"));
    // Line ends are white space: the trim takes a CR LF with the rest.
    std::string_view text = trim_line(bytes);
    // After the trim, so that white space after a mark stays at the start of the line.
    if (line_number == 1)
        while (text.starts_with(BYTE_ORDER_MARK)) text.remove_prefix(BYTE_ORDER_MARK.size());
    return text;
}

Expected<YaneuraOuLine, BookError> yaneuraou_parse_line(std::uint64_t line_number, std::string_view text) {
    YaneuraOuLine line;
    if (text.empty()) return line;
    if (text == YANEURAOU_HEADER) {
        line.kind = YaneuraOuLineKind::Header;
        return line;
    }
    if (text.starts_with(YANEURAOU_HEADER_PREFIX))
        return unexpected(BookError::invalid_format("unsupported yaneuraou book header"));
    if (text.starts_with('#') || text.starts_with("//")) {
        line.kind = YaneuraOuLineKind::Comment;
        line.text = trim_line(text.substr(text[0] == '#' ? 1 : 2));
        return line;
    }
    if (text.starts_with("sfen ")) {
        auto position = yaneuraou_parse_sfen_line(line_number, text.substr(5));
        if (!position) return unexpected(std::move(position.error()));
        line.kind = YaneuraOuLineKind::Position;
        line.position = std::move(*position);
        return line;
    }
    return parse_move_line(line_number, text);
}

Expected<YaneuraOuSfen, BookError> yaneuraou_parse_sfen_line(std::uint64_t line_number, std::string_view text) {
    std::string_view rest = text;
    const std::string_view board = next_unicode_field(rest);
    const std::string_view side = next_unicode_field(rest);
    const std::string_view hands = next_unicode_field(rest);
    if (hands.empty()) return unexpected(line_error(line_number, "invalid sfen"));
    YaneuraOuSfen out;
    out.sfen.reserve(board.size() + side.size() + hands.size() + 4);
    out.sfen.append(board).append(" ").append(side).append(" ").append(hands).append(" 1");
    // The fields alone decide whether a position can be built from them (the set-up
    // after them cannot fail), so no position is made.
    if (auto fields = parse_sfen_fields(out.sfen); !fields)
        return unexpected(line_error(line_number, "invalid sfen: " + sfen_error_display(fields.error())));
    // A missing or unreadable ply is no error: the book only records it.
    if (const std::string_view ply = next_unicode_field(rest); !ply.empty())
        out.min_ply = parse_decimal<std::uint32_t>(ply).ok().value_or(0);
    return out;
}

Expected<Move, BookError> yaneuraou_parse_move_token(std::uint64_t line_number, std::string_view token,
                                                     std::string_view field) {
    if (const auto mv = move_from_usi(token == "None" ? std::string_view("none") : token)) return *mv;
    std::string message = "invalid ";
    message += field;
    message += ": ";
    message += token;
    return unexpected(line_error(line_number, message));
}

void yaneuraou_append_comment(YaneuraOuEntry& entry, std::string_view text) {
    if (text.empty()) return;
    std::string& target = entry.moves.empty() ? entry.comment : entry.moves.back().comment;
    if (!target.empty()) target += '\n';
    target += text;
}

void yaneuraou_gather(YaneuraOuEntry& entry, const YaneuraOuLine& line) {
    if (line.kind == YaneuraOuLineKind::Move) {
        entry.moves.push_back(line.move);
        entry.moves.back().comment.assign(line.text);
    } else if (line.kind == YaneuraOuLineKind::Comment) {
        yaneuraou_append_comment(entry, line.text);
    }
}

}  // namespace korvan
