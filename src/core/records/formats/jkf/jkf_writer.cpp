#include "core/records/formats/jkf/jkf_writer.h"

#include <array>
#include <map>

#include "core/board/notation/move_text.h"
#include "core/board/position/legality.h"
#include "core/board/position/updates.h"
#include "core/records/editor.h"
#include "core/records/formats/jkf/jkf_json.h"
#include "core/records/formats/jkf/jkf_tables.h"
#include "core/records/replay.h"
#include "core/util/lines.h"
#include "core/util/text.h"

// The document is printed as it is walked, each object's members in ascending byte
// order of their keys, which every fixed key list below is written in:
//   document  "header" "initial" "moves"
//   entry     "comments" "forks" "move" "special" "time"
//   move      "capture" "color" "from" "piece" "promote" "relative" "same" "to"

namespace korvan {

namespace {

constexpr std::uint64_t U32_MAX = UINT32_MAX;

// "now" of a node: whole milliseconds, 0 when absent or past 32 bits.
std::uint32_t now_ms(const std::optional<Duration>& time) {
    if (!time) return 0;
    const std::uint64_t ms = time->total_ms();
    return ms > U32_MAX ? 0 : static_cast<std::uint32_t>(ms);
}

void append_number(std::string& out, std::uint64_t n) {
    char buf[24];
    char* p = buf + sizeof buf;
    do {
        *--p = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0);
    out.append(p, buf + sizeof buf);
}

// {"h":..,"m":..,"s":..}, "h" only from an hour up.
void jkf_time_hms(std::string& out, std::uint32_t ms) {
    const std::uint32_t s = ms / 1000;
    out += '{';
    if (ms >= 3'600'000) {
        out += "\"h\":";
        append_number(out, ms / 3'600'000);
        out += ',';
    }
    out += "\"m\":";
    append_number(out, s % 3600 / 60);
    out += ",\"s\":";
    append_number(out, s % 60);
    out += '}';
}

void square_to_jkf_place(std::string& out, Square s) {
    out += "{\"x\":";
    out += static_cast<char>('1' + file_of(s));
    out += ",\"y\":";
    out += static_cast<char>('1' + rank_of(s));
    out += '}';
}

void append_kind(std::string& out, unsigned piece_type) {
    out += '"';
    out += jkf_kind_code(piece_type);
    out += '"';
}

// "comments":[...], when the comment has a line.
void put_comments(std::string& out, const std::optional<std::string>& comment) {
    if (!comment || comment->empty()) return;
    out += "\"comments\":[";
    bool first = true;
    for_each_comment_line(*comment, CommentLines::AsWritten, [&](std::string_view line) {
        if (!first) out += ',';
        first = false;
        append_json_string(out, line);
    });
    out += "],";
}

void opening_element(std::string& out, const std::optional<std::string>& comment) {
    std::string lines;
    if (comment) {
        for_each_comment_line(*comment, CommentLines::Trimmed, [&](std::string_view line) {
            if (!lines.empty()) lines += ',';
            append_json_string(lines, line);
        });
    }
    if (lines.empty()) {
        out += "{}";
        return;
    }
    out += "{\"comments\":[" + lines + "]}";
}

// 持ち時間: "1時間30分", "10分", "秒読み30秒", "加算5秒" concatenated.
std::string japanese_time(const TimeControl& tc) {
    std::string out;
    if (const std::uint32_t b = tc.base_seconds; b != 0) {
        if (b >= 3600) out += std::to_string(b / 3600) + "時間";
        out += std::to_string(b % 3600 / 60) + "分";
    }
    if (tc.byoyomi_seconds != 0) out += "秒読み" + std::to_string(tc.byoyomi_seconds) + "秒";
    if (tc.increment_seconds != 0) out += "加算" + std::to_string(tc.increment_seconds) + "秒";
    return out;
}

// "header":{...}, when there is an entry: the standard fields, then the attributes
// whose keys the header does not hold yet; printed in byte order of the keys.
void put_header(std::string& out, const RecordMetadata& md) {
    std::map<std::string, std::string, std::less<>> header;
    const auto text = [&](std::string_view key, const std::optional<std::string>& value) {
        if (!value) return;
        std::string json;
        append_json_string(json, *value);
        header.emplace(std::string(key), std::move(json));
    };
    using MK = RecordMetadataKey;
    text("先手", md.get(MK::BlackPlayer));
    text("後手", md.get(MK::WhitePlayer));
    text("棋戦", md.get(MK::Event));
    text("場所", md.get(MK::Site));
    text("開始日時", md.get(MK::StartDate));
    text("終了日時", md.get(MK::EndDate));
    if (const auto& tc = md.time_control; tc && (tc->base_seconds || tc->byoyomi_seconds || tc->increment_seconds))
        text("持ち時間", japanese_time(*tc));
    if (md.black_time_control) text("先手持ち時間", time_control_to_spec(*md.black_time_control));
    if (md.white_time_control) text("後手持ち時間", time_control_to_spec(*md.white_time_control));
    if (md.max_moves) header.emplace("最大手数", std::to_string(*md.max_moves));
    text("持将棋", md.impasse_rule);
    text("備考", md.get(MK::Comment));
    // emplace keeps an entry already there: a standard field wins over its attribute.
    for (const auto& [key, value] : md.attributes) text(key, value);
    if (header.empty()) return;
    out += "\"header\":{";
    bool first = true;
    for (const auto& [key, value] : header) {
        if (!first) out += ',';
        first = false;
        append_json_string(out, key);
        out += ':';
        out += value;
    }
    out += "},";
}

void put_initial(std::string& out, std::string_view sfen, const Position& pos) {
    if (const auto preset = jkf_preset_of_sfen(sfen)) {
        out += "\"initial\":{\"preset\":\"";
        out += *preset;
        out += "\"},";
        return;
    }
    out += "\"initial\":{\"data\":{\"board\":[";
    for (int file = 0; file < 9; ++file) {
        out += file ? ",[" : "[";
        for (int rank = 0; rank < 9; ++rank) {
            if (rank) out += ',';
            const Piece p = pos.board[make_square(file, rank)];
            if (p == NO_PIECE) {
                out += "{}";
                continue;
            }
            out += color_of(p) == BLACK ? "{\"color\":0,\"kind\":" : "{\"color\":1,\"kind\":";
            append_kind(out, type_of(p));
            out += '}';
        }
        out += ']';
    }
    out += pos.side_to_move == BLACK ? "],\"color\":0,\"hands\":[" : "],\"color\":1,\"hands\":[";
    for (Color c : {BLACK, WHITE}) {
        if (c == WHITE) out += ',';
        bool first = true;
        out += '{';
        // Byte order of the codes.
        for (PieceType pt : {PAWN, SILVER, ROOK, BISHOP, KNIGHT, GOLD, LANCE}) {
            if (!first) out += ',';
            first = false;
            append_kind(out, pt);
            out += ':';
            append_number(out, hand_count(pos.hands[c], pt));
        }
        out += '}';
    }
    out += "]},\"preset\":\"OTHER\"},";
}

// The relative letters of a board move's Japanese text, in the order met.
Expected<std::string, JkfError> relative_letters(Move32 m, const Position& pos) {
    const auto text = move_to_ki2(m, pos);
    if (!text) return unexpected(JkfError::invalid_move("invalid move"));
    static constexpr std::array<std::pair<std::string_view, char>, 7> WORDS = {{
        {"左", 'L'}, {"右", 'R'}, {"上", 'U'}, {"引", 'D'}, {"寄", 'M'}, {"直", 'C'}, {"打", 'H'},
    }};
    std::string out;
    const std::string_view t = *text;
    for (std::size_t at = 0; at < t.size();) {
        const std::size_t here = at;
        utf8_next(t, at);
        const std::string_view ch = t.substr(here, at - here);
        for (const auto& [word, letter] : WORDS)
            if (word == ch) out += letter;
    }
    return out;
}

Expected<Ok, JkfError> jkf_write_move(std::string& out, const Position& pos, Move32 m, std::optional<Square> previous_to) {
    const Color us = pos.side_to_move;
    const Square to = move_to(m);
    out += '{';
    if (is_drop(m)) {
        const PieceType pt = dropped_type(m);
        if (pt < 1 || pt > 14) return unexpected(JkfError::invalid_move("invalid drop piece"));
        out += us == BLACK ? "\"color\":0,\"piece\":" : "\"color\":1,\"piece\":";
        append_kind(out, pt);
        out += ",\"relative\":\"H\"";
    } else {
        const Square from = move_from(m);
        const PieceType pt = type_of(pos.board[from]);
        if (pt < 1 || pt > 14) return unexpected(JkfError::invalid_move("invalid piece"));
        if (const Piece captured = pos.board[to]; captured != NO_PIECE) {
            out += "\"capture\":";
            append_kind(out, demote(type_of(captured)));
            out += ',';
        }
        out += us == BLACK ? "\"color\":0,\"from\":" : "\"color\":1,\"from\":";
        square_to_jkf_place(out, from);
        out += ",\"piece\":";
        append_kind(out, pt);
        if (is_promotion(m))
            out += ",\"promote\":true";
        else if (is_promotable(pt) && (in_promotion_zone(us, from) || in_promotion_zone(us, to)))
            out += ",\"promote\":false";
        auto letters = relative_letters(m, pos);
        if (!letters) return unexpected(letters.error());
        if (!letters->empty()) out += ",\"relative\":\"" + *letters + '"';
    }
    if (previous_to && *previous_to == to) out += ",\"same\":true";
    out += ",\"to\":";
    square_to_jkf_place(out, to);
    out += '}';
    return Ok{};
}

struct Totals {
    std::array<std::uint32_t, 2> by_color{};

