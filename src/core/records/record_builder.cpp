#include "core/records/record_builder.h"

#include <algorithm>

#include "core/board/position/legality.h"
#include "core/board/position/updates.h"
#include "core/records/replay.h"

namespace korvan {

std::string build_error_display(const BuildError& e) {
    switch (e.kind) {
        case BuildError::Kind::Sfen: return "failed to parse SFEN: " + sfen_error_display(e.sfen);
        case BuildError::Kind::Record: return record_error_display(e.record);
        case BuildError::Kind::VariationStart: return "variation start out of range: " + std::to_string(e.start);
    }
    return {};
}

namespace {

BuildError sfen_error(SfenError e) {
    BuildError out;
    out.kind = BuildError::Kind::Sfen;
    out.sfen = std::move(e);
    return out;
}

BuildError record_error(RecordError e) {
    BuildError out;
    out.kind = BuildError::Kind::Record;
    out.record = std::move(e);
    return out;
}

}  // namespace

RecordBuilder::RecordBuilder(Record record, Position start, Branches branches, std::size_t expected_moves)
    : record_(std::move(record)), pos_(std::move(start)), keep_snapshots_(branches == Branches::Kept),
      last_(record_.root) {
    record_.nodes.reserve(expected_moves + 2);
    lines_.push_back(Line{0, 0, 0, 0, 0, 0});
    nodes_.reserve(expected_moves + 2);
    nodes_.push_back(record_.root);
    if (keep_snapshots_) snapshots_.push_back({0, position_state_of(pos_)});
}

std::size_t RecordBuilder::holder(std::size_t from, std::size_t k) const {
    // Starts fall strictly down the holder chain, which ends at the main line (start 0).
    std::size_t x = from;
    while (lines_[x].start > k) x = lines_[lines_[x].jump].start > k ? lines_[x].jump : lines_[x].holder_below;
    return x;
}

void RecordBuilder::keep_position_before(std::uint64_t start) {
    // Numbers past any real game are left to the replay.
    constexpr std::uint64_t LIMIT = 1 << 16;
    if (start == 0 || start >= LIMIT) return;
    if (branch_points_.size() <= start) branch_points_.resize(start + 1);
    branch_points_[start] = true;
}

Annotations* RecordBuilder::latest_move() {
    return line_moves_ > 0 ? &record_node(record_, last_).annotations : nullptr;
}

Expected<RecordBuilder::Played, BuildError> RecordBuilder::play(Move32 move, std::optional<std::uint32_t> time_ms) {
    if (move == 0 || !position_is_legal(pos_, move)) return Played::Illegal;
    // The node is appended bare and annotated in place: nothing to carry through the
    // append for the usual move, which has a time at most.
    const auto id = record_append_move(record_, last_, move16(move), {});
    if (!id) return unexpected(record_error(id.error()));
    Annotations& annotations = record_node(record_, *id).annotations;
    if (line_moves_ == 0) {
        if (!time_ms) time_ms = pending_time_;
        annotations.comment = std::move(pending_comment_);
        pending_comment_.reset();
    }
    if (time_ms) annotations.time = Duration::from_ms(*time_ms);
    position_do_move(pos_, move);
    if (auto compact = replay_compact_history(pos_, replay_counter_); !compact)
        return unexpected(sfen_error(compact.error()));
    last_ = *id;
    ++line_moves_;
    has_previous_ = true;
    previous_ = move_to(move);
    nodes_.push_back(*id);
    if (const std::size_t entry = last_entry(lines_.size() - 1);
        keep_snapshots_ && entry + 1 < branch_points_.size() && branch_points_[entry + 1])
        snapshots_.push_back({entry, position_state_of(pos_)});
    return Played::Yes;
}

void RecordBuilder::comment(std::string_view line) {
    if (terminal_) {
        append_comment_line(terminal_->annotations.comment, line);
    } else if (Annotations* latest = latest_move()) {
        append_comment_line(latest->comment, line);
    } else {
        append_comment_line(variation_ ? pending_comment_ : initial_comment_, line);
    }
}

void RecordBuilder::time(std::uint32_t ms) {
    if (terminal_) {
        terminal_->annotations.time = Duration::from_ms(ms);
    } else if (Annotations* latest = latest_move()) {
        latest->time = Duration::from_ms(ms);
    } else {
        pending_time_ = ms;
    }
}

void RecordBuilder::evaluation(std::int64_t value) {
    if (Annotations* latest = latest_move()) set_move_evaluation(*latest, value);
}

void RecordBuilder::end(SpecialMove special, std::optional<std::uint32_t> time_ms) {
    SpecialMoveEntry entry{std::move(special), {}};
    if (time_ms) entry.annotations.time = Duration::from_ms(*time_ms);
    terminal_ = std::move(entry);
}

Expected<Ok, BuildError> RecordBuilder::close_main_line() {
    if (main_closed_) return Ok{};
    main_closed_ = true;
    // The main line is still the line being read: its last node is the latest.
    if (terminal_) {
        auto id = record_append_terminal(record_, last_, std::move(terminal_->special), std::move(terminal_->annotations));
        terminal_.reset();
        if (!id) return unexpected(record_error(id.error()));
    }
    return Ok{};
}

Expected<Ok, BuildError> RecordBuilder::begin_variation(const VariationBlock& block) {
    if (auto closed = close_main_line(); !closed) return closed;
    const std::uint64_t n = block.start;
    // The line read last, or the nearest it branched from, that reaches move n - 1;
    // the lines above it are done with.
    while (lines_.size() > 1 && last_entry(lines_.size() - 1) < n - 1) {
        nodes_.resize(lines_.back().first_node);
        snapshots_.resize(lines_.back().first_snapshot);
        lines_.pop_back();
    }
    if (last_entry(lines_.size() - 1) < n - 1 || !keep_snapshots_) {
        BuildError e;
        e.kind = BuildError::Kind::VariationStart;
        e.start = n;
        return unexpected(e);
    }
    const std::size_t from = holder(lines_.size() - 1, n - 1);
    const Line branched = lines_[from];
    const auto node_at = [&](std::size_t entry) { return nodes_[branched.first_node + (entry - branched.start)]; };
    // The nearest position kept at or before the branch point (a line keeps the one
    // it starts from), then the line's moves up to it.
    const auto first = snapshots_.begin() + static_cast<std::ptrdiff_t>(branched.first_snapshot);
    const auto last = from + 1 < lines_.size()
                          ? snapshots_.begin() + static_cast<std::ptrdiff_t>(lines_[from + 1].first_snapshot)
                          : snapshots_.end();
    const auto kept = std::upper_bound(first, last, n - 1,
                                       [](std::uint64_t entry, const Snapshot& s) { return entry < s.index; });
    const Snapshot& snapshot = *std::prev(kept);
    position_set(pos_, snapshot.state);
    std::uint64_t replayed = 0;
    for (std::size_t k = snapshot.index + 1; k <= n - 1; ++k) {
        position_do_move(pos_, position_move_to_move32(pos_, record_node(record_, node_at(k)).move));
        if (auto compact = replay_compact_history(pos_, replayed); !compact)
            return unexpected(sfen_error(compact.error()));
    }
    variation_ = true;
    last_ = node_at(n - 1);
    line_moves_ = 0;
    // The "同" square of the branch point: the destination of its move.
    has_previous_ = n > 1;
    previous_ = n > 1 ? move_to(record_node(record_, last_).move) : SQ_NONE;
    // The holder chain as a skew-binary list: a jump spans as many steps as the jump
    // of the line it lands on, twice over, or one step.
    const Line& j1 = lines_[branched.jump];
    const bool doubled = branched.depth - j1.depth == j1.depth - lines_[j1.jump].depth;
    const auto below = static_cast<std::uint32_t>(from);
    lines_.push_back(Line{static_cast<std::size_t>(n), nodes_.size(), snapshots_.size(), below,
                          doubled ? j1.jump : below, branched.depth + 1});
    snapshots_.push_back({static_cast<std::size_t>(n - 1), position_state_of(pos_)});
    pending_comment_.reset();
    pending_time_.reset();
    replay_counter_ = 0;
    return Ok{};
}

Expected<Record, BuildError> RecordBuilder::finish(RecordMetadata metadata) {
    if (auto closed = close_main_line(); !closed) return unexpected(std::move(closed.error()));
    record_.metadata = std::move(metadata);
    record_set_initial_comment(record_, std::move(initial_comment_));
    return std::move(record_);
}

}  // namespace korvan
