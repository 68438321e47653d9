#pragma once
// The order in which the KIF and KI2 writers write a record, and the replay that checks
// and describes every move. The format decides how a move, a block header and the
// terminal look; this walk decides what comes when.
//
// After the main line come the variation blocks, depth first as real files have them:
// for each line its branch points from the last to the first, the alternatives at one
// node in child order, and each block followed at once by the blocks that branch inside
// it. A reader that hangs each block on the line read most recently then finds every
// block's parent, however deep. Only the branch points of the lines still being walked
// keep a snapshot (the board and the little a line carries), so memory follows the
// nesting, not the length of the game; the walk uses a stack, not recursion.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/board/position/parser.h"
#include "core/board/position/position_state.h"
#include "core/board/position/updates.h"
#include "core/records/editor.h"
#include "core/records/formats/kif/kif_errors.h"
#include "core/records/formats/kif/kif_move_lines.h"
#include "core/records/formats/kif/kif_writer_lines.h"
#include "core/records/record.h"
#include "core/records/replay.h"
#include "core/util/panic.h"

namespace korvan {

// Where a line of play stands before its next move.
struct KifLinePoint {
    std::uint64_t ply = 0;      // moves from the start
    bool has_previous = false;  // whether a move was written before on this line
    Square previous = SQ_NONE;  // that move's destination
    std::array<std::uint32_t, 2> totals{};  // milliseconds spent by each side, saturating
};

// One move as a format writes it, checked and widened on the position before it.
struct KifWrittenMove {
    const RecordNode& node;
    Move32 move;
    bool variation;
    bool marked;             // its parent has two or more children
    std::uint32_t time_ms;   // the node's time; 0 when it has none or it passes 32 bits
    std::uint32_t total_ms;  // the mover's total with this move, saturating
};

// What follows a move's line in both formats: its evaluation line, then its comment
// lines. Nothing when it has neither.
inline bool has_move_notes(const Annotations& a) { return (a.engine_info && a.engine_info->eval) || a.comment; }
inline void write_move_notes(std::string& out, const Annotations& a) {
    if (a.engine_info && a.engine_info->eval) {
        out += KIF_EVALUATION_PREFIX;
        out += std::to_string(*a.engine_info->eval);
        out += '\n';
    }
    if (a.comment) write_comment_lines(out, *a.comment);
}

namespace kif_writer_detail {

inline const RecordNode& walked_node(const Record& r, RecordNodeId id) {
    const RecordNode* node = record_find_node(r, id);
    if (!node) [[unlikely]]
        panic("record node id must be valid");
    return *node;
}

inline std::uint32_t node_time_ms(const RecordNode& node) {
    if (!node.annotations.time) return 0;
    const std::uint64_t ms = node.annotations.time->total_ms();
    return ms > UINT32_MAX ? 0 : static_cast<std::uint32_t>(ms);
}

inline std::uint32_t saturating_add(std::uint32_t a, std::uint32_t b) {
    return a > UINT32_MAX - b ? UINT32_MAX : a + b;
}

inline bool has_alternatives(const RecordNode& node) { return node.first_child != node.last_child; }

// A node with alternatives on a line being walked, and that line after its move.
struct BranchPoint {
    RecordNodeId node;
    PositionState position;
    Move32 last_move;  // "同" of the KI2 texts reads it from the position
    KifLinePoint line;
};

// A line whose branch points are written from `cursor - 1` down to `begin`.
struct Frame {
    std::size_t begin;
    std::size_t cursor;
    RecordNodeId next_child;  // the next alternative at point cursor; 0 for none yet
};

// The format writer W provides:
//   void after_start(std::string&)                      after the start position lines
//   std::optional<Error> move(std::string&, const Position& before, const KifWrittenMove&, const KifLinePoint&)
//   void close_line(std::string&)                       at the end of every line of play
//   void terminal(std::string&, const RecordNode&, Color side_to_move, std::uint64_t moves, const KifLinePoint&)
template <class Format, class W>
class TreeWriter {
public:
    using Error = JapaneseRecordError<Format>;

    TreeWriter(const Record& record, W& format) : record_(record), format_(format) {}

