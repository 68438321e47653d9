#pragma once
// Records into sbinpack chains and chains back into records.

#include <string>
#include <vector>

#include "core/containers/sbinpack.h"
#include "core/records/record.h"

namespace korvan {

// The chains of one record: with include_main the main line from the initial
// position; with include_variations one chain for each child after the first of any
// node, found depth-first from the root (a node's later children in child order, then
// its children's subtrees from the last child back), each from the position at that
// node along first children to the end of its line. Every chain carries the stem
// score, a copy of the metadata and the main line's result. Every move on the way to a
// variation's stem must be legal (else UnencodableMove naming the first one that is
// not); the moves of a chain are checked when it is encoded.
Expected<std::vector<SbinpackChain>, SbinpackError> record_to_sbinpack_chains(const Record& record,
                                                                            std::int16_t stem_score,
                                                                            ByteSpan metadata, bool include_main,
                                                                            bool include_variations);

// The record of one chain: its stem as the initial position (with the stored ply), its
// moves checked and played, each with its score as the evaluation, and a terminal for
// the chain's result. The error is the text callers show after "sbinpack: ".
Expected<Record, std::string> record_from_sbinpack_chain(const SbinpackChain& chain);

// The only chain of a whole buffer; the error is the complete message ("sbinpack: "
// and the decoder's debug text, "sbinpack: no chains found", "sbinpack: multiple chains
// not supported").
Expected<SbinpackChain, std::string> record_from_single_sbinpack(ByteSpan bytes);

}  // namespace korvan
