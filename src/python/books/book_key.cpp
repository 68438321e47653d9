// BookKey: the position key the own books file their moves under. Only the low word is
// ever set; keys compare with keys alone, and only for equality.

#include "books/book_tags.h"
#include "support/value_shape.h"

namespace korvan::py {

namespace {

using K = BookKeyClass;

PyObject* low(const BookKey& k) { return PyLong_FromUnsignedLongLong(k.low); }
PyObject* high(const BookKey&) { return PyLong_FromUnsignedLongLong(BookKey::high); }
PyObject* key_str(const BookKey& k) { return message_str(book_key_hex(k.low)); }
PyObject* key_repr(const BookKey& k) { return message_str(book_key_repr(k)); }

// A key has no exclusive user, so its value is read without a borrow.
PyObject* compare(PyObject* self, PyObject* other, int op) {
    if (!is_instance<K>(self) || !is_instance<K>(other)) return unsupported_comparison<K>();
    const bool equal = object_of<K>(self)->value == object_of<K>(other)->value;
    switch (op) {
        case Py_EQ: return PyBool_FromLong(equal);
        case Py_NE: return PyBool_FromLong(!equal);
        default: PyErr_SetString(PyExc_TypeError, "BookKey only supports == and !="); return nullptr;
    }
}

// The low word as a signed number; -1 is the interpreter's error mark, so it becomes -2.
Py_hash_t hash(PyObject* self) {
    const auto h = static_cast<Py_hash_t>(object_of<K>(self)->value.low);
    return h == -1 ? -2 : h;
}

constexpr Attributes getset = attribute_table<K,
    Attribute<"low", low, ReadOnly, "The key as an int of 64 bits.">,
    Attribute<"high", high, ReadOnly, "Always 0: the books hold 64-bit keys.">>;

}  // namespace

const ClassDefinition K::definition = define<K>({
    .doc = "The position key of the opening books; made by book_key_from_position and book_key_after.",
    .attributes = {getset},
    .richcompare = compare,
    .hash = hash,
    .repr = slot<K, key_repr>,
    .str = slot<K, key_str>,
    .to_int = slot<K, low>,
});

}  // namespace korvan::py
