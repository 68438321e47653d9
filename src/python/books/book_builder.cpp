// BookBuilder: collects book moves one by one, by position or from whole records, and
// hands them out as a memory book or as a static book sorted best first.

#include "board/board.h"
#include "books/book_errors.h"
#include "books/book_lookups.h"
#include "support/simple_classes.h"

namespace korvan::py {

namespace {

using BB = BookBuilderClass;

PyObject* insert_for_position(BookBuilder& builder, PyObject* const* args) {
    BoardArg board;
    BookMove move;
    if (!board.bind(args[0], "board") || !book_move_args(args + 1, move)) return nullptr;
    builder.insert_for_position(board.position(), move);
    Py_RETURN_NONE;
}

PyObject* extend_from_game_record(BookBuilder& builder, PyObject* const* args) {
    WalkArgs walk;
    if (!walk_args(args, walk)) return nullptr;
    auto done = builder.extend_from_game_record(*walk.record, walk.default_score, walk.default_depth);
    if (!done) return raise_book_error(done.error());
    Py_RETURN_NONE;
}

PyObject* into_memory(BookBuilder& builder) { return wrap<MemoryBookClass>(builder.into_memory()); }
PyObject* build_static(BookBuilder& builder) { return wrap<StaticBookClass>(builder.build_static()); }
PyObject* builder_repr(const BookBuilder&) { return message_str("BookBuilder()"); }

constexpr Methods methods = method_table<BB,
    Method<"insert(key, mv, score, depth)", insert_under_key<BookBuilder, book_move_args>, Access::Exclusive,
           "Files the move under the key.">,
    Method<"insert_for_position(board, mv, score, depth)", insert_for_position, Access::Exclusive, "Files the "
        "move under the key of the board's position, untested.">,
    Method<"extend_from_game_record(record, default_score=0, default_depth=0)", extend_from_game_record,
           Access::Exclusive, "Files every move of the record, variations included, under the position it was "
        "played in.">,
    Method<"into_memory()", into_memory, Access::Exclusive, "The moves as a MemoryBook; the builder is left "
        "empty.">,
    Method<"build_static()", build_static, Access::Exclusive, "The moves as a StaticBook, each key's moves best "
        "first; the builder is left empty.">>;

}  // namespace

const ClassDefinition BB::definition = simple_class<BB, builder_repr>(
    constructor<BB, "()", empty_init<BookBuilder>, "Collects book moves and hands them out as a MemoryBook or a "
        "StaticBook.">,
    {},
    methods);

}  // namespace korvan::py
