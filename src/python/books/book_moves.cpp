// BookMove and BookEntry: a move with its score and depth, and a key with its moves in
// book order. Both are copies of what a book holds.

#include "books/book_tags.h"
#include "support/convert.h"
#include "support/lists.h"
#include "support/simple_classes.h"
#include "values/value_tags.h"

namespace korvan::py {

namespace {

using M = BookMoveClass;
using E = BookEntryClass;

bool move_init(PyObject* const* args, BookMove& out) { return book_move_args(args, out); }

PyObject* move_mv(const BookMove& m) { return wrap<MoveClass>(m.mv); }
PyObject* move_score(const BookMove& m) { return PyLong_FromLong(m.score); }
PyObject* move_depth(const BookMove& m) { return PyLong_FromLong(m.depth); }
PyObject* move_str(const BookMove& m) { return message_str(move_display_usi(m.mv)); }
PyObject* move_repr(const BookMove& m) { return message_str(book_move_repr(m)); }

PyObject* entry_key(const BookEntry& e) { return wrap<BookKeyClass>(e.key); }
PyObject* entry_moves(const BookEntry& e) {
    return list_of<M>(e.moves);
}
Py_ssize_t entry_length(const BookEntry& e) { return static_cast<Py_ssize_t>(e.moves.size()); }
PyObject* entry_repr(const BookEntry& e) { return message_str(book_entry_repr(e)); }

constexpr Attributes move_getset = attribute_table<M,
    Attribute<"mv", move_mv, ReadOnly, "The move.">,
    Attribute<"score", move_score, ReadOnly, "The evaluation, signed 16-bit.">,
    Attribute<"depth", move_depth, ReadOnly, "The search depth, unsigned 16-bit.">>;

constexpr Attributes entry_getset = attribute_table<E,
    Attribute<"key", entry_key, ReadOnly, "The position key.">,
    Attribute<"moves", entry_moves, ReadOnly, "A new list of the moves in book order.">>;

}  // namespace

const ClassDefinition M::definition = define<M>({
    .constructor = constructor<M, "(mv, score, depth)", move_init, "A book move: a Move with its score and depth.">,
    .attributes = {move_getset},
    .repr = slot<M, move_repr>,
    .str = slot<M, move_str>,
});

const ClassDefinition E::definition = simple_class<E, entry_repr, entry_length>(
    "A position key with its book moves, as a book handed them out.",
    entry_getset);

}  // namespace korvan::py
