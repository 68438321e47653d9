// Board methods of the two 32-byte positions, PackedSfen and HuffmanCodedPos: into
// bytes, byte buffers, lists and numpy arrays and records, and back.

#include "board/board.h"
#include "core/board/notation/packed.h"
#include "support/byte_io.h"
#include "support/convert.h"
#include "support/typed_args.h"

namespace korvan::py {

namespace {

// What the two forms differ in: the coder, the numpy field and the texts.
struct PackedForm {
    Expected<Packed32, std::string> (*encode)(const Position&);
    const char* field;
    const char* out_error;     // TypeError of the writer
    const char* source_error;  // TypeError of the setter
    const char* length_error;  // ValueError of the setter
};

constexpr PackedForm PACKED_SFEN{position_to_packed_sfen, "sfen",
                                 "out must be writable uint8[32] or PackedSfen ndarray with 'sfen' field",
                                 "psfen must be bytes-like, uint8[32], or PackedSfen ndarray with 'sfen' field",
                                 "psfen must be 32 bytes"};
constexpr PackedForm HCP{position_to_hcp, "hcp",
                         "out must be writable uint8[32] or HuffmanCodedPos ndarray with 'hcp' field",
                         "hcp must be bytes-like, uint8[32], or HuffmanCodedPos ndarray with 'hcp' field",
                         "hcp must be 32 bytes"};

// A flat target of 32 items, else the field of the target's first record.
bool write_packed(PyObject* out, const Packed32& bytes, const PackedForm& form) {
    if (copy_into_bytes(out, bytes.data(), 32)) return true;
    const Py_ssize_t n = PyObject_Size(out);
    if (n == 32) return assign_items(out, bytes.data(), 32);
    if (n < 0) PyErr_Clear();
    Ref zero(PyLong_FromLong(0));
    Ref first(zero ? PyObject_GetItem(out, zero.get()) : nullptr);
    Ref field(first ? PyObject_GetItem(first.get(), interned(form.field)) : nullptr);
    if (field) {
        if (copy_into_bytes(field.get(), bytes.data(), 32)) return true;
        if (PyObject_Size(field.get()) == 32) return assign_items(field.get(), bytes.data(), 32);
    }
    PyErr_Clear();
    PyErr_SetString(PyExc_TypeError, form.out_error);
    return false;
}

template <const PackedForm& F>
PyObject* to_packed(const Position& pos, PyObject* const* args) {
    // Encoded first: a position the form cannot hold is refused before `out` is touched.
    const auto bytes = F.encode(pos);
    if (!bytes) {
        raise_value_error(bytes.error());
        return nullptr;
    }
    PyObject* out = args[0];
    if (!out || out == Py_None)
        return PyBytes_FromStringAndSize(reinterpret_cast<const char*>(bytes->data()), 32);
    if (!write_packed(out, *bytes, F)) return nullptr;
    Py_RETURN_NONE;
}

// The 32 bytes of a source: the source itself, its field, its first item's field, or
// its first item, whichever is first a byte sequence.
bool read_packed(PyObject* source, Packed32& out, const PackedForm& form) {
    std::size_t length = 0;
    auto found = [&]() {
        if (length == 32) return true;
        raise_value_error(form.length_error);
        return false;
    };
    auto sequence = [&](PyObject* obj) { return obj && read_byte_sequence(obj, out.data(), 32, length); };
    if (sequence(source)) return found();
    PyObject* key = interned(form.field);
    Ref field(PyObject_GetItem(source, key));
    if (sequence(field.get())) return found();
    PyErr_Clear();
    Ref zero(PyLong_FromLong(0));
    Ref first(zero ? PyObject_GetItem(source, zero.get()) : nullptr);
    if (first) {
        Ref first_field(PyObject_GetItem(first.get(), key));
        if (sequence(first_field.get())) return found();
        PyErr_Clear();
        if (sequence(first.get())) return found();
    }
    PyErr_Clear();
    PyErr_SetString(PyExc_TypeError, form.source_error);
    return false;
}

PyObject* set_packed_sfen(Position& pos, PyObject* const* args) {
    Packed32 bytes;
    if (!read_packed(args[0], bytes, PACKED_SFEN)) return nullptr;
    auto decoded = packed_sfen_to_state(bytes, 1);
    if (!decoded) {
        raise_value_error(packed_sfen_error_debug(decoded.error()));
        return nullptr;
    }
    position_set_decoded(pos, *decoded);
    Py_RETURN_NONE;
}

PyObject* set_hcp(Position& pos, PyObject* const* args) {
    std::uint32_t ply = 1;
    if (args[1] && !int_arg(args[1], "game_ply", ply)) return nullptr;
    if (ply > 0xFFFF) {
        PyErr_SetString(PyExc_ValueError, "game_ply must fit in uint16 range (0..65535)");
        return nullptr;
    }
    Packed32 bytes;
    if (!read_packed(args[0], bytes, HCP)) return nullptr;
    auto decoded = hcp_to_state(bytes, static_cast<std::uint16_t>(ply));
    if (!decoded) {
        raise_value_error(hcp_error_display(decoded.error()));
        return nullptr;
    }
    position_set_decoded(pos, *decoded);
    Py_RETURN_NONE;
}

}  // namespace

constexpr Methods BOARD_PACKED_METHODS = method_table<BoardClass,
    Method<"to_packed_sfen(out=None)", to_packed<PACKED_SFEN>>,
    Method<"to_hcp(out=None)", to_packed<HCP>>,
    Method<"set_packed_sfen(psfen)", set_packed_sfen, Access::Exclusive>,
    Method<"set_hcp(hcp, game_ply=1)", set_hcp, Access::Exclusive>>;

}  // namespace korvan::py
