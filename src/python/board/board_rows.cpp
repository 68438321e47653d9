// Board methods of the training rows: the 40-byte PackedSfenValue and the 38-byte
// HuffmanCodedPosAndEval, as bytes or written into a caller's buffer or numpy record.

#include "board/board.h"
#include "core/board/notation/rows.h"
#include "support/byte_io.h"
#include "support/convert.h"
#include "support/typed_args.h"

namespace korvan::py {

namespace {

// A numeric field of a row as numpy's record type names it.
struct RowField {
    const char* name;
    std::size_t offset;
    std::size_t width;  // 1 or 2 bytes, little-endian
    bool is_signed;
};

// Where a row goes in a numpy record of its type.
struct RowLayout {
    std::size_t size;
    RecordDtype dtype;  // numpy's record type
    const char* position_field;
    const char* position_length_error;
    RowField fields[3];
    const char* game_result_field;  // the last byte but one
    const char* padding_field;      // the last byte, 0; a record may lack it
    const char* out_error;
};

constexpr RowLayout PSV_LAYOUT{
    PSV_SIZE,
    RecordDtype::PackedSfenValue,
    "sfen",
    "sfen field must have length 32",
    {{"score", 32, 2, true}, {"move", 34, 2, false}, {"game_ply", 36, 2, false}},
    "game_result",
    "padding",
    "out must be writable uint8[40] or PackedSfenValue ndarray with fields",
};

constexpr RowLayout HCPE_LAYOUT{
    HCPE_SIZE,
    RecordDtype::HuffmanCodedPosAndEval,
    "hcp",
    "hcp field must have length 32",
    {{"eval", 32, 2, true}, {"bestMove16", 34, 2, false}, {nullptr, 0, 0, false}},
    "gameResult",
    "dummy",
    "out must be writable uint8[38] or HuffmanCodedPosAndEval ndarray with fields",
};

bool set_field(PyObject* record, const char* name, long value) {
    Ref number(PyLong_FromLong(value));
    return number && PyObject_SetItem(record, interned(name), number.get()) == 0;
}

// Fills a record by field name; false with an exception set at the first failure.
bool write_record(PyObject* record, const std::uint8_t* row, const RowLayout& layout) {
    Ref position(PyObject_GetItem(record, interned(layout.position_field)));
    if (!position) return false;
    if (!copy_into_bytes(position.get(), row, 32)) {
        if (PyObject_Size(position.get()) != 32) {
            PyErr_Clear();
            PyErr_SetString(PyExc_TypeError, layout.position_length_error);
            return false;
        }
        if (!assign_items(position.get(), row, 32)) return false;
    }
    for (const RowField& f : layout.fields) {
        if (!f.name) break;
        long value = row[f.offset];
        if (f.width == 2) value |= static_cast<long>(row[f.offset + 1]) << 8;
        if (f.is_signed && f.width == 2) value = static_cast<std::int16_t>(value);
        if (!set_field(record, f.name, value)) return false;
    }
    const std::size_t result_at = layout.size - 2;
    if (!set_field(record, layout.game_result_field, row[result_at])) return false;
    // A record type without the padding byte is accepted.
    if (!set_field(record, layout.padding_field, 0)) PyErr_Clear();
    return true;
}

// Into `out`: a flat target of the row's length item by item, else the first record
// of `out`, else `out` itself as a record. A target of numpy's record type takes the
// row in one copy, with the bytes the field-by-field route writes.
bool deliver_row(PyObject* out, const std::uint8_t* row, const RowLayout& layout) {
    const std::size_t n = layout.size;
    if (copy_into_bytes(out, row, n) || copy_into_record(out, record_dtype(layout.dtype), row, n, n)) return true;
    const Py_ssize_t length = PyObject_Size(out);
    if (length == static_cast<Py_ssize_t>(n)) return assign_items(out, row, n);
    if (length < 0) PyErr_Clear();
    Ref zero(PyLong_FromLong(0));
    Ref first(zero ? PyObject_GetItem(out, zero.get()) : nullptr);
    if (first && write_record(first.get(), row, layout)) return true;
    PyErr_Clear();
    if (write_record(out, row, layout)) return true;
    PyErr_Clear();
    PyErr_SetString(PyExc_TypeError, layout.out_error);
    return false;
}

template <std::size_t N>
PyObject* row_result(const std::array<std::uint8_t, N>& row, PyObject* out, const RowLayout& layout) {
    if (!out || out == Py_None) return PyBytes_FromStringAndSize(reinterpret_cast<const char*>(row.data()), N);
    if (!deliver_row(out, row.data(), layout)) return nullptr;
    Py_RETURN_NONE;
}

bool score_arg(PyObject* obj, std::int16_t& out) {
    if (!obj) return true;
    return int_arg(obj, "score", out);
}

constexpr const char* GAME_PLY_RANGE = "game_ply must fit in uint16 range (0..65535)";

// to_psv(mv, score, game_result, game_ply, out)
PyObject* to_psv(const Position& pos, PyObject* const* args) {
    std::int16_t score = 0;
    if (!score_arg(args[1], score)) return nullptr;
    std::uint32_t ply = pos.ply;
    if (args[3] && args[3] != Py_None && !int_arg(args[3], "game_ply", ply)) return nullptr;
    const auto sfen = position_to_packed_sfen(pos);
    if (!sfen) return raise_value_error(sfen.error()), nullptr;
    Move move = MOVE_NONE;
    if (args[0] && args[0] != Py_None && !extract_move_arg(args[0], move)) return nullptr;
    GameResult result = INVALID;  // no result given
    if (args[2] && args[2] != Py_None && !game_result_from_object(args[2], result)) return nullptr;
    if (ply > 0xFFFF) return raise_value_error(GAME_PLY_RANGE), nullptr;
    const PsvRow row = psv_row(*sfen, score, move, static_cast<std::uint16_t>(ply), result);
    return row_result(row, args[4], PSV_LAYOUT);
}

// The best move of an HCPE row, already in the 16-bit Apery form.
bool best_move_arg(PyObject* obj, AperyMove& out) {
    if (!obj || obj == Py_None) return true;
    bool raised = false;
    std::uint16_t m16 = 0;
    std::uint32_t m32 = 0;
    if (extract<AperyMoveClass>(obj, m16, raised)) return out = m16, true;
    if (raised) return false;
    if (extract<AperyMove32Class>(obj, m32, raised)) return out = move16(m32), true;
    if (raised) return false;
    if (extract<MoveClass>(obj, m16, raised)) return out = move_to_apery16(m16), true;
    if (raised) return false;
    if (extract<Move32Class>(obj, m32, raised)) return out = move_to_apery16(move16(m32)), true;
    if (raised) return false;
    switch (extract_u16_int(obj, "best_move", m16)) {
        case U16::Ok: return out = m16, true;
        case U16::Failed: return false;
        case U16::NotInt: break;
    }
    if (PyUnicode_Check(obj)) {
        std::string_view text;
        if (!extract_str(obj, text)) return false;
        const auto apery = apery_move_from_usi(text);
        if (!apery) return raise_value_error("best_move must be valid USI move when passed as str");
        out = *apery;
        return true;
    }
    PyErr_SetString(PyExc_TypeError, "best_move must be AperyMove, AperyMove32, Move, Move32, int, or USI str");
    return false;
}

bool hcpe_outcome_arg(PyObject* obj, std::int8_t& out) {
    if (!obj || obj == Py_None) return raise_value_error("game_result is required for hcpe export");
    auto take = [&](const Expected<std::int8_t, HcpeError>& outcome) -> bool {
        if (!outcome) return raise_value_error(hcpe_error_display(outcome.error()));
        out = *outcome;
        return true;
    };
    bool raised = false;
    std::uint8_t result = 0;
    if (extract<GameResultClass>(obj, result, raised)) return take(hcpe_outcome(static_cast<GameResult>(result)));
    if (raised) return false;
    if (PyLong_Check(obj)) {
        int overflow = 0;
        const long long v = PyLong_AsLongLongAndOverflow(obj, &overflow);
        if (v == -1 && PyErr_Occurred()) return false;
        // A byte given signed or unsigned; other ints are no byte at all.
        if (!overflow && v >= -128 && v <= 255) return take(hcpe_outcome_from_byte(static_cast<std::int8_t>(v)));
    } else if (PyUnicode_Check(obj)) {
        std::string_view text;
        if (!extract_str(obj, text)) return false;
        const auto outcome = hcpe_outcome_from_name(text);
        if (!outcome) return raise_value_error(outcome.error());
        out = *outcome;
        return true;
    }
    PyErr_SetString(PyExc_TypeError, "game_result must be GameResult, int, or str");
    return false;
}

// to_hcpe(best_move, score, game_result, out)
PyObject* to_hcpe(const Position& pos, PyObject* const* args) {
    std::int16_t score = 0;
    AperyMove best = 0;
    std::int8_t outcome = 0;
    if (!score_arg(args[1], score) || !best_move_arg(args[0], best) || !hcpe_outcome_arg(args[2], outcome))
        return nullptr;
    const auto hcp = position_to_hcp(pos);
    if (!hcp) return raise_value_error(hcp.error()), nullptr;
    const HcpeRow row = hcpe_row(*hcp, score, best, outcome);
    return row_result(row, args[3], HCPE_LAYOUT);
}

}  // namespace

constexpr Methods BOARD_ROW_METHODS = method_table<BoardClass,
    Method<"to_psv(mv=None, score=0, game_result=None, game_ply=None, out=None)", to_psv>,
    Method<"to_hcpe(best_move=None, score=0, game_result=None, out=None)", to_hcpe>>;

}  // namespace korvan::py
