#pragma once
// One declaration per callable. A method, class method, module function or constructor
// is declared once, as the Python header it shows:
//
//     Method<"to_sfen(include_ply=True)", to_sfen>
//     Method<"set_sfen(sfen)", set_sfen, Access::Exclusive>
//     ClassMethod<"from_dict(data, *, strict=False)", from_dict>
//     Function<"decode_pack(data)", decode_pack, "doc text">
//     constructor<MoveClass, "(value)", move_init>
//
// and everything else is made from that text at compile time: the binder's parameter
// list (names, how many are required, where the keyword-only ones start), the method
// table row and its text signature ("name($self, a, b=None)\n--\n\n" followed by the
// doc; "($cls, ...)" for class methods, "(a, b)" for functions, "Name(a, b)" for the
// class doc of a constructor). Defaults are Python text and only ever shown; an
// optional argument that is not given reaches the function as a null pointer.
//
// Rows are gathered into tables with method_table / attribute_table / function_table;
// a table holds no sentinel, the class builder adds it when it joins a class's tables.

#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <type_traits>

#include "support/classes.h"

namespace korvan::py {

// A fixed text usable as a template argument.
template <std::size_t N>
struct Text {
    char chars[N]{};
    consteval Text(const char (&s)[N]) {
        for (std::size_t i = 0; i < N; ++i) chars[i] = s[i];
    }
    constexpr std::string_view view() const { return {chars, N - 1}; }
};

struct CallParameter {
    std::string_view name;
    std::string_view default_text;  // empty: the argument is required
};

struct CallDeclaration {
    std::string_view name;  // empty for a constructor
    std::array<CallParameter, MAX_PARAMS> params{};
    int count = 0;
    int required = 0;    // the leading parameters without a default
    int positional = 0;  // the parameters before the "*" mark
};

namespace declaration_detail {

// Reached only in constant evaluation of a malformed declaration, which it makes fail.
inline void malformed(const char*) {}

constexpr std::string_view trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// string_view::find tests a pointer into the declaration text against null, which gcc 12
// does not take as a constant under -fsanitize=address; indices compare no pointers.
constexpr std::size_t index_of(std::string_view s, char c) {
    for (std::size_t i = 0; i < s.size(); ++i)
        if (s[i] == c) return i;
    return std::string_view::npos;
}

constexpr bool is_identifier(std::string_view s) {
    if (s.empty() || (s[0] >= '0' && s[0] <= '9')) return false;
    for (char c : s)
        if (!(c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

// The end of the parameter that starts at `from`: the next comma outside quotes and
// brackets, or the end.
constexpr std::size_t item_end(std::string_view s, std::size_t from) {
    char quote = 0;
    int depth = 0;
    for (std::size_t i = from; i < s.size(); ++i) {
        const char c = s[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '(' || c == '[' || c == '{') {
            ++depth;
        } else if (c == ')' || c == ']' || c == '}') {
            --depth;
        } else if (c == ',' && depth == 0) {
            return i;
        }
    }
    return s.size();
}

}  // namespace declaration_detail

consteval CallDeclaration parse_declaration(std::string_view text) {
    using namespace declaration_detail;
    CallDeclaration d;
    const std::size_t open = index_of(text, '(');
    if (open == std::string_view::npos || text.back() != ')') malformed("expected name(parameters)");
    d.name = text.substr(0, open);
    if (!d.name.empty() && !is_identifier(d.name)) malformed("the name is no identifier");
    const std::string_view list = text.substr(open + 1, text.size() - open - 2);
    bool keyword_only = false;
    bool seen_default = false;
    for (std::size_t from = 0; !trim(list).empty() && from <= list.size();) {
        const std::size_t end = item_end(list, from);
        const std::string_view item = trim(list.substr(from, end - from));
        from = end + 1;
        if (item == "*") {
            if (keyword_only) malformed("two '*' marks");
            keyword_only = true;
            d.positional = d.count;
            continue;
        }
        if (d.count == MAX_PARAMS) malformed("more parameters than MAX_PARAMS");
        const std::size_t eq = index_of(item, '=');
        CallParameter p;
        p.name = trim(item.substr(0, eq));
        if (eq != std::string_view::npos) p.default_text = trim(item.substr(eq + 1));
        if (!is_identifier(p.name)) malformed("a parameter name is no identifier");
        if (eq != std::string_view::npos && p.default_text.empty()) malformed("an empty default");
        // The binder checks required arguments as a leading run.
        if (p.default_text.empty()) {
            if (seen_default) malformed("a required parameter after an optional one");
            ++d.required;
        } else {
            seen_default = true;
        }
        d.params[d.count++] = p;
    }
    if (!keyword_only) d.positional = d.count;
    return d;
}

// Who receives the call, as the text signature shows it.
enum class Receiver { Self, Cls, None };

namespace declaration_detail {

// Writes the text signature and doc (counting only, when `out` is null) and returns
// its length.
constexpr std::size_t write_doc(char* out, std::string_view name, Receiver receiver, const CallDeclaration& d,
                                std::string_view doc) {
    std::size_t n = 0;
    auto put = [&](std::string_view s) {
        for (char c : s) {
            if (out) out[n] = c;
            ++n;
        }
    };
    put(name);
    put("(");
    bool first = true;
    auto separate = [&] {
        if (!first) put(", ");
        first = false;
    };
    if (receiver == Receiver::Self) separate(), put("$self");
    if (receiver == Receiver::Cls) separate(), put("$cls");
    for (int i = 0; i < d.count; ++i) {
        if (i == d.positional) separate(), put("*");
        separate();
        put(d.params[i].name);
        if (!d.params[i].default_text.empty()) put("="), put(d.params[i].default_text);
    }
    put(")\n--\n\n");
    put(doc);
    return n;
}

}  // namespace declaration_detail

// The parsed declaration and the texts made from it, one set per declaration text.
template <Text D>
struct Declared {
    static constexpr CallDeclaration decl = parse_declaration(D.view());
    static_assert(decl.count <= MAX_PARAMS);

    // The name (or "__new__" for a constructor) and the parameter names, each ending
    // with a null character.
    static constexpr auto strings = [] {
        std::array<char, sizeof(D.chars) + 8 + MAX_PARAMS> out{};
        std::size_t n = 0;
        auto put = [&](std::string_view s) {
            for (char c : s) out[n++] = c;
            out[n++] = '\0';
        };
        put(decl.name.empty() ? std::string_view("__new__") : decl.name);
        for (int i = 0; i < decl.count; ++i) put(decl.params[i].name);
        return out;
    }();
    static constexpr auto names = [] {
        std::array<const char*, MAX_PARAMS> out{};
        std::size_t offset = 0;
        while (strings[offset]) ++offset;
        for (int i = 0; i < decl.count; ++i) {
            out[i] = strings.data() + ++offset;
            while (strings[offset]) ++offset;
        }
        return out;
    }();
    static inline PyObject* keys[MAX_PARAMS]{};  // owned for the life of the process
    static constexpr Signature signature{strings.data(), names.data(), decl.count,
                                         decl.required, decl.positional, keys};
};

template <Text D, Receiver R, Text Doc>
struct TextSignature {
    static constexpr std::size_t length =
        declaration_detail::write_doc(nullptr, Declared<D>::decl.name, R, Declared<D>::decl, Doc.view());
    static constexpr auto text = [] {
        std::array<char, length + 1> out{};
        declaration_detail::write_doc(out.data(), Declared<D>::decl.name, R, Declared<D>::decl, Doc.view());
        return out;
    }();
};

// A constructor's class doc names the class: "Name(a, b)\n--\n\n" and the doc.
template <class C, Text D, Text Doc>
struct ClassDoc {
    static constexpr std::string_view name{C::name};
    static constexpr std::size_t length =
        declaration_detail::write_doc(nullptr, name, Receiver::None, Declared<D>::decl, Doc.view());
    static constexpr auto text = [] {
        std::array<char, length + 1> out{};
        declaration_detail::write_doc(out.data(), name, Receiver::None, Declared<D>::decl, Doc.view());
        return out;
    }();
};

template <FastCall F>
constexpr PyCFunction as_cfunction() {
    return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(F));
}

// ---- method table rows ----

template <Text D, auto Fn, Access A = Access::Shared, Text Doc = "">
struct Method {
    template <class C>
    static constexpr PyMethodDef row() {
        return {Declared<D>::strings.data(), as_cfunction<method<C, Declared<D>::signature, Fn, A>>(),
                METH_FASTCALL | METH_KEYWORDS, TextSignature<D, Receiver::Self, Doc>::text.data()};
    }
};

template <Text D, auto Fn, Text Doc = "">
struct ClassMethod {
    template <class C>
    static constexpr PyMethodDef row() {
        return {Declared<D>::strings.data(), as_cfunction<class_method<C, Declared<D>::signature, Fn>>(),
                METH_FASTCALL | METH_KEYWORDS | METH_CLASS, TextSignature<D, Receiver::Cls, Doc>::text.data()};
    }
};

// A module function; `Fn(bound)` receives the bound arguments.
template <Text D, auto Fn, Text Doc = "">
struct Function {
    static constexpr PyMethodDef row() {
        return {Declared<D>::strings.data(), as_cfunction<function<Declared<D>::signature, Fn>>(),
                METH_FASTCALL | METH_KEYWORDS, TextSignature<D, Receiver::None, Doc>::text.data()};
    }
};

using Methods = std::span<const PyMethodDef>;
using Attributes = std::span<const PyGetSetDef>;

// The rows are made when the module is loaded (a function pointer cast is no constant
// expression); a table's address and length are constants all the same.
template <class C, class... Rows>
inline const std::array<PyMethodDef, sizeof...(Rows)> METHOD_ROWS{Rows::template row<C>()...};
template <class C, class... Rows>
inline constexpr Methods method_table = METHOD_ROWS<C, Rows...>;

template <class... Rows>
inline const std::array<PyMethodDef, sizeof...(Rows)> FUNCTION_ROWS{Rows::row()...};
template <class... Rows>
inline constexpr Methods function_table = FUNCTION_ROWS<Rows...>;

// ---- attributes ----

namespace declaration_detail {
template <std::size_t N>
constexpr const char* doc_or_null(const Text<N>& doc) {
    return N > 1 ? doc.chars : nullptr;
}
template <class T>
struct ConvertedType;
template <class T>
struct ConvertedType<bool (*)(PyObject*, T&)> {
    using type = T;
};
}  // namespace declaration_detail

// How an attribute is written: not at all, by `Fn(value, arg)` under the exclusive
// borrow, or converted first and stored after (see converted_setter).
struct ReadOnly {
    template <class C>
    static constexpr ::setter set = nullptr;
};
template <auto Fn>
struct Writable {
    template <class C>
    static constexpr ::setter set = &setter<C, Fn>;
};
template <auto Convert, auto Store>
struct Converted {
    template <class C>
    static constexpr ::setter set =
        &converted_setter<C, typename declaration_detail::ConvertedType<decltype(Convert)>::type, Convert, Store>;
};

template <Text Name, auto Get, class Set = ReadOnly, Text Doc = "">
struct Attribute {
    template <class C>
    static constexpr PyGetSetDef row() {
        return {Name.chars, &getter<C, Get>, Set::template set<C>, declaration_detail::doc_or_null(Doc), nullptr};
    }
};

template <class C, class... Rows>
inline constexpr std::array<PyGetSetDef, sizeof...(Rows)> ATTRIBUTE_ROWS{Rows::template row<C>()...};
template <class C, class... Rows>
inline constexpr Attributes attribute_table = ATTRIBUTE_ROWS<C, Rows...>;

// A module function object of a function table row, bound to `module`.
inline PyObject* new_function(const PyMethodDef& row, PyObject* module, PyObject* module_name) {
    // The interpreter only reads the row.
    return PyCFunction_NewEx(const_cast<PyMethodDef*>(&row), module, module_name);
}

// ---- constructors ----

struct Constructor {
    const char* doc = nullptr;  // the class doc, starting with the constructor's text signature
    newfunc new_ = nullptr;
    vectorcallfunc vectorcall = nullptr;
};

// `Fn(bound, value)` converts the bound arguments into the new object's value.
template <class C, Text D, auto Fn, Text Doc = "">
inline constexpr Constructor constructor{ClassDoc<C, D, Doc>::text.data(),
                                         &construct_new<C, Declared<D>::signature, Fn>,
                                         &construct_vectorcall<C, Declared<D>::signature, Fn>};

}  // namespace korvan::py
