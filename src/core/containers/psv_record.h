#pragma once
// A record's moves as PackedSfenValue training rows (board/position/rows.h): one row
// per selected move, holding the position before the move, the move's evaluation, the
// move, the ply and the main line's result.

#include <string>
#include <vector>

#include "core/board/notation/rows.h"
#include "core/records/record.h"

namespace korvan {

struct PsvRecordError {
    enum class Kind : std::uint8_t {
        Sfen,
        MissingEval,
        // A move the position before it does not allow: refused rather than written
        // into rows whose positions would no longer follow from one another.
        IllegalMove,
        // A position the 32-byte PackedSfen cannot hold (no king, two kings of a side,
        // more than a full set of a kind).
        UnencodablePosition,
    };
    Kind kind = Kind::Sfen;
    SfenError sfen;          // Sfen
    std::uint64_t node = 0;  // the move node, as users number it (id - 1)
    Move move = MOVE_NONE;
    std::string text;  // UnencodablePosition
    bool operator==(const PsvRecordError&) const = default;
};

// Sfen: the SFEN error's text alone. The others name the node and the move:
// "missing eval at node_id={} (move={})", "illegal move at node_id={} (move={})",
// "unencodable position at node_id={} (move={}): {}".
std::string psv_record_error_display(const PsvRecordError& e);

// The rows in depth-first pre-order, children in their stored order: a move node is on
// the main line when it is the first child of a main-line node (the root is one);
// `include_main` selects those, `include_variations` every other. Every move on the
// way to a selected one is played after the legality test of the record editor; one
// that fails it is IllegalMove, named when the first selected move at or below it is
// reached. Every row carries the main line's result. The initial SFEN is parsed even
// when nothing is selected.
Expected<std::vector<PsvRow>, PsvRecordError> record_psv_rows(const Record& record, bool include_main,
                                                             bool include_variations);

}  // namespace korvan
