// MemoryBook: the mutable book, each key with its moves in insertion order.

#include <string>

#include "books/book_tags.h"

namespace korvan::py {

namespace {

using B = MemoryBookClass;

bool init(PyObject* const*, MemoryBook&) { return true; }

PyObject* insert_move(MemoryBook& book, PyObject* const* args) {
    std::uint64_t key = 0;
    BookMove move;
    if (!book_key_arg(args[0], key) || !extract_arg<BookMoveClass>(args[1], "book_move", move)) return nullptr;
    book.insert(key, move);
    Py_RETURN_NONE;
}

PyObject* get(const MemoryBook& book, PyObject* const* args) {
    std::uint64_t key = 0;
    if (!book_key_arg(args[0], key)) return nullptr;
    return book_entry_or_none(book.get(key));
}

PyObject* contains(const MemoryBook& book, PyObject* const* args) {
    std::uint64_t key = 0;
    if (!book_key_arg(args[0], key)) return nullptr;
    return PyBool_FromLong(book.contains(key));
}

Py_ssize_t book_length(const MemoryBook& book) { return static_cast<Py_ssize_t>(book.size()); }
PyObject* book_repr(const MemoryBook& book) {
    return message_str("MemoryBook(len=" + std::to_string(book.size()) + ")");
}

constexpr Methods methods = method_table<B,
    Method<"insert_move(key, book_move)", insert_move, Access::Exclusive, "Appends the move to the key's moves.">,
    Method<"get(key)", get, Access::Shared, "The key's moves in insertion order as a BookEntry, or None.">,
    Method<"contains(key)", contains, Access::Shared, "Whether the key has moves.">>;

}  // namespace

const ClassDefinition B::definition = define<B>({
    .constructor = constructor<B, "()", init, "An opening book in memory: moves by position key, in insertion "
        "order, duplicates kept.">,
    .methods = {methods},
    .repr = slot<B, book_repr>,
    .length = length<B, book_length>,
});

}  // namespace korvan::py
