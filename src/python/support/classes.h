#pragma once
// The objects and entry points of the binding classes. Every binding class is a heap
// type (built from its definition, support/class_definition.h) whose instances are laid
// out as {PyObject_HEAD; borrow flag; owner; value}: the class tag names the wrapped
// core value, its thread binding and its definition.
//
// A class tag (ClassTag, support/class_definition.h) names the class, the value and the
// definition. A tag may declare `using Binding = ThreadBound;` and `thread_name` (the name its
// thread messages use) to tie each object to the thread that created it: every call
// from another thread then raises PanicException, and an object released on another
// thread is reported as unraisable and leaked rather than destroyed there.

#include <pthread.h>

#include <new>
#include <type_traits>

#include "support/args.h"
#include "support/borrow.h"
#include "support/boundary.h"
#include "support/errors.h"
#include "support/ref.h"

namespace korvan::py {

struct Unbound {
    struct Owner {};
    static void bind(Owner&) {}
    static bool is_owner(const Owner&) { return true; }
};

// The thread is told by pthread_self, which reads the thread register; the
// interpreter's PyThread_get_thread_ident is the same value behind one more call, paid
// by every method call of a bound object.
struct ThreadBound {
    struct Owner {
        pthread_t thread;
    };
    static void bind(Owner& owner) { owner.thread = pthread_self(); }
    static bool is_owner(const Owner& owner) { return pthread_equal(owner.thread, pthread_self()) != 0; }
};

// The tag's own class derives from ValueClass<Tag, Value>, so that each tag has its
// own type pointer.
template <class Tag, class V>
struct ValueClass {
    using Value = V;
    using Binding = Unbound;
    static inline PyTypeObject* type = nullptr;  // set once by the module body
};

template <class C>
struct Object {
    PyObject_HEAD
    BorrowFlag borrow;
    [[no_unique_address]] typename C::Binding::Owner owner;
    typename C::Value value;
};

template <class C>
Object<C>* object_of(PyObject* obj) {
    return reinterpret_cast<Object<C>*>(obj);
}

// A type's tp_base is the base with the most derived instance layout; when that is
// object itself, no base has a layout of its own, as every binding class has, so only
// other types walk their bases.
template <class C>
bool is_instance(PyObject* obj) {
    PyTypeObject* type = Py_TYPE(obj);
    return type == C::type ||
           (type->tp_base && type->tp_base != &PyBaseObject_Type && PyType_IsSubtype(type, C::type));
}

// Released objects of the small value classes (moves, squares, pieces...) are kept
// for reuse, so that a call returning one, or a list of them, skips the allocator
// both ways. Only objects of the class itself are kept; they hold no reference then,
// their type's included, and are raw memory of the object allocator.
template <class C>
struct FreeList {
    static constexpr bool kept = std::is_same_v<typename C::Binding, Unbound> &&
                                 std::is_trivially_destructible_v<typename C::Value> && sizeof(Object<C>) <= 64;
    static constexpr int CAPACITY = 256;
    static inline void* objects[CAPACITY];
    static inline int count = 0;

