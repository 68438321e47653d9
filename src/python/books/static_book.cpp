// StaticBook: the frozen, sorted book, read from and written to "KORVANBK" bytes and
// files.

#include <string>

#include "books/book_errors.h"
#include "books/book_lookups.h"
#include "support/sequences.h"
#include "support/simple_classes.h"
#include "support/typed_args.h"

namespace korvan::py {

namespace {

using S = StaticBookClass;

PyObject* book_or_error(Expected<StaticBook, BookError> book) {
    if (!book) return raise_book_error(book.error());
    return wrap<S>(std::move(*book));
}

PyObject* from_bytes(PyTypeObject*, PyObject* const* args) {
    Bytes data;
    if (!named_arg(extract_byte_list(args[0], data), "data")) return nullptr;
    return book_or_error(static_book_from_bytes(data));
}

PyObject* from_file(PyTypeObject*, PyObject* const* args) {
    std::string path;
    if (!book_path_arg(args[0], path)) return nullptr;
    return book_or_error(static_book_from_file(path));
}

PyObject* from_memory_book(PyTypeObject*, PyObject* const* args) {
    if (!is_instance<MemoryBookClass>(args[0])) {
        wrong_class(args[0], MemoryBookClass::name);
        argument_error("book");
        return nullptr;
    }
    Object<MemoryBookClass>* source = object_of<MemoryBookClass>(args[0]);
    SharedBorrow guard(source->borrow);
    if (!guard) return nullptr;
    return wrap<S>(static_book_from_memory(source->value));
}

PyObject* to_bytes(const StaticBook& book) {
    const Bytes bytes = static_book_to_bytes(book);
    return PyBytes_FromStringAndSize(reinterpret_cast<const char*>(bytes.data()),
                                     static_cast<Py_ssize_t>(bytes.size()));
}

PyObject* write_file(const StaticBook& book, PyObject* const* args) {
    std::string path;
    if (!book_path_arg(args[0], path)) return nullptr;
    auto written = static_book_write_file(book, path);
    if (!written) return raise_book_error(written.error());
    Py_RETURN_NONE;
}

constexpr Methods methods = method_table<S,
    ClassMethod<"from_bytes(data)", from_bytes, "Reads a book from the bytes of a book file.">,
    ClassMethod<"from_file(path)", from_file, "Reads a book file; the path is a str.">,
    ClassMethod<"from_memory_book(book)", from_memory_book, "Freezes a MemoryBook: keys ascending, moves in "
        "insertion order.">,
    Method<"to_bytes()", to_bytes, Access::Shared, "The bytes of the book file.">,
    Method<"write_file(path)", write_file, Access::Shared, "Writes the book file, creating or truncating it.">,
    Method<"get(key)", book_get<StaticBook>, Access::Shared,
           "The key's moves in stored order as a BookEntry, or None.">,
    Method<"contains(key)", book_contains<StaticBook>, Access::Shared, "Whether the book holds the key.">>;

}  // namespace

const ClassDefinition S::definition = simple_class<S, book_repr<S>, book_length<StaticBook>>(
    "A frozen opening book: keys ascending, each with its moves, stored as a \"KORVANBK\" file.",
    {},
    methods);

}  // namespace korvan::py
