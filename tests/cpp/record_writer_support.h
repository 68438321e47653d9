#pragma once
// Helpers of the KIF and KI2 writer tests: records built from USI moves, seeded random
// records with variations, annotations, terminals and metadata, and a text form of a
// record tree that two records can be compared by.

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/board/position/parser.h"
#include "core/board/position/position_state.h"
#include "core/records/editor.h"
#include "core/records/record.h"
#include "core/util/text.h"
#include "record_text_support.h"
#include "support.h"

// In a namespace of their own: other test helpers of the same names make other records.
namespace korvan::test::writers {

inline Record record_from(std::optional<std::string> sfen = std::nullopt) {
    auto r = record_new(std::move(sfen));
    if (!r) throw std::runtime_error("bad test record");
    return std::move(*r);
}

// Appends the USI moves one under the other, the first under parent; the new ids.
inline std::vector<RecordNodeId> add_moves(Record& r, RecordNodeId parent, const std::vector<std::string>& usi) {
    std::vector<RecordNodeId> ids;
    for (const std::string& text : usi) {
        const auto m = move_from_usi(text);
        if (!m) throw std::runtime_error("bad test move: " + text);
        parent = *record_append_move(r, parent, *m, {});
        ids.push_back(parent);
    }
    return ids;
}

inline RecordNodeId add_terminal(Record& r, RecordNodeId parent, SpecialMoveKind kind, std::string unknown = {}) {
    SpecialMove s;
    s.kind = kind;
    s.unknown_name = std::move(unknown);
    return *record_append_terminal(r, parent, std::move(s), {});
}

inline std::vector<std::string> text_lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        out.push_back(text.substr(start, end - start));
    if (start != text.size()) out.push_back(text.substr(start) + "<no final line feed>");
    return out;
}

inline std::string join_lines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

// ---- A record told as text ----

enum class TimeMode { Ignore, MissingAsZero };

inline std::string annotations_text(const Annotations& a, TimeMode times) {
    std::string out;
    if (a.comment) out += " c=" + debug_str(*a.comment);
    if (a.engine_info && a.engine_info->eval)
        out += " e=" + std::to_string(*a.engine_info->eval) + (a.engine_info->eval_is_mate_kind ? "M" : "");
    if (times == TimeMode::MissingAsZero) out += " t=" + std::to_string(a.time ? a.time->total_ms() : 0);
    return out;
}

// The tree in pre-order, children in order, one line per node with its depth; the
// terminal's raw text is left out (each reader keeps its own line there).
inline std::string tree_text(const Record& r, TimeMode times) {
    std::string out = "root" + annotations_text(record_node(r, r.root).annotations, TimeMode::Ignore) + "\n";
    std::vector<std::pair<RecordNodeId, int>> stack;
    const auto push_children = [&](RecordNodeId id, int depth) {
        const std::vector<RecordNodeId> children = record_children(r, id);
        for (auto it = children.rbegin(); it != children.rend(); ++it) stack.push_back({*it, depth});
    };
    push_children(r.root, 1);
    while (!stack.empty()) {
        const auto [id, depth] = stack.back();
        stack.pop_back();
        const RecordNode& node = record_node(r, id);
        out += std::to_string(depth) + " ";
        if (node.kind == NodeKind::Terminal) {
            out += "# " + std::string(SPECIAL_MOVE_KIND_NAMES[static_cast<int>(node.special->kind)]) + " " +
                   std::to_string(node.special->result);
            if (!node.special->unknown_name.empty()) out += " " + node.special->unknown_name;
        } else {
            out += move_display_usi(node.move);
        }
        out += annotations_text(node.annotations, times) + "\n";
        push_children(id, depth + 1);
    }
    return out;
}

// Board, hands and side of the start position (the move number aside).
inline PositionState start_state(const Record& r) {
    PositionState s = position_state_of(*record_initial_position(r));
    s.ply = 1;
    return s;
}

inline RecordMetadata without_handicap(RecordMetadata m) {
    m.attributes.erase("手合割");
    return m;
}

// A comment as the readers give it back: its lines trimmed, blank ones dropped, none
// when nothing is left.
inline std::optional<std::string> comment_as_read(const std::optional<std::string>& comment) {
    if (!comment) return std::nullopt;
    std::optional<std::string> out;
    std::size_t start = 0;
    while (start <= comment->size()) {
        std::size_t end = comment->find('\n', start);
        if (end == std::string::npos) end = comment->size();
        const std::string_view line = trim_whitespace(std::string_view(*comment).substr(start, end - start));
        if (!line.empty()) append_comment_line(out, line);
        start = end + 1;
    }
    return out;
}

