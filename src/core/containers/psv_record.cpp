#include "core/containers/psv_record.h"

#include "core/board/position/updates.h"
#include "core/records/editor.h"

namespace korvan {

namespace {

using K = PsvRecordError::Kind;

PsvRecordError node_error(K kind, RecordNodeId id, Move move) {
    PsvRecordError e;
    e.kind = kind;
    e.node = node_index(id);
    e.move = move;
    return e;
}

// One node on the walk's path: the next of its children to enter, the move that
// reached it (0 for the root or when it could not be made), whether it lies on the
// main line, and the first illegal move on the path to it (0 for none).
struct Frame {
    RecordNodeId next_child;
    Move32 played;
    bool main;
    RecordNodeId blocked_by;
};

}  // namespace

std::string psv_record_error_display(const PsvRecordError& e) {
    const auto at_node = [&] {
        return "at node_id=" + std::to_string(e.node) + " (move=" + move_display_usi(e.move) + ")";
    };
    switch (e.kind) {
        case K::Sfen: return sfen_error_display(e.sfen);
        case K::MissingEval: return "missing eval " + at_node();
        case K::IllegalMove: return "illegal move " + at_node();
        case K::UnencodablePosition: return "unencodable position " + at_node() + ": " + e.text;
    }
    return {};
}

// One position walks the whole tree: a move is made on the way down and taken back on
// the way up, and the path lives in an explicit stack, so memory grows with the depth
// of the deepest line only and no line is too long to walk.
Expected<std::vector<PsvRow>, PsvRecordError> record_psv_rows(const Record& record, bool include_main,
                                                             bool include_variations) {
    auto initial = position_from_sfen(record.init_position_sfen.value_or(std::string(STARTPOS_SFEN)));
    if (!initial) {
        PsvRecordError e;
        e.sfen = initial.error();
        return unexpected(std::move(e));
    }
    std::vector<PsvRow> rows;
    if (!include_main && !include_variations) return rows;
    Position& pos = *initial;
    const GameResult result = record_result(record);
    std::vector<Frame> path;
    path.push_back({record_node(record, record.root).first_child, 0, true, 0});
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
        const bool main = top.main && record_node(record, node.parent).first_child == id;
        // A terminal ends its line; below a variation every move is a variation too,
        // so without them nothing there is wanted.
        if (node.kind != NodeKind::Move || (!main && !include_variations)) continue;
        const bool selected = !main || include_main;
        RecordNodeId blocked_by = top.blocked_by;
        // A move that cannot be made matters only when a row depends on it: the
        // position of every row below it would be false.
        if (selected && blocked_by)
            return unexpected(node_error(K::IllegalMove, blocked_by, record_node(record, blocked_by).move));
        const EngineInfo* info = node.annotations.engine_info.get();
        if (selected && !(info && info->eval)) return unexpected(node_error(K::MissingEval, id, node.move));
        std::optional<Move32> m32;
        if (!blocked_by) m32 = record_checked_move(pos, node.move);
        if (!m32) {
            if (selected) return unexpected(node_error(K::IllegalMove, id, node.move));
            if (!blocked_by) blocked_by = id;
        }
        if (selected) {
            auto packed = position_to_packed_sfen(pos);
            if (!packed) {
                PsvRecordError e = node_error(K::UnencodablePosition, id, node.move);
                e.text = std::move(packed.error());
                return unexpected(std::move(e));
            }
            rows.push_back(psv_row(*packed, *info->eval, node.move, pos.ply, result));
        }
        if (m32) position_do_move(pos, *m32);
        path.push_back({node.first_child, m32.value_or(0), main, blocked_by});
    }
    return rows;
}

}  // namespace korvan
