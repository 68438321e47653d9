#pragma once
// The editing cursor over a record: a live position that always equals the position at
// the current node. Moves appended through it pass the same legality test as the Board
// move methods; jumps rebuild the position by replaying the path from the root, except
// that a step to a child or to the parent plays or takes back just the one move.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "core/board/position/position.h"
#include "core/records/record.h"

namespace korvan {

struct RecordEditor {
    Position position;
    Record record;
    RecordNodeId current = RECORD_ROOT_ID;
};

// The record's initial position with a one-record state stack.
Expected<Position, RecordError> record_initial_position(const Record& record);

// The move widened for the position when it passes the legality test, else nothing.
std::optional<Move32> record_checked_move(const Position& pos, Move move);

// Why a main line given as moves does not replay from its start position.
struct MainLineFault {
    enum class Kind : std::uint8_t {
        InvalidStart,  // the start SFEN does not parse
        NotNormal,     // a special move value
        NotWidened,    // no piece of the side to move on the source that may move as asked
        Illegal,       // widened, but refused by the legality test
    };
    Kind kind = Kind::Illegal;
    std::size_t index = 0;  // the move's index in the line (all but InvalidStart)
    SfenError sfen;         // InvalidStart
};

// Plays the moves of `entries` from `sfen`, each checked as record_checked_move checks
// it; the position reached, or the first fault.
Expected<Position, MainLineFault> replay_main_line(std::string_view sfen, std::span<const MoveEntry> entries);

Expected<RecordEditor, RecordError> record_editor_new(Record record);
// Appends a checked move under the current node (as a variation when it already has
// children), plays it and moves the cursor to the new node.
Expected<RecordNodeId, RecordError> record_editor_append_move(RecordEditor& editor, Move move);
// The same with the entry's comment, time and engine information on the new node.
Expected<RecordNodeId, RecordError> record_editor_append_entry(RecordEditor& editor, MoveEntry entry);
// Moves the cursor to the target with the exact position and full state stack of a
// replay from the root; on an error nothing changes.
Expected<Ok, RecordError> record_editor_rebuild_position(RecordEditor& editor, RecordNodeId target);

}  // namespace korvan
