#pragma once
// The header section of a KIF or KI2 record, which both readers read alike: header
// lines into metadata, the "*" comment lines, and the set-up lines (board diagram, hand
// lines, side to move) with the start position they give.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/board/position/parser.h"
#include "core/board/position/position.h"
#include "core/records/metadata.h"
#include "core/records/setup.h"
#include "core/util/expected.h"

namespace korvan {

struct KifHeaderSection {
    RecordMetadata metadata;
    std::vector<std::string_view> comment_lines;  // of the "*" lines, in order
    RecordSetup setup;                                  // the diagram, hand and side lines
    bool diagram_read = false;                    // even when its board is empty
    std::size_t move_section = 0;                 // the first line of the move section, or the line count
};

// Reads header lines until a trimmed line for which opens_moves is true. Comment, side,
// hand and diagram lines are recognised before that test, so a diagram's file-number
// line ("９ ８ .. １") is never taken for a move.
KifHeaderSection read_kif_header_section(const std::vector<std::string_view>& lines,
                                         bool (*opens_moves)(std::string_view));

// The start a record keeps and its position: the diagram's set-up when one was read
// (hands in the order the diagram lists them), else the handicap's, else the standard
// start. The SFEN reader's error for a diagram hand no hand can hold.
struct KifStart {
    std::string sfen;
    Position position;
};
Expected<KifStart, SfenError> kif_start(const KifHeaderSection& header);

}  // namespace korvan
