#include "core/records/formats/kif/kif_writer.h"

#include <array>
#include <charconv>
#include <cstring>

#include "core/records/formats/kif/kif_move_lines.h"
#include "core/records/formats/kif/kif_writer_lines.h"
#include "core/records/formats/kif/kif_writer_tree.h"
#include "core/records/special_moves.h"
#include "core/util/kanji.h"
#include "core/util/lines.h"
#include "core/util/panic.h"

namespace korvan {

namespace {

constexpr std::array<std::string_view, 9> FULL_WIDTH_FILES = {"１", "２", "３", "４", "５", "６", "７", "８", "９"};
constexpr std::array<std::string_view, 9> KANJI_RANKS = {"一", "二", "三", "四", "五", "六", "七", "八", "九"};
// By piece type; a value that names no piece reads as the king.
constexpr std::array<std::string_view, 16> MOVE_NAMES = {"玉", "歩",   "香",   "桂",   "銀", "角", "飛", "金",
                                                         "玉", "と", "成香", "成桂", "成銀", "馬", "龍", "玉"};
constexpr std::string_view SAME_SQUARE = "同　";
constexpr std::size_t MOVE_COLUMNS = 12;

// Columns of a text: one per ASCII character, two per other character.
std::size_t display_width(std::string_view text) {
    std::size_t width = 0;
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        width += b < 0x80 ? 1 : (b & 0xC0) != 0x80 ? 2 : 0;
    }
    return width;
}

void pad_from(std::string& out, std::size_t start) {
    const std::size_t width = display_width(std::string_view(out).substr(start));
    if (width < MOVE_COLUMNS) out.append(MOVE_COLUMNS - width, ' ');
}

// A move line is built in place and appended once. It holds a number of at most 20
// digits and a space, a move text of at most 19 bytes and 4 spaces of padding, a time
// column of at most 24 bytes and the line feed: 96 bytes hold any line.
class LineBuffer {
public:
    void put(std::string_view text) {
        std::memcpy(buf_ + n_, text.data(), text.size());
        n_ += text.size();
    }
    // One kanji or full-width character: a copy of fixed size, which compiles inline.
    void put_kanji(std::string_view text) {
        std::memcpy(buf_ + n_, text.data(), KANJI_BYTES);
        n_ += KANJI_BYTES;
    }
    void put(char c) { buf_[n_++] = c; }
    void fill(std::size_t count, char c) {
        std::memset(buf_ + n_, c, count);
        n_ += count;
    }
    void number(std::uint64_t value, std::size_t width, char filler) {
        char digits[20];
        const auto n = static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
        if (n < width) fill(width - n, filler);
        put(std::string_view(digits, n));
    }
    void two_digits(std::uint32_t value) {
        put(static_cast<char>('0' + value / 10));
        put(static_cast<char>('0' + value % 10));
    }
    std::string_view view() const { return {buf_, n_}; }

private:
    char buf_[96];
    std::size_t n_ = 0;
};

// The move text; returns its width in columns (every piece of it but the origin is
// made of two-column characters).
std::size_t put_move_text(LineBuffer& out, const Position& pos, Move32 m, bool has_previous, Square previous) {
    const Square to = move_to(m);
    if (has_previous && previous == to) {
        out.put(SAME_SQUARE);
    } else {
        out.put_kanji(FULL_WIDTH_FILES[file_of(to)]);
        out.put_kanji(KANJI_RANKS[rank_of(to)]);
    }
    if (is_drop(m)) {
        out.put_kanji(MOVE_NAMES[dropped_type(m) & 15]);
        out.put_kanji("打");
        return 8;
    }
    const Square from = move_from(m);
    const std::string_view name = MOVE_NAMES[type_of(pos.board[from])];
    out.put(name);
    std::size_t width = 4 + 2 * (name.size() / KANJI_BYTES) + 4;
    if (is_promotion(m)) {
        out.put_kanji("成");
        width += 2;
    }
    out.put('(');
    out.put(static_cast<char>('1' + file_of(from)));
    out.put(static_cast<char>('1' + rank_of(from)));
    out.put(')');
    return width;
}

// " ( 0:01/00:00:01)" and the mark; minutes of the move and hours of the total widen
// as needed.
void put_time_column(LineBuffer& out, std::uint32_t move_ms, std::uint32_t total_ms, bool marked) {
    out.put(" (");
    out.number(move_ms / 60000, 2, ' ');
    out.put(':');
    out.two_digits(move_ms / 1000 % 60);
    out.put('/');
    out.number(total_ms / 3600000, 2, '0');
    out.put(':');
    out.two_digits(total_ms / 1000 % 3600 / 60);
    out.put(':');
    out.two_digits(total_ms / 1000 % 60);
    out.put(')');
    if (marked) out.put('+');
}

void put_padding(LineBuffer& out, std::size_t width) {
    if (width < MOVE_COLUMNS) out.fill(MOVE_COLUMNS - width, ' ');
}

struct KifLines {
    void after_start(std::string& out) { out += "手数----指手---------消費時間--\n"; }