// ---- How the readers read the terminals the writers write ----

struct TerminalReading {
    SpecialMoveKind kind;
    int black_to_move;  // the result read when Black is to move at the end
    int white_to_move;
    const char* unknown_name;
};

// By written kind. The KIF word of MATE, "詰み", and that of a game won by resignation
// read alike; "引き分け" is no ending word of the readers and stays an UNKNOWN word.
inline const std::array<TerminalReading, SPECIAL_MOVE_KIND_NB> TERMINAL_READINGS = {{
    {SpecialMoveKind::Interrupt, 11, 11, ""},
    {SpecialMoveKind::Resign, 1, 0, ""},
    {SpecialMoveKind::MaxMoves, 6, 6, ""},
    {SpecialMoveKind::Impasse, 10, 10, ""},
    {SpecialMoveKind::Unknown, 11, 11, "引き分け"},
    {SpecialMoveKind::RepetitionDraw, 2, 2, ""},
    {SpecialMoveKind::Resign, 1, 0, ""},
    {SpecialMoveKind::NoMate, 11, 11, ""},
    {SpecialMoveKind::Timeout, 17, 16, ""},
    {SpecialMoveKind::WinByIllegalMove, 12, 13, ""},
    {SpecialMoveKind::LoseByIllegalMove, 13, 12, ""},
    {SpecialMoveKind::WinByDeclaration, 4, 5, ""},
    {SpecialMoveKind::WinByDefault, 8, 9, ""},
    {SpecialMoveKind::LoseByDefault, 9, 8, ""},
    {SpecialMoveKind::Try, 11, 11, ""},
    {SpecialMoveKind::Unknown, 11, 11, nullptr},  // the name itself
}};

inline const char* const UNKNOWN_WORD = "封じ手";

// ---- Seeded random records ----

inline std::string big_hand_diagram(std::mt19937_64& rng) {
    const int mine = 11 + static_cast<int>(rng() % 8);  // 11..18 pawns for the side to move
    const int theirs = 18 - mine;
    const bool white = rng() % 2;
    std::string hands = white ? "2r2b4g4s4n4l" + std::to_string(mine) + "p" : "2R2B4G4S4N4L" + std::to_string(mine) + "P";
    if (theirs > 0) hands += std::to_string(theirs) + (white ? "P" : "p");
    return std::string("4k4/9/9/9/9/9/9/9/4K4 ") + (white ? "w " : "b ") + hands + " 1";
}

inline std::string pick(std::mt19937_64& rng, const std::vector<std::string>& pool) { return pool[rng() % pool.size()]; }

inline Annotations random_move_annotations(std::mt19937_64& rng) {
    static const std::vector<std::string> LINES = {"良い手", "hello world", "定跡", "x=1 y=2", "悪手だった", "(参考)"};
    Annotations a;
    if (rng() % 3 == 0) {
        std::string comment = pick(rng, LINES);
        for (int n = static_cast<int>(rng() % 3); n > 0; --n) comment += "\n" + pick(rng, LINES);
        a.comment = comment;
    }
    if (rng() % 3 == 0) a.engine_info = engine_info_with_eval(static_cast<std::int64_t>(rng() % 80001) - 40000);
    if (rng() % 4 != 0) a.time = Duration::from_ms((rng() % 4 == 0 ? rng() % 20000 : rng() % 200) * 1000);
    return a;
}

// A line of up to `length` random legal moves from the position at parent.
inline void add_random_line(Record& r, RecordNodeId parent, int length, std::mt19937_64& rng) {
    Position pos = position_at(r, parent);
    for (int i = 0; i < length; ++i) {
        const Move32 m = random_legal(pos, rng);
        if (m == 0) return;
        parent = *record_append_move(r, parent, move16(m), random_move_annotations(rng));
        position_do_move(pos, m);
    }
}

