#include "core/records/editor.h"

#include "core/board/position/legality.h"
#include "core/board/position/parser.h"
#include "core/board/position/updates.h"
#include "core/util/panic.h"

namespace korvan {

Expected<Position, RecordError> record_initial_position(const Record& record) {
    if (!record.init_position_sfen) return position_startpos();
    auto pos = position_from_sfen(*record.init_position_sfen);
    if (!pos) {
        RecordError e = RecordError::of(RecordError::Kind::InvalidInitialPosition);
        e.sfen = pos.error();
        return unexpected(std::move(e));
    }
    return std::move(*pos);
}

std::optional<Move32> record_checked_move(const Position& pos, Move move) {
    if (!is_normal_move(move)) return std::nullopt;
    const Move32 m = position_move_to_move32(pos, move);
    if (m == 0 || !position_is_legal(pos, m)) return std::nullopt;
    return m;
}

Expected<Position, MainLineFault> replay_main_line(std::string_view sfen, std::span<const MoveEntry> entries) {
    using Kind = MainLineFault::Kind;
    auto pos = position_from_sfen(sfen);
    if (!pos) return unexpected(MainLineFault{Kind::InvalidStart, 0, pos.error()});
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Move move = entries[i].move;
        if (!is_normal_move(move)) return unexpected(MainLineFault{Kind::NotNormal, i, {}});
        if (!is_normal_move(position_move_to_move32(*pos, move)))
            return unexpected(MainLineFault{Kind::NotWidened, i, {}});
        const auto checked = record_checked_move(*pos, move);
        if (!checked) return unexpected(MainLineFault{Kind::Illegal, i, {}});
        position_do_move(*pos, *checked);
    }
    return std::move(*pos);
}

Expected<RecordEditor, RecordError> record_editor_new(Record record) {
    auto pos = record_initial_position(record);
    if (!pos) return unexpected(pos.error());
    return RecordEditor{std::move(*pos), std::move(record), RECORD_ROOT_ID};
}

Expected<RecordNodeId, RecordError> record_editor_append_move(RecordEditor& editor, Move move) {
    return record_editor_append_entry(editor, MoveEntry{move, {}});
}

Expected<RecordNodeId, RecordError> record_editor_append_entry(RecordEditor& editor, MoveEntry entry) {
    const auto m = record_checked_move(editor.position, entry.move);
    if (!m) return unexpected(RecordError::of(RecordError::Kind::IllegalMove));
    auto id = record_append_move(editor.record, editor.current, move16(*m), std::move(entry.annotations));
    if (!id) return id;
    position_do_move(editor.position, *m);
    editor.current = *id;
    return id;
}

namespace {

const RecordNode& path_node(const Record& r, RecordNodeId id) {
    const RecordNode* n = record_find_node(r, id);
    if (!n) [[unlikely]]
        panic("record node id must be valid");
    return *n;
}

}  // namespace

Expected<Ok, RecordError> record_editor_rebuild_position(RecordEditor& editor, RecordNodeId target) {
    const Record& r = editor.record;
    const RecordNode* node = record_find_node(r, target);
    if (!node) return unexpected(RecordError::of(RecordError::Kind::InvalidNodeId, node_index(target)));
    if (target == editor.current) return Ok{};

    // One step down to a child or up to the parent: play or take back the one move.
    // The result is the same position and state stack a replay from the root gives.
    if (node->parent == editor.current) {
        if (node->kind == NodeKind::Move) {
            const auto m = record_checked_move(editor.position, node->move);
            if (!m) return unexpected(RecordError::of(RecordError::Kind::IllegalMove));
            position_do_move(editor.position, *m);
        }
        editor.current = target;
        return Ok{};
    }
    const RecordNode& cur = path_node(r, editor.current);
    if (cur.parent == target) {
        if (cur.kind == NodeKind::Move) {
            const Move32 last = editor.position.st().last_move;
            if (!position_undo_move(editor.position, last)) panic("record editor position must hold its path");
        }
        editor.current = target;
        return Ok{};
    }

    auto pos = record_initial_position(r);
    if (!pos) return unexpected(pos.error());
    auto path = record_path_to_root(r, target);
    if (!path) return unexpected(path.error());
    for (std::size_t i = 1; i < path->size(); ++i) {
        const RecordNode& n = path_node(r, (*path)[i]);
        if (n.kind != NodeKind::Move) continue;
        const auto m = record_checked_move(*pos, n.move);
        if (!m) return unexpected(RecordError::of(RecordError::Kind::IllegalMove));
        position_do_move(*pos, *m);
    }
    editor.position = std::move(*pos);
    editor.current = target;
    return Ok{};
}

}  // namespace korvan
