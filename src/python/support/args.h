#pragma once
// The argument binder for METH_FASTCALL | METH_KEYWORDS calls and constructors. It
// reports missing, unexpected, doubled and surplus arguments in the interpreter's own
// wording for Python functions, so a korvan call fails like a def would.

#include <cstddef>

#include "support/python.h"

namespace korvan::py {

struct Signature {
    const char* name;  // the callable's own name; messages put its class in front
    const char* const* names = nullptr;
    int count = 0;       // parameters
    int required = 0;    // the leading ones that must be given
    int positional = 0;  // the leading ones that may be given by position; the rest are keyword-only
    // The parameter names as interned str objects, made on the first call with keywords
    // (count entries, null until then); none: keywords are matched by their text alone.
    PyObject** keys = nullptr;

    constexpr explicit Signature(const char* n) : name(n) {}
    constexpr Signature(const char* n, const char* const* params, int cnt, int req, int pos,
                        PyObject** interned = nullptr)
        : name(n), names(params), count(cnt), required(req), positional(pos), keys(interned) {}
    template <std::size_t N>
    constexpr Signature(const char* n, const char* const (&params)[N], int req = N, int pos = N)
        : name(n), names(params), count(int(N)), required(req), positional(pos) {}
};

// The largest parameter list any signature has; the binder's callers size their
// arrays with it.
constexpr int MAX_PARAMS = 16;

// Fills out[0..sig.count) with borrowed references to the bound arguments, null for an
// optional one not given. Raises TypeError and returns false when the call does not
// fit the signature; the message names the callable "Owner.name()", or "name()" for a
// module function (null owner).
bool bind(const Signature& sig, const char* owner, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
          PyObject** out);
// The same for the tuple-and-dict calling convention (tp_new of subclasses).
bool bind(const Signature& sig, const char* owner, PyObject* args, PyObject* kwargs, PyObject** out);

inline bool bind_fast(const Signature& sig, const char* owner, PyObject* const* args, Py_ssize_t nargs,
                      PyObject* kwnames, PyObject** out) {
    if (!kwnames && nargs >= sig.required && nargs <= sig.positional) {
        for (int i = 0; i < sig.count; ++i) out[i] = i < nargs ? args[i] : nullptr;
        return true;
    }
    return bind(sig, owner, args, nargs, kwnames, out);
}

// After a failed conversion of the named argument: a TypeError is raised again as
// "argument '<name>': <message>"; any other exception passes unchanged.
void argument_error(const char* name);

}  // namespace korvan::py
