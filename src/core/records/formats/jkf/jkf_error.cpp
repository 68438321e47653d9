#include "core/records/formats/jkf/jkf_error.h"

#include "core/util/utf8_repair.h"

namespace korvan {

std::string jkf_error_display(const JkfError& e) {
    using K = JkfError::Kind;
    switch (e.kind) {
        case K::Sfen: return "failed to parse SFEN: " + sfen_error_display(e.sfen);
        case K::InvalidStructure: return "invalid JKF structure: " + utf8_replace_invalid(e.text);
        case K::UnsupportedPreset: return "unsupported JKF preset: " + utf8_replace_invalid(e.text);
        case K::InvalidMove: return "invalid move: " + utf8_replace_invalid(e.text);
        case K::IllegalMove: return "illegal move at index " + std::to_string(e.index);
        case K::RecordConstruction: return "record construction failed: " + record_error_display(e.record);
        case K::JsonSerialization: return "json serialization failed: " + utf8_replace_invalid(e.text);
    }
    return {};
}

std::string jkf_fork_depth_text() {
    return "forks nested deeper than " + std::to_string(JKF_MAX_FORK_DEPTH) + " levels";
}

std::string jkf_json_depth_text() {
    return "arrays and objects nested deeper than " + std::to_string(JKF_MAX_JSON_DEPTH) + " levels";
}

}  // namespace korvan
