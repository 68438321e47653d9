// The _korvan extension module: the import entry and the registration of every class,
// constant, function and submodule, in one fixed order.

#include <atomic>
#include <cstdint>

#include "board/board_tags.h"
#include "books/book_tags.h"
#include "books/sbk_tags.h"
#include "books/yaneuraou_tags.h"
#include "containers/container_tags.h"
#include "core/labels/policy.h"
#include "records/record_tags.h"
#include "support/boundary.h"
#include "support/class_definition.h"
#include "values/value_tags.h"

namespace korvan::py {

namespace {

PyObject* move_label_count() { return PyLong_FromLong(MOVE_LABEL_NB); }
PyObject* compact_move_label_count() { return PyLong_FromLong(COMPACT_MOVE_LABEL_NB); }

// One row per registered class, constant, function table or submodule. The order of
// the rows is the module's registration order and so the order of __all__; classes and
// functions take their names from their own definitions.
struct Registration {
    const char* name = nullptr;                    // constants and the submodule
    const ClassDefinition* definition = nullptr;  // a class
    PyObject* (*make_value)() = nullptr;           // constants and the submodule
    const Methods* functions = nullptr;           // bound to the module, each under its own name
};

template <class Tag>
constexpr Registration klass() {
    return {.definition = &Tag::definition};
}
constexpr Registration functions(const Methods& table) { return {.functions = &table}; }
constexpr Registration constant(const char* name, PyObject* (*make)()) { return {.name = name, .make_value = make}; }

const Registration REGISTRATIONS[] = {
    klass<ColorClass>(),
    klass<PieceTypeClass>(),
    klass<PieceClass>(),
    klass<SquareClass>(),
    klass<BitboardClass>(),
    klass<HandClass>(),
    klass<MoveTypeClass>(),
    klass<RepetitionStateClass>(),
    klass<SvgClass>(),
    klass<ValidationIssueClass>(),
    klass<ValidationReportClass>(),
    klass<PositionStateClass>(),
    klass<BoardClass>(),
    klass<MoveClass>(),
    klass<AperyMoveClass>(),
    klass<Move32Class>(),
    klass<AperyMove32Class>(),
    klass<GameResultClass>(),
    klass<GameResultInfoClass>(),
    klass<TimeControlClass>(),
    klass<EngineInfoClass>(),
    klass<MoveEntryClass>(),
    klass<SpecialMoveEntryClass>(),
    klass<RecordEntryClass>(),
    klass<UsiPositionPartsClass>(),
    klass<RecordNodeIdClass>(),
    klass<RecordMetadataKeyClass>(),
    klass<RecordMetadataClass>(),
    klass<RecordEditorClass>(),
    klass<RecordClass>(),
    klass<BookKeyClass>(),
    klass<BookMoveClass>(),
    klass<BookEntryClass>(),
    klass<YaneuraOuBookDiagnosticsClass>(),
    klass<YaneuraOuBookMoveClass>(),
    klass<YaneuraOuBookEntryClass>(),
    klass<YaneuraOuBookClass>(),
    klass<SbkDiagnosticsClass>(),
    klass<SbkOpenProgressClass>(),
    klass<SbkEvalClass>(),
    klass<SbkMoveClass>(),
    klass<SbkEntryClass>(),
    klass<SbkBookClass>(),
    klass<MemoryBookClass>(),
    klass<StaticBookClass>(),
    klass<BookBuilderClass>(),
    constant("MOVE_LABEL_COUNT", move_label_count),
    constant("COMPACT_MOVE_LABEL_COUNT", compact_move_label_count),
    constant("MOVE_LABEL_TO_COMPACT", move_label_to_compact_list),
    constant("COMPACT_TO_MOVE_LABEL", compact_to_move_label_list),
    klass<SazPolicyEntryClass>(),
    klass<SazMoveClass>(),
    klass<SazGameClass>(),
    functions(SAZPACK_FUNCTIONS),
    functions(BOOK_FUNCTIONS),
    functions(USI_POSITION_FUNCTIONS),
    functions(MOVE_FUNCTIONS),
    functions(PACK_FUNCTIONS),
    functions(LABEL_FUNCTIONS),
    constant("dtype", create_dtype_module),
};

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
            if (r.functions) {
                for (const PyMethodDef& row : *r.functions) {
                    Ref function(new_function(row, module, module_name.get()));
                    if (!function || !register_name(module, row.ml_name, function.get())) return -1;
                }
                continue;
            }
            PyObject* value = nullptr;
            const char* name = r.name;
            if (r.definition) {
                value = reinterpret_cast<PyObject*>(build_class(*r.definition));
                name = r.definition->name;
            } else {
                value = r.make_value();
            }
            Ref owned(value);
            if (!owned || !register_name(module, name, owned.get())) return -1;
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
