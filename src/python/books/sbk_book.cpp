// SbkBook: an SBK book opened once and looked up by position, SFEN, state id, place and
// child. The open's progress callback is called with a new SbkOpenProgress after each
// indexed state; what it returns is judged by the interpreter (None continues, else its
// truth), and an exception it raises reaches the caller as it is.

#include <string>

#include "books/book_lookups.h"
#include "books/sbk_tags.h"
#include "support/convert.h"
#include "support/simple_classes.h"
#include "support/typed_args.h"

namespace korvan::py {

namespace {

PyObject* book_result(PyTypeObject* cls, Expected<SbkBook, BookError> book) {
    if (!book) {
        raise_book_error(book.error());
        return nullptr;
    }
    return wrap_as<SbkBookClass>(cls, std::move(*book));
}

PyObject* open_book(PyTypeObject* cls, PyObject* const* args) {
    std::string path;
    if (!book_path_arg(args[0], path)) return nullptr;
    return book_result(cls, SbkBook::open(path));
}

PyObject* open_with_control(PyTypeObject* cls, PyObject* const* args) {
    std::string path;
    if (!book_path_arg(args[0], path)) return nullptr;
    PyObject* callback = args[1];
    // The callback's own exception stops the open and is raised in place of Cancelled.
    Ref raised;
    const auto progress = [&](const SbkOpenProgress& p) {
        Ref report(wrap<SbkOpenProgressClass>(p));
        if (!report) {
            raised = take_exception();
            return false;
        }
        Ref answer(PyObject_CallOneArg(callback, report.get()));
        if (!answer) {
            raised = take_exception();
            return false;
        }
        if (answer.get() == Py_None) return true;
        const int truth = PyObject_IsTrue(answer.get());
        if (truth < 0) raised = take_exception();
        return truth > 0;
    };
    auto book = SbkBook::open(path, progress);
    if (raised) {
        restore_exception(std::move(raised));
        return nullptr;
    }
    return book_result(cls, std::move(book));
}

PyObject* optional_text(const std::optional<std::string>& v) {
    if (!v) Py_RETURN_NONE;
    return to_py_str(*v);
}

PyObject* author(const SbkBook& b) { return optional_text(b.author()); }
PyObject* description(const SbkBook& b) { return optional_text(b.description()); }

PyObject* diagnostics(const SbkBook& b) { return wrap<SbkDiagnosticsClass>(b.diagnostics()); }

constexpr auto entry_result = entry_or_none<SbkEntryClass, SbkBook::Lookup>;

PyObject* lookup_state_id(const SbkBook& b, PyObject* const* args) {
    std::int32_t id = 0;
    if (!int_arg(args[0], "state_id", id)) return nullptr;
    return entry_result(b.lookup_state_id(id));
}

PyObject* lookup_state_index(const SbkBook& b, PyObject* const* args) {
    std::uint64_t index = 0;
    if (!int_arg(args[0], "state_index", index)) return nullptr;
    return entry_result(b.lookup_state_index(index));
}

PyObject* child_entry(const SbkBook& b, PyObject* const* args) {
    SbkEntry parent;
    if (!extract_arg<SbkEntryClass>(args[0], "parent", parent)) return nullptr;
    std::uint64_t move_index = 0;
    if (!int_arg(args[1], "move_index", move_index)) return nullptr;
    return entry_result(b.child_entry(parent, move_index));
}

constexpr Methods BOOK_METHODS = method_table<SbkBookClass,
    ClassMethod<"open(path)", open_book, "Open and index the SBK book at path (a str).">,
    ClassMethod<"open_with_control(path, callback)", open_with_control, "Open like open, calling "
        "callback(SbkOpenProgress) after each indexed state; a false result (other than None) cancels.">,
    Method<"diagnostics()", diagnostics, Access::Shared, "The duplicate and unresolved counts of the open.">,
    Method<"lookup_sfen(sfen)", lookup_sfen<SbkEntryClass, SbkBook>, Access::Shared,
           "The entry of the position an SFEN gives, or None.">,
    Method<"lookup_position(board)", lookup_position<SbkEntryClass, SbkBook>, Access::Shared,
           "The entry of a Board's current position, or None.">,
    Method<"lookup_state_id(state_id)", lookup_state_id, Access::Shared, "The entry of the state with that id, "
        "or None.">,
    Method<"lookup_state_index(state_index)", lookup_state_index, Access::Shared, "The entry of the state at that "
        "place in the file, or None.">,
    Method<"child_entry(parent, move_index)", child_entry, Access::Shared, "The entry the parent's move number "
        "move_index leads to, or None.">>;

constexpr Attributes BOOK_GETSET = attribute_table<SbkBookClass,
    Attribute<"author", author>,
    Attribute<"description", description>>;

}  // namespace

const ClassDefinition SbkBookClass::definition =
    simple_class<SbkBookClass, book_repr<SbkBookClass>, book_length<SbkBook>>(
        "An SBK opening book, indexed at open and read from its file on every lookup.", BOOK_GETSET, BOOK_METHODS);

}  // namespace korvan::py
