#pragma once
// The initial position of a CSA record from its "P" lines: a "PI" handicap line, or the
// rank lines "P1".."P9", then the "P+" / "P-" piece groups.

#include <string>
#include <string_view>
#include <vector>

#include "core/records/formats/csa/csa_error.h"
#include "core/util/expected.h"

namespace korvan {

// The SFEN (move number 1) of the set-up lines in the order met, with White to move
// when `side` is '-'. No position line at all gives the standard start position.
//
// A "P+"/"P-" group on a board square puts that piece there. "00AL" is settled after
// every other group: it hands the side the pieces of each kind that the board and both
// hands still lack from the full set, never a king.
//
// A rank line replaces any earlier line of the same rank; more than nine cells on it
// is an error, fewer leave the remaining squares empty. With a "PI" line the rank lines
// are not read.
Expected<std::string, CsaError> csa_setup_sfen(const std::vector<std::string_view>& position_lines, char side);

// The unpromoted code of a promoted piece ("TO" -> "FU" ...); any other text unchanged.
std::string_view csa_piece_code(std::string_view code);

}  // namespace korvan
