#include "core/records/formats/jkf/jkf_error.h"

namespace korvan {

namespace {

constexpr std::array<std::string_view, 7> LEADS = {
    "failed to parse SFEN: ",  "invalid JKF structure: ",       "unsupported JKF preset: ",   "invalid move: ",
    "illegal move at index ", "record construction failed: ", "json serialization failed: ",
};

}  // namespace

std::string jkf_error_display(const JkfError& e) {
    if (e.kind == JkfErrorKind::RecordConstruction)
        return std::string(LEADS[static_cast<std::size_t>(e.kind)]) + record_error_display(e.record);
    return format_error_display(e, LEADS);
}

std::string jkf_fork_depth_text() {
    return "forks nested deeper than " + std::to_string(JKF_MAX_FORK_DEPTH) + " levels";
}

std::string jkf_json_depth_text() {
    return "arrays and objects nested deeper than " + std::to_string(JKF_MAX_JSON_DEPTH) + " levels";
}

}  // namespace korvan
