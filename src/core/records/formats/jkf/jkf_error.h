#pragma once
// The error of the JKF reader and writer (a kind, a factory for each, one display), and
// the nesting limits both keep.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "core/records/formats/format_error.h"
#include "core/records/record.h"

namespace korvan {

// Forks may nest this many levels (a fork inside a fork is level 2). The reader refuses
// deeper documents and the writer deeper records, so neither their recursion nor the
// JSON library's printing can exhaust the stack, and everything written reads back.
constexpr std::size_t JKF_MAX_FORK_DEPTH = 256;
// Arrays and objects may nest this deep in a document (the forks above need 3 levels
// each).
constexpr std::size_t JKF_MAX_JSON_DEPTH = 1024;

enum class JkfErrorKind : std::uint8_t {
    Sfen,
    InvalidStructure,
    UnsupportedPreset,
    InvalidMove,
    IllegalMove,
    RecordConstruction,
    JsonSerialization,
};

struct JkfError : FormatError<JkfError, JkfErrorKind, JkfErrorKind::InvalidStructure> {
    RecordError record;  // RecordConstruction

    static JkfError invalid_structure(std::string text) { return of_text(Kind::InvalidStructure, std::move(text)); }
    static JkfError unsupported_preset(std::string name) { return of_text(Kind::UnsupportedPreset, std::move(name)); }
    static JkfError invalid_move(std::string text) { return of_text(Kind::InvalidMove, std::move(text)); }
    static JkfError json_serialization(std::string message) {
        return of_text(Kind::JsonSerialization, std::move(message));
    }
    static JkfError of_record(RecordError r) {
        JkfError e = of(Kind::RecordConstruction);
        e.record = std::move(r);
        return e;
    }
    bool operator==(const JkfError&) const = default;
};

std::string jkf_error_display(const JkfError& e);

// The texts of the two limits.
std::string jkf_fork_depth_text();
std::string jkf_json_depth_text();

}  // namespace korvan
