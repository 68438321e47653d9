// The dtype submodule: the numpy record types of the fixed-size position rows,
// reached through the interpreter so that numpy stays optional.

#include <array>

#include "support/declarations.h"
#include "values/value_tags.h"
#include "support/convert.h"

namespace korvan::py {

namespace {

struct RecordType {
    const char* name;
    const char* expression;
};

// The record types of the submodule made last (owned), in the order of RECORD_TYPES.
std::array<PyObject*, 4> module_record_types{};

constexpr std::array<RecordType, 4> RECORD_TYPES = {{
    {"PackedSfen", "np.dtype([('sfen', np.uint8, 32)])"},
    {"PackedSfenValue",
     "np.dtype([('sfen', np.uint8, 32), ('score', np.int16), ('move', np.uint16), ('game_ply', np.uint16), "
     "('game_result', np.int8), ('padding', np.uint8)])"},
    {"HuffmanCodedPos", "np.dtype([('hcp', np.uint8, 32)])"},
    {"HuffmanCodedPosAndEval",
     "np.dtype([('hcp', np.uint8, 32), ('eval', np.int16), ('bestMove16', np.uint16), ('gameResult', np.int8), "
     "('dummy', np.uint8)])"},
}};

// All four record types, built anew; false with the failure raised.
bool build_record_types(std::array<Ref, 4>& out) {
    Ref numpy(PyImport_ImportModule("numpy"));
    if (!numpy) return false;
    Ref globals(PyDict_New());
    if (!globals || PyDict_SetItemString(globals.get(), "np", numpy.get()) < 0) return false;
    for (std::size_t i = 0; i < RECORD_TYPES.size(); ++i) {
        out[i] = Ref(PyRun_String(RECORD_TYPES[i].expression, Py_eval_input, globals.get(), globals.get()));
        if (!out[i]) return false;
    }
    return true;
}

PyObject* dtype_getattr(PyObject* const* args) {
    std::string_view name;
    if (!extract_str(args[0], name)) {
        argument_error("name");
        return nullptr;
    }
    std::array<Ref, 4> types;
    if (!build_record_types(types)) {
        PyErr_Clear();
        PyErr_Format(PyExc_ImportError, "numpy is required for korvan.numpy.%U", args[0]);
        return nullptr;
    }
    for (std::size_t i = 0; i < RECORD_TYPES.size(); ++i)
        if (name == RECORD_TYPES[i].name) return types[i].release();
    PyErr_Format(PyExc_AttributeError, "module 'korvan.numpy' has no attribute '%U'", args[0]);
    return nullptr;
}

constexpr Methods DTYPE_FUNCTIONS = function_table<Function<"dtype_getattr(name)", dtype_getattr>>;

bool add_to_submodule(PyObject* module, PyObject* all, const char* name, PyObject* value) {
    Ref text(PyUnicode_FromString(name));
    return text && PyModule_AddObjectRef(module, name, value) == 0 && PyList_Append(all, text.get()) == 0;
}

}  // namespace

PyObject* record_dtype(RecordDtype kind) { return module_record_types[static_cast<std::size_t>(kind)]; }

PyObject* create_dtype_module() {
    Ref module(PyModule_New("dtype"));
    if (!module) return nullptr;
    Ref all(PyList_New(0));
    if (!all || PyModule_AddObjectRef(module.get(), "__all__", all.get()) < 0) return nullptr;
    Ref module_name(PyUnicode_FromString("dtype"));
    if (!module_name) return nullptr;
    Ref getattr_fn(new_function(DTYPE_FUNCTIONS[0], module.get(), module_name.get()));
    if (!getattr_fn || !add_to_submodule(module.get(), all.get(), "dtype_getattr", getattr_fn.get())) return nullptr;
    Ref registered(PyObject_GetAttrString(module.get(), "dtype_getattr"));
    if (!registered || PyModule_AddObjectRef(module.get(), "__getattr__", registered.get()) < 0) return nullptr;

    std::array<Ref, 4> types;
    if (build_record_types(types)) {
        for (std::size_t i = 0; i < RECORD_TYPES.size(); ++i) {
            if (!add_to_submodule(module.get(), all.get(), RECORD_TYPES[i].name, types[i].get())) return nullptr;
            Py_XSETREF(module_record_types[i], Py_NewRef(types[i].get()));
        }
    } else {
        // numpy is optional: without it the submodule offers only dtype_getattr, whose
        // ImportError names what is missing.
        PyErr_Clear();
    }
    return module.release();
}

}  // namespace korvan::py
