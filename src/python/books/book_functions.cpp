// The book module functions: the key of a board's position, the key one move ahead,
// and a memory book of one record.

#include "board/board.h"
#include "books/book_errors.h"
#include "books/book_tags.h"
#include "values/value_tags.h"

namespace korvan::py {

namespace {

PyObject* book_key_from_position(PyObject* const* args) {
    BoardArg board;
    if (!board.bind(args[0], "board")) return nullptr;
    return wrap<BookKeyClass>(book_key_of(board.position()));
}

PyObject* book_key_after(PyObject* const* args) {
    BoardArg board;
    Move mv = MOVE_NONE;
    if (!board.bind(args[0], "board") || !extract_arg<MoveClass>(args[1], "mv", mv)) return nullptr;
    auto key = korvan::book_key_after(board.position(), mv);
    if (!key) return raise_value_error(book_key_error_display(key.error()));
    return wrap<BookKeyClass>(*key);
}

PyObject* book_builder_from_game_record(PyObject* const* args) {
    WalkArgs walk;
    if (!walk_args(args, walk)) return nullptr;
    auto book = korvan::book_builder_from_game_record(*walk.record, walk.default_score, walk.default_depth);
    if (!book) return raise_book_error(book.error());
    return wrap<MemoryBookClass>(std::move(*book));
}

}  // namespace

constexpr Methods BOOK_FUNCTIONS = function_table<
    Function<"book_key_from_position(board)", book_key_from_position>,
    Function<"book_key_after(board, mv)", book_key_after>,
    Function<"book_builder_from_game_record(record, default_score=0, default_depth=0)",
             book_builder_from_game_record>>;

}  // namespace korvan::py
