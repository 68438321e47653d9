// The USI position command: a command that is accepted ends in a position whose SFEN
// re-parses to it, and whose moves replayed from the base SFEN reach it again.

#include "core/board/notation/usi_position.h"
#include "common.h"

using namespace korvan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::string_view command = in.rest();

    const auto result = parse_usi_position_command(command);
    if (!result) {
        fuzz::require_error_text(result.error());
        return 0;
    }
    const Position& pos = result->position;
    fuzz::require_consistent(pos, command);

    const auto final_pos = position_from_sfen(result->final_sfen);
    FUZZ_REQUIRE(final_pos, result->final_sfen);
    FUZZ_REQUIRE(fuzz::same_placement(*final_pos, pos), result->final_sfen);
    FUZZ_REQUIRE(final_pos->ply == pos.ply, result->final_sfen);
    FUZZ_REQUIRE(final_pos->key == pos.key, result->final_sfen);

    auto replay = position_from_sfen(result->base_sfen);
    FUZZ_REQUIRE(replay, result->base_sfen);
    for (Move m : result->moves) {
        const Move32 m32 = position_move_to_move32(*replay, m);
        FUZZ_REQUIRE(position_is_legal(*replay, m32), move_display_usi(m));
        MoveList legal;
        generate_legal(*replay, legal);
        FUZZ_REQUIRE(fuzz::list_contains(legal, m), move_display_usi(m));
        position_do_move(*replay, m32);
    }
    FUZZ_REQUIRE(fuzz::same_placement(*replay, pos), command);
    FUZZ_REQUIRE(replay->ply == pos.ply && replay->key == pos.key, command);
    return 0;
}
