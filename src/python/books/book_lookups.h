#pragma once
// What the book classes share: the constructor without arguments and the insertion
// under a key of the memory book and the builder; the key's entry and whether the key
// is there, of the memory book and the static book; len() and the repr of these and of
// the SBK book; and the lookups by SFEN and by board of the books read from files.

#include <string>
#include <string_view>

#include "board/board.h"
#include "books/book_errors.h"
#include "books/book_tags.h"
#include "support/typed_args.h"

namespace korvan::py {

template <class Book>
bool empty_init(PyObject* const*, Book&) {
    return true;
}

// Files one move under the key args[0]; `ReadMove(args + 1, move)` reads the move from
// the arguments after it.
template <class Book, bool (*ReadMove)(PyObject* const*, BookMove&)>
PyObject* insert_under_key(Book& book, PyObject* const* args) {
    std::uint64_t key = 0;
    BookMove move;
    if (!book_key_arg(args[0], key) || !ReadMove(args + 1, move)) return nullptr;
    book.insert(key, move);
    Py_RETURN_NONE;
}

template <class Book>
PyObject* book_get(const Book& book, PyObject* const* args) {
    std::uint64_t key = 0;
    if (!book_key_arg(args[0], key)) return nullptr;
    return book_entry_or_none(book.get(key));
}

template <class Book>
PyObject* book_contains(const Book& book, PyObject* const* args) {
    std::uint64_t key = 0;
    if (!book_key_arg(args[0], key)) return nullptr;
    return PyBool_FromLong(book.contains(key));
}

template <class Book>
Py_ssize_t book_length(const Book& book) {
    return static_cast<Py_ssize_t>(book.size());
}

// "MemoryBook(len=3)"
template <class C>
PyObject* book_repr(const typename C::Value& book) {
    return message_str(std::string(C::name) + "(len=" + std::to_string(book.size()) + ")");
}

// A file book's answer: an object of the entry class C, None when the position is not
// in the book, or the book error raised.
template <class C, class Lookup>
PyObject* entry_or_none(Lookup got) {
    if (!got) return raise_book_error(got.error());
    if (!*got) Py_RETURN_NONE;
    return wrap<C>(std::move(**got));
}

template <class C, class Book>
PyObject* lookup_sfen(const Book& book, PyObject* const* args) {
    std::string_view sfen;
    if (!str_arg(args[0], "sfen", sfen)) return nullptr;
    return entry_or_none<C>(book.lookup_sfen(sfen));
}

template <class C, class Book>
PyObject* lookup_position(const Book& book, PyObject* const* args) {
    BoardArg board;
    if (!board.bind(args[0], "board")) return nullptr;
    return entry_or_none<C>(book.lookup_position(board.position()));
}

}  // namespace korvan::py
