#pragma once
// Records read from USI texts: a whole "position" command (with special tokens when
// allowed), and the checked replay of a list of USI moves behind a main-line builder.

#include <string>
#include <string_view>
#include <vector>

#include "core/records/usi_text.h"

namespace korvan {

Expected<Record, UsiPositionError> record_from_usi_position(std::string_view command, bool allow_special_tokens);

struct UsiMainLine {
    std::string initial_sfen;  // the SFEN writer's text of the start position
    std::vector<Move> moves;   // as parsed
};

// The start position of a USI position command without moves, then every move text
// parsed, widened and tested in turn. Errors are whole message texts.
Expected<UsiMainLine, std::string> usi_main_line_moves(std::string_view init_position,
                                                       const std::vector<std::string_view>& usi_moves);

}  // namespace korvan
