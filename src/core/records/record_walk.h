#pragma once
// Every move node of a record, depth first in child order, with one position: a move
// is made on the way down and taken back on the way up, and the path lives in an
// explicit stack, so memory grows with the depth of the deepest line only and no line
// is too long to walk. A terminal ends its line, and nothing hangs below it.

#include <optional>
#include <utility>
#include <vector>

#include "core/board/position/updates.h"
#include "core/records/record.h"
#include "core/util/expected.h"

namespace korvan {

// What the walk does below a move node: the move it makes on the way down (0 for
// none, when it cannot be made) and what the node's children are given.
template <class State>
struct WalkStep {
    Move32 played = 0;
    State state;
};

// `visit(id, node, parent_state)` gives an error, nothing (the node's line is not
// wanted: its subtree is passed over) or the step into the node.
template <class Error, class State, class Visit>
Expected<Ok, Error> walk_record_moves(const Record& record, Position& pos, State root_state, Visit visit) {
    struct Frame {
        RecordNodeId next_child;
        Move32 played;
        State state;
    };
    std::vector<Frame> path;
    path.push_back({record_node(record, record.root).first_child, 0, std::move(root_state)});
    while (!path.empty()) {
        Frame& top = path.back();
        const RecordNodeId id = top.next_child;
        if (id == 0) {
            if (top.played) (void)position_undo_move(pos, top.played);
            path.pop_back();
            continue;
        }
        const RecordNode& node = record_node(record, id);
        top.next_child = node.next_sibling;
        if (node.kind != NodeKind::Move) continue;
        Expected<std::optional<WalkStep<State>>, Error> step = visit(id, node, top.state);
        if (!step) return unexpected(std::move(step.error()));
        if (!*step) continue;
        WalkStep<State>& into = **step;
        if (into.played) position_do_move(pos, into.played);
        path.push_back({node.first_child, into.played, std::move(into.state)});
    }
    return Ok{};
}

}  // namespace korvan
