// SFEN text: a text that parses writes back an SFEN that parses to the same board,
// hands, side and ply; the preset look-up and the PositionState reader agree with it.

#include "core/board/position/position_state.h"
#include "common.h"

using namespace korvan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::string_view text = in.rest();

    const auto fields = parse_sfen_fields(text);
    const auto state = position_state_from_sfen(text);
    FUZZ_REQUIRE(bool(fields) == bool(state), text);
    if (!fields) {
        fuzz::require_error_text(sfen_error_display(fields.error()));
        fuzz::require_error_text(sfen_error_debug(fields.error()));
        return 0;
    }
    FUZZ_REQUIRE(state->board == fields->board && state->hands == fields->hands, text);

    const auto pos = position_from_sfen(text);
    FUZZ_REQUIRE(pos, text);
    const std::string written = position_to_sfen(*pos, pos->ply);
    FUZZ_REQUIRE(written == position_state_to_sfen(*fields, true), written);

    const auto again = position_from_sfen(written);
    FUZZ_REQUIRE(again, written);
    FUZZ_REQUIRE(fuzz::same_placement(*pos, *again), written);
    FUZZ_REQUIRE(again->ply == pos->ply, written);
    FUZZ_REQUIRE(again->key == pos->key, written);
    // The writer's text is a fixed point.
    FUZZ_REQUIRE(position_to_sfen(*again, again->ply) == written, written);

    const int kind = handicap_kind_from_sfen(written);
    if (kind < 15) FUZZ_REQUIRE(handicap_sfen(kind) == written, written);
    return 0;
}