    Expected<std::string, Error> write() {
        const std::string_view sfen = record_initial_sfen(record_);
        auto start = record_start_position(record_);
        if (!start) return unexpected(Error::of_sfen(std::move(start.error())));
        Position pos = std::move(*start);

        out_.reserve(512 + record_.nodes.size() * 48);
        write_kif_header(out_, record_.metadata);
        write_start_position_lines(out_, sfen, pos);
        format_.after_start(out_);
        const RecordNode& root = walked_node(record_, record_.root);
        if (root.annotations.comment) write_comment_lines(out_, *root.annotations.comment);

        KifLinePoint line;
        if (has_alternatives(root)) keep_point(record_.root, pos, line);
        const RecordNode* terminal = nullptr;
        std::uint64_t counter = 0;
        const RecordNode* parent = &root;
        for (RecordNodeId id = root.first_child; id != 0;) {
            const RecordNode& node = walked_node(record_, id);
            if (node.kind == NodeKind::Terminal) {
                terminal = &node;
                break;
            }
            if (node.kind != NodeKind::Move) return unexpected(Error::invalid_line("main node missing move"));
            if (auto e = write_move(pos, *parent, node, line, false)) return unexpected(std::move(*e));
            if (auto compact = replay_compact_history(pos, counter); !compact)
                return unexpected(Error::of_sfen(std::move(compact.error())));
            if (has_alternatives(node)) keep_point(id, pos, line);
            parent = &node;
            id = node.first_child;
        }
        format_.close_line(out_);

        if (auto e = write_variations()) return unexpected(std::move(*e));
        if (terminal) format_.terminal(out_, *terminal, pos.side_to_move, line.ply, line);
        return std::move(out_);
    }

private:
    void keep_point(RecordNodeId id, const Position& pos, const KifLinePoint& line) {
        points_.push_back({id, position_state_of(pos), pos.st().last_move, line});
    }

    // Checks, writes and plays one move, and moves the line on past it.
    std::optional<Error> write_move(Position& pos, const RecordNode& parent, const RecordNode& node,
                                    KifLinePoint& line, bool variation) {
        const auto m = record_checked_move(pos, node.move);
        if (!m) {
            if (variation) return Error::invalid_move("illegal variation move at ply " + std::to_string(line.ply + 1));
            return Error::illegal_move(line.ply);
        }
        const Color us = pos.side_to_move;
        const std::uint32_t time = node_time_ms(node);
        const std::uint32_t total = saturating_add(line.totals[us], time);
        if (auto e = format_.move(out_, pos, KifWrittenMove{node, *m, variation, has_alternatives(parent), time, total},
                                  line))
            return e;
        position_do_move(pos, *m);
        ++line.ply;
        line.has_previous = true;
        line.previous = move_to(*m);
        line.totals[us] = total;
        return std::nullopt;
    }

    // The block of one alternative: the child and its line along first children, from
    // the branch point at `at`.
    std::optional<Error> write_block(std::size_t at, RecordNodeId child) {
        KifLinePoint line = points_[at].line;
        const RecordNodeId parent_id = points_[at].node;
        if (!variation_pos_) variation_pos_.emplace();
        Position& pos = *variation_pos_;
        position_set(pos, points_[at].position);
        pos.st().last_move = points_[at].last_move;
        write_variation_header(out_, line.ply + 1);
        const RecordNode* parent = &walked_node(record_, parent_id);
        for (RecordNodeId id = child; id != 0;) {
            const RecordNode& node = walked_node(record_, id);
            if (node.kind != NodeKind::Move) return Error::invalid_line("variation node missing move");
            if (auto e = write_move(pos, *parent, node, line, true)) return e;
            if (has_alternatives(node)) keep_point(id, pos, line);
            parent = &node;
            id = node.first_child;
        }
        format_.close_line(out_);
        return std::nullopt;
    }

    std::optional<Error> write_variations() {
        std::vector<Frame> frames{{0, points_.size(), 0}};
        while (!frames.empty()) {
            Frame& f = frames.back();
            if (f.next_child == 0) {
                if (f.cursor == f.begin) {
                    points_.resize(f.begin);
                    frames.pop_back();
                    continue;
                }
                --f.cursor;
                const RecordNode& at = walked_node(record_, points_[f.cursor].node);
                f.next_child = walked_node(record_, at.first_child).next_sibling;
                continue;
            }
            const RecordNodeId child = f.next_child;
            f.next_child = walked_node(record_, child).next_sibling;
            const std::size_t at = f.cursor;
            const std::size_t begin = points_.size();
            if (auto e = write_block(at, child)) return e;
            frames.push_back({begin, points_.size(), 0});
        }
        return std::nullopt;
    }

    const Record& record_;
    W& format_;
    std::string out_;
    std::vector<BranchPoint> points_;
    std::optional<Position> variation_pos_;  // made when the first block is written
};

}  // namespace kif_writer_detail

template <class Format, class W>
Expected<std::string, JapaneseRecordError<Format>> write_japanese_record(const Record& record, W& format) {
    return kif_writer_detail::TreeWriter<Format, W>(record, format).write();
}

}  // namespace korvan
