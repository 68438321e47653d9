#include "core/records/formats/csa/csa_board.h"

#include <array>

#include "core/board/notation/move_text.h"

namespace korvan {

namespace {

// The order the hand groups are written in.
constexpr std::array<PieceType, 7> HAND_ORDER = {PAWN, LANCE, KNIGHT, SILVER, GOLD, BISHOP, ROOK};

}  // namespace

void position_to_csa_board(std::string& out, const Position& pos) {
    out.reserve(out.size() + 9 * 30 + 2 * 60 + 2);
    for (int rank = 0; rank < 9; ++rank) {
        out += 'P';
        out += static_cast<char>('1' + rank);
        for (int file = 8; file >= 0; --file) {
            const Piece p = pos.board[make_square(file, rank)];
            const std::string_view name = p == NO_PIECE ? std::string_view{} : csa_piece_name(type_of(p));
            if (name.empty()) {
                out += "*  ";
                continue;
            }
            out += color_of(p) == BLACK ? '+' : '-';
            out += name;
        }
        out += '\n';
    }
    for (Color c : {BLACK, WHITE}) {
        out += c == BLACK ? "P+" : "P-";
        for (PieceType pt : HAND_ORDER) {
            const std::string_view name = csa_piece_name(pt);
            for (std::uint32_t n = hand_count(pos.hands[c], pt); n > 0; --n) {
                out += "00";
                out += name;
            }
        }
        out += '\n';
    }
    out += pos.side_to_move == BLACK ? "+\n" : "-\n";
}

}  // namespace korvan
