// The _korvan extension module: the import entry and the registration of every class,
// constant, function and submodule, in one fixed order.

#include <atomic>
#include <cstdint>

#include "class_tags.h"
#include "core/labels/policy.h"
#include "module_parts.h"
#include "records/record_classes.h"
#include "records/record_values.h"
#include "containers/sazpack_classes.h"
#include "support/boundary.h"

namespace korvan::py {

namespace {

PyObject* move_label_count() { return PyLong_FromLong(MOVE_LABEL_NB); }
PyObject* compact_move_label_count() { return PyLong_FromLong(COMPACT_MOVE_LABEL_NB); }

// One row per registered name. The order of the rows is the module's registration
// order and so the order of __all__; a class, constant or function built later is
// added as a row at the place its comment marks, nowhere else.
struct Registration {
    const char* name;
    PyTypeObject* (*make_class)() = nullptr;
    PyObject* (*make_value)() = nullptr;  // constants and the submodule
    PyMethodDef* function = nullptr;      // bound to the module
};

const Registration REGISTRATIONS[] = {
    {"Color", create_color_class},
    {"PieceType", create_piece_type_class},
    {"Piece", create_piece_class},
    {"Square", create_square_class},
    {"Bitboard", create_bitboard_class},
    {"Hand", create_hand_class},
    {"MoveType", create_move_type_class},
    {"RepetitionState", create_repetition_state_class},
    {"Svg", create_svg_class},
    {"ValidationIssue", create_validation_issue_class},
    {"ValidationReport", create_validation_report_class},
    {"PositionState", create_position_state_class},
    {"Board", create_board_class},
    {"Move", create_move_class},
    {"AperyMove", create_apery_move_class},
    {"Move32", create_move32_class},
    {"AperyMove32", create_apery_move32_class},
    {"GameResult", create_game_result_class},
    {"GameResultInfo", create_game_result_info_class},
    {"TimeControl", create_time_control_class},
    {"EngineInfo", create_engine_info_class},
    {"MoveEntry", create_move_entry_class},
    {"SpecialMoveEntry", create_special_move_entry_class},
    {"RecordEntry", create_record_entry_class},
    {"UsiPositionParts", create_usi_position_parts_class},
    {"RecordNodeId", create_record_node_id_class},
    {"RecordMetadataKey", create_record_metadata_key_class},
    {"RecordMetadata", create_record_metadata_class},
    {"RecordEditor", create_record_editor_class},
    {"Record", create_record_class},
    // Book classes: BookKey, BookMove, BookEntry, YaneuraOuBookDiagnostics,
    // YaneuraOuBookMove, YaneuraOuBookEntry, YaneuraOuBook, SbkDiagnostics,
    // SbkOpenProgress, SbkEval, SbkMove, SbkEntry, SbkBook, MemoryBook, StaticBook,
    // BookBuilder.
    {"MOVE_LABEL_COUNT", nullptr, move_label_count},
    {"COMPACT_MOVE_LABEL_COUNT", nullptr, compact_move_label_count},
    {"MOVE_LABEL_TO_COMPACT", nullptr, move_label_to_compact_list},
    {"COMPACT_TO_MOVE_LABEL", nullptr, compact_to_move_label_list},
    {"SazPolicyEntry", create_saz_policy_entry_class},
    {"SazMove", create_saz_move_class},
    {"SazGame", create_saz_game_class},
    {"write_sazpack", nullptr, nullptr, &WRITE_SAZPACK_DEF},
    {"write_sazpack_file", nullptr, nullptr, &WRITE_SAZPACK_FILE_DEF},
    {"decode_sazpack", nullptr, nullptr, &DECODE_SAZPACK_DEF},
    {"decode_sazpack_file", nullptr, nullptr, &DECODE_SAZPACK_FILE_DEF},
    // Functions: book_key_from_position, book_key_after, book_builder_from_game_record.
    {"parse_usi_position", nullptr, nullptr, &PARSE_USI_POSITION_DEF},
    {"parse_usi_position_parts", nullptr, nullptr, &PARSE_USI_POSITION_PARTS_DEF},
    {"normalize_usi_position", nullptr, nullptr, &NORMALIZE_USI_POSITION_DEF},
    {"to_move", nullptr, nullptr, &TO_MOVE_DEF},
    {"decode_pack", nullptr, nullptr, &DECODE_PACK_DEF},
    {"decode_pack_file", nullptr, nullptr, &DECODE_PACK_FILE_DEF},
    {"decode_sbinpack", nullptr, nullptr, &DECODE_SBINPACK_DEF},
    {"decode_sbinpack_file", nullptr, nullptr, &DECODE_SBINPACK_FILE_DEF},
    {"write_pack", nullptr, nullptr, &WRITE_PACK_DEF},
    {"write_pack_file", nullptr, nullptr, &WRITE_PACK_FILE_DEF},
    {"write_sbinpack", nullptr, nullptr, &WRITE_SBINPACK_DEF},
    {"write_sbinpack_file", nullptr, nullptr, &WRITE_SBINPACK_FILE_DEF},
    {"move_label", nullptr, nullptr, &MOVE_LABEL_DEF},
    {"compact_move_label", nullptr, nullptr, &COMPACT_MOVE_LABEL_DEF},
    {"move_label_to_compact", nullptr, nullptr, &MOVE_LABEL_TO_COMPACT_DEF},
    {"compact_move_label_to_move_label", nullptr, nullptr, &COMPACT_MOVE_LABEL_TO_MOVE_LABEL_DEF},
    {"is_structurally_valid_move_label", nullptr, nullptr, &IS_STRUCTURALLY_VALID_MOVE_LABEL_DEF},
    {"dtype", nullptr, create_dtype_module},
};

PyObject* make_object(const Registration& r, PyObject* module, PyObject* module_name) {
    if (r.make_class) return reinterpret_cast<PyObject*>(r.make_class());
    if (r.make_value) return r.make_value();
    return PyCFunction_NewEx(r.function, module, module_name);
}

// Sets the attribute and appends the name to __all__, which the first registration
// creates.
bool register_name(PyObject* module, const char* name, PyObject* value) {
    PyObject* all = PyObject_GetAttrString(module, "__all__");  // new reference or null
    if (!all) {
        PyErr_Clear();
        all = PyList_New(0);
        if (!all || PyModule_AddObjectRef(module, "__all__", all) < 0) {
            Py_XDECREF(all);
            return false;
        }
    }
    Ref all_ref(all);
    Ref text(PyUnicode_FromString(name));
    return text && PyModule_AddObjectRef(module, name, value) == 0 && PyList_Append(all, text.get()) == 0;
}

int module_body(PyObject* module) {
    return boundary<int>(-1, [&]() -> int {
        // Reachable as an attribute, deliberately absent from __all__.
        PyObject* panic_class = create_panic_exception();
        if (!panic_class || PyModule_AddObjectRef(module, "PanicException", panic_class) < 0) return -1;
        Ref module_name(PyModule_GetNameObject(module));
        if (!module_name) return -1;
        for (const Registration& r : REGISTRATIONS) {
            Ref value(make_object(r, module, module_name.get()));
            if (!value || !register_name(module, r.name, value.get())) return -1;
        }
        return 0;
    });
}

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT, "_korvan", "", 0, nullptr, nullptr, nullptr, nullptr, nullptr,
};

std::atomic<std::int64_t> first_interpreter{-1};
PyObject* built_module = nullptr;

}  // namespace

}  // namespace korvan::py

PyMODINIT_FUNC PyInit__korvan(void) {
    using namespace korvan::py;
    PyInterpreterState* interp = PyInterpreterState_Get();
    const std::int64_t id = PyInterpreterState_GetID(interp);
    if (id < 0) return nullptr;
    std::int64_t expected = -1;
    if (!first_interpreter.compare_exchange_strong(expected, id) && expected != id) {
        PyErr_SetString(PyExc_ImportError, "_korvan does not support sub-interpreters");
        return nullptr;
    }
    if (built_module) {
        Py_INCREF(built_module);
        return built_module;
    }
    PyObject* module = PyModule_Create(&module_def);
    if (!module) return nullptr;
    if (module_body(module) < 0) {
        Py_DECREF(module);
        return nullptr;
    }
    built_module = module;
    Py_INCREF(built_module);
    return module;
}
