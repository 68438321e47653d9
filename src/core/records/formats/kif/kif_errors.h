#pragma once
// The errors of the KIF and KI2 readers and writers. Both formats fail the same four
// ways and differ only in the lead of their texts, so one shape serves both and the
// shared helpers can build either.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/records/formats/format_error.h"

namespace korvan {

enum class KifErrorKind : std::uint8_t { Sfen, InvalidLine, InvalidMove, IllegalMove };

template <class Format>
struct JapaneseRecordError : FormatError<JapaneseRecordError<Format>, KifErrorKind, KifErrorKind::InvalidLine> {
    static JapaneseRecordError invalid_line(std::string_view text) {
        return JapaneseRecordError::of_text(KifErrorKind::InvalidLine, std::string(text));
    }
    static JapaneseRecordError invalid_move(std::string_view text) {
        return JapaneseRecordError::of_text(KifErrorKind::InvalidMove, std::string(text));
    }
};

// The leads of the display, indexed by kind.
struct KifFormat {
    static constexpr std::array<std::string_view, 4> leads = {
        "failed to parse SFEN: ", "invalid KIF line: ", "invalid KIF move: ", "illegal move at index "};
};
struct Ki2Format {
    static constexpr std::array<std::string_view, 4> leads = {
        "failed to parse SFEN: ", "invalid KI2 line: ", "invalid KI2 move: ", "illegal move at index "};
};
using KifError = JapaneseRecordError<KifFormat>;
using Ki2Error = JapaneseRecordError<Ki2Format>;

// "failed to parse SFEN: ..", "invalid KIF line: ..", "invalid KIF move: ..",
// "illegal move at index <n>"; the KI2 texts read "KI2" for "KIF".
std::string kif_error_display(const KifError& e);
std::string ki2_error_display(const Ki2Error& e);

}  // namespace korvan
