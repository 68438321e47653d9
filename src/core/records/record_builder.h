#pragma once
// The record a text reader builds while it reads. A reader classifies its lines and
// reads their moves; the builder does the rest, alike for every format: it replays
// each move on the position of its line and appends it to the record, puts comments,
// times and evaluations on the latest move (or, before a line's first move, where the
// format's rules say), keeps the terminal until the main line ends, and hangs each
// variation block under the node of the line read last where the block branches.
//
// The main line and then each block are read in turn. Before a line's first move a
// comment goes to the record's initial comment on the main line and to the first move
// on a variation; a time goes to the first move when it has none of its own; an
// evaluation has no move to go to.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/board/position/parser.h"
#include "core/board/position/position.h"
#include "core/board/position/position_state.h"
#include "core/records/metadata.h"
#include "core/records/record.h"
#include "core/types/apery.h"
#include "core/util/expected.h"

namespace korvan {

struct BuildError {
    enum class Kind : std::uint8_t { Sfen, Record, VariationStart };
    Kind kind = Kind::Record;
    SfenError sfen;            // Sfen: a replayed position that could not be rebuilt
    RecordError record;        // Record
    std::uint64_t start = 0;   // VariationStart: the block's start number
};

// The text of the Record and VariationStart kinds, which the readers report as an
// invalid line ("variation start out of range: <n>"); a reader reports Sfen as its own.
std::string build_error_display(const BuildError& e);

// A "変化" block of a KIF or KI2 text: the number of the move it replaces and its lines.
struct VariationBlock {
    std::uint64_t start;
    std::size_t first;  // the line after the header
    std::size_t last;   // one past the block's last line
};

// Whether the main line keeps what a variation needs of each of its positions.
enum class Branches : bool { None, Kept };

class RecordBuilder {
public:
    // Starts the main line at `start`, the position of the record's initial SFEN.
    // expected_moves reserves room for the main line.
    RecordBuilder(Record record, Position start, Branches branches, std::size_t expected_moves = 0);

    const Position& position() const { return pos_; }
    // The destination of the line's latest move, which "同" names.
    bool has_previous() const { return has_previous_; }
    Square previous() const { return previous_; }
    // Moves read on the current line: on the main line, the index of the next move.
    std::size_t line_moves() const { return line_moves_; }
    bool has_terminal() const { return terminal_.has_value(); }

    // A move of the record's 16-bit form widened for the position, or 0 when it names
    // no move (a null or special move, an empty or foreign origin).
    Move32 widen(Move move) const { return is_normal_move(move) ? position_move_to_move32(pos_, move) : 0; }
    // Plays a move widened for the position, with its own time if it has one. Illegal
    // (nothing changed) when it is 0 or not legal there.
    enum class Played : std::uint8_t { Yes, Illegal };
    Expected<Played, BuildError> play(Move32 move, std::optional<std::uint32_t> time_ms = std::nullopt);
    // A comment line: for the terminal once the main line has one, else for the latest
    // move, else as the line's rule says.
    void comment(std::string_view line);
    // A time: for the terminal once there is one, else the latest move's, else the
    // first move's when it brings none.
    void time(std::uint32_t ms);
    // An evaluation of the latest move; nothing before the line's first move.
    void evaluation(std::int64_t value);
    // Ends the main line with a terminal (its raw text, if any, already set).
    void end(SpecialMove special, std::optional<std::uint32_t> time_ms = std::nullopt);

    // A block may start at this move number: the position before it is kept as the
    // lines are read (a copy of the board per move otherwise). A reader names what it
    // can find cheaply before it reads; a block named nowhere still starts right, its
    // position replayed from the nearest one kept.
    void keep_position_before(std::uint64_t start);

    // Blocks are kept as they are found and read after the main line.
    void add_block(const VariationBlock& block) { blocks_.push_back(block); }
    const std::vector<VariationBlock>& blocks() const { return blocks_; }
    // Closes the main line (its terminal appended under its last move), then starts a
    // line at the block's branch point: the position before its move, on the line read
    // last, or when that line does not reach it, on the line that line branched from,
    // and so on down to the main line. VariationStart when none has such a move.
    Expected<Ok, BuildError> begin_variation(const VariationBlock& block);

    // The record with its metadata and initial comment; the main line is closed first
    // when no block has been read.
    Expected<Record, BuildError> finish(RecordMetadata metadata);

private:
    // A position on the path (entry `index`) without its history, which no rule of a
    // variation reads.
    struct Snapshot {
        std::size_t index;
        PositionState state;
    };

    Annotations* latest_move();
    Expected<Ok, BuildError> close_main_line();

    Record record_;
    Position pos_;
    bool keep_snapshots_;
    std::uint64_t replay_counter_ = 0;

    // The line being read.
    bool variation_ = false;
    RecordNodeId last_;  // its latest move, or the node it starts under
    std::size_t line_moves_ = 0;
    bool has_previous_ = false;
    Square previous_ = SQ_NONE;
    std::optional<std::string> pending_comment_;  // a variation's, before its first move
    std::optional<std::uint32_t> pending_time_;   // before the line's first move

    std::optional<std::string> initial_comment_;
    std::optional<SpecialMoveEntry> terminal_;
    bool main_closed_ = false;

    // The line read last and the lines it branched from, each directly above the line
    // it left: the main line first, the line read last on top. A line holds entries
    // `start` on (entry k is the node after the k-th move of the line, the main line's
    // entry 0 the root); its entries before `start` are those of the line below it.
    // Lines are given up, from the top, only when a block branches from a line below.
    // Only the top line grows, so the lines' entries lie in one vector, line after
    // line, and so do the positions they keep: a line's run ends where the next begins.
    struct Line {
        std::size_t start;
        std::size_t first_node;      // its entries in nodes_
        std::size_t first_snapshot;  // its kept positions in snapshots_
        // The nearest line below whose start is smaller: it holds the entries before
        // this line's start that the lines between do not. `jump` is a farther one on
        // that chain, chosen so that a search down the chain takes logarithmic steps.
        std::uint32_t holder_below;
        std::uint32_t jump;
        std::uint32_t depth;  // on that chain
    };
    std::size_t nodes_end(std::size_t line) const {
        return line + 1 < lines_.size() ? lines_[line + 1].first_node : nodes_.size();
    }
    std::size_t last_entry(std::size_t line) const {
        return lines_[line].start + (nodes_end(line) - lines_[line].first_node) - 1;
    }
    // The line (an index into lines_) that holds entry k of line `from`'s path.
    std::size_t holder(std::size_t from, std::size_t k) const;

    std::vector<Line> lines_;
    std::vector<RecordNodeId> nodes_;
    // A line keeps the position at start - 1 (where it branched) and those where a block
    // may start, in increasing entry order.
    std::vector<Snapshot> snapshots_;
    std::vector<bool> branch_points_;  // entry k is kept when k + 1 is set
    std::vector<VariationBlock> blocks_;
};

}  // namespace korvan
