// The book builder: random record trees (variations, transpositions, terminals between
// moves, every combination of eval and depth) against a recursive walk written here,
// the illegal-move and SFEN refusals, the best-first order of the static book, and a
// line too long for a recursive walk.

#include <algorithm>
#include <tuple>

#include "book_support.h"
#include "container_support.h"
#include "core/book/builder.h"

namespace korvan::test {
namespace {

using Filed = std::vector<std::pair<std::uint64_t, BookMove>>;

// Engine information in each of its shapes: none, empty, eval, depth, both, extras only.
Annotations random_engine_annotations(std::mt19937_64& rng) {
    Annotations a;
    switch (rng() % 6) {
        case 0: return a;
        case 1: a.engine_info.emplace(EngineInfo{}); return a;
        case 2: a.engine_info.emplace(engine_info_with_eval(static_cast<std::int16_t>(rng()))); return a;
        case 3: {
            EngineInfo info;
            info.depth = static_cast<std::uint16_t>(rng());
            a.engine_info.emplace(info);
            return a;
        }
        case 4: {
            EngineInfo info = engine_info_with_eval(static_cast<std::int16_t>(rng()));
            info.depth = static_cast<std::uint16_t>(rng());
            a.engine_info.emplace(info);
            return a;
        }
        default: {
            EngineInfo info;
            info.nodes = rng();
            info.seldepth = 3;
            a.engine_info.emplace(info);
            return a;
        }
    }
}

SpecialMove a_terminal(std::mt19937_64& rng) {
    return special(rng() % 2 ? SpecialMoveKind::Resign : SpecialMoveKind::Interrupt, static_cast<GameResult>(rng() % 3));
}

// Children under `parent`: one continues the line, sometimes more branch off, now and
// then the same move twice (the same position reached by two nodes), and terminals
// among them.
void grow(Record& r, RecordNodeId parent, Position& pos, int depth, int& budget, std::mt19937_64& rng) {
    if (depth >= 70 || budget <= 0) return;
    const int kids = depth == 0 ? 3 : (rng() % 6 == 0 ? 2 + static_cast<int>(rng() % 2) : 1);
    Move previous = MOVE_NONE;
    for (int k = 0; k < kids && budget > 0; ++k) {
        if (rng() % 10 == 0) (void)record_append_terminal(r, parent, a_terminal(rng), {});
        Move32 m = random_legal(pos, rng);
        if (!m) {
            (void)record_append_terminal(r, parent, special(SpecialMoveKind::Mate, GameResult(0)), {});
            return;
        }
        if (previous && rng() % 4 == 0) m = position_move_to_move32(pos, previous);
        previous = move16(m);
        const RecordNodeId id = *record_append_move(r, parent, move16(m), random_engine_annotations(rng));
        --budget;
        position_do_move(pos, m);
        grow(r, id, pos, depth + 1, budget, rng);
        (void)position_undo_move(pos, m);
    }
}

// Two orders of the same three moves, each followed by 8c8d: one position, two nodes.
void add_transposition(Record& r) {
    for (const auto& line : {std::vector<std::string>{"7g7f", "3c3d", "2g2f", "8c8d"},
                             std::vector<std::string>{"2g2f", "3c3d", "7g7f", "8c8d"}}) {
        RecordNodeId at = r.root;
        for (const std::string& usi : line) at = *record_append_move(r, at, *move_from_usi(usi), with_eval(5));
    }
}

bool list_contains(const MoveList& list, Move m) {
    for (Move x : list)
        if (x == m) return true;
    return false;
}

void reference_walk(const Record& r, RecordNodeId id, Position& pos, std::int16_t score, std::uint16_t depth,
                    Filed& out) {
    for (RecordNodeId child : record_children(r, id)) {
        const RecordNode& node = record_node(r, child);
        if (node.kind != NodeKind::Move) continue;
        MoveList legal;
        generate_legal(pos, legal);
        ASSERT_TRUE(list_contains(legal, node.move));
        const EngineInfo* info = node.annotations.engine_info.get();
        out.push_back({pos.key, BookMove{node.move, info && info->eval ? *info->eval : score,
                                         info && info->depth ? *info->depth : depth}});
        const Move32 m = position_move_to_move32(pos, node.move);
        position_do_move(pos, m);
        reference_walk(r, child, pos, score, depth, out);
        (void)position_undo_move(pos, m);
    }
}

BookMap grouped(const Filed& filed) {
    BookMap out;
    for (const auto& [key, m] : filed) out[key].push_back(m);
    return out;
}

void expect_book(const MemoryBook& book, const BookMap& want) {
    ASSERT_EQ(book.size(), want.size());
    for (const auto& [key, moves] : want) {
        const auto entry = book.get(key);
        ASSERT_TRUE(entry) << key;
        EXPECT_EQ(entry->moves, moves) << key;
    }
}

struct TreeCase {
    const char* name;
    std::optional<std::string> start;
    std::uint64_t seed;
};

std::ostream& operator<<(std::ostream& os, const TreeCase& c) { return os << c.name; }

class BookBuilderTree : public ::testing::TestWithParam<TreeCase> {};

TEST_P(BookBuilderTree, FilesWhatADepthFirstWalkFiles) {
    const TreeCase& c = GetParam();
    std::mt19937_64 rng(c.seed);
    for (int round = 0; round < 8; ++round) {
        Record r = *record_new(c.start);
        Position pos = sfen(c.start.value_or(std::string(STARTPOS_SFEN)));
        int budget = 400;
        grow(r, r.root, pos, 0, budget, rng);
        if (!c.start) add_transposition(r);
        const auto score = static_cast<std::int16_t>(rng());
        const auto depth = static_cast<std::uint16_t>(rng());
        Filed filed;
        reference_walk(r, r.root, pos, score, depth, filed);
        if (HasFatalFailure()) return;
        const BookMap want = grouped(filed);
        ASSERT_LT(want.size(), filed.size()) << "no position was reached twice";

        const auto book = book_builder_from_game_record(r, score, depth);
        ASSERT_TRUE(book) << book_error_display(book.error());
        expect_book(*book, want);

        // Into a builder that already holds moves: they come first under their key.
        BookBuilder builder;
        const BookMove first{1, 2, 3};
        builder.insert(filed[0].first, first);
        ASSERT_TRUE(builder.extend_from_game_record(r, score, depth));
        BookMap with_first = want;
        with_first[filed[0].first].insert(with_first[filed[0].first].begin(), first);
        expect_book(builder.into_memory(), with_first);
        EXPECT_EQ(builder.into_memory().size(), 0u);

        // The static book holds each key's moves best first, equal records in order.
        ASSERT_TRUE(builder.extend_from_game_record(r, score, depth));
        BookMap sorted = want;
        for (auto& [key, moves] : sorted)
            std::stable_sort(moves.begin(), moves.end(), [](const BookMove& a, const BookMove& b) {
                return std::tuple(-a.score, -a.depth, a.mv) < std::tuple(-b.score, -b.depth, b.mv);
            });
        EXPECT_EQ(static_book_to_bytes(builder.build_static()), book_file(sorted));
        EXPECT_EQ(builder.build_static(), StaticBook{});
    }
}

INSTANTIATE_TEST_SUITE_P(Trees, BookBuilderTree,
                         ::testing::Values(TreeCase{"standard_start", std::nullopt, 21},
                                           TreeCase{"two_piece_handicap", std::string(handicap_sfen(7)), 22},
                                           TreeCase{"pieces_in_hand_white_to_move", std::string(MATSURI), 23}),
                         [](const auto& info) { return std::string(info.param.name); });

std::string walk_error(const Record& r, BookBuilder& builder) {
    const auto walked = builder.extend_from_game_record(r, 0, 0);
    return walked ? "(ok)" : book_error_display(walked.error());
}

TEST(BookBuilder, IllegalMoveStopsTheWalkAndKeepsWhatCameBefore) {
    // The main line's second move: node 2 (the root is 0), ply 2.
    const Record main = record_of(std::nullopt, {"7g7f", "7g7f", "3c3d"}, {10}, std::nullopt);
    BookBuilder builder;
    EXPECT_EQ(walk_error(main, builder), "invalid data: traversal failed: illegal move at node 2 (ply 2)");
    const MemoryBook kept = builder.into_memory();
    EXPECT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept.get(position_startpos().key)->moves, (std::vector<BookMove>{{*move_from_usi("7g7f"), 10, 0}}));
    EXPECT_FALSE(book_builder_from_game_record(main, 0, 0));

