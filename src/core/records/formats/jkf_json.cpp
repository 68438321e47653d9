#include "records/formats/jkf_json.h"

#include <vector>

namespace korvan {

namespace {

// A SAX handler that builds the tree with its own stack of open containers.
class TreeBuilder {
public:
    TreeBuilder(Json& root, std::size_t max_depth) : root_(root), max_depth_(max_depth) {}

    bool null() { return put(nullptr) != nullptr; }
    bool boolean(bool v) { return put(v) != nullptr; }
    bool number_integer(Json::number_integer_t v) { return put(v) != nullptr; }
    bool number_unsigned(Json::number_unsigned_t v) { return put(v) != nullptr; }
    bool number_float(Json::number_float_t v, const std::string&) { return put(v) != nullptr; }
    bool string(std::string& v) { return put(std::move(v)) != nullptr; }
    bool binary(Json::binary_t& v) { return put(Json::binary(std::move(v))) != nullptr; }
    bool start_object(std::size_t) { return open(Json::value_t::object); }
    bool key(std::string& k) {
        // A repeated key keeps the last value, as the library's own parser does.
        slot_ = &(*open_.back())[std::move(k)];
        return true;
    }
    bool end_object() {
        open_.pop_back();
        return true;
    }
    bool start_array(std::size_t) { return open(Json::value_t::array); }
    bool end_array() {
        open_.pop_back();
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const Json::exception& e) {
        failure_.message = e.what();
        return false;
    }

    const JsonFailure& failure() const { return failure_; }

private:
    template <class V>
    Json* put(V&& value) {
        if (open_.empty()) {
            root_ = Json(std::forward<V>(value));
            return &root_;
        }
        Json& top = *open_.back();
        if (top.is_array()) {
            top.get_ref<Json::array_t&>().emplace_back(std::forward<V>(value));
            return &top.get_ref<Json::array_t&>().back();
        }
        *slot_ = Json(std::forward<V>(value));
        return slot_;
    }
    bool open(Json::value_t type) {
        if (open_.size() >= max_depth_) {
            failure_.too_deep = true;
            return false;
        }
        open_.push_back(put(type));
        return true;
    }

    Json& root_;
    std::size_t max_depth_;
    std::vector<Json*> open_;
    Json* slot_ = nullptr;
    JsonFailure failure_;
};

}  // namespace

Expected<Json, JsonFailure> parse_json(std::string_view text, std::size_t max_depth) {
    Json root;
    TreeBuilder builder(root, max_depth);
    const bool ok = Json::sax_parse(text.data(), text.data() + text.size(), &builder);
    if (!ok) return unexpected(builder.failure());
    return root;
}

std::string dump_json(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

}  // namespace korvan
