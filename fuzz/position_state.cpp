// PositionState: any byte on any square, hands of any count their fields hold, either
// side, any ply. Validation judges every such state; only states whose bytes all name
// pieces become live positions, and those write an SFEN that reads back to the state,
// BOD and SVG pictures, and packed forms that decode back to them.

#include "core/board/pictures/svg.h"
#include "core/board/notation/bod.h"
#include "core/board/notation/packed.h"
#include "core/board/position/position_state.h"
#include "core/board/position/validation.h"
#include "common.h"
#include "core/types/apery.h"

using namespace korvan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    PositionState state;
    // Mostly empty squares and real pieces, so that live positions come up often.
    for (auto& p : state.board) {
        const std::uint8_t b = in.take<std::uint8_t>();
        p = b < 128 ? Piece(b & 31) : b < 192 ? NO_PIECE : Piece(b);
    }
    for (auto& h : state.hands) {
        h = 0;
        for (HandPiece hp = 0; hp < 7; ++hp)
            h |= (in.take<std::uint8_t>() & HAND_MASK[hp]) << HAND_SHIFT[hp];
    }
    const std::uint8_t flags = in.take<std::uint8_t>();
    state.side_to_move = Color(flags & 1);
    state.ply = in.take<std::uint16_t>();
    const std::uint16_t last_move = in.take<std::uint16_t>();
    float scale;
    const std::uint32_t scale_bits = in.take<std::uint32_t>();
    std::memcpy(&scale, &scale_bits, sizeof scale);

    const auto bad = position_state_bad_square(state);
    bool any_bad = false;
    for (Piece p : state.board) any_bad |= p != NO_PIECE && !names_piece(p);
    FUZZ_REQUIRE(bad.has_value() == any_bad, "bad square");

    // Validation takes any state.
    const Position judged = position_from_state(state);
    const auto first = position_is_valid(judged);
    const auto all = position_validate_all(judged);
    // The first issue is the first of all of them but a missing king, which only the
    // full report names.
    const ValidationIssue* first_of_all = nullptr;
    for (const auto& issue : all)
        if (issue.kind != ValidationIssue::Kind::NoKing) {
            first_of_all = &issue;
            break;
        }
    FUZZ_REQUIRE(first.has_value() == (first_of_all != nullptr), "first issue");
    if (first) FUZZ_REQUIRE(*first_of_all == *first, validation_issue_display(*first));
    for (const auto& issue : all) fuzz::require_error_text(validation_issue_display(issue));
    const std::string text = position_state_to_sfen(state, true);

    Position pos = position_startpos();
    const auto set = position_set_state(pos, state);
    FUZZ_REQUIRE(bool(set) != any_bad, text);
    if (!set) {
        fuzz::require_error_text(set.error());
        FUZZ_REQUIRE(fuzz::same_placement(pos, position_startpos()), text);
        return 0;
    }
    fuzz::require_consistent(pos, text);
    const auto parsed = position_state_from_sfen(text);
    FUZZ_REQUIRE(parsed && *parsed == state, text);
    FUZZ_REQUIRE(position_state_of(pos) == state, text);

    FUZZ_REQUIRE(!position_to_bod(pos).empty(), text);
    (void)position_to_bod_with_last_move(pos);
    const std::optional<Move> last = is_normal_move(last_move) ? std::optional<Move>(last_move) : std::nullopt;
    FUZZ_REQUIRE(!board_to_svg(pos.board, pos.hands, last, scale).empty(), text);

    if (const auto bytes = position_to_packed_sfen(pos)) {
        const auto back = position_from_packed_sfen(*bytes, state.ply);
        FUZZ_REQUIRE(back && position_state_of(*back) == state, text);
    }
    if (const auto bytes = position_to_hcp(pos)) {
        const auto back = position_from_hcp(*bytes, state.ply);
        FUZZ_REQUIRE(back && position_state_of(*back) == state, text);
    }
    return 0;
}
