// The sazpack decoder on any bytes. What decodes encodes again to a chunk that decodes
// to the same games and encodes to itself; the targets of each game are computed
// without harm.

#include "common.h"
#include "core/containers/sazpack.h"
#include "core/containers/sazpack_targets.h"

using namespace korvan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto games = decode_sazpack_chunk(ByteSpan(data, size));
    if (!games) {
        fuzz::require_error_text(sazpack_error_display(games.error()));
        return 0;
    }
    const auto again = encode_sazpack_chunk(*games);
    FUZZ_REQUIRE(again, sazpack_error_display(again.error()));
    const auto back = decode_sazpack_chunk(*again);
    FUZZ_REQUIRE(back && *back == *games, "round trip");
    const auto third = encode_sazpack_chunk(*back);
    FUZZ_REQUIRE(third && *third == *again, "fixed point");
    for (const SazGame& game : *games) {
        auto pos = sazpack_stem_position(game);
        if (!pos) continue;
        Position copy = *pos;
        (void)resolve_compact_labels(*pos, game);
        (void)expand_policies(copy, game);
    }
    return 0;
}
