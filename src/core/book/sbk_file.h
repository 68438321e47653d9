#pragma once
// The SBK book file: one protocol-buffer message with no header,
//
//   book:  1 author (text)  2 description (text)  3 state (message, repeated)
//   state: 1 state_id  4 games  5 won_black  6 won_white (int32)  7 position SFEN
//          8 comment (texts)  9 move  10 evaluation (messages, repeated)
//   move:  1 raw_move  2 evaluation (a mark: 0 none .. 4 blunder)  3 weight
//          4 next_state_id (int32)
//   eval:  1 evaluation_value  2 depth  3 sel_depth (int32)  4 nodes (int64)
//          5 variation  6 engine_name (texts)
//
// Any other field, and a listed one of another wire type, is skipped; a repeated
// scalar keeps its last value. The open scans only keys and the first id of each
// state and keeps where each payload lies; a state is decoded from its payload when
// it is needed.
//
// Move code: source rank bits 0-3 and file 4-7 (all eight zero for a drop),
// destination rank 8-11 and file 12-15, promotion bit 19, the piece in bits 24-29
// (colour x 16 + type; a drop reads bits 24-27 as 1 pawn, 2 lance, 3 knight, 4 silver,
// 5 gold, 6 bishop, 7 rook) and the side in bit 31, so a White move is negative.
// Files and ranks count from 1.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/book/book_error.h"
#include "core/book/source.h"
#include "core/containers/byte_io.h"
#include "core/types/move.h"
#include "core/util/expected.h"

namespace korvan {

struct SbkStateRow {
    bool has_state_id = false;
    std::uint32_t state_id = 0;  // the first field-1 varint, low 32 bits
    std::uint64_t offset = 0;    // of the payload, after its length
    std::uint64_t length = 0;

    bool operator==(const SbkStateRow&) const = default;
};

struct SbkFileScan {
    std::vector<SbkStateRow> rows;
    std::optional<std::string> author;
    std::optional<std::string> description;
};

struct SbkEval {
    std::optional<std::int32_t> evaluation_value;
    std::optional<std::int32_t> depth;
    std::optional<std::int32_t> sel_depth;
    std::optional<std::int64_t> nodes;
    std::optional<std::string> variation;
    std::optional<std::string> engine_name;

    bool operator==(const SbkEval&) const = default;
};

struct SbkStateMove {
    std::optional<std::int32_t> raw_move;
    std::optional<std::int32_t> evaluation;
    std::optional<std::int32_t> weight;
    std::optional<std::int32_t> next_state_id;

    bool operator==(const SbkStateMove&) const = default;
};

struct SbkState {
    std::optional<std::int32_t> state_id;  // the last field-1 varint
    std::optional<std::int32_t> games;
    std::optional<std::int32_t> won_black;
    std::optional<std::int32_t> won_white;
    std::optional<std::string> sfen;
    std::optional<std::string> comment;
    std::vector<SbkStateMove> moves;
    std::vector<SbkEval> evals;

    bool operator==(const SbkState&) const = default;
};

// "protobuf field exceeds state payload": a field of a state passing its end in the scan.
constexpr std::string_view SBK_FIELD_EXCEEDS_STATE = "protobuf field exceeds state payload";

Expected<SbkFileScan, BookError> sbk_scan(BookSource& source);

enum class SbkDetail : std::uint8_t {
    All,
    // SFEN and moves only: the comment and the evaluations are checked as fully as
    // ever, but not kept (the open's walk needs no more).
    Links,
};

Expected<SbkState, BookError> sbk_decode_state(ByteSpan payload, SbkDetail detail = SbkDetail::All);

// The state at `index`: its payload read whole (into `buffer`, reused) and decoded.
// "missing sbk state N" past the rows; a source that ends inside the payload is Io.
Expected<SbkState, BookError> sbk_read_state(BookSource& source, const std::vector<SbkStateRow>& rows,
                                             std::uint64_t index, Bytes& buffer, SbkDetail detail = SbkDetail::All);

// The 16-bit move a code names (legality aside), or InvalidData with the code in eight
// hexadecimal digits.
Expected<Move, BookError> sbk_move_to_move(std::int32_t raw);

}  // namespace korvan
