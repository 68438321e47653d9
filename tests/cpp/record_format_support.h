#pragma once
// Helpers of the record format tests: fixture files, random records built by legal
// playouts (with set-ups, handicaps, annotations, terminals and variations), and a
// structural comparison of record trees.

#include <gtest/gtest.h>
#include <iconv.h>

#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/records/editor.h"
#include "core/records/record.h"
#include "support.h"

namespace korvan::test {

inline std::string fixture_path(const std::string& name) { return std::string(KORVAN_FIXTURES) + "/records/" + name; }

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The text decoded from Shift_JIS (CP932) into UTF-8, as the Python layer decodes a file.
inline std::string sjis_to_utf8(const std::string& bytes) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv has no CP932");
    std::string out(bytes.size() * 3 + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t in_left = bytes.size();
    char* dst = out.data();
    std::size_t out_left = out.size();
    const std::size_t rc = iconv(cd, &in, &in_left, &dst, &out_left);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) throw std::runtime_error("not Shift_JIS");
    out.resize(out.size() - out_left);
    return out;
}

inline const std::vector<std::string_view>& handicap_sfens() {
    static const std::vector<std::string_view> sfens = {
        "lnsgkgsn1/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
        "lnsgkgsnl/1r7/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
        "lnsgkgsnl/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
        "2sgkgs2/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
        "4k4/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
    };
    return sfens;
}

// The winner a result names: 0 Black, 1 White, 2 neither.
inline int winner_of(GameResult r) {
    if (game_result_is_black_win(r)) return 0;
    if (game_result_is_white_win(r)) return 1;
    return 2;
}

// The result a reader derives for a kind with `side` to move (draws and pauses aside:
// those have no winner either way).
inline int natural_result_value(SpecialMoveKind kind, Color side) {
    using K = SpecialMoveKind;
    const int mover_loses = side == BLACK ? 1 : 0;
    switch (kind) {
        case K::Resign:
        case K::Mate:
        case K::LoseByDefault: return mover_loses;
        case K::Timeout: return side == BLACK ? 17 : 16;
        case K::LoseByIllegalMove: return side == BLACK ? 13 : 12;
        case K::WinByIllegalMove: return side == BLACK ? 12 : 13;
        case K::WinByDeclaration:
        case K::WinByDefault:
        case K::Try: return side == BLACK ? 4 : 5;
        case K::RepetitionDraw: return 2;
        case K::Impasse:
        case K::Draw: return 10;
        case K::MaxMoves:
        case K::NoMate: return 6;
        default: return 11;
    }
}
inline GameResult natural_result(SpecialMoveKind kind, Color side) {
    return static_cast<GameResult>(natural_result_value(kind, side));
}

struct RandomRecordOptions {
    int max_moves = 150;
    bool variations = false;
    bool metadata = true;
};

// Random text lines: words (ASCII and Japanese), sometimes with blanks around.
inline std::string random_comment(std::mt19937_64& rng, bool blanks_around) {
    static const std::vector<std::string> words = {"good", "悪手", "x,y", "評価値", "読み筋 7g7f", "(1)", "T12", "+7776FU",
                                                   "'quote", "%CHUDAN", "$EVENT:x", "N+name", "?", "同　歩"};
    const int lines = 1 + static_cast<int>(rng() % 3);
    std::string out;
    for (int i = 0; i < lines; ++i) {
        if (i) out += '\n';
        if (blanks_around && rng() % 3 == 0) out += "  ";
        const int n = 1 + static_cast<int>(rng() % 3);
        for (int w = 0; w < n; ++w) out += (w ? " " : "") + words[rng() % words.size()];
        if (blanks_around && rng() % 3 == 0) out += " ";
    }
    return out;
}

inline Annotations random_annotations(std::mt19937_64& rng) {
    Annotations a;
    if (rng() % 2) a.time = Duration::from_ms(rng() % 4'000'000);
    if (rng() % 4 == 0) a.comment = random_comment(rng, true);
    return a;
}

inline SpecialMove random_terminal(std::mt19937_64& rng, Color side) {
    SpecialMove s;
    s.kind = static_cast<SpecialMoveKind>(rng() % SPECIAL_MOVE_KIND_NB);
    s.result = natural_result(s.kind, side);
    if (s.kind == SpecialMoveKind::Unknown) {
        static const std::vector<std::string> names = {"MATTA", "FOUL", "ABORTED", "ERR"};
        s.unknown_name = names[rng() % names.size()];
        s.result = PAUSED;
    }
    return s;
}

// Appends a random line of up to `length` moves under `parent`, played from `pos`;
// returns the last node.
inline RecordNodeId random_line(Record& r, RecordNodeId parent, Position pos, int length, std::mt19937_64& rng,
                                bool terminal, std::vector<std::pair<RecordNodeId, Position>>* branch_points) {
    for (int i = 0; i < length; ++i) {
        const Move32 m = random_legal(pos, rng);
        if (m == 0) break;
        if (branch_points && rng() % 6 == 0) branch_points->emplace_back(parent, pos);
        parent = *record_append_move(r, parent, move16(m), random_annotations(rng));
        position_do_move(pos, m);
    }
    if (terminal && rng() % 4 != 0) {
        (void)record_append_terminal(r, parent, random_terminal(rng, pos.side_to_move), random_annotations(rng));
    }
    return parent;
}

