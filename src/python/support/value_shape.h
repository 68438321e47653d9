#pragma once
// The slots shared by the value classes that compare by value: ==, != against the
// class (and, where the tag allows it, an int in the tag's range), the ordering
// operators refused with the tag's message, hash and int() of the raw value.
//
// A tag adds:
//   static constexpr const char* order_error;  // TypeError text of <, <=, >, >=
//   static constexpr bool int_operand;           // an int may stand on the other side
//   static constexpr long long int_min, int_max; // ... within this range

#include "support/classes.h"

namespace korvan::py {

template <class C>
PyObject* unsupported_comparison() {
    PyErr_Format(PyExc_TypeError, "unsupported comparison for %s", C::name);
    return nullptr;
}

template <class C>
PyObject* richcompare(PyObject* self, PyObject* other, int op) {
    return boundary<PyObject*>(nullptr, [&]() -> PyObject* {
        if (!is_instance<C>(self) || op < Py_LT || op > Py_GE) Py_RETURN_NOTIMPLEMENTED;
        Object<C>* obj = object_of<C>(self);
        SharedBorrow guard(obj->borrow);
        if (!guard) {
            PyErr_Clear();
            Py_RETURN_NOTIMPLEMENTED;
        }
        const long long mine = static_cast<long long>(obj->value);
        long long theirs = 0;
        typename C::Value value{};
        bool raised = false;
        int overflow = 0;
        if (C::int_operand && PyLong_CheckExact(other)) {
            theirs = PyLong_AsLongLongAndOverflow(other, &overflow);
            if (overflow || theirs < C::int_min || theirs > C::int_max) return unsupported_comparison<C>();
        } else if (extract<C>(other, value, raised)) {
            theirs = static_cast<long long>(value);
        } else if (raised) {
            return nullptr;
        } else if constexpr (C::int_operand) {
            if (!PyIndex_Check(other)) return unsupported_comparison<C>();
            Ref number(PyNumber_Index(other));
            theirs = number ? PyLong_AsLongLongAndOverflow(number.get(), &overflow) : -1;
            if (PyErr_Occurred() || overflow || theirs < C::int_min || theirs > C::int_max) {
                PyErr_Clear();
                return unsupported_comparison<C>();
            }
        } else {
            return unsupported_comparison<C>();
        }
        if (op == Py_EQ) return PyBool_FromLong(mine == theirs);
        if (op == Py_NE) return PyBool_FromLong(mine != theirs);
        PyErr_SetString(PyExc_TypeError, C::order_error);
        return nullptr;
    });
}

// ==, != of classes compared by their whole value (no int operand, no hash): another
// class is simply unequal; the orderings raise "<name> only supports == and !=".
template <class C>
PyObject* value_equality(PyObject* self, PyObject* other, int op) {
    return boundary<PyObject*>(nullptr, [&]() -> PyObject* {
        if (op != Py_EQ && op != Py_NE) {
            PyErr_Format(PyExc_TypeError, "%s only supports == and !=", C::name);
            return nullptr;
        }
        if (!is_instance<C>(self) || !is_instance<C>(other)) return PyBool_FromLong(op == Py_NE);
        Object<C>* a = object_of<C>(self);
        Object<C>* b = object_of<C>(other);
        SharedBorrow guard_a(a->borrow);
        if (!guard_a) return nullptr;
        SharedBorrow guard_b(b->borrow);
        if (!guard_b) return nullptr;
        return PyBool_FromLong((a->value == b->value) == (op == Py_EQ));
    });
}

template <class C>
Py_hash_t hash_value(PyObject* self) {
    Object<C>* obj = object_of<C>(self);
    SharedBorrow guard(obj->borrow);
    if (!guard) return -1;
    return static_cast<Py_hash_t>(obj->value);
}

template <class V>
PyObject* raw_int(const V& value) {
    return PyLong_FromUnsignedLong(value);
}

}  // namespace korvan::py
