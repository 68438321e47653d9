#pragma once
// The lines the KIF and KI2 writers write alike: the header from the metadata, the
// start position as a handicap name or a board diagram, comment lines and the closing
// "まで" line. Every operation appends whole lines to a text, each ended by "\n".

#include <cstdint>
#include <string>
#include <string_view>

#include "core/board/position/position.h"
#include "core/records/entries.h"
#include "core/records/metadata.h"

namespace korvan {

// The header lines, each present field in a fixed order, then the attributes whose
// keys the writers do not write themselves, in key order.
void write_kif_header(std::string& out, const RecordMetadata& metadata);

// "1時間30分秒読み30秒加算5秒": hours only from one hour on; empty for 0+0+0.
std::string japanese_time_control_text(const TimeControl& tc);

// "手合割：<name>" when the SFEN text is exactly a named handicap's, else the board
// diagram of the position (set up from that text).
void write_start_position_lines(std::string& out, std::string_view sfen, const Position& pos);

// The 15 lines of the board diagram: White's hand, the framed board, Black's hand and
// the side to move.
void write_kif_board(std::string& out, const Position& pos);

// "歩三　角": pawn, lance, knight, silver, gold, bishop, rook; counts 2..10 in kanji,
// larger ones in ASCII digits; "なし" when empty.
std::string write_japanese_hand(Hand hand);

// One "*" line per line of the comment that is not blank once trimmed.
void write_comment_lines(std::string& out, std::string_view comment);

// The blank line and "変化：<n>手" that open a variation block.
void write_variation_header(std::string& out, std::uint64_t first_number);

// "まで86手で後手の勝ち": the ending by the terminal's kind and the side to move after
// the main line's last move; the terminal's result is not consulted.
std::string write_kif_result_line(const SpecialMove& special, Color side_to_move, std::uint64_t moves);

}  // namespace korvan
