#include "core/records/formats/kif/ki2_reader.h"

#include "core/board/position/updates.h"
#include "core/records/formats/kif/ki2_resolver.h"
#include "core/records/formats/kif/kif_sections.h"
#include "core/records/formats/kif/kif_special.h"
#include "core/records/reader_support.h"

namespace korvan {

namespace {

bool opens_ki2_moves(std::string_view line) {
    if (line.starts_with("変化：") || line.starts_with("まで") || line.starts_with("同")) return true;
    for (std::string_view mark : {"▲", "△", "▼", "▽", "☗", "☖"})
        if (line.starts_with(mark)) return true;
    if (!line.empty() && is_ascii_digit(line[0])) return true;
    return full_width_digit_at(line) >= 1;
}

// A comment line's text: the leading run of its mark removed (in a variation, the run
// of either mark), then trimmed.
std::string_view comment_text(std::string_view line, bool either_mark) {
    const char mark = line.front();
    while (!line.empty() && (line.front() == mark || (either_mark && (line.front() == '*' || line.front() == '\''))))
        line.remove_prefix(1);
    return trim_line(line);
}

bool is_comment(std::string_view line) { return line.front() == '*' || line.front() == '\''; }

Duration ms_duration(std::uint32_t ms) { return Duration::from_ms(ms); }

// A line of moves being read on a position: the main line or one variation.
struct Ki2Line {
    Ki2Line(Position& p, std::vector<MoveEntry>& e, bool has_prev = false, Square prev = SQ_NONE)
        : pos(p), entries(e), has_previous(has_prev), previous(prev) {}

    Position& pos;
    std::vector<MoveEntry>& entries;
    bool has_previous;
    Square previous;
    std::uint64_t counter = 0;
    std::optional<std::uint32_t> pending_time;
    std::optional<std::string> pending_comment;
    std::string token_buffer;

    // Reads the line's tokens on the position, each tested and played before the next
    // is read; `illegal` makes the error of an illegal move.
    template <class Illegal, class Played>
    Expected<Ok, Ki2Error> play_tokens(std::string_view t, Illegal&& illegal, Played&& played) {
        Ki2Tokens tokens(t, token_buffer);
        while (const auto token = tokens.next()) {
            const auto move = resolve_ki2_token(pos, *token, has_previous, previous);
            if (!move) return unexpected(Ki2Error::invalid_move(t));
            const auto checked = kif_checked_move(pos, move->move);
            if (!checked) return unexpected(illegal());
            MoveEntry entry{move->move, {}};
            if (pending_time) entry.annotations.time = ms_duration(*pending_time);
            entry.annotations.comment = std::move(pending_comment);
            pending_time.reset();
            pending_comment.reset();
            entries.push_back(std::move(entry));
            position_do_move(pos, *checked);
            if (auto compact = replay_compact_history(pos, counter); !compact)
                return unexpected(Ki2Error::of_sfen(compact.error()));
            has_previous = true;
            previous = move->to;
            played();
        }
        return Ok{};
    }

    // The lines both the main line and a variation read alike; false for a move line.
    bool read_annotation(std::string_view t, std::optional<std::string>& comment_before_moves, bool variation) {
        if (t.starts_with(KIF_EVALUATION_PREFIX)) {
            if (const auto v = parse_kif_evaluation_line(t); v && !entries.empty())
                set_move_evaluation(entries.back().annotations, *v);
            return true;
        }
        if (is_comment(t)) {
            const std::string_view text = comment_text(t, variation);
            if (text.empty()) return true;
            if (entries.empty())
                append_comment_line(comment_before_moves, text);
            else
                append_move_comment(entries.back(), text);
            return true;
        }
        // Bookmarks and display directives of the format's editors: no record content.
        if (t.starts_with('&')) return true;
        if (contains_word(t, "消費時間")) {
            if (const auto ms = parse_kif_time_column(t)) {
                if (entries.empty())
                    pending_time = ms;
                else
                    entries.back().annotations.time = ms_duration(*ms);
            }
            return true;
        }
        return t.starts_with("手数");
    }
};

struct Ki2Reader {
    const std::vector<std::string_view>& lines;

