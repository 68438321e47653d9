// SBK books opened and looked up: the walk (roots, links, SFENs that win, duplicates,
// illegal, cyclic and dangling links), the counts, the progress calls, every lookup,
// generated books read back whole, and a file changed or removed after the open.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <random>

#include "book_support.h"
#include "core/board/position/parser.h"
#include "core/book/sbk_book.h"
#include "core/containers/file_io.h"
#include "sbk_writer.h"

namespace korvan::test {
namespace {

namespace w = sbk_writer;

const std::string START = std::string(STARTPOS_SFEN);
constexpr std::int32_t P7G7F = 0x7677, P3C3D = static_cast<std::int32_t>(0x91003433u), P2G2F = 0x2627;

SbkState state(std::optional<std::int32_t> id, std::vector<SbkStateMove> moves = {},
               std::optional<std::string> sfen = std::nullopt) {
    SbkState s;
    s.state_id = id;
    s.moves = std::move(moves);
    s.sfen = std::move(sfen);
    return s;
}

SbkStateMove link(std::int32_t code, std::optional<std::int32_t> next) {
    return SbkStateMove{code, std::nullopt, std::nullopt, next};
}

SbkBook open_book(const std::vector<SbkState>& states, const SbkProgress& progress = {}) {
    auto book = SbkBook::from_bytes(w::sbk_file(states), progress);
    if (!book) throw std::runtime_error(book_error_display(book.error()));
    return std::move(*book);
}

std::optional<SbkEntry> at(const SbkBook& book, std::uint64_t index) {
    auto got = book.lookup_state_index(index);
    if (!got) throw std::runtime_error(book_error_display(got.error()));
    return *got;
}

std::optional<std::uint64_t> index_by_sfen(const SbkBook& book, const std::string& sfen) {
    auto got = book.lookup_sfen(sfen);
    if (!got) throw std::runtime_error(book_error_display(got.error()));
    if (!*got) return std::nullopt;
    return (*got)->state_index;
}

TEST(SbkBook, LoneStateIsTheStartPosition) {
    const SbkBook book = open_book({SbkState{}});
    EXPECT_EQ(book.size(), 1u);
    const auto entry = at(book, 0);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->sfen, START);
    EXPECT_EQ(entry->state_id, std::nullopt);
    EXPECT_TRUE(entry->moves.empty());
    EXPECT_EQ(at(book, 1), std::nullopt);
    EXPECT_EQ(book.diagnostics().unresolved_next_states, 0u);
}

// The walk's rules in one book:
//   0 (id 1): 7g7f -> id 2; 2g2f -> id 2 (queued twice: the first path wins);
//             2g2f -> id 9 (no such id); 3c3d -> id 2 (illegal for Black)
//   1 (id 2): 3c3d -> id 3; 7g7f -> id 4 (illegal: 7g is empty by now)
//   2 (id 3): 7g7f -> id 1 (visited: a cycle), 2g2f -> id 3 (itself)
//   3 (id 3 again: never found by id), with an SFEN; reached by nothing
//   4 (id 4): only an illegal move leads here
//   5 (id -1): own SFEN, the same position as state 2: a duplicate
//   6 (id 6): reached from state 5 with an illegal move
TEST(SbkBook, WalkFollowsLegalLinksBreadthFirst) {
    const std::string after_3c3d = "lnsgkgsnl/1r5b1/pppppp1pp/6p2/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL b - 3";
    std::vector<SbkState> states = {
        state(1, {link(P7G7F, 2), link(P2G2F, 2), link(P2G2F, 9), link(P3C3D, 2)}),
        state(2, {link(P3C3D, 3), link(P7G7F, 4)}),
        state(3, {link(P7G7F, 1), link(P2G2F, 3)}),
        state(3, {}, "9/9/9/9/4k4/9/9/9/4K4 b G 17"),
        state(4),
        state(-1, {link(P7G7F, 6)}, "lnsgkgsnl/1r5b1/pppppp1pp/6p2/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL b - 40"),
        state(6),
    };
    std::vector<SbkOpenProgress> calls;
    const SbkBook book = open_book(states, [&](const SbkOpenProgress& p) {
        calls.push_back(p);
        return true;
    });
    // Indexed: 0, 1, 2 (the walk from 0), then roots 3 and 5.
    ASSERT_EQ(calls.size(), 5u);
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].indexed_states, i + 1);
        EXPECT_EQ(calls[i].total_states, 7u);
    }
    EXPECT_EQ(book.diagnostics().duplicate_positions, 1u);
    EXPECT_EQ(book.diagnostics().unresolved_next_states, 2u);
    EXPECT_EQ(book.size(), 4u);

    EXPECT_EQ(at(book, 1)->sfen, "lnsgkgsnl/1r5b1/ppppppppp/9/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL w - 2");
    EXPECT_EQ(at(book, 2)->sfen, after_3c3d);
    EXPECT_EQ(at(book, 3)->sfen, "9/9/9/9/4k4/9/9/9/4K4 b G 17");
    EXPECT_EQ(at(book, 4), std::nullopt);
    EXPECT_EQ(at(book, 5)->sfen, "lnsgkgsnl/1r5b1/pppppp1pp/6p2/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL b - 40");
    EXPECT_EQ(at(book, 6), std::nullopt);
    // By position the first indexed of the two wins, whatever the ply asked.
    EXPECT_EQ(index_by_sfen(book, after_3c3d), 2u);
    EXPECT_EQ(index_by_sfen(book, "lnsgkgsnl/1r5b1/pppppp1pp/6p2/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL b - 99"), 2u);
    EXPECT_EQ(index_by_sfen(book, "9/9/9/9/4k4/9/9/9/4K4 b G 1"), 3u);
    EXPECT_EQ(index_by_sfen(book, "9/9/9/9/4k4/9/9/9/4K4 w G 1"), std::nullopt);

    // By id: the first state with an id keeps it; -1 and an unindexed state give nothing.
    for (auto [id, index] : std::vector<std::pair<std::int32_t, std::optional<std::uint64_t>>>{
             {1, 0}, {2, 1}, {3, 2}, {4, std::nullopt}, {6, std::nullopt}, {-1, std::nullopt}, {9, std::nullopt}}) {
        const auto got = book.lookup_state_id(id);
        ASSERT_TRUE(got);
        EXPECT_EQ(got->has_value() ? std::optional<std::uint64_t>((*got)->state_index) : std::nullopt, index) << id;
    }
    // Children go through the parent's moves.
    const SbkEntry root = *at(book, 0);
    ASSERT_EQ(root.moves.size(), 4u);
    EXPECT_EQ((*book.child_entry(root, 0))->state_index, 1u);
    EXPECT_EQ((*book.child_entry(root, 1))->state_index, 1u);
    EXPECT_EQ(*book.child_entry(root, 2), std::nullopt);
    EXPECT_EQ((*book.child_entry(root, 3))->state_index, 1u);
    EXPECT_EQ(*book.child_entry(root, 4), std::nullopt);
    SbkEntry no_link = root;
    no_link.moves[0].next_state_id.reset();
    EXPECT_EQ(*book.child_entry(no_link, 0), std::nullopt);
}

