// The JKF reader: the fixture, the document's edge cases, every error text, and the
// nesting limits on hostile documents.

#include <gtest/gtest.h>

#include "record_format_support.h"
#include "core/records/formats/jkf/jkf_reader.h"

namespace korvan::test {
namespace {

using K = SpecialMoveKind;

Record jkf_read_ok(std::string_view text) {
    auto r = parse_jkf(text);
    if (!r) throw std::runtime_error("JKF refused: " + jkf_error_display(r.error()));
    return std::move(*r);
}

std::string jkf_read_error(std::string_view text) {
    auto r = parse_jkf(text);
    return r ? "(accepted)" : jkf_error_display(r.error());
}

std::string moves_doc(const std::string& entries) { return R"({"moves":[)" + entries + "]}"; }

constexpr const char* M7776 = R"({"move":{"from":{"x":7,"y":7},"to":{"x":7,"y":6}}})";
constexpr const char* M3334 = R"({"move":{"from":{"x":3,"y":3},"to":{"x":3,"y":4}}})";
constexpr const char* M2726 = R"({"move":{"from":{"x":2,"y":7},"to":{"x":2,"y":6}}})";

TEST(JkfFixture, SameMoveMinimal) {
    const Record r = jkf_read_ok(read_file(fixture_path("jkf/same_move_minimal.jkf")));
    EXPECT_FALSE(r.init_position_sfen);
    EXPECT_EQ(r.metadata, RecordMetadata{});
    std::vector<Move> expected;
    for (const char* m : {"7g7f", "3c3d", "8h2b+", "3a2b", "2g2f"}) expected.push_back(*move_from_usi(m));
    EXPECT_EQ(main_moves(r), expected);
    EXPECT_EQ(record_node(r, record_main_line_last(r)).kind, NodeKind::Move);
    for (RecordNodeId id : record_main_line_ids(r)) {
        EXPECT_FALSE(record_node(r, id).annotations.time);
        EXPECT_FALSE(record_node(r, id).annotations.comment);
    }
    Position pos = position_startpos();
    for (Move m : expected) position_do_move(pos, position_move_to_move32(pos, m));
    EXPECT_EQ(position_to_sfen(pos, pos.ply), "lnsgkg1nl/1r5s1/pppppp1pp/6p2/9/2P4P1/PP1PPPP1P/7R1/LNSGKGSNL w Bb 6");
}

TEST(JkfReader, EmptyObjectIsTheStartPosition) {
    const Record r = jkf_read_ok("{}");
    EXPECT_EQ(r, record_new_startpos());
}

TEST(JkfReader, IllegalMoveIndexCountsTheOpeningElementAndRestartsInForks) {
    EXPECT_EQ(jkf_read_error(moves_doc(std::string("{},") + M3334)), "illegal move at index 1");
    const std::string fork = moves_doc(std::string("{},") + R"({"move":{"from":{"x":7,"y":7},"to":{"x":7,"y":6}},"forks":[[)" +
                                       M2726 + "," + M2726 + "]]}");
    EXPECT_EQ(jkf_read_error(fork), "illegal move at index 1");
}

TEST(JkfReader, Presets) {
    EXPECT_FALSE(jkf_read_ok(R"({"initial":{"preset":"OTHER"}})").init_position_sfen);
    EXPECT_FALSE(jkf_read_ok(R"({"initial":{"preset":"HIRATE"}})").init_position_sfen);
    EXPECT_FALSE(jkf_read_ok(R"({"initial":{}})").init_position_sfen);
    EXPECT_EQ(jkf_read_ok(R"({"initial":{"preset":"5_L"}})").init_position_sfen,
              "1nsgkgs2/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1");
    EXPECT_EQ(jkf_read_error(R"({"initial":{"preset":"hirate"}})"), "unsupported JKF preset: hirate");
    EXPECT_EQ(jkf_read_error(R"({"initial":{"preset":"7"}})"), "unsupported JKF preset: 7");
    EXPECT_EQ(jkf_read_ok(R"({"initial":{"preset":"7_L"}})").init_position_sfen,
              "2sgkg3/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1");
    EXPECT_EQ(jkf_read_error(R"({"initial":{"preset":"7_l"}})"), "unsupported JKF preset: 7_l");
    // A preset that is no string goes on to "data".
    EXPECT_FALSE(jkf_read_ok(R"({"initial":{"preset":5}})").init_position_sfen);
}

// A data object whose file 1 is `file1` and every other file empty.
std::string data_doc(const std::string& file1, const std::string& extra = "") {
    std::string board = "[" + file1;
    for (int i = 0; i < 8; ++i) board += ",[{},{},{},{},{},{},{},{},{}]";
    board += "]";
    return R"({"initial":{"preset":"OTHER","data":{"board":)" + board + extra + "}}}";
}

TEST(JkfReader, NullOriginIsADrop) {
    const std::string empty = "[{},{},{},{},{},{},{},{},{}],";
    std::string files;
    for (int i = 0; i < 7; ++i) files += empty;
    const std::string bishop = R"({"initial":{"preset":"OTHER","data":{"board":[[{},{},{},{},{},{},{},{},{"color":0,"kind":"OU"}],)" +
                               files + R"([{"color":1,"kind":"OU"},{},{},{},{},{},{},{},{}]],"color":0,)"
                               R"("hands":[{"KA":1},{}]}},)";
    for (const char* from : {"", R"("from":null,)"}) {
        const Record r = jkf_read_ok(bishop + R"("moves":[{},{"move":{)" + from + R"("to":{"x":5,"y":5},"piece":"KA"}}]})");
        EXPECT_EQ(move_display_usi(record_node(r, record_main_line_ids(r)[0]).move), "B*5e") << from;
    }
    // Only "from" takes null for absent.
    EXPECT_EQ(jkf_read_error(moves_doc(R"({},{"move":{"from":{"x":7,"y":7},"to":null}})")),
              "invalid JKF structure: place must be an object");
}

TEST(JkfReader, BoardCellsColorsAndHands) {
    // A cell with only "kind" is Black's; one with only "color" is empty.
    EXPECT_EQ(jkf_read_ok(data_doc(R"([{"kind":"FU"},{"color":1},{"kind":"GY","color":1},{"kind":"RY","color":0},{},{},{},{},{"kind":"OU","color":"1"}])",
                               R"(,"hands":[{"FU":2,"KI":1,"HI":0,"KA":-1,"GI":1.5},{"HI":1}])"))
                  .init_position_sfen,
              "8P/9/8k/8+R/9/9/9/9/8K b G2Pr 1");
    EXPECT_EQ(jkf_read_ok(data_doc("[{},{},{},{},{},{},{},{},{}]", R"(,"color":1,"hands":"none")")).init_position_sfen,
              "9/9/9/9/9/9/9/9/9 w - 1");
}

TEST(JkfReader, Times) {
    const auto time_of = [](const std::string& time) {
        const Record r = jkf_read_ok(moves_doc(std::string("{},") + R"({"move":{"from":{"x":7,"y":7},"to":{"x":7,"y":6}},"time":)" + time + "}"));
        return record_node(r, record_main_line_ids(r)[0]).annotations.time;
    };
    EXPECT_EQ(time_of(R"({"now":{"m":1,"s":30},"total":{"h":9}})"), Duration::from_ms(90'000));
    EXPECT_EQ(time_of(R"({"now":{"h":1,"m":-1,"s":1.5}})"), Duration::from_ms(3'600'000));
    EXPECT_EQ(time_of(R"({"now":{}})"), Duration::from_ms(0));
    EXPECT_EQ(time_of(R"({})"), std::nullopt);
    EXPECT_EQ(time_of(R"({"total":{"s":1}})"), std::nullopt);
    EXPECT_EQ(time_of(R"({"now":{"h":1193,"m":2,"s":47}})"), Duration::from_ms(4'294'967'000));
}

TEST(JkfReader, SameTakesThePreviousDestination) {
    const Record r = jkf_read_ok(moves_doc(std::string("{},") + M7776 + "," + M3334 +
                                       R"(,{"move":{"from":{"x":8,"y":8},"to":{"x":2,"y":2},"promote":true}},{"move":{"from":{"x":3,"y":1},"same":true}})"));
    EXPECT_EQ(main_moves(r).back(), *move_from_usi("3a2b"));
    EXPECT_EQ(jkf_read_error(moves_doc(R"({},{"move":{"from":{"x":7,"y":7},"same":true}})")),
              "invalid move: same move without previous square");
}

TEST(JkfReader, Specials) {
    const auto terminal = [](const std::string& entries) {
        const Record r = jkf_read_ok(moves_doc(entries));
        const RecordNode& n = record_node(r, record_main_line_last(r));
        EXPECT_EQ(n.kind, NodeKind::Terminal);
        return *n.special;
    };
    SpecialMove s = terminal(R"({},{"special":"toryo"})");
    EXPECT_EQ(s.kind, K::Resign);
    EXPECT_EQ(s.result, 1);
    EXPECT_EQ(s.raw, "toryo");
    s = terminal(R"({},{"special":"Resign"})");
    EXPECT_EQ(s.kind, K::Unknown);
    EXPECT_EQ(s.unknown_name, "Resign");
    EXPECT_EQ(s.result, 7);
    // Entries after a special are not read, not even a broken one.
    s = terminal(std::string("{},") + M7776 + R"(,{"special":"TIME_UP"},{"move":5})");
    EXPECT_EQ(s.kind, K::Timeout);
    EXPECT_EQ(s.result, 16);
    struct Row {
        const char* name;
        SpecialMoveKind kind;
        int black_to_move, white_to_move;
    };
    for (const Row& row : std::initializer_list<Row>{
             {"TSUMI", K::Mate, 1, 0}, {"KACHI", K::WinByDeclaration, 4, 5}, {"ILLEGAL_MOVE", K::LoseByIllegalMove, 13, 12},
             {"SENNICHITE", K::RepetitionDraw, 2, 2}, {"HIKIWAKE", K::Draw, 2, 2}, {"JISHOGI", K::Impasse, 10, 10},
             {"MAX_MOVES", K::MaxMoves, 6, 6}, {"FUZUMI", K::NoMate, 6, 6}, {"CHUDAN", K::Interrupt, 11, 11},
             {"ERROR", K::Interrupt, 3, 3}}) {
        for (bool white : {false, true}) {
            s = terminal(std::string("{},") + (white ? std::string(M7776) + "," : "") + R"({"special":")" + row.name + "\"}");
            EXPECT_EQ(s.kind, row.kind) << row.name;
            EXPECT_EQ(s.result, white ? row.white_to_move : row.black_to_move) << row.name;
        }
    }
    // "+ILLEGAL_ACTION": Black broke the rules, White wins.
    s = terminal(R"({},{"special":"+illegal_action"})");
    EXPECT_EQ(s.kind, K::LoseByIllegalMove);
    EXPECT_EQ(s.result, 13);
    s = terminal(R"({},{"special":"-ILLEGAL_ACTION"})");
    EXPECT_EQ(s.kind, K::WinByIllegalMove);
    EXPECT_EQ(s.result, 12);
}

TEST(JkfReader, CommentsAndForks) {
    const Record r = jkf_read_ok(moves_doc(
        R"({"comments":["opening","","more"]},)" + std::string(R"({"move":{"from":{"x":7,"y":7},"to":{"x":7,"y":6}},"comments":["a"],)"
                                                              R"("forks":[[{"move":{"from":{"x":2,"y":7},"to":{"x":2,"y":6}},"comments":["alt"]},{"special":"CHUDAN"}],[],)"
                                                              R"([{"comments":["fork comment"]},{"move":{"from":{"x":1,"y":7},"to":{"x":1,"y":6}}},)"
                                                              R"({"move":{"from":{"x":1,"y":3},"to":{"x":1,"y":4}}}]]},)") +
        R"({"comments":["b"]},{"comments":[]},)" + M3334));
    EXPECT_EQ(record_node(r, r.root).annotations.comment, "opening\nmore\nfork comment");
    const auto top = record_children(r, r.root);
    ASSERT_EQ(top.size(), 3u);
    EXPECT_EQ(record_node(r, top[0]).annotations.comment, "a\nb");
    EXPECT_EQ(record_node(r, top[1]).move, *move_from_usi("2g2f"));
    EXPECT_EQ(record_node(r, top[1]).annotations.comment, "alt");
    EXPECT_EQ(record_node(r, record_node(r, top[1]).first_child).kind, NodeKind::Terminal);
    // The third fork's comment entry went to the root (its current node), then its line.
    EXPECT_EQ(record_node(r, top[2]).move, *move_from_usi("1g1f"));
    EXPECT_EQ(record_node(r, record_node(r, top[2]).first_child).move, *move_from_usi("1c1d"));
    EXPECT_EQ(record_main_line_ids(r).size(), 2u);
}

TEST(JkfReader, Header) {
    const Record r = jkf_read_ok(
        R"({"header":{"先手":"A","後手":"B","棋戦":"E","場所":"S","備考":"n\nm","開始日時":"s","終了日時":"e","持将棋":"24",)"
        R"("持ち時間":"10分秒読み30秒","先手持ち時間":"600+10+0","後手持ち時間":"bad","最大手数":"256",)"
        R"("x":3.5,"y":true,"z":[1,{"b":null,"a":"é"}],"n":null,"s":"text","big":18446744073709551615}})");
    const RecordMetadata& md = r.metadata;
    using MK = RecordMetadataKey;
    EXPECT_EQ(md.get(MK::BlackPlayer), "A");
    EXPECT_EQ(md.get(MK::WhitePlayer), "B");
    EXPECT_EQ(md.get(MK::Event), "E");
    EXPECT_EQ(md.get(MK::Site), "S");
    EXPECT_EQ(md.get(MK::Comment), "n\nm");
    EXPECT_EQ(md.get(MK::StartDate), "s");
    EXPECT_EQ(md.get(MK::EndDate), "e");
    EXPECT_EQ(md.impasse_rule, "24");
    EXPECT_EQ(md.time_control, (TimeControl{600, 30, 0}));
    EXPECT_EQ(md.black_time_control, (TimeControl{600, 10, 0}));
    EXPECT_FALSE(md.white_time_control);
    EXPECT_EQ(md.max_moves, 256u);
    EXPECT_EQ(md.attributes, (std::map<std::string, std::string, std::less<>>{
                                 {"big", "18446744073709551615"}, {"s", "text"}, {"x", "3.5"}, {"y", "true"},
                                 {"z", R"([1,{"a":"é","b":null}])"}}));
    for (const char* value : {"256", "\"+256\""})
        EXPECT_EQ(jkf_read_ok(std::string(R"({"header":{"最大手数":)") + value + "}}").metadata.max_moves, 256u);
    for (const char* value : {"-1", "4294967296", "\"x\"", "2.0", "null"})
        EXPECT_FALSE(jkf_read_ok(std::string(R"({"header":{"最大手数":)") + value + "}}").metadata.max_moves) << value;
    // A standard field of another type is cleared.
    EXPECT_FALSE(jkf_read_ok(R"({"header":{"先手":5}})").metadata.get(MK::BlackPlayer));
}

struct ErrorCase {
    std::string doc;
    std::string message;
};

class JkfErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(JkfErrors, Text) { EXPECT_EQ(jkf_read_error(GetParam().doc), GetParam().message); }

std::string entry_doc(const std::string& body) { return moves_doc("{}," + body); }
std::string structure(const std::string& text) { return "invalid JKF structure: " + text; }

INSTANTIATE_TEST_SUITE_P(
    Errors, JkfErrors,
    ::testing::Values(
        ErrorCase{"[]", structure("JKF root must be an object")},
        ErrorCase{R"({"initial":[]})", structure("initial must be an object")},
        ErrorCase{R"({"initial":{"data":1}})", structure("initial.data must be an object")},
        ErrorCase{R"({"initial":{"data":{}}})", structure("initial.data.board must be an array")},
        ErrorCase{R"({"initial":{"data":{"board":[]}}})", structure("initial.data.board must have 9 files")},
        ErrorCase{R"({"initial":{"data":{"board":[1,2,3,4,5,6,7,8,9]}}})", structure("initial.data.board file must be an array")},
        ErrorCase{R"({"initial":{"data":{"board":[[],[],[],[],[],[],[],[],[]]}}})", structure("initial.data.board file must have 9 ranks")},
        ErrorCase{data_doc(R"([{"kind":"FU","color":2},{},{},{},{},{},{},{},{}])"), structure("invalid color: 2")},
        ErrorCase{data_doc(R"([{"kind":"XX"},{},{},{},{},{},{},{},{}])"), structure("invalid piece kind: XX")},
        ErrorCase{data_doc("[{},{},{},{},{},{},{},{},{}]", R"(,"color":2)"), structure("invalid initial.data.color: 2")},
        ErrorCase{data_doc("[{},{},{},{},{},{},{},{},{}]", R"(,"hands":[{"FU":32}])"),
                  "failed to parse SFEN: invalid hand count for PieceType(1): 32"},
        ErrorCase{R"({"header":[]})", structure("header must be an object")},
        ErrorCase{R"({"moves":{}})", structure("moves must be an array")},
        ErrorCase{moves_doc("1"), structure("move entry must be an object")},
        ErrorCase{entry_doc(R"({"comments":"x"})"), structure("comments must be an array")},
        ErrorCase{entry_doc(R"({"comments":[1]})"), structure("comments item must be a string")},
        ErrorCase{entry_doc(R"({"time":1})"), structure("time must be an object")},
        ErrorCase{entry_doc(R"({"time":{"now":1}})"), structure("time.now must be an object")},
        ErrorCase{entry_doc(R"({"time":{"now":{"h":1193,"m":2,"s":48}}})"), structure("time.now exceeds u32 milliseconds")},
        ErrorCase{entry_doc(R"({"time":{"now":{"h":18446744073709551615}}})"), structure("time.now exceeds u32 milliseconds")},
        ErrorCase{entry_doc(R"({"move":1})"), structure("move must be an object")},
        ErrorCase{entry_doc(R"({"special":1})"), structure("special must be a string")},
        ErrorCase{entry_doc(R"({"move":{"from":{"x":7,"y":7}}})"), structure("move.to is required")},
        ErrorCase{entry_doc(R"({"move":{"to":{"x":5,"y":5}}})"), structure("drop move requires piece")},
        ErrorCase{entry_doc(R"({"move":{"to":{"x":5,"y":5},"piece":"OU"}})"), "invalid move: invalid drop piece: OU"},
        ErrorCase{entry_doc(R"({"move":{"to":{"x":5,"y":5},"piece":"ZZ"}})"), "invalid move: invalid drop piece: ZZ"},
        ErrorCase{entry_doc(R"({"move":{"to":{"x":5,"y":5},"piece":"KA"}})"), "illegal move at index 1"},
        ErrorCase{entry_doc(R"({"move":{"to":[],"from":{"x":7,"y":7}}})"), structure("place must be an object")},
        ErrorCase{entry_doc(R"({"move":{"to":{"x":"7","y":6}}})"), structure("place.x must be an integer")},
        ErrorCase{entry_doc(R"({"move":{"to":{"x":7,"y":-6}}})"), structure("place.y must be an integer")},
        ErrorCase{entry_doc(R"({"move":{"to":{"x":0,"y":5}}})"), structure("place out of board: 0,5")},
        ErrorCase{entry_doc(R"({"move":{"to":{"x":7,"y":10}}})"), structure("place out of board: 7,10")},
        ErrorCase{entry_doc(std::string(R"({"move":{"from":{"x":7,"y":7},"to":{"x":7,"y":6}},"forks":{}})")), structure("forks must be an array")},
        ErrorCase{entry_doc(std::string(R"({"move":{"from":{"x":7,"y":7},"to":{"x":7,"y":6}},"forks":[1]})")), structure("fork must be an array")},
        ErrorCase{"", "json serialization failed: [json.exception.parse_error.101] parse error at line 1, column 1: "
                      "attempting to parse an empty input; check that your input string or stream contains the expected JSON"},
        ErrorCase{"{}\n x", "json serialization failed: [json.exception.parse_error.101] parse error at line 2, column 2: "
                            "syntax error while parsing value - invalid literal; last read: '{}<U+000A> x'; expected end of input"},
        ErrorCase{"{\"a\":\n[1,}", "json serialization failed: [json.exception.parse_error.101] parse error at line 2, column 4: "
                                   "syntax error while parsing value - unexpected '}'; expected '[', '{', or a literal"}),
                         [](const auto& info) { return test::case_name(info.index, {info.param.message}); });

// Forks nested `depth` levels deep: each fork's only entry is another first move of
// Black's with its own forks, so every level adds a child to the root.
std::string nested_forks(std::size_t depth) {
    std::string inner = M2726;
    for (std::size_t i = 1; i < depth; ++i)
        inner = R"({"move":{"from":{"x":2,"y":7},"to":{"x":2,"y":6}},"forks":[[)" + inner + "]]}";
    return R"({"moves":[{},{"move":{"from":{"x":7,"y":7},"to":{"x":7,"y":6}},"forks":[[)" + inner + "]]}]}";
}

TEST(JkfNesting, ForksAreLimited) {
    const Record r = jkf_read_ok(nested_forks(JKF_MAX_FORK_DEPTH));
    EXPECT_EQ(record_children(r, r.root).size(), JKF_MAX_FORK_DEPTH + 1);
    EXPECT_EQ(jkf_read_error(nested_forks(JKF_MAX_FORK_DEPTH + 1)),
              structure("forks nested deeper than " + std::to_string(JKF_MAX_FORK_DEPTH) + " levels"));
}

TEST(JkfNesting, HostileDocumentsAreRefusedWithoutExhaustingTheStack) {
    const std::string deep_array(1 << 20, '[');
    EXPECT_EQ(jkf_read_error(deep_array), structure("arrays and objects nested deeper than 1024 levels"));
    std::string deep_header = R"({"header":{"k":)" + std::string(1000, '[') + std::string(1000, ']') + "}}";
    EXPECT_EQ(jkf_read_ok(deep_header).metadata.attributes.at("k").size(), 2000u);
    std::string objects;
    for (int i = 0; i < 200'000; ++i) objects += R"({"a":)";
    EXPECT_EQ(jkf_read_error(objects), structure("arrays and objects nested deeper than 1024 levels"));
}

std::string jkf_place(Square s) {
    return R"({"x":)" + std::to_string(file_of(s) + 1) + R"(,"y":)" + std::to_string(rank_of(s) + 1) + "}";
}

std::string jkf_move_entry(Move32 m) {
    static constexpr const char* KINDS[] = {"", "FU", "KY", "KE", "GI", "KA", "HI", "KI"};
    std::string out = R"({"move":{"to":)" + jkf_place(move_to(m));
    if (is_drop(m))
        out += R"(,"piece":")" + std::string(KINDS[dropped_type(m)]) + "\"";
    else
        out += R"(,"from":)" + jkf_place(move_from(m)) + (is_promotion(m) ? R"(,"promote":true)" : "");
    return out + "}}";
}

TEST(JkfNesting, ManyForksAtTheEndOfALongLine) {
    // A long main line, then 20,000 one-move forks under its last move: each fork starts
    // from a position without the line's history.
    Position pos = position_startpos();
    std::mt19937_64 rng(7);
    std::string doc = R"({"moves":[{})";
    std::size_t played = 0;
    for (; played < 300; ++played) {
        const Move32 m = random_legal(pos, rng);
        if (m == 0) break;
        doc += "," + jkf_move_entry(m);
        position_do_move(pos, m);
    }
    MoveList legal;
    generate_legal(pos, legal);
    ASSERT_GT(legal.size(), 0u);
    const std::string alternative = "[" + jkf_move_entry(position_move_to_move32(pos, legal[0])) + "]";
    doc += R"(,{"comments":["end"],"forks":[)";
    for (int i = 0; i < 20'000; ++i) doc += (i ? "," : "") + alternative;
    doc += "]}]}";
    const Record r = jkf_read_ok(doc);
    EXPECT_EQ(record_move_count(r), played + 1);
    const RecordNodeId last_played = record_main_line_ids(r)[played - 1];
    EXPECT_EQ(record_node(r, last_played).annotations.comment, "end");
    EXPECT_EQ(record_child_count(r, last_played), 20'000u);
}

}  // namespace
}  // namespace korvan::test
