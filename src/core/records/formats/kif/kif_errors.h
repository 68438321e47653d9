#pragma once
// The errors of the KIF and KI2 readers and writers. Both formats fail the same four
// ways and differ only in the lead of their texts, so one shape serves both and the
// shared helpers can build either.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/board/position/parser.h"

namespace korvan {

enum class KifErrorKind : std::uint8_t { Sfen, InvalidLine, InvalidMove, IllegalMove };

template <class Format>
struct JapaneseRecordError {
    KifErrorKind kind = KifErrorKind::InvalidLine;
    SfenError sfen;           // Sfen
    std::string text;         // InvalidLine, InvalidMove
    std::uint64_t index = 0;  // IllegalMove: the move's 0-based index in the main line

    static JapaneseRecordError of_sfen(SfenError e) {
        JapaneseRecordError out;
        out.kind = KifErrorKind::Sfen;
        out.sfen = std::move(e);
        return out;
    }
    static JapaneseRecordError invalid_line(std::string_view text) {
        JapaneseRecordError out;
        out.text = text;
        return out;
    }
    static JapaneseRecordError invalid_move(std::string_view text) {
        JapaneseRecordError out;
        out.kind = KifErrorKind::InvalidMove;
        out.text = text;
        return out;
    }
    static JapaneseRecordError illegal_move(std::uint64_t index) {
        JapaneseRecordError out;
        out.kind = KifErrorKind::IllegalMove;
        out.index = index;
        return out;
    }
    bool operator==(const JapaneseRecordError&) const = default;
};

struct KifFormat {
    static constexpr std::string_view name = "KIF";
};
struct Ki2Format {
    static constexpr std::string_view name = "KI2";
};
using KifError = JapaneseRecordError<KifFormat>;
using Ki2Error = JapaneseRecordError<Ki2Format>;

// "failed to parse SFEN: ..", "invalid KIF line: ..", "invalid KIF move: ..",
// "illegal move at index <n>"; the KI2 texts read "KI2" for "KIF".
std::string kif_error_display(const KifError& e);
std::string ki2_error_display(const Ki2Error& e);

}  // namespace korvan
