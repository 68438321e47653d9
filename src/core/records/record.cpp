#include "core/records/record.h"

#include <algorithm>

#include "core/util/panic.h"
#include "core/util/text.h"

namespace korvan {

std::string record_error_display(const RecordError& e) {
    using K = RecordError::Kind;
    switch (e.kind) {
        case K::EmptyInitPosition: return "initial position SFEN cannot be empty";
        case K::InvalidInitialPosition: return "invalid initial position SFEN: " + sfen_error_display(e.sfen);
        case K::InvalidNodeId: return "invalid record node id " + std::to_string(e.node);
        case K::RemovedNode: return "record node " + std::to_string(e.node) + " has been removed";
        case K::TerminalNode: return "cannot append a child under terminal node " + std::to_string(e.node);
        case K::NotChild:
            return "node " + std::to_string(e.other) + " is not a child of parent " + std::to_string(e.node);
        case K::InvalidChildIndex:
            return "child index " + std::to_string(e.other) + " is out of range for parent " + std::to_string(e.node);
        case K::IllegalMove: return "illegal move at current editor position";
    }
    return {};
}

std::string record_error_debug(const RecordError& e) {
    using K = RecordError::Kind;
    switch (e.kind) {
        case K::EmptyInitPosition: return "EmptyInitPosition";
        case K::InvalidInitialPosition: return tuple_debug("InvalidInitialPosition", sfen_error_debug(e.sfen));
        case K::InvalidNodeId: return tuple_debug("InvalidNodeId", e.node);
        case K::RemovedNode: return tuple_debug("RemovedNode", e.node);
        case K::TerminalNode: return tuple_debug("TerminalNode", e.node);
        case K::NotChild: return struct_debug("NotChild", {{"parent", e.node}, {"child", e.other}});
        case K::InvalidChildIndex: return struct_debug("InvalidChildIndex", {{"parent", e.node}, {"index", e.other}});
        case K::IllegalMove: return "IllegalMove";
    }
    return {};
}

Expected<Position, SfenError> record_start_position(const Record& r) {
    if (!r.init_position_sfen) return position_startpos();
    return position_from_sfen(*r.init_position_sfen);
}

namespace {

Record fresh_record(std::optional<std::string> init_sfen) {
    Record r;
    r.init_position_sfen = std::move(init_sfen);
    r.nodes.emplace_back();  // the root
    return r;
}

// A node that every walk of a well-formed record finds.
const RecordNode& walked_node(const Record& r, RecordNodeId id) {
    if (id == 0 || id > r.nodes.size()) [[unlikely]]
        panic("record node id must be valid");
    return r.nodes[id - 1];
}

Expected<RecordNodeId, RecordError> append_node(Record& r, RecordNodeId parent_id, RecordNode node) {
    const std::uint64_t index = node_index(parent_id);
    if (index >= r.nodes.size()) return unexpected(RecordError::of(RecordError::Kind::InvalidNodeId, index));
    if (r.nodes[index].kind == NodeKind::Terminal)
        return unexpected(RecordError::of(RecordError::Kind::TerminalNode, index));
    if (r.nodes.size() >= UINT32_MAX) [[unlikely]]
        panic("record node id overflow");
    const auto id = static_cast<RecordNodeId>(r.nodes.size() + 1);
    node.parent = parent_id;
    r.nodes.push_back(std::move(node));
    RecordNode& parent = r.nodes[index];
    if (parent.last_child == 0)
        parent.first_child = id;
    else
        r.nodes[parent.last_child - 1].next_sibling = id;
    parent.last_child = id;
    return id;
}

}  // namespace

Expected<Record, RecordError> record_new(std::optional<std::string> init_sfen) {
    if (init_sfen && init_sfen->empty()) return unexpected(RecordError::of(RecordError::Kind::EmptyInitPosition));
    return fresh_record(std::move(init_sfen));
}

Record record_new_startpos() { return fresh_record(std::nullopt); }

const RecordNode* record_find_node(const Record& r, RecordNodeId id) {
    if (id == 0 || id > r.nodes.size()) return nullptr;
    return &r.nodes[id - 1];
}

Expected<RecordNodeId, RecordError> record_append_move(Record& r, RecordNodeId parent, Move move,
                                                        Annotations annotations) {
    RecordNode node;
    node.kind = NodeKind::Move;
    node.move = move;
    node.annotations = std::move(annotations);
    return append_node(r, parent, std::move(node));
}

Expected<RecordNodeId, RecordError> record_append_terminal(Record& r, RecordNodeId parent, SpecialMove special,
                                                            Annotations annotations) {
    RecordNode node;
    node.kind = NodeKind::Terminal;
    node.special.emplace(std::move(special));
    node.annotations = std::move(annotations);
    return append_node(r, parent, std::move(node));
}

std::vector<RecordNodeId> record_children(const Record& r, RecordNodeId id) {
    std::vector<RecordNodeId> out;
    for (RecordNodeId c = walked_node(r, id).first_child; c != 0; c = r.nodes[c - 1].next_sibling) out.push_back(c);
    return out;
}

Expected<RecordNodeId, RecordError> record_move_child_to_front(Record& r, RecordNodeId parent, std::size_t index) {
    (void)walked_node(r, parent);
    RecordNode& p = r.nodes[parent - 1];
    RecordNodeId before = 0;
    RecordNodeId child = p.first_child;
    for (std::size_t i = 0; i < index && child != 0; ++i) {
        before = child;
        child = r.nodes[child - 1].next_sibling;
    }
    if (child == 0) return unexpected(RecordError::of(RecordError::Kind::InvalidChildIndex, node_index(parent), index));
    if (before == 0) return child;
    RecordNode& c = r.nodes[child - 1];
    r.nodes[before - 1].next_sibling = c.next_sibling;
    if (p.last_child == child) p.last_child = before;
    c.next_sibling = p.first_child;
    p.first_child = child;
    return child;
}

std::size_t record_child_count(const Record& r, RecordNodeId id) {
    std::size_t n = 0;
    for (RecordNodeId c = walked_node(r, id).first_child; c != 0; c = r.nodes[c - 1].next_sibling) ++n;
    return n;
}

std::vector<RecordNodeId> record_main_line_ids(const Record& r) {
    std::vector<RecordNodeId> out;
    for (RecordNodeId id = walked_node(r, r.root).first_child; id != 0;) {
        const RecordNode& n = walked_node(r, id);
        if (n.kind == NodeKind::Move) out.push_back(id);
        id = n.first_child;
    }
    return out;
}

std::size_t record_move_count(const Record& r) {
    std::size_t count = 0;
    for (RecordNodeId id = walked_node(r, r.root).first_child; id != 0;) {
        const RecordNode& n = walked_node(r, id);
        count += n.kind == NodeKind::Move;
        id = n.first_child;
    }
    return count;
}

RecordNodeId record_main_line_last(const Record& r) {
    RecordNodeId id = r.root;
    for (RecordNodeId next = walked_node(r, id).first_child; next != 0; next = walked_node(r, id).first_child)
        id = next;
    return id;
}

GameResult record_result(const Record& r) {
    const RecordNode& last = walked_node(r, record_main_line_last(r));
    return last.kind == NodeKind::Terminal ? last.special->result : INVALID;
}

Expected<RecordNodeId, RecordError> record_set_main_terminal(Record& r, SpecialMove special, Annotations annotations) {
    const RecordNodeId last = record_main_line_last(r);
    RecordNode& node = r.nodes[last - 1];
    if (node.kind != NodeKind::Terminal) return record_append_terminal(r, last, std::move(special), std::move(annotations));
    *node.special = std::move(special);
    node.annotations = std::move(annotations);
    return last;
}

void record_set_initial_comment(Record& r, std::optional<std::string> comment) {
    if (r.nodes.empty()) [[unlikely]]
        panic("root exists");
    r.nodes[r.root - 1].annotations.comment = std::move(comment);
}

std::optional<RecordNodeId> resolve_record_node_id(const Record& r, std::uint64_t index) {
    if (index > 4'294'967'294ull || index >= r.nodes.size()) return std::nullopt;
    return static_cast<RecordNodeId>(index + 1);
}

Expected<std::vector<RecordNodeId>, RecordError> record_path_to_root(const Record& r, RecordNodeId id) {
    std::vector<RecordNodeId> path;
    if (!record_find_node(r, id)) return unexpected(RecordError::of(RecordError::Kind::InvalidNodeId, node_index(id)));
    for (RecordNodeId cur = id; cur != 0;) {
        const std::uint64_t index = node_index(cur);
        if (index >= r.nodes.size() || path.size() > r.nodes.size())
            return unexpected(RecordError::of(RecordError::Kind::InvalidNodeId, index));
        path.push_back(cur);
        cur = r.nodes[index].parent;
    }
    std::reverse(path.begin(), path.end());
    return path;
}

Expected<Record, RecordError> record_from_main_line(std::optional<std::string> init_sfen,
                                                    std::vector<MoveEntry> moves,
                                                    std::optional<SpecialMoveEntry> terminal) {
    auto made = record_new(std::move(init_sfen));
    if (!made) return unexpected(made.error());
    Record& r = *made;
    r.nodes.reserve(moves.size() + 2);
    RecordNodeId parent = r.root;
    for (MoveEntry& e : moves) {
        auto id = record_append_move(r, parent, e.move, std::move(e.annotations));
        if (!id) return unexpected(id.error());
        parent = *id;
    }
    if (terminal) {
        auto id = record_set_main_terminal(r, std::move(terminal->special), std::move(terminal->annotations));
        if (!id) return unexpected(id.error());
    }
    return made;
}

void append_comment_line(std::optional<std::string>& comment, std::string_view line) {
    if (!comment) {
        comment.emplace(line);
        return;
    }
    comment->push_back('\n');
    comment->append(line);
}

}  // namespace korvan
