// The sbinpack decoder on any bytes. What decodes is chains of legal moves: each
// rebuilds a record, and the chains encode again to bytes that decode to the same
// chains.

#include "common.h"
#include "core/containers/sbinpack.h"
#include "core/containers/sbinpack_record.h"

using namespace korvan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto chains = decode_sbinpack_chains(ByteSpan(data, size));
    if (!chains) {
        fuzz::require_error_text(sbinpack_error_debug(chains.error()));
        return 0;
    }
    for (const SbinpackChain& chain : *chains) {
        const auto record = record_from_sbinpack_chain(chain);
        FUZZ_REQUIRE(record, record.error());
        FUZZ_REQUIRE(record_move_count(*record) == chain.moves.size(), "record moves");
    }
    const auto again = encode_sbinpack(*chains);
    FUZZ_REQUIRE(again, sbinpack_error_debug(again.error()));
    const auto back = decode_sbinpack_chains(*again);
    FUZZ_REQUIRE(back && *back == *chains, "round trip");
    return 0;
}
