#include "core/records/formats/kif/kif_sections.h"

#include "core/records/editor.h"
#include "core/records/formats/kif/kif_header.h"

namespace korvan {

namespace {

constexpr std::string_view BLACK_HANDS[] = {"先手の持駒", "下手の持駒"};
constexpr std::string_view WHITE_HANDS[] = {"後手の持駒", "上手の持駒"};

bool starts_with_any(std::string_view line, const std::string_view (&prefixes)[2]) {
    return line.starts_with(prefixes[0]) || line.starts_with(prefixes[1]);
}

// The text between the first colon ("：" or ":") and the next one or the end.
std::optional<std::string_view> hand_value(std::string_view line) {
    auto colon_at = [](std::string_view text, std::size_t from) -> std::pair<std::size_t, std::size_t> {
        const std::size_t wide = text.find("：", from);
        const std::size_t ascii = text.find(':', from);
        if (ascii < wide) return {ascii, 1};
        if (wide != std::string_view::npos) return {wide, KANJI_BYTES};
        return {std::string_view::npos, 0};
    };
    const auto [first, width] = colon_at(line, 0);
    if (first == std::string_view::npos) return std::nullopt;
    const std::size_t from = first + width;
    const auto [second, unused] = colon_at(line, from);
    return line.substr(from, second == std::string_view::npos ? std::string_view::npos : second - from);
}

bool is_diagram_header(std::string_view line) {
    return line.starts_with("９") && line.find("１") != std::string_view::npos;
}

}  // namespace

KifHeaderSection read_kif_header_section(const std::vector<std::string_view>& lines, bool (*opens_moves)(std::string_view)) {
    KifHeaderSection out;
    std::size_t i = 0;
    while (i < lines.size()) {
        const std::string_view line = trim_line(lines[i]);
        if (line.empty()) {
            ++i;
            continue;
        }
        if (line.starts_with('*')) {
            std::string_view rest = line;
            while (rest.starts_with('*')) rest.remove_prefix(1);
            rest = trim_line(rest);
            if (!rest.empty()) out.comment_lines.push_back(rest);
        } else if (line == "先手番") {
            out.setup.side_mark = '+';
        } else if (line == "後手番") {
            out.setup.side_mark = '-';
        } else if (starts_with_any(line, BLACK_HANDS) || starts_with_any(line, WHITE_HANDS)) {
            if (const auto value = hand_value(line))
                out.setup.hands[starts_with_any(line, BLACK_HANDS) ? '+' : '-'] = parse_bod_hand(*value);
        } else if (is_diagram_header(line)) {
            BodBoardRows diagram = parse_bod_board_rows(lines, i);
            out.setup.board = std::move(diagram.rows);
            out.setup.diagram_read = true;
            i = diagram.next_line;
            continue;
        } else if (opens_moves(line)) {
            break;
        } else {
            parse_kif_header_line(out.metadata, line);
        }
        ++i;
    }
    out.move_section = i;
    return out;
}

Expected<std::string, std::string> kif_start_sfen(const KifHeaderSection& header) {
    if (header.setup.diagram_read) return sfen_from_diagram(header.setup);
    if (const auto sfen = handicap_name_to_sfen(header.metadata.attributes)) return std::string(*sfen);
    return std::string(STARTPOS_SFEN);
}

Expected<Position, SfenError> kif_start_position(std::string_view sfen) {
    if (sfen == STARTPOS_SFEN) return position_startpos();
    return position_from_sfen(sfen);
}

std::size_t collect_variation_block(const std::vector<std::string_view>& lines, std::size_t header, std::vector<VariationBlock>& blocks) {
    VariationBlock block{variation_start_number(trim_line(lines[header])), header + 1, header + 1};
    std::size_t i = header + 1;
    for (; i < lines.size(); ++i) {
        const std::string_view line = trim_line(lines[i]);
        if (line.empty()) {
            block.last = i;
            blocks.push_back(block);
            return i + 1;
        }
        if (line.starts_with("変化") || line.starts_with("まで")) break;
    }
    block.last = i;
    blocks.push_back(block);
    return i;
}

void collect_later_variation_blocks(const std::vector<std::string_view>& lines, std::size_t from, std::vector<VariationBlock>& blocks) {
    for (std::size_t i = from; i < lines.size();) {
        if (trim_line(lines[i]).starts_with("変化"))
            i = collect_variation_block(lines, i, blocks);
        else
            ++i;
    }
}

std::optional<Move32> kif_checked_move(const Position& pos, Move move) { return record_checked_move(pos, move); }

}  // namespace korvan
