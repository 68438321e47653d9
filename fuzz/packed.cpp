// PackedSfen and HuffmanCodedPos decoding. The input is 32 bytes and a ply. Whatever
// decodes and can be encoded again decodes from its encoding to the same position, in
// either format; every SFEN of a decoded position parses back to it.

#include "core/board/notation/packed.h"
#include "common.h"

using namespace korvan;

namespace {

template <typename Decode>
void round_trip(const Position& pos, Expected<Packed32, std::string> (*encode)(const Position&), Decode decode,
                const char* name) {
    const auto bytes = encode(pos);
    if (!bytes) return;  // more than the 256 bits can hold
    const auto back = decode(*bytes, pos.ply);
    FUZZ_REQUIRE(back, name);
    FUZZ_REQUIRE(fuzz::same_placement(*back, pos), name);
    FUZZ_REQUIRE(back->key == pos.key, name);
    // The encoding of a decoded encoding is the same bytes.
    const auto again = encode(*back);
    FUZZ_REQUIRE(again && *again == *bytes, name);
}

void check(const Position& pos) {
    fuzz::require_consistent(pos, "decoded");
    const std::string sfen = position_to_sfen(pos, pos.ply);
    const auto parsed = position_from_sfen(sfen);
    FUZZ_REQUIRE(parsed && fuzz::same_placement(*parsed, pos), sfen);
    round_trip(pos, position_to_packed_sfen, position_from_packed_sfen, "PackedSfen");
    round_trip(pos, position_to_hcp, position_from_hcp, "HuffmanCodedPos");
    // Both encoders judge the same census.
    FUZZ_REQUIRE(bool(position_to_packed_sfen(pos)) == bool(position_to_hcp(pos)), sfen);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    Packed32 bytes{};
    for (auto& b : bytes) b = in.take<std::uint8_t>();
    const std::uint16_t ply = in.take<std::uint16_t>();

    if (const auto pos = position_from_packed_sfen(bytes, ply)) {
        FUZZ_REQUIRE(pos->ply == ply, "PackedSfen ply");
        check(*pos);
    } else {
        fuzz::require_error_text(packed_sfen_error_display(pos.error()));
    }
    if (const auto pos = position_from_hcp(bytes, ply)) {
        FUZZ_REQUIRE(pos->ply == ply, "HuffmanCodedPos ply");
        // Both king fields name squares; when they name the same one, the White king
        // stands there.
        FUZZ_REQUIRE(pos->king_square[WHITE] < 81, "HuffmanCodedPos kings");
        check(*pos);
    } else {
        fuzz::require_error_text(hcp_error_display(pos.error()));
    }
    return 0;
}
