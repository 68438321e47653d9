#pragma once
// Collects book moves one by one, by position, or from whole game records with every
// variation, and hands them out as a memory book or as a static book sorted best first.
//
// The record walk files each move under the key of the position it was played in, with
// the eval and depth of its engine information (each replaced by its default when
// absent), visiting the tree depth first, main line first, and testing every move
// before it is played.

#include <cstdint>

#include "core/book/book_error.h"
#include "core/book/memory_book.h"
#include "core/book/static_book.h"
#include "core/records/record.h"

namespace korvan {

// Walks the record into `into`. An initial SFEN that does not parse files nothing
// ("invalid init sfen: <debug text>"); an illegal move stops the walk ("traversal
// failed: illegal move at node <index> (ply <depth below the root>)") and what came
// before it stays filed. The walk keeps its path in an explicit stack and one position
// that moves down and up the tree, so a line of any length costs only its positions.
Expected<Ok, BookError> book_walk_record(const Record& record, MemoryBook& into, std::int16_t default_score,
                                         std::uint16_t default_depth);

// A new memory book of one record's moves; no book when the walk fails.
Expected<MemoryBook, BookError> book_builder_from_game_record(const Record& record, std::int16_t default_score,
                                                              std::uint16_t default_depth);

class BookBuilder {
public:
    void insert(std::uint64_t key, BookMove move) { book_.insert(key, move); }
    // Under the position's key; the move is not tested against the position.
    void insert_for_position(const Position& pos, BookMove move) { book_.insert(pos.key, move); }
    Expected<Ok, BookError> extend_from_game_record(const Record& record, std::int16_t default_score,
                                                    std::uint16_t default_depth) {
        return book_walk_record(record, book_, default_score, default_depth);
    }
    // Each leaves the builder empty. The static book holds each key's moves best first:
    // score descending, then depth descending, then move ascending, equal records in
    // the order they came.
    MemoryBook into_memory();
    StaticBook build_static();

private:
    MemoryBook book_;
};

}  // namespace korvan