    // Deep in a variation, after the whole main line: everything before it stays filed.
    Record r = record_of(std::nullopt, {"7g7f", "3c3d", "2g2f"}, {1}, special(SpecialMoveKind::Resign, GameResult(0)));
    const RecordNodeId v1 = *record_append_move(r, 2, *move_from_usi("8c8d"), {});
    const RecordNodeId v2 = *record_append_move(r, v1, *move_from_usi("2g2f"), {});
    const RecordNodeId bad = *record_append_move(r, v2, *move_from_usi("8d8c"), {});
    (void)record_append_move(r, bad, *move_from_usi("1g1f"), {});
    EXPECT_EQ(walk_error(r, builder),
              "invalid data: traversal failed: illegal move at node " + std::to_string(bad - 1) + " (ply 4)");
    EXPECT_EQ(builder.into_memory().move_count(), 5u);

    // A special move stands in no position.
    const Record resigned = record_of(std::nullopt, {"7g7f", "resign"}, {}, std::nullopt);
    EXPECT_EQ(walk_error(resigned, builder), "invalid data: traversal failed: illegal move at node 2 (ply 2)");
}

TEST(BookBuilder, UnreadableStartFilesNothing) {
    Record r = *record_new(std::string("lnsgkgsnl/9/9 x - 1"));
    (void)record_append_move(r, r.root, *move_from_usi("7g7f"), {});
    BookBuilder builder;
    const std::string text = walk_error(r, builder);
    EXPECT_EQ(text, "invalid data: invalid init sfen: " + sfen_error_debug(position_from_sfen("lnsgkgsnl/9/9 x - 1").error()));
    EXPECT_EQ(builder.into_memory().size(), 0u);
}

TEST(BookBuilder, RecordsWithoutMovesFileNothing) {
    Record r = record_of(std::nullopt, {}, {}, special(SpecialMoveKind::Resign, GameResult(1)));
    const auto book = book_builder_from_game_record(r, 0, 0);
    ASSERT_TRUE(book);
    EXPECT_EQ(book->size(), 0u);
}

TEST(BookBuilder, StaticOrderIsBestFirstAndMemoryKeepsInsertionOrder) {
    const BookMove a{10, 10, 5}, b{11, 10, 7}, c{12, 20, 1}, d{9, 10, 7}, e{11, 10, 7};
    BookBuilder builder;
    for (const BookMove& m : {a, b, c, d, e}) builder.insert(42, m);
    builder.insert(7, a);
    const MemoryBook memory = builder.into_memory();
    EXPECT_EQ(memory.get(42)->moves, (std::vector<BookMove>{a, b, c, d, e}));
    EXPECT_EQ(memory.size(), 2u);

    for (const BookMove& m : {a, b, c, d, e}) builder.insert(42, m);
    builder.insert(7, a);
    const StaticBook book = builder.build_static();
    EXPECT_EQ(book.keys(), (std::vector<std::uint64_t>{7, 42}));
    EXPECT_EQ(book.get(42)->moves, (std::vector<BookMove>{c, d, b, e, a}));
    EXPECT_EQ(static_book_to_bytes(builder.build_static()), book_file(BookMap{}));

    // By position: the key is the position's, the move is not looked at.
    const Position pos = sfen(MATSURI);
    builder.insert_for_position(pos, BookMove{MOVE_RESIGN, -1, 2});
    EXPECT_EQ(builder.into_memory().get(pos.key)->moves, (std::vector<BookMove>{{MOVE_RESIGN, -1, 2}}));
}

// Long runs of moves under one key: the order holds past the short-run sort.
TEST(BookBuilder, LongRunsSortStably) {
    std::mt19937_64 rng(24);
    BookBuilder builder;
    std::vector<BookMove> run;
    for (int i = 0; i < 500; ++i) {
        const BookMove m{static_cast<Move>(rng() % 4), static_cast<std::int16_t>(rng() % 5 - 2),
                         static_cast<std::uint16_t>(rng() % 3)};
        run.push_back(m);
        builder.insert(3, m);
    }
    std::stable_sort(run.begin(), run.end(), [](const BookMove& a, const BookMove& b) {
        return std::tuple(-a.score, -a.depth, a.mv) < std::tuple(-b.score, -b.depth, b.mv);
    });
    EXPECT_EQ(builder.build_static().moves(), run);
}

// Two kings walking to and fro: 100,000 plies over four positions.
TEST(BookBuilder, LineOfAHundredThousandPlies) {
    Record r = *record_new(std::string("4k4/9/9/9/9/9/9/9/4K4 b - 1"));
    const Move steps[] = {*move_from_usi("5i5h"), *move_from_usi("5a5b"), *move_from_usi("5h5i"), *move_from_usi("5b5a")};
    RecordNodeId at = r.root;
    for (int i = 0; i < 100000; ++i) at = *record_append_move(r, at, steps[i % 4], {});
    const auto book = book_builder_from_game_record(r, 1, 2);
    ASSERT_TRUE(book) << book_error_display(book.error());
    EXPECT_EQ(book->size(), 4u);
    EXPECT_EQ(book->move_count(), 100000u);
    EXPECT_EQ(book->get(sfen("4k4/9/9/9/9/9/9/9/4K4 b - 1").key)->moves.size(), 25000u);
}

}  // namespace
}  // namespace korvan::test
