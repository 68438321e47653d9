#pragma once
// Reading a KIF or KI2 record: the header section and the start position, then the
// move section (the main line with its closing "まで" line, then the "変化" blocks) line
// by line into a record builder. The two formats share every kind of line but their
// move lines: a format classifies each line and reads its moves, and this reads the rest.
//
// A block runs from its header to the first line that is empty (consumed) or begins
// with "変化" or "まで". Blocks before the main line's end are read after it, and after
// the end every later block is read, the lines between blocks passed over.

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/records/formats/kif/kif_errors.h"
#include "core/records/formats/kif/kif_header_section.h"
#include "core/records/formats/kif/kif_move_lines.h"
#include "core/records/formats/kif/kif_special.h"
#include "core/records/record_builder.h"
#include "core/util/lines.h"
#include "core/util/text.h"

namespace korvan {

enum class KifLineKind : std::uint8_t {
    Ignored,     // no record content (bookmarks, the table header)
    Evaluation,  // "**評価値=..."
    Comment,     // "*..." or "'..."
    Time,        // a stand-alone "消費時間" line
    Moves,       // a line the format reads moves from
    Odd,         // anything else: refused on the main line, passed over in a block
};

// The error a reader reports for a builder's.
template <class Error>
Error kif_build_error(const BuildError& e) {
    if (e.kind == BuildError::Kind::Sfen) return Error::of_sfen(e.sfen);
    return Error::invalid_line(build_error_display(e));
}

// The error of an illegal move read from a line: the main line's illegal move at its
// index, and in a variation an invalid move holding the line.
template <class Error>
Error kif_illegal_move_error(const RecordBuilder& builder, std::string_view line, bool variation) {
    return variation ? Error::invalid_move(line) : Error::illegal_move(builder.line_moves());
}

// Plays a move read from a line (16-bit, as the line names it); an illegal move is
// the error above.
template <class Error>
Expected<Ok, Error> play_kif_move(RecordBuilder& builder, Move move, std::optional<std::uint32_t> time_ms,
                                  std::string_view line, bool variation) {
    const auto played = builder.play(builder.widen(move), time_ms);
    if (!played) return unexpected(kif_build_error<Error>(played.error()));
    if (*played == RecordBuilder::Played::Illegal) return unexpected(kif_illegal_move_error<Error>(builder, line, variation));
    return Ok{};
}

// Keeps the block headed at `header` and returns the line at which reading goes on.
std::size_t collect_variation_block(const std::vector<std::string_view>& lines, std::size_t header,
                                    RecordBuilder& builder);

// The format F gives, for a trimmed line that is not empty and begins with neither
// "変化" nor "まで":
//   using Error = JapaneseRecordError<...>;
//   static constexpr std::size_t MOVES_PER_LINE;  // as the format's writers put them
//   static constexpr bool CLOSING_WORDS;  // a "まで" line's unknown word ends the game
//   KifLineKind classify(std::string_view line, bool variation) const;
//   std::string_view comment_text(std::string_view line, bool variation) const;
//   Expected<bool, Error> read_moves(std::string_view line, RecordBuilder&, bool variation);
// read_moves gives false when the line ends its line of play (a terminal).
template <class F>
Expected<Ok, typename F::Error> read_kif_move_section(const std::vector<std::string_view>& lines, std::size_t from,
                                                     F& format, RecordBuilder& builder) {
    using Error = typename F::Error;
    // One line of either kind of line of play; false when it ends that line.
    const auto read_line = [&](std::string_view t, bool variation) -> Expected<bool, Error> {
        switch (format.classify(t, variation)) {
            case KifLineKind::Ignored: return true;
            case KifLineKind::Evaluation:
                if (const auto v = parse_kif_evaluation_line(t)) builder.evaluation(*v);
                return true;
            case KifLineKind::Comment:
                if (const std::string_view text = format.comment_text(t, variation); !text.empty())
                    builder.comment(text);
                return true;
            case KifLineKind::Time:
                if (const auto ms = parse_kif_time_column(t)) builder.time(*ms);
                return true;
            case KifLineKind::Moves: return format.read_moves(t, builder, variation);
            case KifLineKind::Odd: break;
        }
        if (variation) return true;
        return unexpected(Error::invalid_line(t));
    };

    std::size_t i = from;
    bool ended = false;
    while (i < lines.size() && !ended) {
        const std::string_view t = trim_line(lines[i]);
        if (t.empty()) {
            ++i;
            continue;
        }
        if (t.starts_with("変化")) {
            i = collect_variation_block(lines, i, builder);
            continue;
        }
        ++i;
        if (t.starts_with("まで")) {
            const Color side = builder.position().side_to_move;
            auto s = parse_kif_result_line(t, side);
            // KI2 has no numbered terminal line: its closing line carries every ending.
            if (!s && F::CLOSING_WORDS) s = parse_kif_closing_word(t, side);
            if (s) builder.end(special_entry_from_result_line(t, std::move(*s)).special);
            ended = true;
            continue;
        }
        auto more = read_line(t, false);
        if (!more) return unexpected(std::move(more.error()));
        ended = !*more;
    }
    // Real files put their variation blocks after the main line's end.
    if (ended) {
        while (i < lines.size()) {
            if (trim_line(lines[i]).starts_with("変化"))
                i = collect_variation_block(lines, i, builder);
            else
                ++i;
        }
    }

    for (const VariationBlock& block : builder.blocks()) {
        if (auto begun = builder.begin_variation(block); !begun)
            return unexpected(kif_build_error<Error>(begun.error()));
        for (std::size_t k = block.first; k < block.last; ++k) {
            const std::string_view t = trim_line(lines[k]);
            if (t.empty()) continue;
            auto more = read_line(t, true);
            if (!more) return unexpected(std::move(more.error()));
            if (!*more) break;
        }
    }
    return Ok{};
}

// The whole record: opens_moves ends the header section (see read_kif_header_section),
// `moves` is the format F of read_kif_move_section.
template <class F>
Expected<Record, typename F::Error> read_japanese_record(std::string_view text, bool (*opens_moves)(std::string_view),
                                                        F& moves) {
    using Error = typename F::Error;
    const std::vector<std::string_view> lines = split_lines(text, LineEnds::Any);
    KifHeaderSection header = read_kif_header_section(lines, opens_moves);
    auto start = kif_start(header);
    if (!start) return unexpected(Error::of_sfen(std::move(start.error())));
    auto record = record_new(std::move(start->sfen));
    if (!record) return unexpected(Error::invalid_line(record_error_display(record.error())));
    // The lines left bound the main line (a format's lines hold so many moves at most,
    // as its writers put them); room for a long game is made at once, but no more,
    // since a text of empty lines would claim a hundred times its size.
    const std::size_t lines_left = lines.size() - header.move_section;
    RecordBuilder builder(std::move(*record), std::move(start->position), Branches::Kept,
                          std::min<std::size_t>(lines_left * F::MOVES_PER_LINE, 512));
    for (std::string_view line : header.comment_lines) builder.comment(line);
    // The blocks' headers as writers put them, at the start of their line: the
    // positions they branch from are then kept as the main line is read.
    for (std::size_t i = header.move_section; i < lines.size(); ++i)
        if (lines[i].starts_with("変化")) builder.keep_position_before(variation_start_number(lines[i]));
    if (auto read = read_kif_move_section(lines, header.move_section, moves, builder); !read)
        return unexpected(std::move(read.error()));
    auto built = builder.finish(std::move(header.metadata));
    if (!built) return unexpected(kif_build_error<Error>(built.error()));
    return std::move(*built);
}

}  // namespace korvan
