#include "core/records/formats/csa/csa_writer.h"

#include <array>

#include "core/board/notation/move_text.h"
#include "core/board/position/updates.h"
#include "core/records/editor.h"
#include "core/records/formats/csa/csa_board.h"
#include "core/records/formats/csa/csa_special.h"
#include "core/records/replay.h"
#include "core/util/lines.h"

namespace korvan {

namespace {

struct Handicap {
    std::string_view sfen;
    std::string_view lines;  // the "PI" line and the side line
};

constexpr std::array<Handicap, 11> HANDICAPS = {{
    {STARTPOS_SFEN, "PI\n+\n"},
    {"lnsgkgsn1/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "PI11KY\n-\n"},
    {"1nsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "PI91KY\n-\n"},
    {"lnsgkgsnl/1r7/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "PI22KA\n-\n"},
    {"lnsgkgsnl/7b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "PI82HI\n-\n"},
    {"lnsgkgsn1/7b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "PI82HI11KY\n-\n"},
    {"lnsgkgsnl/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "PI82HI22KA\n-\n"},
    {"1nsgkgsn1/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "PI82HI22KA11KY91KY\n-\n"},
    {"2sgkgs2/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "PI82HI22KA21KE81KE11KY91KY\n-\n"},
    {"3gkg3/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "PI82HI22KA31GI71GI21KE81KE11KY91KY\n-\n"},
    {"4k4/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "PI82HI22KA41KI61KI31GI71GI21KE81KE11KY91KY\n-\n"},
}};

void append_note(std::string& out, std::string_view text) {
    for (char c : text) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else out += c;
    }
}

void append_two_digits(std::string& out, std::uint32_t v) {
    if (v < 10) out += '0';
    out += std::to_string(v);
}

// Each line of the comment, trimmed, as "'*" and the text; empty lines are skipped. A
// line that begins with "*" would make "'**", which readers take for an engine line
// (evaluation and PV): it is written "' *" and the text, the blank telling it apart.
void append_comment(std::string& out, const std::optional<std::string>& comment) {
    if (!comment) return;
    for_each_comment_line(*comment, CommentLines::Trimmed, [&out](std::string_view line) {
        out += line.starts_with('*') ? "' *" : "'*";
        out += line;
        out += '\n';
    });
}

// Whole seconds of a time, when its millisecond count fits in 32 bits.
std::optional<std::uint64_t> time_seconds(const std::optional<Duration>& time) {
    if (!time) return std::nullopt;
    const std::uint64_t ms = time->total_ms();
    if (ms > UINT32_MAX) return std::nullopt;
    return ms / 1000;
}

// The header keys actually written, which attributes of the same key must not repeat.
class WrittenKeys {
public:
    void add(std::string_view key) { keys_[count_++] = key; }
    bool contains(std::string_view key) const {
        for (std::size_t i = 0; i < count_; ++i)
            if (keys_[i] == key) return true;
        return false;
    }

private:
    std::array<std::string_view, 12> keys_{};
    std::size_t count_ = 0;
};

void append_header(std::string& out, const RecordMetadata& md) {
    WrittenKeys written;
    using MK = RecordMetadataKey;
    if (const auto& note = md.get(MK::Comment)) {
        out += "$NOTE:";
        append_note(out, *note);
        out += '\n';
        written.add("NOTE");
    }
    const auto text_line = [&](std::string_view head, std::string_view key, const std::optional<std::string>& value) {
        if (!value) return;
        out += head;
        append_single_line(out, *value);
        out += '\n';
        written.add(key);
    };
    text_line("N+", "N+", md.get(MK::BlackPlayer));
    text_line("N-", "N-", md.get(MK::WhitePlayer));
    text_line("$EVENT:", "EVENT", md.get(MK::Event));
    text_line("$SITE:", "SITE", md.get(MK::Site));
    text_line("$START_TIME:", "START_TIME", md.get(MK::StartDate));
    text_line("$END_TIME:", "END_TIME", md.get(MK::EndDate));
    if (const auto& tc = md.time_control; tc && (tc->base_seconds || tc->byoyomi_seconds || tc->increment_seconds)) {
        if (tc->increment_seconds == 0) {
            out += "$TIME_LIMIT:";
            append_two_digits(out, tc->base_seconds / 3600);
            out += ':';
            append_two_digits(out, tc->base_seconds % 3600 / 60);
            out += '+';
            out += std::to_string(tc->byoyomi_seconds);
            written.add("TIME_LIMIT");
        } else {
            out += "$TIME:";
            out += time_control_to_spec(*tc);
            written.add("TIME");
        }
        out += '\n';
    }
    if (md.black_time_control) {
        out += "$TIME+:" + time_control_to_spec(*md.black_time_control) + '\n';
        written.add("TIME+");
    }
    if (md.white_time_control) {
        out += "$TIME-:" + time_control_to_spec(*md.white_time_control) + '\n';
        written.add("TIME-");
    }
    if (md.max_moves) {
        out += "$MAX_MOVES:" + std::to_string(*md.max_moves) + '\n';
        written.add("MAX_MOVES");
    }
    text_line("$JISHOGI:", "JISHOGI", md.impasse_rule);
    for (const auto& [key, value] : md.attributes) {
        if (written.contains(key)) continue;
        out += '$';
        append_single_line(out, key);
        out += ':';
        append_single_line(out, value);
        out += '\n';
    }
}

void append_start(std::string& out, std::string_view sfen, const Position& pos) {
    for (const Handicap& h : HANDICAPS) {
        if (h.sfen == sfen) {
            out += h.lines;
            return;
        }
    }
    position_to_csa_board(out, pos);
}

}  // namespace

Expected<std::string, CsaError> write_csa(const Record& record) {
    const std::string_view sfen = record_initial_sfen(record);
    auto start = record_start_position(record);
    if (!start) return unexpected(CsaError::of_sfen(start.error()));
    Position& pos = *start;

    std::string out = "V2.2\n";
    out.reserve(512 + record.nodes.size() * 24);
    append_header(out, record.metadata);
    append_start(out, sfen, pos);
    append_comment(out, record_node(record, record.root).annotations.comment);

    std::uint64_t replay_counter = 0;
    const std::vector<RecordNodeId> main_line = record_main_line_ids(record);
    for (std::size_t i = 0; i < main_line.size(); ++i) {
        const RecordNode& node = record_node(record, main_line[i]);
        const auto m = record_checked_move(pos, node.move);
        if (!m) return unexpected(CsaError::illegal_move(i));
        const auto text = move_to_csa(*m);
        if (!text)
            return unexpected(CsaError::invalid_move_line("invalid move at index " + std::to_string(i)));
        out += pos.side_to_move == BLACK ? '+' : '-';
        out += *text;
        out += "\nT";
        out += std::to_string(time_seconds(node.annotations.time).value_or(0));
        out += '\n';
        append_comment(out, node.annotations.comment);
        position_do_move(pos, *m);
        if (auto ok = replay_compact_history(pos, replay_counter); !ok) return unexpected(CsaError::of_sfen(ok.error()));
    }

    const RecordNodeId last = record_main_line_last(record);
    const RecordNode& end = record_node(record, last);
    if (last != record.root && end.kind == NodeKind::Terminal) {
        append_single_line(out, csa_special_line(*end.special, pos.side_to_move));
        out += '\n';
        if (const auto seconds = time_seconds(end.annotations.time)) out += "T" + std::to_string(*seconds) + '\n';
        append_comment(out, end.annotations.comment);
    }
    return out;
}

}  // namespace korvan