    Expected<Ok, Ki2Error> read_block(const VariationBlock& block, Position& pos, bool has_previous, Square previous,
                                      VariationLine& out) {
        Ki2Line line(pos, out.entries, has_previous, previous);
        for (std::size_t i = block.first; i < block.last; ++i) {
            const std::string_view t = trim_line(lines[i]);
            if (t.empty() || line.read_annotation(t, line.pending_comment, true)) continue;
            auto played = line.play_tokens(
                t, [&] { return Ki2Error::invalid_move(t); },
                [&] { out.snapshots.push_back(ply_snapshot(pos, true, line.previous)); });
            if (!played) return played;
        }
        return Ok{};
    }

    Expected<Record, Ki2Error> read() {
        KifHeaderSection header = read_kif_header_section(lines, opens_ki2_moves);
        auto start = kif_start_sfen(header);
        if (!start) return unexpected(Ki2Error::invalid_line(start.error()));
        auto parsed_start = kif_start_position(*start);
        if (!parsed_start) return unexpected(Ki2Error::of_sfen(parsed_start.error()));
        Position pos = std::move(*parsed_start);

        std::optional<std::string> root_comment;
        for (std::string_view l : header.comment_lines) append_comment_line(root_comment, l);

        std::vector<MoveEntry> entries;
        std::optional<SpecialMoveEntry> terminal;
        std::vector<VariationBlock> blocks;
        VariationPath path;
        path.snapshots.push_back(ply_snapshot(pos, false, SQ_NONE));
        Ki2Line line(pos, entries);

        std::size_t i = header.move_section;
        bool ended = false;
        while (i < lines.size() && !ended) {
            const std::string_view t = trim_line(lines[i]);
            if (t.empty()) {
                ++i;
                continue;
            }
            if (t.starts_with("変化")) {
                i = collect_variation_block(lines, i, blocks);
                continue;
            }
            ++i;
            if (t.starts_with("まで")) {
                if (auto s = parse_kif_result_line(t, pos.side_to_move))
                    terminal = special_entry_from_result_line(t, std::move(*s));
                ended = true;
                continue;
            }
            if (line.read_annotation(t, root_comment, false)) continue;
            auto played = line.play_tokens(
                t, [&] { return Ki2Error::illegal_move(entries.size()); },
                [&] { path.snapshots.push_back(ply_snapshot(pos, true, line.previous)); });
            if (!played) return unexpected(std::move(played.error()));
        }
        // Real files put their variation blocks after the closing line.
        if (ended) collect_later_variation_blocks(lines, i, blocks);

        auto made = record_from_main_line(std::move(*start), std::move(entries), std::move(terminal));
        if (!made) return unexpected(Ki2Error::invalid_line(record_error_display(made.error())));
        Record record = std::move(*made);
        record.metadata = std::move(header.metadata);
        record_set_initial_comment(record, std::move(root_comment));
        if (blocks.empty()) return record;

        path.nodes.push_back(record.root);
        for (RecordNodeId id : record_main_line_ids(record)) path.nodes.push_back(id);
        auto attached = attach_variation_blocks<Ki2Error>(
            record, path, blocks, pos,
            [this](const VariationBlock& b, Position& p, bool has_prev, Square prev, VariationLine& out) {
                return read_block(b, p, has_prev, prev, out);
            });
        if (!attached) return unexpected(std::move(attached.error()));
        return record;
    }
};

}  // namespace

Expected<Record, Ki2Error> parse_ki2(std::string_view text) {
    const std::vector<std::string_view> lines = split_lines(text, LineEnds::Any);
    Ki2Reader reader{lines};
    return reader.read();
}

}  // namespace korvan