// A link into a state with its own SFEN leaves that position; a link to id -1 is never
// followed (negative ids are not indexed), so a state only it reaches stays unresolved.
TEST(SbkBook, OwnSfenWinsAndNegativeIdsLeadNowhere) {
    const std::string own = "9/9/9/9/4k4/9/9/9/4K4 b G 17";
    const SbkBook book = open_book({state(1, {link(P7G7F, 2), link(P2G2F, -1)}), state(2, {}, own), state(-1)});
    EXPECT_EQ(at(book, 1)->sfen, own);
    EXPECT_EQ(at(book, 2), std::nullopt);
    EXPECT_EQ(book.size(), 2u);
    EXPECT_EQ(book.diagnostics().unresolved_next_states, 1u);
    EXPECT_EQ(index_by_sfen(book, "lnsgkgsnl/1r5b1/ppppppppp/9/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL w - 2"), std::nullopt);
}

TEST(SbkBook, IdsAndEntryFields) {
    Bytes payload;
    w::int_field(payload, 1, 7);
    w::int_field(payload, 1, 8);  // decoded id, not indexed
    SbkState rest;
    rest.games = 10;
    rest.won_black = -1;
    rest.comment = "";
    rest.moves = {SbkStateMove{P7G7F, 1, 5, 8}, SbkStateMove{0x600, 1, 1, 1}, SbkStateMove{std::nullopt, 1, 1, 1},
                  SbkStateMove{P3C3D, std::nullopt, std::nullopt, std::nullopt}};
    rest.evals = {SbkEval{1, 2, 3, 4, "v", "e"}};
    const Bytes more = w::state_message(rest);
    payload.insert(payload.end(), more.begin(), more.end());
    Bytes file;
    w::bytes_field(file, 1, std::string_view("author"));
    w::bytes_field(file, 3, payload);
    w::bytes_field(file, 3, w::state_message(state(8)));
    w::bytes_field(file, 2, std::string_view("first"));
    w::bytes_field(file, 2, std::string_view("last"));
    const auto book = SbkBook::from_bytes(file);
    ASSERT_TRUE(book);
    EXPECT_EQ(book->author(), "author");
    EXPECT_EQ(book->description(), "last");
    const auto by_first_id = book->lookup_state_id(7);
    ASSERT_TRUE(by_first_id && *by_first_id);
    const SbkEntry& e = **by_first_id;
    EXPECT_EQ(e.state_id, 8);
    EXPECT_EQ(e.state_index, 0u);
    EXPECT_EQ(e.games, 10);
    EXPECT_EQ(e.won_black, -1);
    EXPECT_EQ(e.won_white, std::nullopt);
    EXPECT_EQ(e.comment, "");
    EXPECT_EQ(e.evals, rest.evals);
    // Moves without a code, or whose code does not convert, are left out; legality is
    // not asked.
    ASSERT_EQ(e.moves.size(), 2u);
    EXPECT_EQ(e.moves[0], (SbkMove{1, 5, 8, P7G7F, *move_from_usi("7g7f")}));
    EXPECT_EQ(e.moves[1], (SbkMove{std::nullopt, std::nullopt, std::nullopt, P3C3D, *move_from_usi("3c3d")}));
    // State 1 (id 8) is reached by 7g7f, and its id is its own.
    EXPECT_EQ((*book->lookup_state_id(8))->state_index, 1u);
    EXPECT_EQ((*book->child_entry(e, 0))->state_index, 1u);
}

