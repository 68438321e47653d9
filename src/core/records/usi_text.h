#pragma once
// The USI "position" command of a record's main line, the special-move words it may end
// in, and the error type shared with the reader of such commands.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/records/record.h"

namespace korvan {

struct UsiPositionError {
    enum class Kind : std::uint8_t {
        Empty,
        InvalidTokenSequence,
        InvalidSfen,
        InvalidMoveToken,
        SpecialTokenNotAllowed,
        MoveAfterTerminal,
        RecordConstruction,
    };
    Kind kind = Kind::Empty;
    std::string text;        // InvalidTokenSequence; the token of the three indexed kinds
    std::uint64_t index = 0;  // the indexed kinds
    SfenError sfen;          // InvalidSfen
    RecordError record;      // RecordConstruction

    bool operator==(const UsiPositionError&) const = default;
};

std::string usi_position_error_display(const UsiPositionError& e);

// A special token as the reader accepts it (compared in ASCII lower case); the terminal
// keeps the token as given in raw. Nothing for any other word.
std::optional<SpecialMove> usi_special_token(std::string_view token, Color side_to_move);

Expected<std::string, UsiPositionError> record_to_usi_position(const Record& record, bool include_special_tokens);

}  // namespace korvan
