#pragma once
// The pack container: finished games one after another, each as its start position
// (left out for the standard start), its main-line moves as AperyMove words with an
// evaluation, a terminal marker carrying the outcome, and an end-reason byte. No
// header, count or padding; a record carries no metadata, comments or times.
//
//   u8 start state     1: the standard start position, nothing follows; 0: 34 bytes follow
//   [32] HuffmanCodedPos, u16 start ply   (start state 0 only)
//   n x (u16 AperyMove, i16 evaluation)
//   u16 terminal marker = outcome x 129   (0x0000 draw, 0x0081 Black won, 0x0102 White won)
//   u8 end reason
//
// A move word never looks like a marker: its destination field (bits 0-6) differs from
// its source field (bits 7-13); every marker has them equal.

#include <span>
#include <vector>

#include "core/containers/byte_io.h"
#include "core/containers/pack_error.h"
#include "core/records/record.h"
#include "core/types/apery.h"

namespace korvan {

struct PackMove {
    AperyMove word = 0;
    std::int16_t eval = 0;
    bool operator==(const PackMove&) const = default;
};

struct EncodedPackRecord {
    bool standard_start = true;
    Packed32 start_position{};   // HuffmanCodedPos; only without the standard start
    std::uint16_t start_ply = 0;  // only without the standard start
    std::vector<PackMove> moves;
    PackResult result = PackResult::Draw;
    PackEndReason end_reason;
    bool operator==(const EncodedPackRecord&) const = default;
};

// The prefix of a terminal's raw text that names the end reason it was read with.
inline constexpr std::string_view PACK_END_REASON_PREFIX = "pack:end_reason=";

Expected<EncodedPackRecord, PackError> encode_pack_record(const Record& record);
void append_pack_record_bytes(const EncodedPackRecord& encoded, Bytes& out);
Bytes pack_record_to_bytes(const EncodedPackRecord& encoded);
// Stops at the first record that cannot be encoded.
Expected<std::vector<EncodedPackRecord>, PackError> encode_pack_records(std::span<const Record> records);
// Every record of the buffer in order; an empty buffer gives none.
Expected<std::vector<Record>, PackError> decode_pack_records(ByteSpan bytes);

}  // namespace korvan
