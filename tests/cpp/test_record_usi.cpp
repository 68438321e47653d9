// The USI position command of a record and the special-move words.

#include <gtest/gtest.h>

#include "record_support.h"
#include "core/records/usi_text.h"

namespace korvan {
namespace {

using test::special;
using K = SpecialMoveKind;

std::string usi_text(const Record& r, bool specials) {
    const auto text = record_to_usi_position(r, specials);
    if (!text) return "error: " + usi_position_error_display(text.error());
    return *text;
}

Record with_terminal(SpecialMove s, std::vector<std::string> moves = {"7g7f"}) {
    Record r = record_new_startpos();
    Position pos = position_startpos();
    RecordNodeId parent = 1;
    for (const auto& m : moves) {
        parent = *record_append_move(r, parent, test::move16_of(pos, m), {});
        test::play(pos, m);
    }
    EXPECT_TRUE(record_set_main_terminal(r, std::move(s), {}));
    return r;
}

TEST(RecordUsi, EveryKindsToken) {
    const std::pair<K, const char*> cases[] = {
        {K::Interrupt, " interrupt"}, {K::Resign, " resign"},     {K::MaxMoves, " max_moves"},
        {K::Impasse, " jishogi"},     {K::Draw, " draw"},         {K::RepetitionDraw, " sennichite"},
        {K::Mate, " mate"},           {K::NoMate, " nomate"},     {K::Timeout, " time_up"},
        {K::WinByIllegalMove, ""},    {K::LoseByIllegalMove, ""}, {K::WinByDeclaration, " win"},
        {K::WinByDefault, ""},        {K::LoseByDefault, ""},     {K::Try, " win"},
    };
    for (const auto& [kind, token] : cases) {
        const Record r = with_terminal(special(kind, 0));
        EXPECT_EQ(usi_text(r, true), std::string("position startpos moves 7g7f") + token);
        EXPECT_EQ(usi_text(r, false), "position startpos moves 7g7f");
    }
    EXPECT_EQ(usi_text(with_terminal(special(K::Unknown, 7, "Foo_Bar")), true), "position startpos moves 7g7f foo_bar");
    // Names that are not one token write none, so the command stays well formed.
    for (const char* name : {"", "two words", "tab\tname", "line\nfeed"})
        EXPECT_EQ(usi_text(with_terminal(special(K::Unknown, 7, name)), true), "position startpos moves 7g7f") << name;
    EXPECT_EQ(usi_text(with_terminal(special(K::WinByDefault, 0), {}), true), "position startpos");
}

TEST(RecordUsi, RawSpecialTokensAreWrittenLowerCase) {
    EXPECT_EQ(usi_text(with_terminal(special(K::Resign, 1, {}, "Resign"), {}), true), "position startpos moves resign");
    EXPECT_EQ(usi_text(with_terminal(special(K::Resign, 1), {}), true), "position startpos moves resign");
    EXPECT_EQ(usi_text(with_terminal(special(K::RepetitionDraw, 2, {}, "REPETITION")), true),
              "position startpos moves 7g7f repetition");
    // A raw text that is no special token falls back to the kind's token.
    EXPECT_EQ(usi_text(with_terminal(special(K::Resign, 1, {}, "%TORYO")), true), "position startpos moves 7g7f resign");
    EXPECT_EQ(usi_text(with_terminal(special(K::Resign, 1), {}), false), "position startpos");
}

TEST(RecordUsi, StartposSfenAndVariations) {
    EXPECT_EQ(usi_text(record_new_startpos(), true), "position startpos");
    const Record explicit_start = *record_new(std::string(STARTPOS_SFEN));
    EXPECT_EQ(usi_text(explicit_start, true), "position sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1");

    Record r = *record_new(std::string("4k4/9/9/9/9/9/9/9/4K4 b G 1"));
    const Position pos = test::sfen(*r.init_position_sfen);
    const auto m = record_append_move(r, 1, test::move16_of(pos, "G*5b"), {});
    ASSERT_TRUE(record_append_move(r, 1, test::move16_of(pos, "5i4h"), {}));
    ASSERT_TRUE(m);
    EXPECT_EQ(usi_text(r, false), "position sfen 4k4/9/9/9/9/9/9/9/4K4 b G 1 moves G*5b");
}

TEST(RecordUsi, Errors) {
    const Record bad_sfen = *record_new(std::string("4k4/9 b - 1"));
    const auto e1 = record_to_usi_position(bad_sfen, false);
    ASSERT_FALSE(e1);
    EXPECT_EQ(e1.error().kind, UsiPositionError::Kind::InvalidSfen);
    EXPECT_EQ(usi_position_error_display(e1.error()),
              "invalid USI position SFEN: " + sfen_error_display(position_from_sfen("4k4/9 b - 1").error()));

    Record r = record_new_startpos();
    const Position start = position_startpos();
    const auto a = record_append_move(r, 1, test::move16_of(start, "7g7f"), {});
    ASSERT_TRUE(record_append_move(r, *a, test::move16_of(start, "2g2f"), {}));
    EXPECT_EQ(usi_text(r, false), "error: record construction failed: illegal move at current editor position");

    using E = UsiPositionError::Kind;
    const auto error = [](E kind, std::string text = {}, std::uint64_t index = 0) {
        UsiPositionError e;
        e.kind = kind;
        e.text = std::move(text);
        e.index = index;
        return e;
    };
    const std::pair<UsiPositionError, const char*> texts[] = {
        {error(E::Empty), "USI position command must not be empty"},
        {error(E::InvalidTokenSequence, "x y"), "invalid USI position token sequence: x y"},
        {error(E::InvalidMoveToken, "7z7f", 3), "invalid move token at index 3: 7z7f"},
        {error(E::SpecialTokenNotAllowed, "resign", 4),
         "special token is not allowed in strict USI position mode at index 4: resign"},
        {error(E::MoveAfterTerminal, "7g7f", 5), "move appears after terminal special token at index 5: 7g7f"},
    };
    for (const auto& [error, text] : texts) EXPECT_EQ(usi_position_error_display(error), text);
}

TEST(RecordUsi, SpecialTokenParser) {
    struct Case {
        const char* word;
        K kind;
        int black_to_move, white_to_move;
    };
    const Case cases[] = {
        {"win", K::WinByDeclaration, 4, 5},  {"draw", K::RepetitionDraw, 2, 2},  {"mate", K::Mate, 1, 0},
        {"RESIGN", K::Resign, 1, 0},         {"chudan", K::Interrupt, 11, 11},   {"interrupt", K::Interrupt, 11, 11},
        {"nomate", K::NoMate, 6, 6},         {"no_mate", K::NoMate, 6, 6},       {"jishogi", K::Impasse, 10, 10},
        {"impasse", K::Impasse, 10, 10},     {"Time_Up", K::Timeout, 17, 16},    {"timeout", K::Timeout, 17, 16},
        {"maxmoves", K::MaxMoves, 6, 6},     {"max_moves", K::MaxMoves, 6, 6},   {"sennichite", K::RepetitionDraw, 2, 2},
        {"repetition", K::RepetitionDraw, 2, 2},
    };
    for (const Case& c : cases) {
        const auto b = usi_special_token(c.word, BLACK);
        const auto w = usi_special_token(c.word, WHITE);
        ASSERT_TRUE(b && w) << c.word;
        EXPECT_EQ(b->kind, c.kind);
        EXPECT_EQ(b->result, c.black_to_move) << c.word;
        EXPECT_EQ(w->result, c.white_to_move) << c.word;
        EXPECT_EQ(b->raw, c.word);
    }
    for (const char* word : {"", "7g7f", "toryo", "resign ", "win2"}) EXPECT_FALSE(usi_special_token(word, BLACK)) << word;
}

}  // namespace
}  // namespace korvan

