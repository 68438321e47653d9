#pragma once
// The call boundary: every entry from the interpreter runs its body through
// `boundary`, so that no C++ exception ever unwinds into the interpreter. The core's
// internal stop (korvan::Panic) becomes the module's PanicException, memory
// exhaustion MemoryError, and anything else is reported as a panic as well, since it
// can only mean a broken invariant.

#include <exception>
#include <new>

#include "support/python.h"
#include "core/util/panic.h"

namespace korvan::py {

// The PanicException class, a BaseException subclass so that a broad
// `except Exception` does not swallow a broken invariant. Created by the module body.
PyObject* panic_exception();
PyObject* create_panic_exception();
void raise_panic(const char* message);

template <class R, class F>
R boundary(R failure, F&& body) noexcept {
    try {
        return body();
    } catch (const Panic& p) {
        raise_panic(p.what());
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::exception& e) {
        raise_panic(e.what());
    } catch (...) {
        raise_panic("unknown C++ exception");
    }
    return failure;
}

}  // namespace korvan::py