inline Record random_record(std::mt19937_64& rng, const RandomRecordOptions& opt) {
    std::optional<std::string> sfen;
    Position pos = position_startpos();
    switch (rng() % 4) {
        case 0: break;
        case 1: sfen = std::string(handicap_sfens()[rng() % handicap_sfens().size()]); break;
        default: {
            // A set-up: the position after a random playout, written as a fresh SFEN.
            for (int i = static_cast<int>(rng() % 40); i > 0; --i) {
                const Move32 m = random_legal(pos, rng);
                if (m == 0) break;
                position_do_move(pos, m);
            }
            sfen = position_to_sfen(pos, 1 + rng() % 3);
            break;
        }
    }
    Record r = *record_new(sfen);
    pos = sfen ? test::sfen(*sfen) : position_startpos();
    if (rng() % 3 == 0) record_set_initial_comment(r, random_comment(rng, true));
    std::vector<std::pair<RecordNodeId, Position>> branches;
    random_line(r, r.root, pos, static_cast<int>(rng() % (opt.max_moves + 1)), rng, true,
                opt.variations ? &branches : nullptr);
    // Variations, and variations of variations, from the saved branch points.
    for (std::size_t i = 0; i < branches.size() && i < 12; ++i) {
        const auto [parent, at] = branches[i];
        random_line(r, parent, at, 1 + static_cast<int>(rng() % 8), rng, true, i < 4 ? &branches : nullptr);
    }
    if (opt.metadata) {
        using MK = RecordMetadataKey;
        RecordMetadata& md = r.metadata;
        if (rng() % 2) md.set(MK::BlackPlayer, "先手 name");
        if (rng() % 2) md.set(MK::WhitePlayer, "White Player");
        if (rng() % 2) md.set(MK::Event, "Event 1");
        if (rng() % 2) md.set(MK::Site, "Tokyo");
        if (rng() % 2) md.set(MK::StartDate, "2024/01/02 10:00:00");
        if (rng() % 2) md.set(MK::EndDate, "2024/01/02 11:00:00");
        if (rng() % 2) md.set(MK::Comment, "note\\with a backslash\nsecond line");
        if (rng() % 2) md.time_control = TimeControl{static_cast<std::uint32_t>(rng() % 100) * 60, static_cast<std::uint32_t>(rng() % 60), 0};
        if (rng() % 3 == 0) md.time_control = TimeControl{static_cast<std::uint32_t>(rng() % 6000) * 60, 0, 1 + static_cast<std::uint32_t>(rng() % 30)};
        if (rng() % 2) md.black_time_control = TimeControl{600, 10, 0};
        if (rng() % 2) md.white_time_control = TimeControl{300, 0, 5};
        if (rng() % 2) md.max_moves = static_cast<std::uint32_t>(rng() % 1000);
        if (rng() % 2) md.impasse_rule = "24";
        if (rng() % 2) md.attributes["OPENING"] = "YAGURA";
        if (rng() % 2) md.attributes["rating"] = "1500 2000";
    }
    return r;
}

// The children of a node in order.
inline std::vector<RecordNodeId> children(const Record& r, RecordNodeId id) { return record_children(r, id); }

// Both trees have the same shape and the same moves and terminal kinds; `node_check`
// compares the annotations of each pair of nodes. The walk keeps its own stack.
inline void expect_same_tree(const Record& expected, const Record& actual,
                             const std::function<void(const RecordNode&, const RecordNode&)>& node_check) {
    std::vector<std::pair<RecordNodeId, RecordNodeId>> stack = {{expected.root, actual.root}};
    while (!stack.empty()) {
        const auto [a, b] = stack.back();
        stack.pop_back();
        const RecordNode& na = record_node(expected, a);
        const RecordNode& nb = record_node(actual, b);
        ASSERT_EQ(na.kind, nb.kind);
        if (na.kind == NodeKind::Move) {
            ASSERT_EQ(na.move, nb.move) << move_display_usi(na.move);
        }
        node_check(na, nb);
        const auto ca = children(expected, a), cb = children(actual, b);
        ASSERT_EQ(ca.size(), cb.size());
        for (std::size_t i = 0; i < ca.size(); ++i) stack.emplace_back(ca[i], cb[i]);
    }
}

// The main line's moves.
inline std::vector<Move> main_moves(const Record& r) {
    std::vector<Move> out;
    for (RecordNodeId id : record_main_line_ids(r)) out.push_back(record_node(r, id).move);
    return out;
}

// Board, hands and side of an SFEN.
inline PositionState placement_of(const std::optional<std::string>& sfen) {
    PositionState s = position_state_of(sfen ? test::sfen(*sfen) : position_startpos());
    s.ply = 1;
    return s;
}

}  // namespace korvan::test
