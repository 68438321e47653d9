#pragma once
// The board diagram (BOD) of KIF and KI2 headers: the framed board, the hand lines and
// the side-to-move line, read into the set-up maps the record core turns into an SFEN.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/util/kanji.h"
#include "core/util/lines.h"
#include "core/util/text.h"
#include "core/records/reader_support.h"
#include "core/util/expected.h"

namespace korvan {

using HandCountMap = HandCounts::mapped_type;

// What the set-up lines of a header said. The side mark is '+' (Black), '-' (White)
// or 0 when no line set it; a diagram that was read counts even when its board is
// empty.
struct KifSetup {
    BoardRows board;
    HandCounts hands;
    char side_mark = 0;
    bool diagram_read = false;

    KifSetup() { new_hand_counts_by_side(hands); }
};

struct BodBoardRows {
    std::size_t next_line;  // the first line after the diagram
    BoardRows rows;
};

// Reads the frame and nine rows that follow the file-number line at header_index. A
// cell that names no piece, and a row the text does not have, leave squares empty.
BodBoardRows parse_bod_board_rows(const std::vector<std::string_view>& lines, std::size_t header_index);

// A hand line's value, such as "飛 角 金二 歩十八": each piece with its count in kanji
// numerals or in ASCII or full-width digits ("歩18", "歩１８"); no count is one; counts
// of a repeated piece add up, saturating at 255. "なし" and an empty value give nothing.
HandCountMap parse_bod_hand(std::string_view text);

// "<board> <b|w> <hands> 1" from the set-up; the record core's message when a map
// cannot form its field.
Expected<std::string, std::string> sfen_from_diagram(const KifSetup& setup);

}  // namespace korvan
