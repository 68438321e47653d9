// USI move texts and the small USI readers around them: a text that reads as a move
// writes back a text that reads as the same move; any 32-bit value writes without harm.


#include "core/board/notation/rows.h"
#include "common.h"
#include "core/types/apery.h"
#include "core/types/square.h"

using namespace korvan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::uint32_t value = in.take<std::uint32_t>();
    const std::string_view text = in.rest();

    // A text whose squares spell a special value ("1a1a" is 0, "1e1e" is MOVE_END) reads
    // as that value; every other move writes back a text that reads as itself.
    if (const auto m = move_from_usi(text); m && !is_special_move(*m)) {
        const std::string written = move_display_usi(*m);
        const auto again = move_from_usi(written);
        FUZZ_REQUIRE(again && *again == *m, written);
        FUZZ_REQUIRE(move_to(*m) <= 80, text);
    }

    // Any value writes a text that is empty or reads back as a move writing the same
    // text (bits the text does not carry, such as a promotion flag on a drop, drop out).
    const std::string shown = move_display_usi(value);
    if (!shown.empty()) {
        const auto back = move_from_usi(shown);
        FUZZ_REQUIRE(back, shown);
        FUZZ_REQUIRE(move_display_usi(*back) == shown, shown);
        FUZZ_REQUIRE(move_to(*back) == move_to(value) || is_special_move(*back), shown);
    }

    if (const auto sq = is_usi_square(text)) {
        FUZZ_REQUIRE(*sq <= SQ_NONE, text);  // "NONE" names the no-square
        FUZZ_REQUIRE(square_display_usi(*sq) == text, text);
    }
    if (const auto apery = apery_move_from_usi(text)) (void)*apery;
    if (auto outcome = hcpe_outcome_from_name(text)) FUZZ_REQUIRE(*outcome >= 0 && *outcome <= 2, text);
    if (auto n = parse_decimal<std::uint16_t>(text)) FUZZ_REQUIRE(std::to_string(*n).size() <= text.size(), text);
    return 0;
}
