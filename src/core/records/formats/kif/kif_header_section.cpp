#include "core/records/formats/kif/kif_header_section.h"

#include "core/board/notation/bod.h"
#include "core/records/formats/kif/kif_header.h"
#include "core/util/kanji.h"
#include "core/util/text.h"

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

KifHeaderSection read_kif_header_section(const std::vector<std::string_view>& lines,
                                         bool (*opens_moves)(std::string_view)) {
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
            out.setup.state.side_to_move = BLACK;
        } else if (line == "後手番") {
            out.setup.state.side_to_move = WHITE;
        } else if (starts_with_any(line, BLACK_HANDS) || starts_with_any(line, WHITE_HANDS)) {
            if (const auto value = hand_value(line))
                out.setup.hands[starts_with_any(line, BLACK_HANDS) ? BLACK : WHITE] = parse_bod_hand(*value);
        } else if (is_diagram_header(line)) {
            const BodBoard diagram = parse_bod_board(lines, i);
            out.setup.state.board = diagram.board;
            out.diagram_read = true;
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

Expected<KifStart, SfenError> kif_start(const KifHeaderSection& header) {
    if (header.diagram_read) {
        auto state = setup_state(header.setup, HandOrder::PawnFirst);
        if (!state) return unexpected(std::move(state.error()));
        return KifStart{setup_sfen(header.setup, HandOrder::PawnFirst), position_from_state(*state)};
    }
    if (const auto sfen = handicap_name_to_sfen(header.metadata.attributes)) {
        // "平手" names the standard start, which is copied rather than read again.
        if (*sfen == STARTPOS_SFEN) return KifStart{std::string(STARTPOS_SFEN), position_startpos()};
        auto position = position_from_sfen(*sfen);
        if (!position) return unexpected(std::move(position.error()));
        return KifStart{std::string(*sfen), std::move(*position)};
    }
    // The standard start is copied from the one built once.
    return KifStart{std::string(STARTPOS_SFEN), position_startpos()};
}

}  // namespace korvan
