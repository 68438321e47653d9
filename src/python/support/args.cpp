#include "support/args.h"

#include <string>

#include "support/errors.h"
#include "support/ref.h"

namespace korvan::py {

namespace {

// "Owner.name()" or "name()".
std::string display(const Signature& sig, const char* owner) {
    std::string out = owner ? std::string(owner) + "." : std::string();
    return out + sig.name + "()";
}

std::string quoted_list(const Signature& sig, const bool* missing, int from, int to, int& n) {
    std::string names[MAX_PARAMS];
    n = 0;
    for (int i = from; i < to; ++i)
        if (missing[i]) names[n++] = std::string("'") + sig.names[i] + "'";
    std::string out;
    for (int i = 0; i < n; ++i) {
        if (i > 0) out += n == 2 ? " and " : (i == n - 1 ? ", and " : ", ");
        out += names[i];
    }
    return out;
}

bool missing_error(const Signature& sig, const char* owner, const bool* missing, int from, int to,
                   const char* kind) {
    bool any = false;
    for (int i = from; i < to; ++i) any = any || missing[i];
    if (!any) return true;
    int n = 0;
    const std::string list = quoted_list(sig, missing, from, to, n);
    if (n == 0) return true;
    PyErr_Format(PyExc_TypeError, "%s missing %d required %s argument%s: %s", display(sig, owner).c_str(), n, kind,
                 n == 1 ? "" : "s", list.c_str());
    return false;
}

void surplus_error(const Signature& sig, const char* owner, Py_ssize_t given) {
    const char* verb = given == 1 ? "was" : "were";
    const std::string callable = display(sig, owner);
    if (sig.required < sig.positional)
        PyErr_Format(PyExc_TypeError, "%s takes from %d to %d positional arguments but %zd %s given", callable.c_str(),
                     sig.required, sig.positional, given, verb);
    else
        PyErr_Format(PyExc_TypeError, "%s takes %d positional argument%s but %zd %s given", callable.c_str(),
                     sig.positional, sig.positional == 1 ? "" : "s", given, verb);
}

// Keyword names written in a call are interned by the compiler, so they are found by
// identity with the interned parameter names; any other str is compared by its text.
int find_keyword(const Signature& sig, PyObject* key) {
    if (sig.keys) {
        for (int i = 0; i < sig.count; ++i) {
            if (!sig.keys[i]) {
                sig.keys[i] = PyUnicode_InternFromString(sig.names[i]);
                if (!sig.keys[i]) PyErr_Clear();
            }
            if (sig.keys[i] == key) return i;
        }
    }
    if (!PyUnicode_Check(key)) return -1;
    for (int i = 0; i < sig.count; ++i)
        if (PyUnicode_CompareWithASCIIString(key, sig.names[i]) == 0) return i;
    return -1;
}

// `keyword(i)` yields the i-th keyword's name and value as borrowed references.
template <class Keywords>
bool bind_general(const Signature& sig, const char* owner, PyObject* const* args, Py_ssize_t nargs, Py_ssize_t nkw,
                  Keywords&& keyword, PyObject** out) {
    if (nargs > sig.positional) {
        surplus_error(sig, owner, nargs);
        return false;
    }
    for (int i = 0; i < sig.count; ++i) out[i] = i < nargs ? args[i] : nullptr;
    for (Py_ssize_t k = 0; k < nkw; ++k) {
        PyObject* name = nullptr;
        PyObject* value = nullptr;
        keyword(k, name, value);
        const int i = find_keyword(sig, name);
        if (i < 0) {
            PyErr_Format(PyExc_TypeError, "%s got an unexpected keyword argument '%S'", display(sig, owner).c_str(),
                         name);
            return false;
        }
        if (out[i]) {
            PyErr_Format(PyExc_TypeError, "%s got multiple values for argument '%s'", display(sig, owner).c_str(),
                         sig.names[i]);
            return false;
        }
        out[i] = value;
    }
    bool missing[MAX_PARAMS] = {};
    for (int i = 0; i < sig.required; ++i) missing[i] = out[i] == nullptr;
    const int split = sig.positional < sig.required ? sig.positional : sig.required;
    return missing_error(sig, owner, missing, 0, split, "positional") &&
           missing_error(sig, owner, missing, split, sig.required, "keyword-only");
}

}  // namespace

bool bind(const Signature& sig, const char* owner, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
          PyObject** out) {
    nargs = PyVectorcall_NARGS(nargs);
    const Py_ssize_t nkw = kwnames ? PyTuple_GET_SIZE(kwnames) : 0;
    return bind_general(
        sig, owner, args, nargs, nkw,
        [&](Py_ssize_t k, PyObject*& name, PyObject*& value) {
            name = PyTuple_GET_ITEM(kwnames, k);
            value = args[nargs + k];
        },
        out);
}

bool bind(const Signature& sig, const char* owner, PyObject* args, PyObject* kwargs, PyObject** out) {
    const Py_ssize_t nargs = PyTuple_GET_SIZE(args);
    PyObject* const* items = nargs ? &PyTuple_GET_ITEM(args, 0) : nullptr;
    const Py_ssize_t nkw = kwargs ? PyDict_GET_SIZE(kwargs) : 0;
    Py_ssize_t pos = 0;
    return bind_general(
        sig, owner, items, nargs, nkw,
        [&](Py_ssize_t, PyObject*& name, PyObject*& value) { PyDict_Next(kwargs, &pos, &name, &value); }, out);
}

void argument_error(const char* name) {
    if (!PyErr_ExceptionMatches(PyExc_TypeError)) return;
    Ref original = take_exception();
    Ref text(PyObject_Str(original.get()));
    if (!text) return;
    PyErr_Format(PyExc_TypeError, "argument '%s': %U", name, text.get());
    Ref cause(PyException_GetCause(original.get()));
    if (cause) {
        Ref raised = take_exception();
        PyException_SetCause(raised.get(), cause.release());
        restore_exception(std::move(raised));
    }
}

}  // namespace korvan::py
