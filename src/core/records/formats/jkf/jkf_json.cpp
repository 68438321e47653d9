#include "core/records/formats/jkf/jkf_json.h"

#include <nlohmann/json.hpp>

#include "core/util/panic.h"
#include "core/util/utf8_repair.h"

namespace korvan {

using Json = nlohmann::json;

namespace {

// The library's message quotes an excerpt of the input ("last read: '...'", perhaps
// followed by "; expected ...") cut where the lexer stopped, which may be inside a
// character; the half character is left out. Bytes that were never UTF-8 (the reader
// also takes raw bytes) become U+FFFD.
std::string parse_error_text(std::string_view what) {
    constexpr std::string_view LAST_READ = "last read: '";
    const std::size_t at = what.find(LAST_READ);
    if (at == std::string_view::npos) return utf8_replace_invalid(what);
    const std::size_t first = at + LAST_READ.size();
    std::size_t end = what.find("'; expected ", first);
    if (end == std::string_view::npos && what.ends_with('\'')) end = what.size() - 1;
    if (end == std::string_view::npos || end < first) return utf8_replace_invalid(what);
    std::string text(what.substr(0, first));
    text += utf8_prefix(what.substr(first, end - first));
    text += what.substr(end);
    return utf8_replace_invalid(text);
}

}  // namespace

// A SAX handler of the library's parser that fills a JsonTree. Members of the open
// containers wait on one stack and move into the tree's member array when their
// container closes, so each container's members end up contiguous.
class JsonTreeBuilder {
public:
    JsonTreeBuilder(JsonTree& tree, std::size_t max_depth, std::size_t text_size) : tree_(tree), max_depth_(max_depth) {
        // About one value per eight bytes of a JKF document.
        tree_.values_.reserve(text_size / 8 + 4);
        tree_.members_.reserve(text_size / 8 + 4);
        tree_.chars_.reserve(text_size / 4);
    }

    bool null() { return add(JsonTree::Value{}); }
    bool boolean(bool b) {
        JsonTree::Value v;
        v.type = JsonTree::Type::Boolean;
        v.boolean = b;
        return add(v);
    }
    bool number_integer(Json::number_integer_t n) {
        JsonTree::Value v;
        v.type = JsonTree::Type::Integer;
        v.integer = n;
        return add(v);
    }
    bool number_unsigned(Json::number_unsigned_t n) {
        JsonTree::Value v;
        v.type = JsonTree::Type::Unsigned;
        v.unsigned_ = n;
        return add(v);
    }
    bool number_float(Json::number_float_t n, const std::string&) {
        JsonTree::Value v;
        v.type = JsonTree::Type::Float;
        v.real = n;
        return add(v);
    }
    bool string(std::string& s) {
        JsonTree::Value v;
        v.type = JsonTree::Type::String;
        v.first = bytes(s);
        v.count = static_cast<std::uint32_t>(s.size());
        return add(v);
    }
    bool binary(Json::binary_t&) { return add(JsonTree::Value{}); }
    bool start_object(std::size_t) { return open(JsonTree::Type::Object); }
    bool start_array(std::size_t) { return open(JsonTree::Type::Array); }
    bool key(std::string& k) {
        key_first_ = bytes(k);
        key_count_ = static_cast<std::uint32_t>(k.size());
        return true;
    }
    bool end_object() { return close(); }
    bool end_array() { return close(); }
    bool parse_error(std::size_t, const std::string&, const Json::exception& e) {
        failure_.message = parse_error_text(e.what());
        return false;
    }

    const JsonFailure& failure() const { return failure_; }

private:
    // Texts come from a document that a 32-bit offset addresses (the reader's callers
    // hold it in memory); the offsets of a longer one would wrap.
    std::uint32_t bytes(const std::string& s) {
        const std::size_t at = tree_.chars_.size();
        if (at + s.size() > UINT32_MAX) [[unlikely]]
            panic("JSON text too long");
        tree_.chars_ += s;
        return static_cast<std::uint32_t>(at);
    }
    bool add(const JsonTree::Value& v) {
        tree_.values_.push_back(v);
        const auto index = static_cast<std::uint32_t>(tree_.values_.size() - 1);
        if (!open_.empty()) pending_.push_back({key_first_, key_count_, index});
        return true;
    }
    bool open(JsonTree::Type type) {
        if (open_.size() >= max_depth_) {
            failure_.too_deep = true;
            return false;
        }
        JsonTree::Value v;
        v.type = type;
        add(v);
        open_.push_back({static_cast<std::uint32_t>(tree_.values_.size() - 1), pending_.size()});
        return true;
    }
    bool close() {
        const auto [index, start] = open_.back();
        open_.pop_back();
        JsonTree::Value& v = tree_.values_[index];
        v.first = static_cast<std::uint32_t>(tree_.members_.size());
        v.count = static_cast<std::uint32_t>(pending_.size() - start);
        tree_.members_.insert(tree_.members_.end(), pending_.begin() + static_cast<std::ptrdiff_t>(start), pending_.end());
        pending_.resize(start);
        return true;
    }

    struct Open {
        std::uint32_t value;
        std::size_t pending_start;
    };
    JsonTree& tree_;
    std::size_t max_depth_;
    std::vector<Open> open_;
    std::vector<JsonTree::Member> pending_;
    std::uint32_t key_first_ = 0;
    std::uint32_t key_count_ = 0;
    JsonFailure failure_;
};

const JsonTree::Value* JsonTree::find(const Value& object, std::string_view key) const {
    for (std::uint32_t i = object.count; i > 0; --i) {
        const Member& m = members_[object.first + i - 1];
        if (std::string_view(chars_).substr(m.key_first, m.key_count) == key) return &values_[m.value];
    }
    return nullptr;
}

namespace {

// The library's value of a tree value; nesting is bounded by the parser's depth limit.
Json to_library(const JsonTree& tree, const JsonTree::Value& v) {
    using T = JsonTree::Type;
    switch (v.type) {
        case T::Null: return nullptr;
        case T::Boolean: return v.boolean;
        case T::Integer: return v.integer;
        case T::Unsigned: return v.unsigned_;
        case T::Float: return v.real;
        case T::String: return std::string(tree.text(v));
        case T::Array: {
            Json out = Json::array();
            for (std::uint32_t i = 0; i < v.count; ++i) out.push_back(to_library(tree, tree.value_at(v, i)));
            return out;
        }
        case T::Object: {
            Json out = Json::object();
            for (std::uint32_t i = 0; i < v.count; ++i)
                out[std::string(tree.key_at(v, i))] = to_library(tree, tree.value_at(v, i));
            return out;
        }
    }
    return nullptr;
}

}  // namespace

std::string JsonTree::dump(const Value& v) const {
    return to_library(*this, v).dump(-1, ' ', false, Json::error_handler_t::replace);
}

Expected<JsonTree, JsonFailure> parse_json(std::string_view text, std::size_t max_depth) {
    JsonTree tree;
    JsonTreeBuilder builder(tree, max_depth, text.size());
    if (!Json::sax_parse(text.data(), text.data() + text.size(), &builder)) return unexpected(builder.failure());
    return tree;
}

void append_json_string(std::string& out, std::string_view text) {
    bool plain = true;
    for (char c : text) {
        if (c < 0x20 || c > 0x7E || c == '"' || c == '\\') {
            plain = false;
            break;
        }
    }
    if (plain) {
        out += '"';
        out += text;
        out += '"';
        return;
    }
    out += Json(std::string(text)).dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace korvan
