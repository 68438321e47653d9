// YaneuraOuBook: a YaneuraOu db text book, opened with a bounded ordering check and read
// from its file on every call.

#include <string>

#include "board/board.h"
#include "books/book_errors.h"
#include "books/book_tags.h"
#include "books/yaneuraou_tags.h"
#include "support/convert.h"

namespace korvan::py {

namespace {

PyObject* open_book(PyTypeObject* cls, PyObject* const* args) {
    std::string path;
    if (!book_path_arg(args[0], path)) return nullptr;
    auto book = YaneuraOuBook::open(path);
    if (!book) return raise_book_error(book.error());
    return wrap_as<YaneuraOuBookClass>(cls, std::move(*book));
}

PyObject* validate_full(YaneuraOuBook& b) {
    auto ordering = b.validate_full();
    if (!ordering) return raise_book_error(ordering.error());
    return wrap<YaneuraOuBookDiagnosticsClass>(std::move(*ordering));
}

PyObject* diagnostics(const YaneuraOuBook& b) { return wrap<YaneuraOuBookDiagnosticsClass>(b.diagnostics()); }

PyObject* entry_result(YaneuraOuBook::Lookup got) {
    if (!got) return raise_book_error(got.error());
    if (!*got) Py_RETURN_NONE;
    return wrap<YaneuraOuBookEntryClass>(std::move(**got));
}

bool sfen_arg(PyObject* obj, std::string_view& out) {
    if (extract_str(obj, out)) return true;
    argument_error("sfen");
    return false;
}

PyObject* lookup_sfen(const YaneuraOuBook& b, PyObject* const* args) {
    std::string_view sfen;
    if (!sfen_arg(args[0], sfen)) return nullptr;
    return entry_result(b.lookup_sfen(sfen));
}

PyObject* lookup_position(const YaneuraOuBook& b, PyObject* const* args) {
    BoardArg board;
    if (!board.bind(args[0], "board")) return nullptr;
    return entry_result(b.lookup_position(board.position()));
}

PyObject* lookup_sfen_by_scan(const YaneuraOuBook& b, PyObject* const* args) {
    std::string_view sfen;
    if (!sfen_arg(args[0], sfen)) return nullptr;
    return entry_result(b.lookup_sfen_by_scan(sfen));
}

PyObject* book_repr(const YaneuraOuBook& b) {
    return message_str(std::string("YaneuraOuBook(ordering=") + yaneuraou_ordering_name(b.diagnostics().kind) + ")");
}

constexpr Methods BOOK_METHODS = method_table<YaneuraOuBookClass,
    ClassMethod<"open(path)", open_book, "Open the YaneuraOu db book at path (a str), checking the order of its "
        "first 10000 positions.">,
    Method<"validate_full()", validate_full, Access::Exclusive, "Check the order of the whole file, keep and "
        "return the result.">,
    Method<"diagnostics()", diagnostics, Access::Shared, "The result of the last ordering check.">,
    Method<"lookup_sfen(sfen)", lookup_sfen, Access::Shared, "The entry of the position an SFEN gives, or None, "
        "by bisection of a book known to be in order.">,
    Method<"lookup_position(board)", lookup_position, Access::Shared,
           "The entry of a Board's current position, or None, as lookup_sfen finds it.">,
    Method<"lookup_sfen_by_scan(sfen)", lookup_sfen_by_scan, Access::Shared, "The first entry of the position an "
        "SFEN gives, or None, reading the file from the start.">>;

}  // namespace

const ClassDefinition YaneuraOuBookClass::definition = define<YaneuraOuBookClass>({
    .doc = "A YaneuraOu db text book, read from its file on every lookup.",
    .methods = {BOOK_METHODS},
    .repr = slot<YaneuraOuBookClass, book_repr>,
});

}  // namespace korvan::py
