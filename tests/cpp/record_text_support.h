#pragma once
// Helpers of the KIF and KI2 tests: fixture texts in UTF-8, and a record told as text
// (its main line and every variation in USI moves) so that a tree can be compared with
// what a file says.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/board/position/updates.h"
#include "core/records/editor.h"
#include "core/records/record.h"
#include "record_format_support.h"

namespace korvan::test {

// A fixture's text: ".kif" and ".ki2" are Shift_JIS, ".kifu" and ".ki2u" UTF-8.
inline std::string fixture_text(const std::string& relative) {
    const std::string bytes = read_file(fixture_path(relative));
    const std::string ext = std::filesystem::path(relative).extension().string();
    return ext == ".kif" || ext == ".ki2" ? sjis_to_utf8(bytes) : bytes;
}

inline std::vector<std::string> fixture_files(const std::string& dir) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(fixture_path(dir)))
        out.push_back(dir + "/" + e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

// The position at a node, every move on the way checked.
inline Position position_at(const Record& r, RecordNodeId id) {
    Position pos = *record_initial_position(r);
    const std::vector<RecordNodeId> path = *record_path_to_root(r, id);
    for (RecordNodeId n : path) {
        const RecordNode& node = record_node(r, n);
        if (node.kind != NodeKind::Move) continue;
        const auto m = record_checked_move(pos, node.move);
        if (!m) throw std::runtime_error("illegal move in record: " + move_display_usi(node.move));
        position_do_move(pos, *m);
    }
    return pos;
}

inline std::string join_moves(const Record& r, const std::vector<RecordNodeId>& ids) {
    std::string out;
    for (RecordNodeId id : ids) {
        if (record_node(r, id).kind != NodeKind::Move) continue;
        if (!out.empty()) out += ' ';
        out += move_display_usi(record_node(r, id).move);
    }
    return out;
}

// The moves from a node along first children.
inline std::vector<RecordNodeId> line_from(const Record& r, RecordNodeId id) {
    std::vector<RecordNodeId> out;
    for (; id != 0; id = record_node(r, id).first_child) out.push_back(id);
    return out;
}

inline std::string main_line_usi(const Record& r) { return join_moves(r, record_main_line_ids(r)); }

// Every variation in the order its first node was made: "<moves to the branch> | <its
// moves along first children>".
inline std::vector<std::string> variation_lines(const Record& r) {
    std::vector<std::string> out;
    for (RecordNodeId id = 2; id <= r.nodes.size(); ++id) {
        const RecordNode& node = record_node(r, id);
        if (node.kind != NodeKind::Move || record_node(r, node.parent).first_child == id) continue;
        auto path = *record_path_to_root(r, node.parent);
        out.push_back(join_moves(r, path) + " | " + join_moves(r, line_from(r, id)));
    }
    return out;
}

inline std::string final_sfen(const Record& r) {
    const Position pos = position_at(r, record_main_line_last(r));
    return position_to_sfen(pos, pos.ply);
}

// The node of the main line's move at an index.
inline const RecordNode& main_line_node(const Record& r, std::size_t index) {
    return record_node(r, record_main_line_ids(r).at(index));
}

inline const RecordNode* main_terminal(const Record& r) {
    const RecordNode& last = record_node(r, record_main_line_last(r));
    return last.kind == NodeKind::Terminal ? &last : nullptr;
}

}  // namespace korvan::test
