// The _korvan extension module: the import entry and the registration of every class,
// constant, function and submodule, in one fixed order.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <atomic>
#include <cstdint>

namespace {

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT, "_korvan", "", 0, nullptr, nullptr, nullptr, nullptr, nullptr,
};

std::atomic<std::int64_t> first_interpreter{-1};
PyObject* built_module = nullptr;

int module_body(PyObject* module) {
    PyObject* all = PyList_New(0);
    if (!all) return -1;
    if (PyModule_AddObject(module, "__all__", all) < 0) {
        Py_DECREF(all);
        return -1;
    }
    return 0;
}

}  // namespace

PyMODINIT_FUNC PyInit__korvan(void) {
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
