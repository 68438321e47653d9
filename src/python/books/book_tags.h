#pragma once
// The tags of the own-book classes (keys, moves and entries, the memory book, the
// static book and the builder), so that each book binding file can make and read the
// others' objects; the arguments they share; and the book module functions.

#include <cstdint>
#include <optional>
#include <string>

#include "core/book/builder.h"
#include "core/book/static_book.h"
#include "support/class_definition.h"
#include "records/record_tags.h"

namespace korvan::py {

// Immutable: there is no constructor, and no method takes a key exclusively.
struct BookKeyClass : ClassTag<"BookKey", BookKey> { static const ClassDefinition definition; };
// Compared and hashed by identity only.
struct BookMoveClass : ClassTag<"BookMove", BookMove> { static const ClassDefinition definition; };
struct BookEntryClass : ClassTag<"BookEntry", BookEntry> { static const ClassDefinition definition; };
struct MemoryBookClass : ClassTag<"MemoryBook", MemoryBook> { static const ClassDefinition definition; };
struct StaticBookClass : ClassTag<"StaticBook", StaticBook> { static const ClassDefinition definition; };
struct BookBuilderClass : ClassTag<"BookBuilder", BookBuilder> { static const ClassDefinition definition; };

// Module functions: book_key_from_position, book_key_after, book_builder_from_game_record.
extern const Methods BOOK_FUNCTIONS;

// The arguments of the book classes; each returns false with an exception set, a
// TypeError under the argument's name.

// A BookKey argument named "key"; only its low word is used.
bool book_key_arg(PyObject* obj, std::uint64_t& out);
// (mv, score, depth): a Move (nothing else), a signed and an unsigned 16-bit int.
bool book_move_args(PyObject* const* args, BookMove& out);
// A str naming a file; any other object, a path-like one included, is refused. A NUL
// inside is kept, so that the file layer refuses the path instead of a cut one.
bool book_path_arg(PyObject* obj, std::string& out);

// The record walk's arguments (record, default_score=0, default_depth=0): the record
// stays borrowed shared while the walk object lives.
struct WalkArgs {
    const Record* record = nullptr;
    std::int16_t default_score = 0;
    std::uint16_t default_depth = 0;
    std::optional<SharedBorrow> guard;
};
bool walk_args(PyObject* const* args, WalkArgs& out);

// A new BookEntry object, or None.
PyObject* book_entry_or_none(std::optional<BookEntry> entry);

}  // namespace korvan::py