    static void* take() { return count > 0 ? objects[--count] : PyObject_Malloc(sizeof(Object<C>)); }
    // False when full: the caller frees the object.
    static bool keep(PyObject* obj) {
        if (count == CAPACITY) return false;
        objects[count++] = obj;
        return true;
    }
};

// A new object of `type` (the class itself or a subclass) holding `value`.
template <class C>
PyObject* wrap_as(PyTypeObject* type, typename C::Value value) {
    PyObject* obj;
    if (type == C::type) {
        // The class itself is never garbage-collected, so it skips the generic
        // allocator's zeroing; every field is constructed below.
        void* memory;
        if constexpr (FreeList<C>::kept)
            memory = FreeList<C>::take();
        else
            memory = PyObject_Malloc(sizeof(Object<C>));
        obj = PyObject_Init(static_cast<PyObject*>(memory), type);
        if (!obj) return PyErr_NoMemory();
    } else {
        obj = type->tp_alloc(type, 0);
        if (!obj) return nullptr;
    }
    Object<C>* o = object_of<C>(obj);
    new (&o->borrow) BorrowFlag();
    new (&o->owner) typename C::Binding::Owner();
    C::Binding::bind(o->owner);
    new (&o->value) typename C::Value(std::move(value));
    return obj;
}

template <class C>
PyObject* wrap(typename C::Value value) {
    return wrap_as<C>(C::type, std::move(value));
}

// Raises PanicException when the calling thread does not own the object.
template <class C>
bool check_thread(Object<C>* obj) {
    if constexpr (std::is_same_v<typename C::Binding, Unbound>) {
        return true;
    } else {
        if (C::Binding::is_owner(obj->owner)) return true;
        PyErr_Format(panic_exception(), "%s is unsendable, but sent to another thread", C::thread_name);
        return false;
    }
}

template <class C>
void dealloc(PyObject* self) {
    Object<C>* obj = object_of<C>(self);
    PyTypeObject* type = Py_TYPE(self);
    if constexpr (!std::is_same_v<typename C::Binding, Unbound>) {
        if (!C::Binding::is_owner(obj->owner)) {
            // Its value may only be touched on its own thread: report and leak it.
            PyErr_Format(PyExc_RuntimeError, "%s is unsendable, but is being dropped on another thread",
                         C::thread_name);
            PyErr_WriteUnraisable(nullptr);
            return;
        }
    }
    using Value = typename C::Value;
    obj->value.~Value();
    if constexpr (FreeList<C>::kept) {
        if (type == C::type && FreeList<C>::keep(self)) {
            Py_DECREF(type);
            return;
        }
    }
    type->tp_free(self);
    Py_DECREF(type);
}

// Copies the value of an instance of C (or a subclass) out under a shared borrow.
// Returns false without raising when `obj` is not an instance, false with
// RuntimeError when it is borrowed exclusively.
template <class C>
bool extract(PyObject* obj, typename C::Value& out, bool& raised) {
    raised = false;
    if (!is_instance<C>(obj)) return false;
    Object<C>* o = object_of<C>(obj);
    SharedBorrow guard(o->borrow);
    if (!guard) {
        raised = true;
        return false;
    }
    out = o->value;
    return true;
}

// The same for a parameter that must be of class C: anything else raises the
// wrong-class TypeError, under the argument's name.
template <class C>
bool extract_arg(PyObject* obj, const char* arg, typename C::Value& out) {
    bool raised = false;
    if (extract<C>(obj, out, raised)) return true;
    if (!raised) {
        wrong_class(obj, C::name);
        argument_error(arg);
    }
    return false;
}

enum class Access { Shared, Exclusive };

template <Access A>
using Guard = std::conditional_t<A == Access::Shared, SharedBorrow, ExclusiveBorrow>;

// Entry points. `Fn` receives the wrapped value (const for shared access) and, when
// the signature has parameters, the bound arguments.
template <class C, const Signature& S, auto Fn, Access A = Access::Shared>
PyObject* method(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return boundary<PyObject*>(nullptr, [&]() -> PyObject* {
        PyObject* bound[S.count > 0 ? S.count : 1];
        if (!bind_fast(S, C::name, args, nargs, kwnames, bound)) return nullptr;
        // Reached with a foreign receiver only in a class whose descriptors leave this
        // check to the method (leave_receiver_checks_to_methods).
        if (Py_TYPE(self) != C::type && !is_instance<C>(self)) {
            wrong_class(self, C::name);
            return nullptr;
        }
        Object<C>* obj = object_of<C>(self);
        if (!check_thread(obj)) return nullptr;
        Guard<A> guard(obj->borrow);
        if (!guard) return nullptr;
        using Ref = std::conditional_t<A == Access::Shared, const typename C::Value&, typename C::Value&>;
        Ref value = obj->value;
        if constexpr (S.count == 0)
            return Fn(value);
        else
            return Fn(value, bound);
    });
}

template <class C, const Signature& S, auto Fn>
PyObject* class_method(PyObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return boundary<PyObject*>(nullptr, [&]() -> PyObject* {
        PyObject* bound[S.count > 0 ? S.count : 1];
        if (!bind_fast(S, C::name, args, nargs, kwnames, bound)) return nullptr;
        return Fn(reinterpret_cast<PyTypeObject*>(cls), bound);
    });
}

template <const Signature& S, auto Fn>
PyObject* function(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return boundary<PyObject*>(nullptr, [&]() -> PyObject* {
        PyObject* bound[S.count > 0 ? S.count : 1];
        if (!bind_fast(S, nullptr, args, nargs, kwnames, bound)) return nullptr;
        return Fn(bound);
    });
}

// Unary slots (repr, str, int) and read-only attributes: `Fn(value)` under a shared
// borrow.
template <class C, auto Fn>
PyObject* slot(PyObject* self) {
    return boundary<PyObject*>(nullptr, [&]() -> PyObject* {
        Object<C>* obj = object_of<C>(self);
        if (!check_thread(obj)) return nullptr;
        SharedBorrow guard(obj->borrow);
        if (!guard) return nullptr;
        return Fn(obj->value);
    });
}

template <class C, auto Fn>
PyObject* getter(PyObject* self, void*) {
    return slot<C, Fn>(self);
}

// What both setters do first: deleting the attribute is refused and the thread
// checked; then `store(obj)` writes, returning -1 with an exception set on failure.
template <class C, class Store>
int set_attribute(PyObject* self, PyObject* arg, Store&& store) {
    return boundary<int>(-1, [&]() -> int {
        if (!arg) {
            PyErr_SetString(PyExc_AttributeError, "can't delete attribute");
            return -1;
        }
        Object<C>* obj = object_of<C>(self);
        if (!check_thread(obj)) return -1;
        return store(obj);
    });
}

// Writable attributes: `Fn(value, arg)` converts and stores under an exclusive borrow,
// returning false with an exception set.
template <class C, auto Fn>
int setter(PyObject* self, PyObject* arg, void*) {
    return set_attribute<C>(self, arg, [&](Object<C>* obj) -> int {
        ExclusiveBorrow guard(obj->borrow);
        if (!guard) return -1;
        return Fn(obj->value, arg) ? 0 : -1;
    });
}

// Writable attributes whose new value is converted before the borrow is taken:
// `Convert(arg, converted)` builds the whole new value (false with an exception set),
// then `Store(value, converted)` puts it in place under an exclusive borrow. A failed
// conversion leaves the object untouched, and a conversion that reads the object
// itself meets no borrow of this call.
// A Store that returns bool may still refuse the value (false, with an exception set).
template <class C, class T, bool (*Convert)(PyObject*, T&), auto Store>
int converted_setter(PyObject* self, PyObject* arg, void*) {
    return set_attribute<C>(self, arg, [&](Object<C>* obj) -> int {
        T converted{};
        if (!Convert(arg, converted)) return -1;
        ExclusiveBorrow guard(obj->borrow);
        if (!guard) return -1;
        if constexpr (std::is_same_v<decltype(Store(obj->value, converted)), bool>) {
            return Store(obj->value, converted) ? 0 : -1;
        } else {
            Store(obj->value, converted);
            return 0;
        }
    });
}

// len(): `Fn(value)` under a shared borrow; -1 with an exception set on failure.
template <class C, auto Fn>
Py_ssize_t length(PyObject* self) {
    return boundary<Py_ssize_t>(-1, [&]() -> Py_ssize_t {
        Object<C>* obj = object_of<C>(self);
        if (!check_thread(obj)) return -1;
        SharedBorrow guard(obj->borrow);
        if (!guard) return -1;
        return Fn(obj->value);
    });
}

// Constructors: `Fn(bound, value)` converts the bound arguments into the value. The
// vectorcall entry serves calls of the class itself; tp_new serves subclasses, which
// do not inherit the class's vectorcall.
template <class C, const Signature& S, auto Fn>
PyObject* construct_vectorcall(PyObject* type, PyObject* const* args, size_t nargsf, PyObject* kwnames) {
    return boundary<PyObject*>(nullptr, [&]() -> PyObject* {
        PyObject* bound[S.count > 0 ? S.count : 1];
        if (!bind_fast(S, C::name, args, PyVectorcall_NARGS(nargsf), kwnames, bound)) return nullptr;
        typename C::Value value{};
        if (!Fn(bound, value)) return nullptr;
        return wrap_as<C>(reinterpret_cast<PyTypeObject*>(type), std::move(value));
    });
}

template <class C, const Signature& S, auto Fn>
PyObject* construct_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
    return boundary<PyObject*>(nullptr, [&]() -> PyObject* {
        PyObject* bound[S.count > 0 ? S.count : 1];
        if (!bind(S, C::name, args, kwargs, bound)) return nullptr;
        typename C::Value value{};
        if (!Fn(bound, value)) return nullptr;
        return wrap_as<C>(type, std::move(value));
    });
}

// The entry point of a METH_FASTCALL | METH_KEYWORDS method or function.
using FastCall = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);

// Stores `value` (a new reference, consumed) as a class attribute. Made once, when the
// class is created, so every access returns the same object.
bool add_class_attribute(PyTypeObject* type, const char* name, PyObject* value);

// A class's named constants as data: one row a name and its value, each stored as an
// object of the class.
template <class C>
struct Constant {
    const char* name;
    typename C::Value value;
};

template <class C, const auto& Table>
bool add_constants(PyTypeObject* type) {
    for (const Constant<C>& constant : Table)
        if (!add_class_attribute(type, constant.name, wrap<C>(constant.value))) return false;
    return true;
}

// The same for an enumeration: the names of the values 0, 1, 2... in order.
template <class C, const auto& Names>
bool add_enumerators(PyTypeObject* type) {
    typename C::Value value = 0;
    for (const char* name : Names)
        if (!add_class_attribute(type, name, wrap<C>(value++))) return false;
    return true;
}

}  // namespace korvan::py
