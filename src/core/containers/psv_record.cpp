#include "core/containers/psv_record.h"

#include "core/board/position/updates.h"
#include "core/records/editor.h"
#include "core/records/record_walk.h"

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

// What the walk carries to a node's children: whether the node lies on the main line,
// and the first illegal move on the path to it (0 for none).
struct PathState {
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

// One position walks the whole tree (walk_record_moves).
Expected<std::vector<PsvRow>, PsvRecordError> record_psv_rows(const Record& record, bool include_main,
                                                             bool include_variations) {
    auto initial = record_start_position(record);
    if (!initial) {
        PsvRecordError e;
        e.sfen = initial.error();
        return unexpected(std::move(e));
    }
    std::vector<PsvRow> rows;
    if (!include_main && !include_variations) return rows;
    Position& pos = *initial;
    const GameResult result = record_result(record);
    using Step = std::optional<WalkStep<PathState>>;
    auto walked = walk_record_moves<PsvRecordError>(
        record, pos, PathState{true, 0},
        [&](RecordNodeId id, const RecordNode& node, const PathState& parent) -> Expected<Step, PsvRecordError> {
            const bool main = parent.main && record_node(record, node.parent).first_child == id;
            // Below a variation every move is a variation too, so without them
            // nothing there is wanted.
            if (!main && !include_variations) return Step{};
            const bool selected = !main || include_main;
            RecordNodeId blocked_by = parent.blocked_by;
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
            return Step{{m32.value_or(0), {main, blocked_by}}};
        });
    if (!walked) return unexpected(std::move(walked.error()));
    return rows;
}

}  // namespace korvan
