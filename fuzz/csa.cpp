// CSA and KI2 move texts. The input is an SFEN line (the start position when it does
// not parse), a CSA move text line, then 32-bit move values. Every legal move writes a
// CSA text that reads back as the same move and a KI2 text; a CSA text that reads as a
// legal move writes back to itself; any move value writes both texts without harm.

#include "core/board/notation/move_text.h"
#include "common.h"

using namespace korvan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    auto parsed = position_from_sfen(in.line());
    if (!parsed) fuzz::require_error_text(sfen_error_display(parsed.error()));
    Position pos = parsed ? std::move(*parsed) : position_startpos();
    const std::string_view text = in.line();
    const std::string sign = pos.side_to_move == BLACK ? "+" : "-";

    MoveList legal;
    generate_legal(pos, legal);
    for (Move m : legal) {
        const Move32 m32 = position_move_to_move32(pos, m);
        const auto csa = move_to_csa(m32);
        FUZZ_REQUIRE(csa, move_display_usi(m));
        FUZZ_REQUIRE(position_move_from_csa(pos, *csa) == m32, *csa);
        FUZZ_REQUIRE(position_move_from_csa(pos, sign + *csa) == m32, *csa);
        FUZZ_REQUIRE(move_to_ki2(m32, pos), *csa);
    }

    const Move32 read = position_move_from_csa(pos, text);
    if (read != 0) {
        const auto csa = move_to_csa(read);
        FUZZ_REQUIRE(csa, text);
        FUZZ_REQUIRE(position_move_from_csa(pos, *csa) == read, text);
        if (position_is_legal(pos, read)) FUZZ_REQUIRE(fuzz::list_contains(legal, move16(read)), text);
        (void)move_to_ki2(read, pos);
    }

    while (!in.empty()) {
        const Move32 value = in.take<std::uint32_t>();
        (void)move_to_csa(value);
        (void)move_to_ki2(value, pos);
    }
    return 0;
}
