#pragma once
// The value classes that compare by value: their tags, and the slots they share: ==,
// != against the class (and, where the tag allows it, an int in the tag's range), the
// ordering operators refused with the tag's message, hash and int() of the raw value.

#include <array>
#include <string>
#include <string_view>

#include "support/class_definition.h"

namespace korvan::py {

// How a class refuses <, <=, >, >=: with the one text of the plain enumerations, or
// with "<name> only supports == and !=".
enum class OrderRefusal { Plain, Named };
inline constexpr char PLAIN_ORDER_ERROR[] = "comparison only supports == and !=";

template <Text Name>
struct OnlyEquality {
    static constexpr std::string_view tail = " only supports == and !=";
    static constexpr auto text = [] {
        std::array<char, Name.view().size() + tail.size() + 1> out{};
        std::size_t n = 0;
        for (char c : Name.view()) out[n++] = c;
        for (char c : tail) out[n++] = c;
        return out;
    }();
};

// A tag of a class compared by value, read by the slots below: its ordering refusal
// and whether an int within [Min, Max] may stand on the other side.
template <Text Name, class V, OrderRefusal Refusal, bool IntOperand, long long Min = 0, long long Max = 0>
struct ComparedClass : ClassTag<Name, V> {
    static constexpr const char* order_error =
        Refusal == OrderRefusal::Plain ? PLAIN_ORDER_ERROR : OnlyEquality<Name>::text.data();
    static constexpr bool int_operand = IntOperand;
    static constexpr long long int_min = Min, int_max = Max;
};

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

// The definition of a class compared by value: comparison and hash from the tag, repr
// and str from `Repr` and `Str`, and int() of the raw value where an int compares
// equal to it; the body gives the rest.
template <class C, auto Repr, auto Str>
constexpr ClassDefinition define_compared(ClassBody body) {
    body.richcompare = richcompare<C>;
    body.hash = hash_value<C>;
    body.repr = slot<C, Repr>;
    body.str = slot<C, Str>;
    if constexpr (C::int_operand) body.to_int = slot<C, raw_int<typename C::Value>>;
    return define<C>(body);
}

// Most value classes show one display text of the core: str() is that text and the
// repr is "<name>(<text>)".
template <auto Display, class V>
PyObject* display_str(const V& value) {
    return message_str(Display(value));
}
template <class C, auto Display>
PyObject* display_repr(const typename C::Value& value) {
    return PyUnicode_FromFormat("%s(%s)", C::name, std::string(Display(value)).c_str());
}
template <class C, auto Display>
constexpr ClassDefinition define_displayed(ClassBody body) {
    return define_compared<C, display_repr<C, Display>, display_str<Display, typename C::Value>>(body);
}

}  // namespace korvan::py
