// YaneuraOuBook: a YaneuraOu db text book, opened with a bounded ordering check and read
// from its file on every call.

#include <string>

#include "books/book_lookups.h"
#include "books/yaneuraou_tags.h"
#include "support/convert.h"
#include "support/simple_classes.h"
#include "support/typed_args.h"

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

PyObject* lookup_sfen_by_scan(const YaneuraOuBook& b, PyObject* const* args) {
    std::string_view sfen;
    if (!str_arg(args[0], "sfen", sfen)) return nullptr;
    return entry_or_none<YaneuraOuBookEntryClass>(b.lookup_sfen_by_scan(sfen));
}

PyObject* yaneuraou_book_repr(const YaneuraOuBook& b) {
    return message_str(std::string("YaneuraOuBook(ordering=") + yaneuraou_ordering_name(b.diagnostics().kind) + ")");
}

constexpr Methods BOOK_METHODS = method_table<YaneuraOuBookClass,
    ClassMethod<"open(path)", open_book, "Open the YaneuraOu db book at path (a str), checking the order of its "
        "first 10000 positions.">,
    Method<"validate_full()", validate_full, Access::Exclusive, "Check the order of the whole file, keep and "
        "return the result.">,
    Method<"diagnostics()", diagnostics, Access::Shared, "The result of the last ordering check.">,
    Method<"lookup_sfen(sfen)", lookup_sfen<YaneuraOuBookEntryClass, YaneuraOuBook>, Access::Shared,
           "The entry of the position an SFEN gives, or None, by bisection of a book known to be in order.">,
    Method<"lookup_position(board)", lookup_position<YaneuraOuBookEntryClass, YaneuraOuBook>, Access::Shared,
           "The entry of a Board's current position, or None, as lookup_sfen finds it.">,
    Method<"lookup_sfen_by_scan(sfen)", lookup_sfen_by_scan, Access::Shared, "The first entry of the position an "
        "SFEN gives, or None, reading the file from the start.">>;

}  // namespace

const ClassDefinition YaneuraOuBookClass::definition = simple_class<YaneuraOuBookClass, yaneuraou_book_repr>(
    "A YaneuraOu db text book, read from its file on every lookup.", {}, BOOK_METHODS);

}  // namespace korvan::py
