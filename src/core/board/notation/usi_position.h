#pragma once
// The USI "position" command: set-up, moves checked one by one, and the SFEN texts.

#include <string>
#include <string_view>
#include <vector>

#include "core/board/position/position.h"
#include "core/util/expected.h"

namespace korvan {

struct UsiPositionResult {
    Position position;
    std::string base_sfen;
    std::vector<Move> moves;
    std::string final_sfen;
};

// Errors are whole message texts ending with the command as passed.
Expected<UsiPositionResult, std::string> parse_usi_position_command(std::string_view command);

}  // namespace korvan