    std::optional<KifError> move(std::string& out, const Position& before, const KifWrittenMove& m,
                                 const KifLinePoint& line) {
        LineBuffer buf;
        buf.number(line.ply + 1, 4, ' ');
        buf.put(' ');
        put_padding(buf, put_move_text(buf, before, m.move, line.has_previous, line.previous));
        put_time_column(buf, m.time_ms, m.total_ms, m.marked);
        buf.put('\n');
        out += buf.view();
        write_move_notes(out, m.node.annotations);
        return std::nullopt;
    }

    void close_line(std::string&) {}

    void terminal(std::string& out, const RecordNode& node, Color side_to_move, std::uint64_t moves,
                  const KifLinePoint& line) {
        out += '\n';
        LineBuffer number;
        number.number(moves + 1, 4, ' ');
        number.put(' ');
        out += number.view();
        const std::size_t text = out.size();
        const SpecialMove& special = *node.special;
        // UNKNOWN writes its own name. The readers take each word back as its kind, but
        // for "詰み", which they read as a resignation, and "引き分け", which they keep as
        // an unknown word.
        if (special.kind == SpecialMoveKind::Unknown)
            append_single_line(out, special.unknown_name);
        else
            out += special_move_word(SpecialFormat::Kif, special.kind);
        pad_from(out, text);
        const std::uint32_t time = kif_writer_detail::node_time_ms(node);
        LineBuffer column;
        put_time_column(column, time, kif_writer_detail::saturating_add(line.totals[side_to_move], time), false);
        column.put('\n');
        out += column.view();
        out += write_kif_result_line(special, side_to_move, moves);
        out += '\n';
    }
};

}  // namespace

Expected<std::string, KifError> write_kif(const Record& record) {
    KifLines lines;
    return write_japanese_record<KifFormat>(record, lines);
}

KifMoveText write_kif_move_text(const Position& pos, Move32 move, bool has_previous, Square previous) {
    // The writer passes only moves that passed the legality test; a caller of its own
    // may not, and the tables stop at the last square.
    check_index("KIF move destination", move_to(move), SQUARE_NB);
    if (!is_drop(move)) check_index("KIF move source", move_from(move), SQUARE_NB);
    LineBuffer buf;
    put_padding(buf, put_move_text(buf, pos, move, has_previous, previous));
    return {std::string(buf.view()), move_to(move)};
}

std::string pad_kif_move_text(std::string_view text) {
    std::string out(text);
    pad_from(out, 0);
    return out;
}

std::string write_kif_move_time(std::uint64_t number, std::string_view padded_text, std::uint32_t move_ms,
                                std::uint32_t total_ms, bool marked) {
    LineBuffer head;
    head.number(number, 4, ' ');
    head.put(' ');
    LineBuffer column;
    put_time_column(column, move_ms, total_ms, marked);
    std::string out(head.view());
    out += padded_text;
    out += column.view();
    return out;
}

}  // namespace korvan
