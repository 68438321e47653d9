#include "records/formats/kif_writer.h"

#include <array>
#include <charconv>

#include "records/formats/kif_move_section.h"
#include "records/formats/kif_writer_lines.h"
#include "records/formats/kif_writer_tree.h"

namespace korvan {

namespace {

constexpr std::array<std::string_view, 9> FULL_WIDTH_FILES = {"１", "２", "３", "４", "５", "６", "７", "８", "９"};
constexpr std::array<std::string_view, 9> KANJI_RANKS = {"一", "二", "三", "四", "五", "六", "七", "八", "九"};
// By piece type; a value that names no piece reads as the king.
constexpr std::array<std::string_view, 16> MOVE_NAMES = {"玉", "歩",   "香",   "桂",   "銀", "角", "飛", "金",
                                                         "玉", "と", "成香", "成桂", "成銀", "馬", "龍", "玉"};
constexpr std::string_view SAME_SQUARE = "同　";
constexpr std::size_t MOVE_COLUMNS = 12;

// By SpecialMoveKind; UNKNOWN writes its own name.
constexpr std::array<std::string_view, SPECIAL_MOVE_KIND_NB> TERMINAL_WORDS = {
    "中断",     "投了",     "最大手数", "持将棋",   "引き分け", "千日手", "詰み",   "不詰",
    "切れ負け", "反則勝ち", "反則負け", "入玉勝ち", "不戦勝",   "不戦敗", "トライ", "",
};

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

void append_number(std::string& out, std::uint64_t value, std::size_t width, char fill) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    const auto n = static_cast<std::size_t>(end - digits);
    if (n < width) out.append(width - n, fill);
    out.append(digits, n);
}

void append_move_text(std::string& out, const Position& pos, Move32 m, bool has_previous, Square previous) {
    const Square to = move_to(m);
    if (has_previous && previous == to) {
        out += SAME_SQUARE;
    } else {
        out += FULL_WIDTH_FILES[file_of(to)];
        out += KANJI_RANKS[rank_of(to)];
    }
    if (is_drop(m)) {
        out += MOVE_NAMES[dropped_type(m) & 15];
        out += "打";
        return;
    }
    const Square from = move_from(m);
    out += MOVE_NAMES[type_of(pos.board[from])];
    if (is_promotion(m)) out += "成";
    out += '(';
    out += static_cast<char>('1' + file_of(from));
    out += static_cast<char>('1' + rank_of(from));
    out += ')';
}

// " ( 0:01/00:00:01)" and the mark; minutes of the move and hours of the total widen
// as needed.
void append_time_column(std::string& out, std::uint32_t move_ms, std::uint32_t total_ms, bool marked) {
    out += " (";
    append_number(out, move_ms / 60000, 2, ' ');
    out += ':';
    append_number(out, move_ms / 1000 % 60, 2, '0');
    out += '/';
    append_number(out, total_ms / 3600000, 2, '0');
    out += ':';
    append_number(out, total_ms / 1000 % 3600 / 60, 2, '0');
    out += ':';
    append_number(out, total_ms / 1000 % 60, 2, '0');
    out += ')';
    if (marked) out += '+';
}

struct KifLines {
    void after_start(std::string& out) { out += "手数----指手---------消費時間--\n"; }

    std::optional<KifError> move(std::string& out, const Position& before, const KifWrittenMove& m,
                                 const KifLinePoint& line) {
        append_number(out, line.ply + 1, 4, ' ');
        out += ' ';
        const std::size_t text = out.size();
        append_move_text(out, before, m.move, line.has_previous, line.previous);
        pad_from(out, text);
        append_time_column(out, m.time_ms, m.total_ms, m.marked);
        out += '\n';
        const Annotations& a = m.node.annotations;
        if (a.engine_info && a.engine_info->eval) {
            out += KIF_EVALUATION_PREFIX;
            out += std::to_string(*a.engine_info->eval);
            out += '\n';
        }
        if (a.comment) write_comment_lines(out, *a.comment);
        return std::nullopt;
    }

    void open_block(std::string& out, std::uint64_t first_number) {
        out += "\n変化：";
        out += std::to_string(first_number);
        out += "手\n";
    }

    void close_line(std::string&) {}

    void terminal(std::string& out, const RecordNode& node, Color side_to_move, std::uint64_t moves,
                  const KifLinePoint& line) {
        out += '\n';
        append_number(out, moves + 1, 4, ' ');
        out += ' ';
        const std::size_t text = out.size();
        const SpecialMove& special = *node.special;
        if (special.kind == SpecialMoveKind::Unknown)
            append_single_line(out, special.unknown_name);
        else
            out += TERMINAL_WORDS[static_cast<std::size_t>(special.kind)];
        pad_from(out, text);
        const std::uint32_t time = kif_writer_detail::node_time_ms(node);
        append_time_column(out, time, kif_writer_detail::saturating_add(line.totals[side_to_move], time), false);
        out += '\n';
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
    KifMoveText out{{}, move_to(move)};
    append_move_text(out.text, pos, move, has_previous, previous);
    pad_from(out.text, 0);
    return out;
}

std::string pad_kif_move_text(std::string_view text) {
    std::string out(text);
    pad_from(out, 0);
    return out;
}

std::string write_kif_move_time(std::uint64_t number, std::string_view padded_text, std::uint32_t move_ms,
                                std::uint32_t total_ms, bool marked) {
    std::string out;
    append_number(out, number, 4, ' ');
    out += ' ';
    out += padded_text;
    append_time_column(out, move_ms, total_ms, marked);
    return out;
}

}  // namespace korvan