    std::uint32_t add(Color c, std::uint32_t ms) {
        const std::uint64_t sum = std::uint64_t{by_color[c]} + ms;
        by_color[c] = sum > U32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(sum);
        return by_color[c];
    }
};

class Writer {
public:
    Writer(const Record& record, std::string& out) : record_(record), out_(out) {}

    // The entry of a move node (played from `pos`), with its forks.
    Expected<Ok, JkfError> move_entry(RecordNodeId id, const Position& pos, Move32 m, std::optional<Square> previous_to,
                                      Totals& totals, std::size_t depth) {
        const RecordNode& node = record_node(record_, id);
        const std::uint32_t now = now_ms(node.annotations.time);
        const std::uint32_t total = totals.add(pos.side_to_move, now);
        out_ += '{';
        put_comments(out_, node.annotations.comment);
        if (auto ok = put_forks(id, pos, previous_to, totals, depth); !ok) return ok;
        out_ += "\"move\":";
        if (auto ok = jkf_write_move(out_, pos, m, previous_to); !ok) return ok;
        out_ += ",\"time\":{\"now\":";
        jkf_time_hms(out_, now);
        out_ += ",\"total\":";
        jkf_time_hms(out_, total);
        out_ += "}}";
        return Ok{};
    }

    Expected<Ok, JkfError> terminal_entry(RecordNodeId id, const Position& pos, std::optional<Square> previous_to,
                                          const Totals& totals, std::size_t depth) {
        const RecordNode& node = record_node(record_, id);
        out_ += '{';
        put_comments(out_, node.annotations.comment);
        if (auto ok = put_forks(id, pos, previous_to, totals, depth); !ok) return ok;
        out_ += "\"special\":";
        append_json_string(out_, jkf_special_name(*node.special, pos.side_to_move));
        if (node.annotations.time && node.annotations.time->total_ms() <= U32_MAX) {
            out_ += ",\"time\":{\"now\":";
            jkf_time_hms(out_, static_cast<std::uint32_t>(node.annotations.time->total_ms()));
            out_ += '}';
        }
        out_ += '}';
        return Ok{};
    }

private:
    // The first child of a parent with several children lists its siblings as forks.
    bool starts_forks(RecordNodeId id) const {
        const RecordNode& node = record_node(record_, id);
        return record_node(record_, node.parent).first_child == id && node.next_sibling != 0;
    }

