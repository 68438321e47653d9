// The pack decoder on any bytes. What decodes is a list of records whose moves are
// legal; encoding them again either succeeds, giving bytes that decode to the same
// records, or fails only because a draw with a reserved reason reads as PAUSED, or
// because the start position holds more than a full set of a kind (which the
// HuffmanCodedPos decoder accepts when the bits allow it, and every encoder refuses).

#include "common.h"
#include "core/containers/pack.h"

using namespace korvan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto records = decode_pack_records(ByteSpan(data, size));
    if (!records) {
        fuzz::require_error_text(pack_error_display(records.error()));
        return 0;
    }
    Bytes again;
    std::vector<Record> encodable;
    for (const Record& r : *records) {
        const auto encoded = encode_pack_record(r);
        if (!encoded) {
            fuzz::require_error_text(pack_error_display(encoded.error()));
            const auto kind = encoded.error().kind;
            FUZZ_REQUIRE(kind == PackError::Kind::MissingTerminal || kind == PackError::Kind::UnencodablePosition,
                         pack_error_display(encoded.error()));
            continue;
        }
        append_pack_record_bytes(*encoded, again);
        encodable.push_back(r);
    }
    const auto back = decode_pack_records(again);
    FUZZ_REQUIRE(back, pack_error_display(back.error()));
    FUZZ_REQUIRE(back->size() == encodable.size(), "record count");
    for (std::size_t i = 0; i < encodable.size(); ++i) {
        const Record& a = encodable[i];
        const Record& b = (*back)[i];
        FUZZ_REQUIRE(record_main_line_ids(a).size() == record_main_line_ids(b).size(), "move count");
        FUZZ_REQUIRE(a.nodes.size() == b.nodes.size(), "node count");
        for (std::size_t k = 0; k < a.nodes.size(); ++k) FUZZ_REQUIRE(a.nodes[k].move == b.nodes[k].move, "moves");
        FUZZ_REQUIRE(record_result(a) == record_result(b), "result");
        // The positions agree; the stored ply may differ only for the standard start.
        const Position pa = *position_from_sfen(*a.init_position_sfen);
        const Position pb = *position_from_sfen(*b.init_position_sfen);
        FUZZ_REQUIRE(fuzz::same_placement(pa, pb), *a.init_position_sfen);
    }
    return 0;
}
