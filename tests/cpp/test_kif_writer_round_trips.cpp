// Written records read back: seeded random records (every start, variations nested and
// side by side, annotations, every ending, metadata), every fixture of the KIF and KI2
// collection through both writers, and a game long enough for the replay rebuilds.

#include <gtest/gtest.h>

#include <map>

#include "core/records/formats/kif/ki2_reader.h"
#include "core/records/formats/kif/ki2_resolver.h"
#include "core/records/formats/kif/ki2_writer.h"
#include "core/records/formats/kif/kif_reader.h"
#include "core/records/formats/kif/kif_writer.h"
#include "record_writer_support.h"

using namespace korvan;
using namespace korvan::test;
using namespace korvan::test::writers;

namespace {

enum class Format { Kif, Ki2 };

const char* format_name(Format f) { return f == Format::Kif ? "KIF" : "KI2"; }

Expected<std::string, std::string> write_as(Format f, const Record& r) {
    if (f == Format::Kif) {
        auto t = write_kif(r);
        if (!t) return unexpected(kif_error_display(t.error()));
        return std::move(*t);
    }
    auto t = write_ki2(r);
    if (!t) return unexpected(ki2_error_display(t.error()));
    return std::move(*t);
}

Expected<Record, std::string> read_as(Format f, const std::string& text) {
    if (f == Format::Kif) {
        auto r = parse_kif(text);
        if (!r) return unexpected(kif_error_display(r.error()));
        return std::move(*r);
    }
    auto r = parse_ki2(text);
    if (!r) return unexpected(ki2_error_display(r.error()));
    return std::move(*r);
}

TimeMode times_of(Format f) { return f == Format::Kif ? TimeMode::MissingAsZero : TimeMode::Ignore; }

// The second record is what the first reads back as: same start, tree, annotations
// (times in KIF only), terminal and metadata.
void expect_same_record(const Record& expected, const Record& back, Format f) {
    EXPECT_EQ(start_state(back), start_state(expected));
    EXPECT_EQ(tree_text(back, times_of(f)), tree_text(expected, times_of(f)));
    EXPECT_EQ(without_handicap(back.metadata), without_handicap(expected.metadata));
}

// ---- Seeded random records ----

class RandomRoundTrips : public ::testing::TestWithParam<Format> {};

TEST_P(RandomRoundTrips, WrittenRecordsReadBack) {
    const Format f = GetParam();
    std::mt19937_64 rng(0x4B1F'2024);
    int variations = 0, nested = 0, side_by_side = 0, terminals = 0, diagrams = 0;
    for (int i = 0; i < 400; ++i) {
        SCOPED_TRACE("record " + std::to_string(i));
        const Record r = random_tree_record(rng);
        const auto text = write_as(f, r);
        ASSERT_TRUE(text) << text.error();
        const auto back = read_as(f, *text);
        ASSERT_TRUE(back) << back.error() << "\n" << *text;
        const Record expected = expected_after_writing(r, f == Format::Ki2);
        expect_same_record(expected, *back, f);
        // What is read back writes the text of what it should be (the text itself,
        // unless the ending reads as another kind).
        const auto again = write_as(f, *back);
        ASSERT_TRUE(again) << again.error();
        EXPECT_EQ(*again, *write_as(f, expected));
        if (::testing::Test::HasFailure()) {
            ADD_FAILURE() << *text;
            return;
        }

        for (RecordNodeId id = 1; id <= r.nodes.size(); ++id) {
            const std::size_t children = record_child_count(r, id);
            variations += children > 1;
            side_by_side += children > 2;
            bool in_variation = false;
            for (RecordNodeId n = id; record_node(r, n).parent != 0; n = record_node(r, n).parent)
                in_variation |= record_node(r, record_node(r, n).parent).first_child != n;
            nested += children > 1 && in_variation;
        }
        terminals += main_terminal(r) != nullptr;
        diagrams += text->find("先手の持駒") != std::string::npos;
    }
    // The seed reaches every shape the writers order.
    EXPECT_GT(variations, 300);
    EXPECT_GT(side_by_side, 20);
    EXPECT_GT(nested, 20);
    EXPECT_GT(terminals, 200);
    EXPECT_GT(diagrams, 100);
}

INSTANTIATE_TEST_SUITE_P(KifWriter, RandomRoundTrips, ::testing::Values(Format::Kif, Format::Ki2),
                         [](const auto& info) { return std::string(format_name(info.param)); });

// Every ending with either side to move, written after a few moves and read back by
// the reader of each format.
TEST(KifWriterRoundTrips, EveryEnding) {
    for (const Format f : {Format::Kif, Format::Ki2}) {
        for (int k = 0; k < SPECIAL_MOVE_KIND_NB; ++k) {
            for (const auto& moves : {std::vector<std::string>{"7g7f", "3c3d"}, std::vector<std::string>{"2g2f"}}) {
                SCOPED_TRACE(std::string(format_name(f)) + " " + std::string(SPECIAL_MOVE_KIND_NAMES[k]));
                Record r = record_from();
                const auto ids = add_moves(r, r.root, moves);
                const RecordNodeId t =
                    add_terminal(r, ids.back(), static_cast<SpecialMoveKind>(k), k == 15 ? UNKNOWN_WORD : "");
                record_node(r, t).annotations.time = Duration::from_ms(12000);
                const auto back = read_as(f, *write_as(f, r));
                ASSERT_TRUE(back) << back.error();
                expect_same_record(expected_after_writing(r, f == Format::Ki2), *back, f);
            }
        }
    }
}

// ---- Fixtures ----

class FixtureRoundTrips : public ::testing::TestWithParam<std::string> {};

TEST_P(FixtureRoundTrips, ReadWriteRead) {
    const std::string& file = GetParam();
    const bool is_ki2 = file.find(".ki2") != std::string::npos;
    const auto first = read_as(is_ki2 ? Format::Ki2 : Format::Kif, fixture_text(file));
    ASSERT_TRUE(first) << first.error();
    for (const Format f : {Format::Kif, Format::Ki2}) {
        SCOPED_TRACE(format_name(f));
        const auto text = write_as(f, *first);
        ASSERT_TRUE(text) << text.error();
        const auto back = read_as(f, *text);
        ASSERT_TRUE(back) << back.error() << "\n" << *text;
        expect_same_record(*first, *back, f);
        const auto again = write_as(f, *back);
        ASSERT_TRUE(again);
        EXPECT_EQ(*again, *text);
    }
}

std::vector<std::string> all_fixtures() {
    std::vector<std::string> out = fixture_files("kif");
    for (const std::string& f : fixture_files("ki2")) out.push_back(f);
    return out;
}

INSTANTIATE_TEST_SUITE_P(KifWriter, FixtureRoundTrips, ::testing::ValuesIn(all_fixtures()), [](const auto& info) {
    std::string name = info.param;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
});

// The fixtures with variations keep every block, nested ones too: the tree read back
// from each writer's text has the file's variations, in the file's order.
TEST(KifWriterRoundTrips, FixtureVariationsSurvive) {
    for (const char* file :
         {"kif/fork.kif", "kif/henka.kif", "kif/fork-test.kif", "kif/doh_branch.kifu", "ki2/fork.ki2"}) {
        SCOPED_TRACE(file);
        const bool is_ki2 = std::string(file).find(".ki2") != std::string::npos;
        const Record first = *read_as(is_ki2 ? Format::Ki2 : Format::Kif, fixture_text(file));
        ASSERT_FALSE(variation_lines(first).empty());
        for (const Format f : {Format::Kif, Format::Ki2}) {
            const Record back = *read_as(f, *write_as(f, first));
            EXPECT_EQ(variation_lines(back), variation_lines(first)) << format_name(f);
        }
    }
}

// ---- The replay rebuilds ----

// 450 moves: kings stepping to and fro, and a rook taking a pawn just dropped in front
// of it at moves 201, 301 and 401. The main position is rebuilt after moves 200 and
// 400: the KIF text does not show it, while KI2, whose "同" comes from the position,
// writes the square at moves 201 and 401 (and "同" at 301).
TEST(KifWriterRoundTrips, LongGameRebuilds) {
    Record r = record_from("4k4/9/9/9/9/9/9/7R1/4K4 b 3p 1");
    Position pos = *record_initial_position(r);
    const std::map<int, std::string> special = {{200, "P*2g"}, {201, "2h2g"}, {300, "P*2f"},
                                                {301, "2g2f"}, {400, "P*2e"}, {401, "2f2e"}};
    RecordNodeId parent = r.root;
    for (int ply = 1; ply <= 450; ++ply) {
        std::string text;
        if (const auto it = special.find(ply); it != special.end()) {
            text = it->second;
        } else if (pos.side_to_move == BLACK) {
            text = pos.king_square[BLACK] == *square_from_usi("5i") ? "5i4i" : "4i5i";
        } else {
            text = pos.king_square[WHITE] == *square_from_usi("5a") ? "5a4a" : "4a5a";
        }
        play(pos, text);
        parent = add_moves(r, parent, {text})[0];
    }
    add_terminal(r, parent, SpecialMoveKind::Interrupt);

    const std::string kif = *write_kif(r);
    const auto kif_lines = text_lines(kif);
    const auto line_of = [&](int number) {
        const std::string head = (number < 1000 ? " " : "") + std::to_string(number) + " ";
        for (const std::string& l : kif_lines)
            if (l.starts_with(head)) return l;
        return std::string("<missing>");
    };
    EXPECT_EQ(line_of(201), " 201 同　飛(28)   ( 0:00/00:00:00)");
    EXPECT_EQ(line_of(301), " 301 同　飛(27)   ( 0:00/00:00:00)");
    EXPECT_EQ(line_of(401), " 401 同　飛(26)   ( 0:00/00:00:00)");
    EXPECT_EQ(line_of(451), " 451 中断         ( 0:00/00:00:00)");
    EXPECT_EQ(kif_lines.back(), "まで450手で中断");
    const auto kif_back = read_as(Format::Kif, kif);
    ASSERT_TRUE(kif_back) << kif_back.error();
    expect_same_record(expected_after_writing(r, false), *kif_back, Format::Kif);

    const std::string ki2 = *write_ki2(r);
    std::vector<std::string> tokens;
    for (const std::string& l : text_lines(ki2)) {
        if (!l.starts_with("▲") && !l.starts_with("△")) continue;
        Ki2Tokens split(l);
        while (const auto t = split.next()) tokens.emplace_back(*t);
    }
    ASSERT_EQ(tokens.size(), 450u);
    EXPECT_EQ(tokens[199], "△２七歩");
    EXPECT_EQ(tokens[200], "▲２七飛");
    EXPECT_EQ(tokens[300], "▲同飛");
    EXPECT_EQ(tokens[400], "▲２五飛");
    const auto ki2_back = read_as(Format::Ki2, ki2);
    ASSERT_TRUE(ki2_back) << ki2_back.error();
    expect_same_record(expected_after_writing(r, true), *ki2_back, Format::Ki2);
}

}  // namespace