inline RecordMetadata random_metadata(std::mt19937_64& rng) {
    static const std::vector<std::string> NAMES = {"羽生善治", "Player A", "", "藤井 聡太", "先手番の人"};
    static const std::vector<TimeControl> JAPANESE = {
        {60, 0, 0}, {600, 30, 0}, {3600, 0, 5}, {0, 30, 0}, {0, 0, 10}, {5400, 10, 5}, {4294967280u, 1, 1}};
    using K = RecordMetadataKey;
    RecordMetadata m;
    const auto maybe = [&] { return rng() % 2 == 0; };
    if (maybe()) m.set(K::Event, pick(rng, {"第1期テスト戦", "", "Open Cup"}));
    if (maybe()) m.set(K::Site, pick(rng, {"東京将棋会館", "online"}));
    if (maybe()) m.set(K::StartDate, "2024/01/02 10:00:00");
    if (maybe()) m.set(K::EndDate, "2024/01/02 18:30");
    if (maybe()) m.set(K::BlackPlayer, pick(rng, NAMES));
    if (maybe()) m.set(K::WhitePlayer, pick(rng, NAMES));
    if (maybe()) m.set(K::Comment, pick(rng, {"一行", "first\nsecond line", "a b\nc"}));
    if (maybe()) m.time_control = JAPANESE[rng() % JAPANESE.size()];
    if (maybe())
        m.black_time_control = TimeControl{static_cast<std::uint32_t>(rng()), 0, static_cast<std::uint32_t>(rng() % 60)};
    if (maybe()) m.white_time_control = TimeControl{0, 0, 0};
    if (maybe()) m.max_moves = static_cast<std::uint32_t>(rng());
    if (maybe()) m.impasse_rule = "24点法";
    if (maybe()) m.attributes["戦型"] = pick(rng, {"矢倉", "四間飛車", ""});
    if (maybe()) m.attributes["Opening"] = "10:00：開始";
    if (maybe()) m.attributes["表題"] = "記念対局";
    return m;
}

// A record from the start position, a handicap or a diagram with a large hand: a main
// line, variations at random nodes of every line (several at one node and nested ones
// among them), annotations, often a terminal (sometimes with alternatives to it), and
// metadata.
inline Record random_tree_record(std::mt19937_64& rng) {
    std::optional<std::string> sfen;
    switch (rng() % 5) {
        case 0: break;
        case 1: sfen = std::string(STARTPOS_SFEN); break;
        case 2: sfen = std::string(handicap_sfen(2 + static_cast<int>(rng() % 13))); break;
        default: sfen = big_hand_diagram(rng); break;
    }
    Record r = record_from(sfen);
    record_set_initial_comment(r, rng() % 3 == 0 ? std::optional<std::string>("開始局面\nstart") : std::nullopt);
    add_random_line(r, r.root, static_cast<int>(rng() % 50), rng);
    for (int v = static_cast<int>(rng() % 8); v > 0; --v) {
        const auto parent = static_cast<RecordNodeId>(1 + rng() % r.nodes.size());
        add_random_line(r, parent, 1 + static_cast<int>(rng() % 10), rng);
    }
    if (rng() % 4 != 0) {
        const auto kind = static_cast<SpecialMoveKind>(rng() % SPECIAL_MOVE_KIND_NB);
        SpecialMove s;
        s.kind = kind;
        s.result = BLACK_WIN;  // never written: the kind and the side decide the ending
        if (kind == SpecialMoveKind::Unknown) s.unknown_name = UNKNOWN_WORD;
        Annotations a;
        a.comment = "never written";
        if (rng() % 2) a.time = Duration::from_ms(rng() % 600 * 1000);
        const RecordNodeId t = *record_set_main_terminal(r, s, a);
        if (rng() % 4 == 0) add_random_line(r, record_node(r, t).parent, 1 + static_cast<int>(rng() % 3), rng);
    }
    r.metadata = random_metadata(rng);
    return r;
}

// The record the readers give back for a written one: the main terminal read by its
// words (`ki2`: by the closing line), with no comment.
inline Record expected_after_writing(Record r, bool ki2) {
    const RecordNodeId last = record_main_line_last(r);
    RecordNode& node = record_node(r, last);
    if (node.kind != NodeKind::Terminal) return r;
    const Color side = position_at(r, last).side_to_move;
    const TerminalReading& reading = TERMINAL_READINGS[static_cast<int>(node.special->kind)];
    SpecialMove s;
    s.kind = reading.kind;
    s.result = static_cast<GameResult>(side == BLACK ? reading.black_to_move : reading.white_to_move);
    s.unknown_name = reading.unknown_name ? reading.unknown_name : node.special->unknown_name;
    node.special = s;
    node.annotations.comment.reset();
    if (ki2) node.annotations.time.reset();
    return r;
}

}  // namespace korvan::test::writers
