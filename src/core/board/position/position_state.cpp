#include "core/board/position/position_state.h"

#include "core/board/position/parser.h"

namespace korvan {

Expected<PositionState, SfenError> position_state_from_sfen(std::optional<std::string_view> text) {
    if (!text) return PositionState{};
    auto fields = parse_sfen_fields(*text);
    if (!fields) return unexpected(fields.error());
    return PositionState(*fields);
}

PositionState position_state_of(const Position& pos) {
    PositionState state;
    state.board = pos.board;
    state.hands = pos.hands;
    state.side_to_move = pos.side_to_move;
    state.ply = pos.ply;
    return state;
}

std::optional<Square> position_state_bad_square(const PositionState& state) {
    for (Square s = 0; s < 81; ++s)
        if (state.board[s] != NO_PIECE && !names_piece(state.board[s])) return s;
    return std::nullopt;
}

Position position_from_state(const PositionState& state) {
    Position pos;
    position_set(pos, state);
    return pos;
}

Position position_without_history(const Position& pos) { return position_from_state(position_state_of(pos)); }

Expected<Ok, std::string> position_set_state(Position& pos, const PositionState& state) {
    // Every table of piece names and codes is indexed by such a byte, so none may
    // reach a live position.
    if (const auto s = position_state_bad_square(state))
        return unexpected("invalid piece code " + std::to_string(state.board[*s]) + " on " + tuple_debug("Square", *s));
    position_set(pos, state);
    return Ok{};
}

}  // namespace korvan