TEST(SbkBook, SfenErrorsAndUnpackablePositions) {
    const SbkBook book = open_book({SbkState{}});
    const auto bad = book.lookup_sfen("9/9/9 b");
    ASSERT_FALSE(bad);
    EXPECT_EQ(book_error_display(bad.error()),
              "invalid data: " + sfen_error_display(position_from_sfen("9/9/9 b").error()));
    // Three kings cannot be packed, so no state of the book holds the position.
    const auto kings = book.lookup_sfen("kkk6/9/9/9/9/9/9/9/4K4 b - 1");
    ASSERT_TRUE(kings);
    EXPECT_EQ(*kings, std::nullopt);
    EXPECT_EQ(*book.lookup_position(*position_from_sfen("kkk6/9/9/9/9/9/9/9/4K4 b - 1")), std::nullopt);
    EXPECT_EQ((*book.lookup_position(position_startpos()))->state_index, 0u);
}

TEST(SbkBook, ProgressStopsTheOpen) {
    const std::vector<SbkState> states = {state(1, {link(P7G7F, 2)}), state(2)};
    int calls = 0;
    const auto stopped = SbkBook::from_bytes(w::sbk_file(states), [&](const SbkOpenProgress&) {
        ++calls;
        return false;
    });
    ASSERT_FALSE(stopped);
    EXPECT_EQ(stopped.error(), BookError::cancelled());
    EXPECT_EQ(calls, 1);
}

// Generated books read back: every state indexed at the position the playouts gave it,
// with its fields, found by index, id and position.
TEST(SbkBook, GeneratedBooksReadBackWhole) {
    for (std::uint64_t seed : {1u, 2u, 3u}) {
        const w::GeneratedBook generated = w::generate_book(600, seed);
        const SbkBook book = open_book(generated.states);
        EXPECT_EQ(book.size(), generated.states.size());
        EXPECT_EQ(book.diagnostics().duplicate_positions, 0u);
        EXPECT_EQ(book.diagnostics().unresolved_next_states, 0u);
        for (std::size_t i = 0; i < generated.states.size(); ++i) {
            const SbkState& s = generated.states[i];
            const auto entry = at(book, i);
            ASSERT_TRUE(entry);
            EXPECT_EQ(entry->sfen.substr(0, entry->sfen.rfind(' ')), generated.positions[i]);
            EXPECT_EQ(entry->state_id, s.state_id);
            EXPECT_EQ(entry->games, s.games);
            ASSERT_EQ(entry->moves.size(), s.moves.size());
            for (std::size_t k = 0; k < s.moves.size(); ++k) {
                EXPECT_EQ(entry->moves[k].raw_move, s.moves[k].raw_move);
                EXPECT_EQ(entry->moves[k].next_state_id, s.moves[k].next_state_id);
                EXPECT_EQ(entry->moves[k].weight, s.moves[k].weight);
            }
            EXPECT_EQ((*book.lookup_state_id(*s.state_id))->state_index, i);
            EXPECT_EQ(index_by_sfen(book, generated.positions[i] + " 1"), i);
        }
    }
}

TEST(SbkBook, LookupsRefuseAFileChangedOrRemoved) {
    ScratchDir dir;
    const std::string path = dir.file("book.sbk");
    const Bytes bytes = w::sbk_file({state(1, {link(P7G7F, 2)}), state(2)});
    ASSERT_TRUE(write_whole_file(path, bytes));
    const auto book = SbkBook::open(path);
    ASSERT_TRUE(book);
    EXPECT_EQ((*book->lookup_state_index(1))->state_id, 2);

    // Same size, other bytes, another time: the offsets no longer mean anything.
    Bytes other = bytes;
    other.back() ^= 1;
    ASSERT_TRUE(write_whole_file(path, other));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    const timespec later[2] = {{info.st_mtim.tv_sec + 7, 0}, {info.st_mtim.tv_sec + 7, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
    const auto changed = book->lookup_state_index(1);
    ASSERT_FALSE(changed);
    EXPECT_EQ(book_error_display(changed.error()), "invalid data: sbk file changed since it was opened");

    std::filesystem::remove(path);
    const auto removed = book->lookup_sfen(START);
    ASSERT_FALSE(removed);
    EXPECT_EQ(removed.error(), BookError::of_io(IoError{ENOENT, IoStep::Open}));
    // A lookup that finds nothing in the index reads nothing.
    EXPECT_EQ(*book->lookup_state_index(5), std::nullopt);

    const auto missing = SbkBook::open(dir.file("missing.sbk"));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().kind, BookErrorKind::Io);
}

}  // namespace
}  // namespace korvan::test
