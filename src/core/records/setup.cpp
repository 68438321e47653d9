#include "core/records/setup.h"

#include <algorithm>

namespace korvan {

namespace {

constexpr std::array<PieceType, HAND_PIECE_NB> ROOK_FIRST = {ROOK, BISHOP, GOLD, SILVER, KNIGHT, LANCE, PAWN};
constexpr std::array<PieceType, HAND_PIECE_NB> PAWN_FIRST = {PAWN, LANCE, KNIGHT, SILVER, GOLD, BISHOP, ROOK};

const std::array<PieceType, HAND_PIECE_NB>& kinds_in(HandOrder order) {
    return order == HandOrder::RookFirst ? ROOK_FIRST : PAWN_FIRST;
}

}  // namespace

void setup_add_to_hand(RecordSetup& setup, Color c, HandPiece hp, std::uint32_t n) {
    std::uint32_t& count = setup.hands[c][hp];
    count = std::min(SETUP_COUNT_LIMIT, count + std::min(n, SETUP_COUNT_LIMIT));
}

std::string setup_sfen(const RecordSetup& setup, HandOrder order) {
    static constexpr std::string_view LETTERS = "?PLNSBRG";
    std::string out = sfen_fields_text(setup.state.board, setup.state.side_to_move, {});
    out.pop_back();  // the "-" of the empty hands
    const std::size_t hands = out.size();
    for (Color c : {BLACK, WHITE}) {
        for (PieceType pt : kinds_in(order)) {
            const std::uint32_t n = setup.hands[c][hand_piece_of(pt)];
            if (n == 0) continue;
            if (n > 1) out += std::to_string(n);
            out += c == BLACK ? LETTERS[pt] : static_cast<char>(LETTERS[pt] - 'A' + 'a');
        }
    }
    if (out.size() == hands) out += '-';
    out += " 1";
    return out;
}

Expected<PositionState, SfenError> setup_state(const RecordSetup& setup, HandOrder order) {
    PositionState state = setup.state;
    state.ply = 1;
    for (Color c : {BLACK, WHITE}) {
        Hand hand = 0;
        for (PieceType pt : kinds_in(order)) {
            const HandPiece hp = hand_piece_of(pt);
            const std::uint32_t n = setup.hands[c][hp];
            if (n > HAND_MASK[hp]) {
                SfenError e{SfenError::Kind::InvalidHandCount};
                e.piece = pt;
                e.count = n;
                return unexpected(e);
            }
            hand |= n << HAND_SHIFT[hp];
        }
        state.hands[c] = hand;
    }
    return state;
}

}  // namespace korvan
