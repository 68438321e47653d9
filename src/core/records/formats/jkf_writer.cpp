#include "records/formats/jkf_writer.h"

#include <array>

#include "board/position/legality.h"
#include "board/position/move_text.h"
#include "board/position/updates.h"
#include "records/editor.h"
#include "records/formats/jkf_json.h"
#include "records/formats/jkf_tables.h"
#include "records/reader_support.h"
#include "util/text.h"

namespace korvan {

namespace {

constexpr std::uint64_t U32_MAX = UINT32_MAX;

// "now" of a node: whole milliseconds, 0 when absent or past 32 bits.
std::uint32_t now_ms(const std::optional<Duration>& time) {
    if (!time) return 0;
    const std::uint64_t ms = time->total_ms();
    return ms > U32_MAX ? 0 : static_cast<std::uint32_t>(ms);
}

Json jkf_time_hms(std::uint32_t ms) {
    Json out = Json::object();
    const std::uint32_t s = ms / 1000;
    if (ms >= 3'600'000) out["h"] = ms / 3'600'000;
    out["m"] = s % 3600 / 60;
    out["s"] = s % 60;
    return out;
}

Json square_to_jkf_place(Square s) { return Json{{"x", file_of(s) + 1}, {"y", rank_of(s) + 1}}; }

// The comment's lines: cut at line feeds, a carriage return before a line feed dropped,
// no empty last line after a final line feed.
std::vector<std::string_view> comment_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const bool feed = end != std::string_view::npos;
        if (!feed) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (feed && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

void put_comments(Json& entry, const std::optional<std::string>& comment) {
    if (!comment) return;
    const auto lines = comment_lines(*comment);
    if (lines.empty()) return;
    Json array = Json::array();
    for (std::string_view line : lines) array.push_back(std::string(line));
    entry["comments"] = std::move(array);
}

Json opening_element(const std::optional<std::string>& comment) {
    Json entry = Json::object();
    if (!comment) return entry;
    Json array = Json::array();
    for (std::string_view line : comment_lines(*comment)) {
        line = trim_whitespace(line);
        if (!line.empty()) array.push_back(std::string(line));
    }
    if (!array.empty()) entry["comments"] = std::move(array);
    return entry;
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

Json header_of(const RecordMetadata& md) {
    Json header = Json::object();
    using MK = RecordMetadataKey;
    const auto text = [&](const char* key, const std::optional<std::string>& value) {
        if (value) header[key] = *value;
    };
    text("先手", md.get(MK::BlackPlayer));
    text("後手", md.get(MK::WhitePlayer));
    text("棋戦", md.get(MK::Event));
    text("場所", md.get(MK::Site));
    text("開始日時", md.get(MK::StartDate));
    text("終了日時", md.get(MK::EndDate));
    if (const auto& tc = md.time_control; tc && (tc->base_seconds || tc->byoyomi_seconds || tc->increment_seconds))
        header["持ち時間"] = japanese_time(*tc);
    if (md.black_time_control) header["先手持ち時間"] = time_control_to_spec(*md.black_time_control);
    if (md.white_time_control) header["後手持ち時間"] = time_control_to_spec(*md.white_time_control);
    if (md.max_moves) header["最大手数"] = *md.max_moves;
    text("持将棋", md.impasse_rule);
    text("備考", md.get(MK::Comment));
    for (const auto& [key, value] : md.attributes)
        if (!header.contains(key)) header[key] = value;
    return header;
}

Json initial_of(std::string_view sfen, const Position& pos) {
    if (const auto preset = jkf_preset_of_sfen(sfen)) return Json{{"preset", std::string(*preset)}};
    Json board = Json::array();
    for (int file = 0; file < 9; ++file) {
        Json column = Json::array();
        for (int rank = 0; rank < 9; ++rank) {
            const Piece p = pos.board[make_square(file, rank)];
            if (p == NO_PIECE)
                column.push_back(Json::object());
            else
                column.push_back(Json{{"color", color_of(p) == BLACK ? 0 : 1},
                                      {"kind", std::string(jkf_kind_code(type_of(p)))}});
        }
        board.push_back(std::move(column));
    }
    Json hands = Json::array();
    for (Color c : {BLACK, WHITE}) {
        Json hand = Json::object();
        for (PieceType pt : {PAWN, LANCE, KNIGHT, SILVER, GOLD, BISHOP, ROOK})
            hand[std::string(jkf_kind_code(pt))] = hand_count(pos.hands[c], pt);
        hands.push_back(std::move(hand));
    }
    return Json{{"preset", "OTHER"},
                {"data", Json{{"board", std::move(board)}, {"color", pos.side_to_move == BLACK ? 0 : 1},
                              {"hands", std::move(hands)}}}};
}

// The relative letters of the move's Japanese text, in the order met.
Expected<std::string, JkfError> relative_letters(Move32 m, const Position& pos) {
    const auto text = move_to_ki2(m, pos);
    if (!text) return unexpected(JkfError::invalid_move("invalid move"));
    static constexpr std::array<std::pair<std::string_view, char>, 7> WORDS = {{
        {"左", 'L'}, {"右", 'R'}, {"上", 'U'}, {"引", 'D'}, {"寄", 'M'}, {"直", 'C'}, {"打", 'H'},
    }};
    std::string out;
    const std::string_view t = *text;
    for (std::size_t pos_in = 0; pos_in < t.size();) {
        const std::size_t here = pos_in;
        utf8_next(t, pos_in);
        const std::string_view ch = t.substr(here, pos_in - here);
        for (const auto& [word, letter] : WORDS)
            if (word == ch) out += letter;
    }
    return out;
}

Expected<Json, JkfError> jkf_write_move(const Position& pos, Move32 m, std::optional<Square> previous_to) {
    const Color us = pos.side_to_move;
    const Square to = move_to(m);
    Json move = Json::object();
    move["color"] = us == BLACK ? 0 : 1;
    move["to"] = square_to_jkf_place(to);
    if (is_drop(m)) {
        const PieceType pt = dropped_type(m);
        if (pt < 1 || pt > 14) return unexpected(JkfError::invalid_move("invalid drop piece"));
        move["piece"] = std::string(jkf_kind_code(pt));
        move["relative"] = "H";
    } else {
        const Square from = move_from(m);
        const PieceType pt = type_of(pos.board[from]);
        if (pt < 1 || pt > 14) return unexpected(JkfError::invalid_move("invalid piece"));
        move["from"] = square_to_jkf_place(from);
        move["piece"] = std::string(jkf_kind_code(pt));
        if (is_promotion(m))
            move["promote"] = true;
        else if (is_promotable(pt) && (in_promotion_zone(us, from) || in_promotion_zone(us, to)))
            move["promote"] = false;
        if (const Piece captured = pos.board[to]; captured != NO_PIECE)
            move["capture"] = std::string(jkf_kind_code(demote(type_of(captured))));
        auto letters = relative_letters(m, pos);
        if (!letters) return unexpected(letters.error());
        if (!letters->empty()) move["relative"] = std::move(*letters);
    }
    if (previous_to && *previous_to == to) move["same"] = true;
    return move;
}

struct Totals {
    std::array<std::uint32_t, 2> by_color{};

    std::uint32_t add(Color c, std::uint32_t ms) {
        const std::uint64_t sum = std::uint64_t{by_color[c]} + ms;
        by_color[c] = sum > U32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(sum);
        return by_color[c];
    }
};

// A position with the same board, hands, side and ply but a one-record history: what a
// fork starts from (legality needs no history, and copying it would cost the whole
// line's length at every fork).
Position without_history(const Position& pos) {
    Position out;
    position_set(out, position_state_of(pos));
    return out;
}

class Writer {
public:
    explicit Writer(const Record& record) : record_(record) {}

    // The first child of a parent with several children lists its siblings as forks.
    bool starts_forks(RecordNodeId id) const {
        const RecordNode& node = record_node(record_, id);
        const RecordNode& parent = record_node(record_, node.parent);
        return parent.first_child == id && node.next_sibling != 0;
    }

    Json terminal_entry(const RecordNode& node, Color side_to_move) const {
        Json entry = Json::object();
        entry["special"] = jkf_special_name(*node.special, side_to_move);
        put_comments(entry, node.annotations.comment);
        if (node.annotations.time && node.annotations.time->total_ms() <= U32_MAX)
            entry["time"] = Json{{"now", jkf_time_hms(static_cast<std::uint32_t>(node.annotations.time->total_ms()))}};
        return entry;
    }

    Expected<Json, JkfError> move_entry(const RecordNode& node, const Position& pos, Move32 m,
                                        std::optional<Square> previous_to, Totals& totals) const {
        auto move = jkf_write_move(pos, m, previous_to);
        if (!move) return unexpected(move.error());
        const std::uint32_t now = now_ms(node.annotations.time);
        const std::uint32_t total = totals.add(pos.side_to_move, now);
        Json entry = Json::object();
        entry["move"] = std::move(*move);
        put_comments(entry, node.annotations.comment);
        entry["time"] = Json{{"now", jkf_time_hms(now)}, {"total", jkf_time_hms(total)}};
        return entry;
    }

    // "forks" of the node: the lines of its later siblings, each from a copy of the
    // position before the node.
    Expected<Ok, JkfError> put_forks(Json& entry, RecordNodeId id, const Position& before,
                                     std::optional<Square> previous_to, const Totals& totals, std::size_t depth) const {
        if (!starts_forks(id)) return Ok{};
        if (depth >= JKF_MAX_FORK_DEPTH) return unexpected(JkfError::structure(jkf_fork_depth_text()));
        Json forks = Json::array();
        for (RecordNodeId alt = record_node(record_, id).next_sibling; alt != 0;
             alt = record_node(record_, alt).next_sibling) {
            auto line = jkf_write_moves(alt, without_history(before), previous_to, totals, depth + 1);
            if (!line) return unexpected(line.error());
            forks.push_back(std::move(*line));
        }
        entry["forks"] = std::move(forks);
        return Ok{};
    }

    // One alternative line from `id` along first children.
    Expected<Json, JkfError> jkf_write_moves(RecordNodeId id, Position pos, std::optional<Square> previous_to,
                                             Totals totals, std::size_t depth) const {
        Json entries = Json::array();
        std::uint64_t replay_counter = 0;
        for (; id != 0; id = record_node(record_, id).first_child) {
            const RecordNode& node = record_node(record_, id);
            if (node.kind == NodeKind::Root) return unexpected(JkfError::invalid_move("variation node missing move"));
            if (node.kind == NodeKind::Terminal) {
                Json entry = terminal_entry(node, pos.side_to_move);
                if (auto ok = put_forks(entry, id, pos, previous_to, totals, depth); !ok) return unexpected(ok.error());
                entries.push_back(std::move(entry));
                break;
            }
            const auto m = record_checked_move(pos, node.move);
            if (!m) return unexpected(JkfError::invalid_move("illegal variation move"));
            auto entry = move_entry(node, pos, *m, previous_to, totals);
            if (!entry) return unexpected(entry.error());
            if (auto ok = put_forks(*entry, id, pos, previous_to, totals, depth); !ok) return unexpected(ok.error());
            entries.push_back(std::move(*entry));
            position_do_move(pos, *m);
            if (auto ok = replay_compact_history(pos, replay_counter); !ok) return unexpected(JkfError::of_sfen(ok.error()));
            previous_to = move_to(*m);
        }
        return entries;
    }

private:
    const Record& record_;
};

}  // namespace

Expected<std::string, JkfError> write_jkf(const Record& record) {
    const std::string_view sfen = record.init_position_sfen ? std::string_view(*record.init_position_sfen)
                                                            : STARTPOS_SFEN;
    auto start = position_from_sfen(sfen);
    if (!start) return unexpected(JkfError::of_sfen(start.error()));
    Position& pos = *start;

    Json doc = Json::object();
    if (Json header = header_of(record.metadata); !header.empty()) doc["header"] = std::move(header);
    doc["initial"] = initial_of(sfen, pos);

    const RecordNode* root = record_find_node(record, record.root);
    if (!root) return unexpected(JkfError::of_record(RecordError::of(RecordError::Kind::InvalidNodeId, node_index(record.root))));
    Json moves = Json::array();
    moves.push_back(opening_element(root->annotations.comment));

    const Writer writer(record);
    Totals totals;
    std::optional<Square> previous_to;
    std::uint64_t replay_counter = 0;
    const std::vector<RecordNodeId> main_line = record_main_line_ids(record);
    for (std::size_t i = 0; i < main_line.size(); ++i) {
        const RecordNode& node = record_node(record, main_line[i]);
        const auto m = record_checked_move(pos, node.move);
        if (!m) return unexpected(JkfError::illegal_move(i));
        auto entry = writer.move_entry(node, pos, *m, previous_to, totals);
        if (!entry) return unexpected(entry.error());
        if (auto ok = writer.put_forks(*entry, main_line[i], pos, previous_to, totals, 0); !ok)
            return unexpected(ok.error());
        moves.push_back(std::move(*entry));
        position_do_move(pos, *m);
        if (auto ok = replay_compact_history(pos, replay_counter); !ok) return unexpected(JkfError::of_sfen(ok.error()));
        previous_to = move_to(*m);
    }
    // A terminal directly under the root still gets its siblings as forks.
    const RecordNodeId last = record_main_line_last(record);
    if (const RecordNode& end = record_node(record, last); last != record.root && end.kind == NodeKind::Terminal) {
        Json entry = writer.terminal_entry(end, pos.side_to_move);
        if (auto ok = writer.put_forks(entry, last, pos, previous_to, totals, 0); !ok) return unexpected(ok.error());
        moves.push_back(std::move(entry));
    }
    doc["moves"] = std::move(moves);
    return dump_json(doc);
}

Expected<std::string, std::string> record_to_jkf_string(const Record& record) {
    auto text = write_jkf(record);
    if (!text) return unexpected(jkf_error_display(text.error()));
    return std::move(*text);
}

}  // namespace korvan