    // "forks":[...], the lines of the node's later siblings, each from a copy of the
    // position before the node.
    Expected<Ok, JkfError> put_forks(RecordNodeId id, const Position& before, std::optional<Square> previous_to,
                                     const Totals& totals, std::size_t depth) {
        if (!starts_forks(id)) return Ok{};
        if (depth >= JKF_MAX_FORK_DEPTH) return unexpected(JkfError::invalid_structure(jkf_fork_depth_text()));
        out_ += "\"forks\":[";
        for (RecordNodeId alt = record_node(record_, id).next_sibling; alt != 0; alt = record_node(record_, alt).next_sibling) {
            if (out_.back() == ']') out_ += ',';
            // Legality needs no history, and copying it would cost the whole line's
            // length at every fork.
            if (auto ok = jkf_write_moves(alt, position_without_history(before), previous_to, totals, depth + 1); !ok) return ok;
        }
        out_ += "],";
        return Ok{};
    }

    // One alternative line from `id` along first children.
    Expected<Ok, JkfError> jkf_write_moves(RecordNodeId id, Position pos, std::optional<Square> previous_to, Totals totals,
                                           std::size_t depth) {
        out_ += '[';
        std::uint64_t replay_counter = 0;
        for (bool first = true; id != 0; id = record_node(record_, id).first_child, first = false) {
            const RecordNode& node = record_node(record_, id);
            if (!first) out_ += ',';
            if (node.kind == NodeKind::Root) return unexpected(JkfError::invalid_move("variation node missing move"));
            if (node.kind == NodeKind::Terminal) {
                if (auto ok = terminal_entry(id, pos, previous_to, totals, depth); !ok) return ok;
                break;
            }
            const auto m = record_checked_move(pos, node.move);
            if (!m) return unexpected(JkfError::invalid_move("illegal variation move"));
            if (auto ok = move_entry(id, pos, *m, previous_to, totals, depth); !ok) return ok;
            position_do_move(pos, *m);
            if (auto ok = replay_compact_history(pos, replay_counter); !ok) return unexpected(JkfError::of_sfen(ok.error()));
            previous_to = move_to(*m);
        }
        out_ += ']';
        return Ok{};
    }

