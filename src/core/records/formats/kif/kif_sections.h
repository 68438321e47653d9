#pragma once
// The parts of a KIF or KI2 record that both readers read alike: the header section
// with its start position, the collection of variation blocks, and the hanging of each
// block onto the tree from the position where it branches.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/board/position/parser.h"
#include "core/board/position/position.h"
#include "core/board/position/position_state.h"
#include "core/records/formats/kif/kif_diagram.h"
#include "core/records/formats/kif/kif_move_section.h"
#include "core/util/kanji.h"
#include "core/util/lines.h"
#include "core/util/text.h"
#include "core/records/record.h"

namespace korvan {

struct KifHeaderSection {
    RecordMetadata metadata;
    std::vector<std::string_view> comment_lines;  // of the "*" lines, in order
    KifSetup setup;
    std::size_t move_section = 0;  // the first line of the move section, or the line count
};

// Reads header lines until a trimmed line for which opens_moves is true. Comment, side,
// hand and diagram lines are recognised before that test, so a diagram's file-number
// line ("９ ８ .. １") is never taken for a move.
KifHeaderSection read_kif_header_section(const std::vector<std::string_view>& lines, bool (*opens_moves)(std::string_view));

// The diagram's SFEN when one was read, else the handicap's, else the standard start;
// the record core's message when the diagram cannot form an SFEN.
Expected<std::string, std::string> kif_start_sfen(const KifHeaderSection& header);

// The position of a start SFEN; the standard start is copied from the one built once.
Expected<Position, SfenError> kif_start_position(std::string_view sfen);

// A "変化" header's start number and the lines of its block.
struct VariationBlock {
    std::uint64_t start;
    std::size_t first;  // the line after the header
    std::size_t last;   // one past the block's last line
};

// Collects the block headed at `header`: the lines up to the first one that is empty
// (consumed) or begins with "変化" or "まで" (left to the caller). Returns the line at
// which reading goes on.
std::size_t collect_variation_block(const std::vector<std::string_view>& lines, std::size_t header, std::vector<VariationBlock>& blocks);
// After the main line has ended: every later block, the lines between them skipped.
void collect_later_variation_blocks(const std::vector<std::string_view>& lines, std::size_t from, std::vector<VariationBlock>& blocks);

// What a variation needs of a position on the line it branches from: the position
// itself (without its history, which no variation rule reads) and the square "同"
// names there.
struct PlySnapshot {
    PositionState state;
    bool has_previous = false;
    Square previous = SQ_NONE;
};

inline PlySnapshot ply_snapshot(const Position& pos, bool has_previous, Square previous) {
    return {position_state_of(pos), has_previous, previous};
}

// The line most recently read: entry k is the node after k of its moves and the
// position there (entry 0 the root and the start).
struct VariationPath {
    std::vector<RecordNodeId> nodes;
    std::vector<PlySnapshot> snapshots;
};

// What reading one block gives: its moves and the position after each.
struct VariationLine {
    std::vector<MoveEntry> entries;
    std::vector<PlySnapshot> snapshots;
};

// Hangs each block, in order, under the node of the most recent line where it
// branches; `read_block(block, pos, has_previous, previous, line)` reads a block from
// the branching position, set up in pos (whatever pos held before). The path then
// follows the new line.
template <class Error, class ReadBlock>
Expected<Ok, Error> attach_variation_blocks(Record& record, VariationPath& path,
                                            const std::vector<VariationBlock>& blocks, Position& pos,
                                            ReadBlock&& read_block) {
    VariationLine line;
    for (const VariationBlock& block : blocks) {
        const std::uint64_t n = block.start;
        if (n - 1 >= path.nodes.size() || n - 1 >= path.snapshots.size())
            return unexpected(Error::invalid_line("variation start out of range: " + std::to_string(n)));
        const RecordNodeId parent = path.nodes[n - 1];
        const PlySnapshot from = path.snapshots[n - 1];
        position_set(pos, from.state);
        line.entries.clear();
        line.snapshots.clear();
        if (auto read = read_block(block, pos, from.has_previous, from.previous, line); !read)
            return unexpected(std::move(read.error()));
        auto ids = record_append_line(record, parent, std::move(line.entries));
        if (!ids) return unexpected(Error::invalid_line(record_error_display(ids.error())));
        path.nodes.resize(n);
        path.snapshots.resize(n);
        path.nodes.insert(path.nodes.end(), ids->begin(), ids->end());
        path.snapshots.insert(path.snapshots.end(), line.snapshots.begin(), line.snapshots.end());
    }
    return Ok{};
}

// The legality test every move read from a record passes: the move widened for the
// position, or nothing when it is not a legal move there.
std::optional<Move32> kif_checked_move(const Position& pos, Move move);

}  // namespace korvan
