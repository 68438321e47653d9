#pragma once
// One definition per class: everything the type is made of, gathered in one value that
// the tag holds as `Tag::definition`, and the one function that builds the type from it.
//
//     const ClassDefinition MoveClass::definition = define<MoveClass>({
//         .constructor = constructor<MoveClass, "(value)", move_init>,
//         .methods = {MOVE_METHODS},
//         .attributes = {MOVE_ATTRIBUTES},
//         .repr = slot<MoveClass, move_repr>,
//     });
//
// A class whose methods come from several files lists each file's table; the builder
// joins them, in the order given, into the one table the type keeps.

#include <array>
#include <cstddef>

#include "support/declarations.h"

namespace korvan::py {

inline constexpr std::size_t MAX_TABLES = 8;

struct ClassBody {
    Constructor constructor{};  // none: the class cannot be instantiated from Python
    const char* doc = nullptr;  // the class doc of a class without constructor
    std::array<Methods, MAX_TABLES> methods{};
    std::array<Attributes, MAX_TABLES> attributes{};
    richcmpfunc richcompare = nullptr;
    hashfunc hash = nullptr;
    reprfunc repr = nullptr;
    reprfunc str = nullptr;
    unaryfunc to_int = nullptr;
    unaryfunc to_index = nullptr;  // operator.index: the object serves as an integer argument
    lenfunc length = nullptr;
    // Instance methods whose receiver is checked by the method (support/descriptors.h):
    // a receiver of another class is refused in the words of any wrongly typed argument.
    bool checked_receivers = false;
    // Adds the class attributes, once, after the type is stored in its tag; false with
    // an exception set.
    bool (*class_attributes)(PyTypeObject*) = nullptr;
};

struct ClassDefinition {
    const char* name;  // Python name; the type's full name is "korvan._korvan.<name>"
    PyTypeObject** type;
    int basicsize;
    destructor dealloc;
    ClassBody body;
};

// A class tag names the Python class and the core value it wraps (the name makes each
// tag, and so its type pointer, its own); the tag's struct declares the definition its
// binding file gives:
//     struct SbkEvalClass : ClassTag<"SbkEval", SbkEval> { static const ClassDefinition definition; };
template <Text Name, class V>
struct ClassTag : ValueClass<ClassTag<Name, V>, V> {
    static constexpr const char* name = Name.chars;
};

template <class C>
constexpr ClassDefinition define(const ClassBody& body) {
    return {C::name, &C::type, static_cast<int>(sizeof(Object<C>)), &dealloc<C>, body};
}

// Creates the type, stores it in the tag and adds the class attributes; null with an
// exception set on failure.
PyTypeObject* build_class(const ClassDefinition& definition);

}  // namespace korvan::py
