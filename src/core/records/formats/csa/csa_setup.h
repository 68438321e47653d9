#pragma once
// The initial position of a CSA record from its "P" lines: a "PI" handicap line, or the
// rank lines "P1".."P9", then the "P+" / "P-" piece groups.

#include <string_view>
#include <vector>

#include "core/records/formats/csa/csa_error.h"
#include "core/records/setup.h"
#include "core/util/expected.h"

namespace korvan {

// The set-up of the position lines in the order met, with White to move when `side` is
// '-'. No position line at all gives the standard start position. Its hands are listed
// pawn first (HandOrder::PawnFirst).
//
// A "P+"/"P-" group on a board square puts that piece there. "00AL" is settled after
// every other group: it hands the side the pieces of each kind that the board and both
// hands still lack from the full set, never a king.
//
// A rank line replaces any earlier line of the same rank; more than nine cells on it
// is an error, fewer leave the remaining squares empty. With a "PI" line the rank lines
// are not read.
Expected<RecordSetup, CsaError> csa_setup(const std::vector<std::string_view>& position_lines, char side);

}  // namespace korvan
