#include "core/book/builder.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/board/position/parser.h"
#include "core/board/position/updates.h"
#include "core/records/editor.h"
#include "core/records/record_walk.h"

namespace korvan {

namespace {


// Best first: a higher score, then a deeper search, then the lower move value.
bool better(const BookMove& a, const BookMove& b) {
    if (a.score != b.score) return a.score > b.score;
    if (a.depth != b.depth) return a.depth > b.depth;
    return a.mv < b.mv;
}

// Most runs hold a move or two: an insertion sort (stable) spares them the buffer the
// library's stable sort allocates for each.
void sort_run(std::vector<BookMove>::iterator first, std::vector<BookMove>::iterator last) {
    if (last - first > 32) {
        std::stable_sort(first, last, better);
        return;
    }
    for (auto it = first + (first != last); it < last; ++it) {
        const BookMove m = *it;
        auto hole = it;
        for (; hole != first && better(m, *(hole - 1)); --hole) *hole = *(hole - 1);
        *hole = m;
    }
}

}  // namespace

Expected<Ok, BookError> book_walk_record(const Record& record, MemoryBook& into, std::int16_t default_score,
                                         std::uint16_t default_depth) {
    auto start = record_start_position(record);
    if (!start) return unexpected(BookError::invalid_data("invalid init sfen: " + sfen_error_debug(start.error())));
    Position& pos = *start;
    // The walk's state is the node's depth below the root.
    using Step = std::optional<WalkStep<std::uint64_t>>;
    return walk_record_moves<BookError>(
        record, pos, std::uint64_t{0},
        [&](RecordNodeId id, const RecordNode& node, std::uint64_t parent_ply) -> Expected<Step, BookError> {
            const std::uint64_t ply = parent_ply + 1;
            const auto played = record_checked_move(pos, node.move);
            if (!played)
                return unexpected(BookError::invalid_data("traversal failed: illegal move at node " +
                                                          std::to_string(node_index(id)) + " (ply " +
                                                          std::to_string(ply) + ")"));
            const EngineInfo* info = node.annotations.engine_info.get();
            const std::int16_t score = info && info->eval ? *info->eval : default_score;
            const std::uint16_t depth = info && info->depth ? *info->depth : default_depth;
            into.insert(pos.key, BookMove{node.move, score, depth});
            return Step{{*played, ply}};
        });
}

Expected<MemoryBook, BookError> book_builder_from_game_record(const Record& record, std::int16_t default_score,
                                                              std::uint16_t default_depth) {
    MemoryBook book;
    auto walked = book_walk_record(record, book, default_score, default_depth);
    if (!walked) return unexpected(std::move(walked.error()));
    return book;
}

MemoryBook BookBuilder::into_memory() { return std::exchange(book_, MemoryBook()); }

StaticBook BookBuilder::build_static() {
    std::vector<std::uint64_t> keys;
    std::vector<std::uint32_t> offsets;
    std::vector<BookMove> moves;
    into_memory().export_sorted(keys, offsets, moves);
    for (std::size_t i = 0; i < keys.size(); ++i) sort_run(moves.begin() + offsets[i], moves.begin() + offsets[i + 1]);
    return StaticBook(std::move(keys), std::move(offsets), std::move(moves));
}

}  // namespace korvan