#include "core/records/usi_reader.h"

namespace korvan {
namespace {

std::string read_back(const std::string& command, bool allow) {
    const auto r = record_from_usi_position(command, allow);
    if (!r) return "error: " + usi_position_error_display(r.error());
    return *record_to_usi_position(*r, true);
}

TEST(RecordUsiReader, CommandsAndErrors) {
    const std::pair<const char*, const char*> strict[] = {
        {"position startpos moves 7g7f 3c3d", "position startpos moves 7g7f 3c3d"},
        {"startpos moves 7g7f 3c3d", "position startpos moves 7g7f 3c3d"},
        {"  startpos  ", "position startpos"},
        {"startpos moves", "position startpos"},
        {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1 moves 7g7f",
         "position sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1 moves 7g7f"},
        {"position", "error: invalid USI position token sequence: position"},
        {"position\tstartpos", "error: invalid USI position token sequence: position\tstartpos"},
        {"   ", "error: USI position command must not be empty"},
        {"startpos 7g7f", "error: invalid USI position token sequence: startpos 7g7f"},
        {"sfen 9/9 b -", "error: invalid USI position token sequence: sfen 9/9 b -"},
        {"startpos moves 7g7f resign", "error: special token is not allowed in strict USI position mode at index 1: resign"},
        {"startpos moves 7g7f 7g7f", "error: record construction failed: illegal move at current editor position"},
        {"startpos moves 7g7x", "error: invalid move token at index 0: 7g7x"},
        {"startpos moves none", "error: invalid move token at index 0: none"},
    };
    for (const auto& [in, out] : strict) EXPECT_EQ(read_back(in, false), out) << in;
    EXPECT_EQ(read_back("sfen 9/9/9 b - 1", false).rfind("error: invalid USI position SFEN: ", 0), 0u);

    const std::pair<const char*, const char*> allowed[] = {
        {"startpos moves 7g7f resign", "position startpos moves 7g7f resign"},
        {"startpos moves RESIGN", "position startpos moves resign"},
        {"startpos moves 7g7f draw", "position startpos moves 7g7f draw"},
        {"startpos moves resign 7g7f", "error: move appears after terminal special token at index 1: 7g7f"},
        {"startpos moves resign win", "error: move appears after terminal special token at index 1: win"},
    };
    for (const auto& [in, out] : allowed) EXPECT_EQ(read_back(in, true), out) << in;
    const auto r = *record_from_usi_position("startpos moves 7g7f resign", true);
    EXPECT_EQ(record_result(r), 0);  // White resigned
    EXPECT_EQ(record_node(r, 3).special->kind, SpecialMoveKind::Resign);
    EXPECT_EQ(*record_node(r, 3).special->raw, "resign");
}

TEST(RecordUsiReader, MainLineMoves) {
    const auto ok = usi_main_line_moves("position startpos", {"7g7f", "3c3d"});
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->initial_sfen, STARTPOS_SFEN);
    EXPECT_EQ(ok->moves.size(), 2u);
    EXPECT_EQ(usi_main_line_moves("startpos moves", {})->moves.size(), 0u);
    const std::pair<std::vector<std::string_view>, const char*> errors[] = {
        {{"7g7f", "3c3d", "resign"}, "invalid move value at index 2: resign"},
        {{"7g7f", "7g7f"}, "invalid move value at index 1: 7g7f"},
        {{"7g7x"}, "invalid USI move at index 0: 7g7x"},
        {{"5e5d"}, "invalid move value at index 0: 5e5d"},
        // The king steps next to the new horse.
        {{"7g7f", "3c3d", "8h2b", "4a3b", "2b3a+", "5a4b"}, "illegal move at index 5: 5a4b"},
    };
    for (const auto& [moves, text] : errors) EXPECT_EQ(usi_main_line_moves("startpos", moves).error(), text);
    EXPECT_EQ(usi_main_line_moves("startpos moves 7g7f", {}).error(),
              "init_position_sfen must not include moves; pass moves via usi_moves");
}

}  // namespace
}  // namespace korvan