    const Record& record_;
    std::string& out_;
};

}  // namespace

Expected<std::string, JkfError> write_jkf(const Record& record) {
    const std::string_view sfen = record_initial_sfen(record);
    auto start = record_start_position(record);
    if (!start) return unexpected(JkfError::of_sfen(start.error()));
    Position& pos = *start;

    std::string out = "{";
    out.reserve(256 + record.nodes.size() * 140);
    put_header(out, record.metadata);
    put_initial(out, sfen, pos);

    const RecordNode* root = record_find_node(record, record.root);
    if (!root)
        return unexpected(JkfError::of_record(RecordError::of(RecordError::Kind::InvalidNodeId, node_index(record.root))));
    out += "\"moves\":[";
    opening_element(out, root->annotations.comment);

    Writer writer(record, out);
    Totals totals;
    std::optional<Square> previous_to;
    std::uint64_t replay_counter = 0;
    const std::vector<RecordNodeId> main_line = record_main_line_ids(record);
    for (std::size_t i = 0; i < main_line.size(); ++i) {
        const auto m = record_checked_move(pos, record_node(record, main_line[i]).move);
        if (!m) return unexpected(JkfError::illegal_move(i));
        out += ',';
        if (auto ok = writer.move_entry(main_line[i], pos, *m, previous_to, totals, 0); !ok) return unexpected(ok.error());
        position_do_move(pos, *m);
        if (auto ok = replay_compact_history(pos, replay_counter); !ok) return unexpected(JkfError::of_sfen(ok.error()));
        previous_to = move_to(*m);
    }
    // A terminal directly under the root still gets its siblings as forks.
    const RecordNodeId last = record_main_line_last(record);
    if (last != record.root && record_node(record, last).kind == NodeKind::Terminal) {
        out += ',';
        if (auto ok = writer.terminal_entry(last, pos, previous_to, totals, 0); !ok) return unexpected(ok.error());
    }
    out += "]}";
    return out;
}

}  // namespace korvan
