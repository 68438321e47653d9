// The wire rules of SBK files, read by both readers alike: varints with the tenth-byte
// rule, keys, skips and texts, and the error texts of the open scan and of the state
// decoder; the move codes.

#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "core/board/movegen/movegen.h"
#include "core/board/position/parser.h"
#include "core/board/position/updates.h"
#include "core/book/sbk_book.h"
#include "core/book/sbk_wire.h"
#include "core/util/utf8_check.h"
#include "core/util/text.h"
#include "sbk_writer.h"

namespace korvan::test {
namespace {

namespace w = sbk_writer;

struct VarintCase {
    const char* name;
    Bytes bytes;
    std::optional<std::uint64_t> value;  // or the error below
    const char* error;
};

class SbkVarint : public ::testing::TestWithParam<VarintCase> {};

// The in-memory reader and the buffered stream give the same value or the same error.
TEST_P(SbkVarint, BothReadersAgree) {
    const VarintCase& c = GetParam();
    WireReader memory(c.bytes);
    BookSource source = BookSource::from_bytes(c.bytes);
    WireStream stream(source);
    const auto a = memory.varint();
    const auto b = stream.varint();
    if (c.value) {
        ASSERT_TRUE(a && b);
        EXPECT_EQ(*a, *c.value);
        EXPECT_EQ(*b, *c.value);
        EXPECT_EQ(memory.position(), stream.position());
    } else {
        ASSERT_FALSE(a);
        ASSERT_FALSE(b);
        EXPECT_EQ(a.error(), BookError::invalid_format(c.error));
        EXPECT_EQ(b.error(), a.error());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SbkVarint,
    ::testing::Values(
        VarintCase{"Zero", {0x00}, 0, nullptr}, VarintCase{"TwoBytes", {0xAC, 0x02}, 300, nullptr},
        VarintCase{"AllOnes", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01}, ~std::uint64_t{0}, nullptr},
        VarintCase{"TenthByteGivesOnlyBit63",
                   {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x7F},
                   std::uint64_t{1} << 63,
                   nullptr},
        VarintCase{"TenthByteZero", {0x81, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x00}, 1, nullptr},
        VarintCase{"TenthByteContinues",
                   {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0x01},
                   std::nullopt,
                   "protobuf varint is too long"},
        VarintCase{"Empty", {}, std::nullopt, "truncated protobuf"},
        VarintCase{"CutAfterContinuation", {0x80, 0x80}, std::nullopt, "truncated protobuf"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SbkWire, Keys) {
    EXPECT_EQ(wire_key(0x7ffffffffull)->field, 0xffffffffu);
    EXPECT_EQ(wire_key(0x7ffffffffull)->type, 7);
    EXPECT_EQ(wire_key(0x800000000ull).error(), BookError::invalid_format("field too large"));
    for (std::uint64_t raw = 0; raw < 8; ++raw)
        EXPECT_EQ(wire_key(raw).error(), BookError::invalid_format("protobuf field number must be non-zero"));
    EXPECT_EQ(wire_key(8)->field, 1u);
}

TEST(SbkWire, Utf8CheckRefusesWhatStrictDecodersRefuse) {
    EXPECT_TRUE(is_valid_utf8(""));
    EXPECT_TRUE(is_valid_utf8("plain ascii text, long enough for the word loop"));
    EXPECT_TRUE(is_valid_utf8("\xE5\xAE\x9A\xE8\xB7\xA1 \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF \xC2\x80"));
    for (std::string_view bad : {"\x80", "\xC0\xAF", "\xC1\xBF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF0\x80\x80\x80",
                                 "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xE5\xAE", "abc\xFF", "\xE5\x41\x9A"})
        EXPECT_FALSE(is_valid_utf8(bad)) << debug_str(bad);
}

struct BadFileCase {
    const char* name;
    Bytes bytes;
    std::string text;  // the error's display text
};

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes varint_bytes(std::uint64_t v) {
    Bytes out;
    w::varint(out, v);
    return out;
}

Bytes key_bytes(std::uint64_t field, unsigned type) { return varint_bytes(field << 3 | type); }

// A state field whose payload bytes are given.
Bytes state_field(const Bytes& payload) {
    Bytes out;
    w::bytes_field(out, 3, payload);
    return out;
}

Bytes empty_state_field() { return state_field(w::state_message(SbkState{})); }

std::vector<BadFileCase> bad_files() {
    const Bytes ten_ff = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x80};
    Bytes sfen_bad_turn, sfen_three_kings, bad_comment, bad_eval_text, cut_fixed_in_move, group_in_eval;
    w::bytes_field(sfen_bad_turn, 7, std::string_view("9/9/9/9/9/9/9/9/9 x - 1"));
    w::bytes_field(sfen_three_kings, 7, std::string_view("kkk6/9/9/9/9/9/9/9/4K4 b - 1"));
    w::bytes_field(bad_comment, 8, std::string_view("\xC3\x28"));
    SbkEval eval;
    eval.engine_name = std::string("\xFF");
    w::bytes_field(bad_eval_text, 10, w::eval_message(eval));
    w::bytes_field(cut_fixed_in_move, 9, cat({key_bytes(5, 1), Bytes(7, 0)}));
    w::bytes_field(group_in_eval, 10, key_bytes(7, 3));
    const std::string turn_error = [] {
        auto pos = position_from_sfen("9/9/9/9/9/9/9/9/9 x - 1");
        return sfen_error_display(pos.error());
    }();
    const std::string kings_error = [] {
        auto fields = parse_sfen_fields("kkk6/9/9/9/9/9/9/9/4K4 b - 1");
        Position pos;
        position_set(pos, *fields);
        return position_to_packed_sfen(pos).error();
    }();
    const std::string format = "invalid book format: ";
    return {
        {"Empty", {}, format + "sbk contains no states"},
        {"OnlyTexts", cat({key_bytes(1, 2), {1, 'a'}, key_bytes(2, 2), {0}}), format + "sbk contains no states"},
        {"CutKey", {0x80}, format + "truncated protobuf"},
        {"CutStateLength", key_bytes(3, 2), format + "truncated protobuf"},
        {"TenthByteContinues", ten_ff, format + "protobuf varint is too long"},
        {"KeyPast32BitFields", varint_bytes(0x800000000ull), format + "field too large"},
        {"FieldZero", {0x02, 0x00}, format + "protobuf field number must be non-zero"},
        {"GroupStart", cat({empty_state_field(), key_bytes(12, 3)}), "unsupported feature: unsupported protobuf wire type"},
        {"GroupEnd", key_bytes(12, 4), "unsupported feature: unsupported protobuf wire type"},
        {"WireType6", key_bytes(12, 6), "unsupported feature: unsupported protobuf wire type"},
        {"WireType7InsideState", state_field(key_bytes(2, 7)), "unsupported feature: unsupported protobuf wire type"},
        {"LengthOverflow", cat({key_bytes(12, 2), varint_bytes(~std::uint64_t{0})}), format + "protobuf length overflow"},
        {"StatePastFile", cat({key_bytes(3, 2), {5, 0x08, 0x01}}), format + "truncated length-delimited field"},
        {"Fixed64PastFile", cat({empty_state_field(), key_bytes(12, 1), Bytes(7, 0)}), format + "truncated length-delimited field"},
        {"Fixed32PastFile", cat({empty_state_field(), key_bytes(12, 5), Bytes(3, 0)}), format + "truncated length-delimited field"},
        // The state holds 4 bytes; its inner field claims 5 more, inside the file.
        {"FieldPastState", cat({key_bytes(3, 2), {4}, key_bytes(7, 2), {5, 'a', 'b'}, Bytes(10, 0)}),
         format + "protobuf field exceeds state payload"},
        {"IdVarintPastState", cat({key_bytes(3, 2), {2, 0x08, 0x80, 0x01}, empty_state_field()}),
         format + "protobuf field exceeds state payload"},
        {"Fixed32PastState", cat({key_bytes(3, 2), {3, 0x15, 0, 0, 0, 0}, empty_state_field()}),
         format + "protobuf field exceeds state payload"},
        {"InnerLengthOverflow", state_field(cat({key_bytes(7, 2), varint_bytes(~std::uint64_t{0})})),
         format + "protobuf length overflow"},
        {"InnerSkipTooLarge", state_field(cat({key_bytes(7, 2), varint_bytes(std::uint64_t{1} << 63)})),
         format + "protobuf length is too large"},
        {"AuthorNotUtf8", cat({key_bytes(1, 2), {2, 0xC3, 0x28}, empty_state_field()}), format + "protobuf string is not UTF-8"},
        {"CommentNotUtf8", state_field(bad_comment), format + "protobuf string is not UTF-8"},
        {"EngineNameNotUtf8", state_field(bad_eval_text), format + "protobuf string is not UTF-8"},
        {"Fixed64PastMove", state_field(cut_fixed_in_move), format + "truncated length-delimited field"},
        {"GroupInsideEval", state_field(group_in_eval), "unsupported feature: unsupported protobuf wire type"},
        {"StateSfenDoesNotParse", state_field(sfen_bad_turn), "invalid data: invalid sbk state SFEN: " + turn_error},
        {"StateSfenDoesNotPack", state_field(sfen_three_kings), "invalid data: invalid sbk state SFEN: " + kings_error},
    };
}

class SbkBadFile : public ::testing::TestWithParam<BadFileCase> {};

TEST_P(SbkBadFile, RefusedWithItsText) {
    const auto book = SbkBook::from_bytes(GetParam().bytes);
    ASSERT_FALSE(book);
    EXPECT_EQ(book_error_display(book.error()), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, SbkBadFile, ::testing::ValuesIn(bad_files()),
                         [](const auto& info) { return std::string(info.param.name); });

// Skipping in the file: over a payload longer than the buffer, and across its edge.
TEST(SbkWire, ScanSeeksOverLongPayloadsAndKeepsTheFirstId) {
    Bytes file;
    w::bytes_field(file, 1, std::string(20000, 'a'));
    std::vector<SbkStateRow> expected;
    std::mt19937_64 rng(5);
    for (int i = 0; i < 200; ++i) {
        Bytes payload;
        w::bytes_field(payload, 8, std::string(rng() % 9000, 'c'));
        w::int_field(payload, 1, i - 3);  // the first id, ten bytes when negative
        w::int_field(payload, 1, 1000 + i);
        w::bytes_field(payload, 15, std::string(rng() % 100, 'x'));
        w::key(file, 3, 2);
        w::varint(file, payload.size());
        expected.push_back({true, static_cast<std::uint32_t>(i - 3), file.size(), payload.size()});
        file.insert(file.end(), payload.begin(), payload.end());
        w::key(file, 20, 1);
        file.insert(file.end(), 8, 0);
        w::bytes_field(file, 3, Bytes{});
        expected.push_back({false, 0, file.size(), 0});
    }
    BookSource source = BookSource::from_bytes(file);
    const auto scan = sbk_scan(source);
    ASSERT_TRUE(scan);
    EXPECT_EQ(scan->rows, expected);
    EXPECT_EQ(scan->author, std::string(20000, 'a'));
    EXPECT_EQ(scan->description, std::nullopt);
    Bytes buffer;
    const auto state = sbk_read_state(source, scan->rows, 4, buffer);
    ASSERT_TRUE(state);
    EXPECT_EQ(state->state_id, 1002);
    const auto missing = sbk_read_state(source, scan->rows, scan->rows.size(), buffer);
    EXPECT_EQ(book_error_display(missing.error()), "invalid data: missing sbk state 400");
}

// Every state field, with unknown fields, listed fields of other wire types, a packed
// repeated field and repeated scalars (the last wins) mixed in.
TEST(SbkWire, DecodesEveryFieldAndSkipsTheRest) {
    SbkState want;
    want.state_id = -1;
    want.games = 2147483647;
    want.won_black = -2147483647 - 1;
    want.won_white = 0;
    want.sfen = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1";
    want.comment = "\xE5\xAE\x9A\xE8\xB7\xA1";
    want.moves = {SbkStateMove{30327, 2, std::nullopt, 7}, SbkStateMove{}, SbkStateMove{-5, std::nullopt, -1, -1}};
    want.evals = {SbkEval{-300, 20, 31, std::int64_t{1} << 40, "7g7f 3c3d", "engine"}, SbkEval{}};
    Bytes payload;
    w::int_field(payload, 4, 77);  // replaced below
    w::bytes_field(payload, 1, std::string_view("not a varint"));
    w::key(payload, 4, 5);
    payload.insert(payload.end(), 4, 0xEE);
    w::bytes_field(payload, 9, Bytes{0x0A, 0x02, 0x01, 0x02});  // packed field 1 inside a move: skipped
    const Bytes rest = w::state_message(want);
    want.moves.insert(want.moves.begin(), SbkStateMove{});
    payload.insert(payload.end(), rest.begin(), rest.end());
    w::key(payload, 99, 1);
    payload.insert(payload.end(), 8, 0x11);
    const auto got = sbk_decode_state(payload);
    ASSERT_TRUE(got);
    EXPECT_EQ(*got, want);
    const auto links = sbk_decode_state(payload, SbkDetail::Links);
    ASSERT_TRUE(links);
    EXPECT_EQ(links->moves, want.moves);
    EXPECT_EQ(links->sfen, want.sfen);
    EXPECT_EQ(links->comment, std::nullopt);
    EXPECT_TRUE(links->evals.empty());
}

struct MoveCodeCase {
    const char* name;
    std::int32_t code;
    const char* usi;  // or the error
};

class SbkMoveCode : public ::testing::TestWithParam<MoveCodeCase> {};

TEST_P(SbkMoveCode, ConvertsOrNamesTheCode) {
    const auto& c = GetParam();
    const auto got = sbk_move_to_move(c.code);
    if (got) {
        EXPECT_EQ(move_display_usi(*got), c.usi);
    } else {
        EXPECT_EQ("invalid data: " + got.error().detail, c.usi);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SbkMoveCode,
    ::testing::Values(MoveCodeCase{"BoardMove", 0x7677, "7g7f"}, MoveCodeCase{"Promotion", 0x87677, "7g7f+"},
                      MoveCodeCase{"Drop", 0x01007600, "P*7f"}, MoveCodeCase{"RookDrop", 0x07001100, "R*1a"},
                      MoveCodeCase{"WhiteDropWithSideBit", static_cast<std::int32_t>(0x95005500u), "G*5e"},
                      MoveCodeCase{"DestinationFileZero", 0x600, "invalid data: invalid SBK move destination: 0x00000600"},
                      MoveCodeCase{"DestinationRankTen", 0x1A11, "invalid data: invalid SBK move destination: 0x00001a11"},
                      MoveCodeCase{"DropPieceEight", 0x08007600, "invalid data: invalid SBK drop piece: 0x08007600"},
                      MoveCodeCase{"DropPieceZero", static_cast<std::int32_t>(0x80007600u),
                                   "invalid data: invalid SBK drop piece: 0x80007600"},
                      MoveCodeCase{"SourceRankZeroIsNoDrop", 0x7670, "invalid data: invalid SBK move source: 0x00007670"},
                      MoveCodeCase{"SourceFileTen", 0x76A7, "invalid data: invalid SBK move source: 0x000076a7"}),
    [](const auto& info) { return std::string(info.param.name); });

// Every legal move along seeded playouts, written with its piece and side bits, reads
// back as itself.
TEST(SbkMoveCode, RoundTripOverPlayouts) {
    std::mt19937_64 rng(2024);
    std::size_t checked = 0;
    for (int game = 0; game < 40; ++game) {
        Position pos = position_startpos();
        for (int ply = 0; ply < 120; ++ply) {
            const std::vector<Move32> moves = generate_legal_moves(pos);
            if (moves.empty()) break;
            for (Move32 m : moves) {
                const std::int32_t code = w::move_code(m, pos.side_to_move);
                EXPECT_EQ(code < 0, pos.side_to_move == WHITE);
                const auto back = sbk_move_to_move(code);
                ASSERT_TRUE(back) << move_display_usi(m);
                ASSERT_EQ(*back, move16(m));
                ++checked;
            }
            position_do_move(pos, moves[rng() % moves.size()]);
        }
    }
    EXPECT_GT(checked, 100000u);
}

}  // namespace
}  // namespace korvan::test
