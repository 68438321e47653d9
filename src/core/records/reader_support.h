#pragma once
// Services the record readers and writers share: bounded replay history and the
// bookkeeping of a set-up's pieces while a board diagram is read.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "core/board/position/parser.h"
#include "core/board/position/position.h"
#include "core/util/expected.h"

namespace korvan {

// Called after each move a reader or writer replays: every 200th call rebuilds the
// position from its own SFEN, so the state stack of a long replay stays bounded. Board,
// hands, side, ply and key are unchanged; undo and repetition restart there.
Expected<Ok, SfenError> replay_compact_history(Position& pos, std::uint64_t& counter);

// Hand pieces by side mark ('+' Black, '-' White) and CSA code ("FU" .. "HI").
// Counts saturate at 255, which no SFEN hand accepts.
using HandCounts = std::map<char, std::map<std::string, std::uint8_t, std::less<>>>;
// Board squares (file 1..9, rank 1..9) to a side mark and a CSA piece code.
using BoardRows = std::map<std::pair<int, int>, std::pair<char, std::string>>;

void new_hand_counts_by_side(HandCounts& counts);
void hand_counts_add(HandCounts& counts, char side, std::string_view code, unsigned n);

// "FU" -> "P", "TO" -> "+P" ..., lower case for '-'; nothing for any other code.
std::optional<std::string> csa_piece_to_sfen(std::string_view code, char side);
Expected<std::string, std::string> sfen_board_from_rows(const BoardRows& rows);
Expected<std::string, std::string> sfen_from_parsed_setup(const HandCounts& counts);

}  // namespace korvan
