#pragma once
// JSON for the JKF reader and writer. Parsing runs nlohmann/json's lexer and parser
// (its errors name line and column) into a compact tree of our own: values in one
// array, the members of each container in one contiguous range, so a document costs a
// few allocations instead of one per value, and freeing it recurses nowhere. Printing
// writes compact text with the library's string escaping.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/util/expected.h"

namespace korvan {

class JsonTree {
public:
    enum class Type : std::uint8_t { Null, Boolean, Integer, Unsigned, Float, String, Array, Object };

    struct Value {
        Type type = Type::Null;
        bool boolean = false;
        std::uint32_t first = 0;  // String: offset of its bytes; Array, Object: first member
        std::uint32_t count = 0;  // String: byte length; Array, Object: member count
        union {
            std::int64_t integer;    // Integer (negative numbers)
            std::uint64_t unsigned_;  // Unsigned (numbers without sign, fraction or exponent)
            double real;             // Float
        };
        Value() : integer(0) {}
    };
    struct Member {
        std::uint32_t key_first;  // Object members: the key's bytes
        std::uint32_t key_count;
        std::uint32_t value;
    };

    const Value& root() const { return values_.front(); }

    static bool is_object(const Value* v) { return v && v->type == Type::Object; }
    static bool is_array(const Value* v) { return v && v->type == Type::Array; }
    static bool is_string(const Value* v) { return v && v->type == Type::String; }
    static bool is_boolean(const Value* v) { return v && v->type == Type::Boolean; }
    // A number written without sign, fraction or exponent that fits in 64 bits.
    static bool is_unsigned(const Value* v) { return v && v->type == Type::Unsigned; }

    std::string_view text(const Value& v) const { return std::string_view(chars_).substr(v.first, v.count); }
    // The member of an object with this key (the last one when the key repeats).
    const Value* find(const Value& object, std::string_view key) const;
    const Value& element(const Value& array, std::size_t i) const { return values_[members_[array.first + i].value]; }
    std::string_view key_at(const Value& object, std::size_t i) const {
        const Member& m = members_[object.first + i];
        return std::string_view(chars_).substr(m.key_first, m.key_count);
    }
    const Value& value_at(const Value& container, std::size_t i) const {
        return values_[members_[container.first + i].value];
    }

    // Compact text of a value: object members in byte order of their keys, a repeated
    // key printed once with its last value.
    std::string dump(const Value& v) const;

private:
    friend class JsonTreeBuilder;
    std::vector<Value> values_;
    std::vector<Member> members_;
    std::string chars_;  // the bytes of every string and key
};

struct JsonFailure {
    bool too_deep = false;  // nesting past the limit; otherwise the library's message
    std::string message;
};

// The whole text as one value (white space only after it); arrays and objects nested
// deeper than max_depth are refused.
Expected<JsonTree, JsonFailure> parse_json(std::string_view text, std::size_t max_depth);

// Appends the text as a JSON string, escaped as the library escapes it (UTF-8 kept;
// bytes that are not UTF-8 become U+FFFD).
void append_json_string(std::string& out, std::string_view text);

}  // namespace korvan
