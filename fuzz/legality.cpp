// Legality and move making on any position an SFEN text sets up (no king, many kings,
// pieces that can never move...). The input is an SFEN line (the start position when it
// does not parse), then 32-bit values: move values to test, and choices of moves to play.
//   - position_is_legal agrees with the legal list, both ways, and a legal Move32
//     carries the piece the position gives it (or none, which stands for it);
//   - a played move keeps every incremental field equal to its recomputation, and
//     taking the moves back restores the position;
//   - a mate in one found is a legal move after which the opponent is in check with no
//     legal move (where each side has one king).

#include "core/board/position/declaration.h"
#include "core/board/position/validation.h"
#include "common.h"
#include "core/mate/mate_in_one.h"
#include "core/mate/mated.h"

using namespace korvan;

namespace {

std::string at(const Position& pos, std::uint32_t move) {
    return position_to_sfen(pos, pos.ply) + " | " + move_display_usi(move);
}

bool one_king_each(const Position& pos) {
    return pos.pieces(BLACK, KING).count() == 1 && pos.pieces(WHITE, KING).count() == 1;
}

void check_position(const Position& pos, const MoveList& legal) {
    Position scratch = pos;
    for (Move m : legal) {
        const Move32 m32 = position_move_to_move32(pos, m);
        FUZZ_REQUIRE(position_is_legal(pos, m32), at(pos, m));
        // Making and taking back any legal move gives the same position and record.
        position_do_move(scratch, m32);
        FUZZ_REQUIRE(position_undo_move(scratch, m32), at(pos, m));
        FUZZ_REQUIRE(scratch.board == pos.board && scratch.hands == pos.hands && scratch.key == pos.key, at(pos, m));
        FUZZ_REQUIRE(scratch.king_square == pos.king_square && scratch.by_type == pos.by_type, at(pos, m));
        FUZZ_REQUIRE(scratch.st() == pos.st(), at(pos, m));
    }
    FUZZ_REQUIRE(position_is_mated(pos) == (legal.size() == 0), "mated");
    MoveList pseudo;
    generate_pseudo_legal(pos, pseudo);
    (void)position_evaluate_declaration(pos);
    (void)position_validate_all(pos);

    if (!one_king_each(pos)) return;
    if (const auto mate = position_solve_mate_in_one(pos)) {
        FUZZ_REQUIRE(position_is_legal(pos, *mate), move_display_usi(*mate));
        FUZZ_REQUIRE(fuzz::list_contains(legal, move16(*mate)), move_display_usi(*mate));
        Position after = pos;
        position_do_move(after, *mate);
        FUZZ_REQUIRE(after.st().checkers && position_is_mated(after), move_display_usi(*mate));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::string_view sfen = in.line();
    auto parsed = position_from_sfen(sfen);
    if (!parsed) fuzz::require_error_text(sfen_error_display(parsed.error()));
    Position pos = parsed ? std::move(*parsed) : position_startpos();
    const Position start = pos;
    std::vector<Move32> played;

    MoveList legal;
    generate_legal(pos, legal);
    check_position(pos, legal);

    while (in.remaining() >= 4 && played.size() < 64) {
        const std::uint32_t value = in.take<std::uint32_t>();
        // Any value: legal only if the list has it and its piece field is the position's.
        // A drop's promotion flag means nothing: the move is judged without it.
        const Move judged = is_drop(value) ? move16(value) & ~MOVE_PROMOTE_FLAG : move16(value);
        const bool legal_value = position_is_legal(pos, value);
        const Move32 widened = position_move_to_move32(pos, move16(value));
        if (legal_value) {
            FUZZ_REQUIRE(fuzz::list_contains(legal, judged), at(pos, value));
            // An empty piece field stands for the board's piece; bits above it are unused.
            FUZZ_REQUIRE(moved_piece_after(value) == NO_PIECE || ((value & 0x1F0000) | judged) == widened,
                         at(pos, value) + " " + std::to_string(value));
        }
        FUZZ_REQUIRE(position_is_legal(pos, widened) == fuzz::list_contains(legal, judged),
                     at(pos, value));
        (void)position_is_pseudo_legal_move(pos, move16(value));
        (void)position_is_pseudo_legal_move32(pos, value);

        // The top bit asks for a legal move to be played, chosen by the low bits.
        if ((value >> 31) && legal.size()) {
            const Move32 m = position_move_to_move32(pos, legal[(value & 0xFFFF) % legal.size()]);
            const bool check = position_gives_check(pos, m);
            // A set-up may leave the side not to move in check already: no move gives
            // that check.
            const bool standing = bool(position_compute_checkers(pos, ~pos.side_to_move));
            const std::string before = at(pos, m);
            position_do_move(pos, m);
            played.push_back(m);
            fuzz::require_consistent(pos, before);
            // (A standing check may stay or go with the move; require_consistent judged it.)
            if (one_king_each(pos) && !standing) FUZZ_REQUIRE(bool(pos.st().checkers) == check, before);
            legal.count = 0;  // the generators append
            generate_legal(pos, legal);
            check_position(pos, legal);
        }
    }

    while (!played.empty()) {
        FUZZ_REQUIRE(position_undo_move(pos, played.back()), move_display_usi(played.back()));
        played.pop_back();
    }
    FUZZ_REQUIRE(fuzz::same_placement(pos, start) && pos.key == start.key && pos.ply == start.ply, sfen);
    return 0;
}
