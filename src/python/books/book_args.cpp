// The arguments the book classes and functions share.

#include "books/book_tags.h"
#include "support/convert.h"
#include "support/typed_args.h"
#include "values/value_tags.h"

namespace korvan::py {

bool book_key_arg(PyObject* obj, std::uint64_t& out) {
    BookKey key;
    if (!extract_arg<BookKeyClass>(obj, "key", key)) return false;
    out = key.low;
    return true;
}

bool book_move_args(PyObject* const* args, BookMove& out) {
    if (!extract_arg<MoveClass>(args[0], "mv", out.mv)) return false;
    if (!int_arg(args[1], "score", out.score)) return false;
    if (!int_arg(args[2], "depth", out.depth)) return false;
    return true;
}

bool book_path_arg(PyObject* obj, std::string& out) {
    return str_arg(obj, "path", out);
}

bool walk_args(PyObject* const* args, WalkArgs& out) {
    PyObject* record = args[0];
    if (!is_instance<RecordClass>(record)) {
        wrong_class(record, RecordClass::name);
        argument_error("record");
        return false;
    }
    Object<RecordClass>* held = object_of<RecordClass>(record);
    out.guard.emplace(held->borrow);
    if (!*out.guard) {
        out.guard.reset();
        return false;
    }
    out.record = &held->value;
    if (args[1] && !int_arg(args[1], "default_score", out.default_score)) return false;
    if (args[2] && !int_arg(args[2], "default_depth", out.default_depth)) return false;
    return true;
}

PyObject* book_entry_or_none(std::optional<BookEntry> entry) {
    if (!entry) Py_RETURN_NONE;
    return wrap<BookEntryClass>(std::move(*entry));
}

}  // namespace korvan::py
