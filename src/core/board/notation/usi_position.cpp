#include "core/board/notation/usi_position.h"

#include "core/board/position/legality.h"
#include "core/board/position/parser.h"
#include "core/board/position/updates.h"
#include "core/util/text.h"
#include "core/util/utf8_repair.h"

namespace korvan {

namespace {

std::string join(const std::vector<std::string_view>& tokens, std::size_t first, std::size_t count) {
    std::string out;
    for (std::size_t i = first; i < first + count; ++i) {
        if (i > first) out.push_back(' ');
        out.append(tokens[i]);
    }
    return out;
}

}  // namespace

Expected<UsiPositionResult, std::string> parse_usi_position_command(std::string_view command) {
    // The command as the messages quote it.
    const std::string whole = utf8_replace_invalid(command);
    std::string_view text = trim_whitespace(command);
    if (text.empty()) return unexpected(std::string("USI position string must not be empty"));
    if (text.size() >= 9 && text.substr(0, 9) == "position ") text = trim_whitespace(text.substr(9));
    const std::vector<std::string_view> tokens = split_whitespace(text);
    if (tokens.empty()) return unexpected(std::string("USI position string must contain tokens"));

    UsiPositionResult result{position_startpos(), std::string(STARTPOS_SFEN), {}, {}};
    std::size_t index;
    auto set_up = [&](std::size_t first, const char* lead) -> Expected<Ok, std::string> {
        std::string sfen = join(tokens, first, 4);
        auto fields = parse_sfen_fields(sfen);
        if (!fields)
            return unexpected(lead + utf8_replace_invalid(sfen) + " (" + sfen_error_display(fields.error()) + ")");
        position_set(result.position, *fields);
        result.base_sfen = std::move(sfen);
        return Ok{};
    };
    if (tokens[0] == "startpos") {
        index = 1;
    } else if (tokens[0] == "sfen") {
        if (tokens.size() < 5)
            return unexpected("invalid USI position (expected 'sfen <board> <turn> <hand> <ply>'): " + whole);
        if (auto r = set_up(1, "invalid USI position SFEN: "); !r) return unexpected(r.error());
        index = 5;
    } else {
        if (tokens.size() < 4) return unexpected("invalid USI position token sequence: " + whole);
        if (auto r = set_up(0, "invalid SFEN token: "); !r) return unexpected(r.error());
        index = 4;
    }

    if (index < tokens.size()) {
        if (tokens[index] != "moves") return unexpected("unexpected token sequence in USI position: " + whole);
        Position& pos = result.position;
        for (std::size_t i = index + 1; i < tokens.size(); ++i) {
            const std::string_view token = tokens[i];
            const auto move = move_from_usi(token);
            const auto refused = [&](const char* what) {
                return unexpected(what + utf8_replace_invalid(token) + "' in USI position: " + whole);
            };
            if (!move) return refused("invalid move '");
            const Move32 m32 = position_move_to_move32(pos, *move);
            const Square to = move_to(m32);
            const bool bad_value = is_special_move(m32) || to > 80 ||
                                   (is_drop(m32) ? (dropped_type(m32) < PAWN || dropped_type(m32) > GOLD)
                                                 : move_from(m32) > 80);
            if (bad_value) return refused("invalid move value '");
            // The promotion zone is tested too: "7g7f+" from the start is illegal.
            if (!position_is_legal(pos, m32))
                return refused("illegal move '");
            position_do_move(pos, m32);
            result.moves.push_back(move16(m32));
        }
    }
    result.final_sfen = position_to_sfen(result.position, result.position.ply);
    return result;
}

}  // namespace korvan
