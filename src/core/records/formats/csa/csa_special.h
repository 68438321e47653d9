#pragma once
// The "%" special-move lines of CSA: what a line read means, and the line a terminal
// writes.

#include <string>
#include <string_view>

#include "core/records/entries.h"
#include "core/types/color.h"

namespace korvan {

// The terminal a whole "%" line gives with `side_to_move` to move; raw is the line.
SpecialMove parse_csa_special(std::string_view line, Color side_to_move);

// The line a terminal writes; an unknown name's commas are written as blanks. The illegal-move kinds depend on who is to move at the
// terminal: the winner named by "%+ILLEGAL_ACTION" / "%-ILLEGAL_ACTION" must read back
// as the same side.
std::string csa_special_line(const SpecialMove& special, Color side_to_move);

}  // namespace korvan
