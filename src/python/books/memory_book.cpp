// MemoryBook: the mutable book, each key with its moves in insertion order.

#include "books/book_lookups.h"
#include "support/simple_classes.h"

namespace korvan::py {

namespace {

using B = MemoryBookClass;

bool book_move_arg(PyObject* const* args, BookMove& out) {
    return extract_arg<BookMoveClass>(args[0], "book_move", out);
}

constexpr Methods methods = method_table<B,
    Method<"insert_move(key, book_move)", insert_under_key<MemoryBook, book_move_arg>, Access::Exclusive,
           "Appends the move to the key's moves.">,
    Method<"get(key)", book_get<MemoryBook>, Access::Shared,
           "The key's moves in insertion order as a BookEntry, or None.">,
    Method<"contains(key)", book_contains<MemoryBook>, Access::Shared, "Whether the key has moves.">>;

}  // namespace

const ClassDefinition B::definition = simple_class<B, book_repr<B>, book_length<MemoryBook>>(
    constructor<B, "()", empty_init<MemoryBook>, "An opening book in memory: moves by position key, in insertion "
        "order, duplicates kept.">,
    {},
    methods);

}  // namespace korvan::py
