#pragma once
// A game record: an initial position, a header and a tree of nodes. The root stands
// for the initial position, inner nodes are moves, and a line may end in a terminal
// node (a special move). The first child of a node continues its line; later children
// are variations in the order they were added.
//
// Ids count from 1 in creation order and are never reused; 0 is the parent of the
// root. Users see a node as its index, id - 1. The arena only grows: children are kept
// as sibling links inside the nodes, so appending allocates nothing beyond the arena.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/board/position/parser.h"
#include "core/records/entries.h"
#include "core/records/metadata.h"
#include "core/util/expected.h"

namespace korvan {

using RecordNodeId = std::uint32_t;
constexpr RecordNodeId RECORD_ROOT_ID = 1;

// The standard start position is STARTPOS_SFEN; a record without an initial SFEN starts there.

enum class NodeKind : std::uint8_t { Root, Move, Terminal };

struct RecordNode {
    NodeKind kind = NodeKind::Root;
    Move move = MOVE_NONE;             // Move nodes
    OptionalBox<SpecialMove> special;  // Terminal nodes
    Annotations annotations;
    RecordNodeId parent = 0;
    RecordNodeId first_child = 0;
    RecordNodeId last_child = 0;
    RecordNodeId next_sibling = 0;

    bool has_children() const { return first_child != 0; }
    bool operator==(const RecordNode&) const = default;
};

struct RecordError {
    enum class Kind : std::uint8_t {
        EmptyInitPosition,
        InvalidInitialPosition,
        InvalidNodeId,
        RemovedNode,
        TerminalNode,
        NotChild,
        InvalidChildIndex,
        IllegalMove,
    };
    Kind kind = Kind::IllegalMove;
    SfenError sfen{};          // InvalidInitialPosition
    std::uint64_t node = 0;    // InvalidNodeId, RemovedNode, TerminalNode; parent of the two pairs
    std::uint64_t other = 0;   // NotChild: child; InvalidChildIndex: index

    static RecordError of(Kind k, std::uint64_t node = 0, std::uint64_t other = 0) {
        return {.kind = k, .node = node, .other = other};
    }
    bool operator==(const RecordError&) const = default;
};

std::string record_error_display(const RecordError& e);
std::string record_error_debug(const RecordError& e);

struct Record {
    std::vector<RecordNode> nodes;  // slot i holds id i + 1
    std::optional<std::string> init_position_sfen;
    RecordMetadata metadata;
    RecordNodeId root = RECORD_ROOT_ID;

    bool operator==(const Record&) const = default;
};

// The index users see for an id: id - 1 in unsigned 64-bit arithmetic.
constexpr std::uint64_t node_index(RecordNodeId id) { return std::uint64_t{id} - 1; }

Expected<Record, RecordError> record_new(std::optional<std::string> init_sfen);
// A record at the standard start position (record_new without a text cannot fail).
Record record_new_startpos();

// The initial position's SFEN: the record's own, or STARTPOS_SFEN.
inline std::string_view record_initial_sfen(const Record& r) {
    return r.init_position_sfen ? std::string_view(*r.init_position_sfen) : STARTPOS_SFEN;
}
// The position the record starts from; the standard start is kept built, any other
// text is parsed.
Expected<Position, SfenError> record_start_position(const Record& r);

// Node lookup without a check: for ids the caller already holds from the record.
inline const RecordNode& record_node(const Record& r, RecordNodeId id) { return r.nodes[id - 1]; }
inline RecordNode& record_node(Record& r, RecordNodeId id) { return r.nodes[id - 1]; }
// A checked lookup: nullptr for 0 or an id past the arena.
const RecordNode* record_find_node(const Record& r, RecordNodeId id);

// Appends a Move node (terminal empty) or a Terminal node under parent.
Expected<RecordNodeId, RecordError> record_append_move(Record& r, RecordNodeId parent, Move move,
                                                        Annotations annotations);
Expected<RecordNodeId, RecordError> record_append_terminal(Record& r, RecordNodeId parent, SpecialMove special,
                                                            Annotations annotations);

std::vector<RecordNodeId> record_children(const Record& r, RecordNodeId id);
// Makes the child at `index` of the parent's list its first child (the main line from
// there); the others keep their order. InvalidChildIndex when there is no such child.
Expected<RecordNodeId, RecordError> record_move_child_to_front(Record& r, RecordNodeId parent, std::size_t index);
std::size_t record_child_count(const Record& r, RecordNodeId id);

// Main-line walk from the root along first children.
std::vector<RecordNodeId> record_main_line_ids(const Record& r);
std::size_t record_move_count(const Record& r);
// The last node of the main line (the root when it has no children).
RecordNodeId record_main_line_last(const Record& r);
GameResult record_result(const Record& r);

// Appends the terminal under the main line's last node, or rewrites the terminal that
// already ends it; returns its id.
Expected<RecordNodeId, RecordError> record_set_main_terminal(Record& r, SpecialMove special, Annotations annotations);
void record_set_initial_comment(Record& r, std::optional<std::string> comment);

// The index a user gives (id - 1) back to an id; nothing when it names no node.
std::optional<RecordNodeId> resolve_record_node_id(const Record& r, std::uint64_t index);

// Ids from the root (first) to the node (last).
Expected<std::vector<RecordNodeId>, RecordError> record_path_to_root(const Record& r, RecordNodeId id);

// A record whose main line is the given entries, then the terminal; the moves are not
// checked (callers replay them first).
Expected<Record, RecordError> record_from_main_line(std::optional<std::string> init_sfen,
                                                    std::vector<MoveEntry> moves,
                                                    std::optional<SpecialMoveEntry> terminal);

// A comment grows by a line: absent becomes the line, otherwise "\n" and the line.
void append_comment_line(std::optional<std::string>& comment, std::string_view line);

}  // namespace korvan
