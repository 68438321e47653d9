// The pack container: exact bytes, the outcome and end-reason rules, every error text,
// corrupt input and round trips of long random games.

#include <random>

#include "container_support.h"
#include "core/containers/pack.h"

namespace korvan::test {
namespace {

using S = SpecialMoveKind;
using R = PackEndReason;

constexpr const char* START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1";

Bytes encode_bytes(const Record& r) {
    auto encoded = encode_pack_record(r);
    if (!encoded) throw std::runtime_error(pack_error_display(encoded.error()));
    return pack_record_to_bytes(*encoded);
}

std::string encode_error(const Record& r) {
    auto encoded = encode_pack_record(r);
    return encoded ? "(encoded)" : pack_error_display(encoded.error());
}

std::string pack_decode_error(const Bytes& bytes) {
    auto decoded = decode_pack_records(bytes);
    return decoded ? "(decoded)" : pack_error_display(decoded.error());
}


TEST(Pack, WhiteResignsAtTheStartInFourBytes) {
    const Record r = record_of(std::nullopt, {}, {}, special(S::Resign, 0));
    EXPECT_EQ(encode_bytes(r), hex_bytes("01 81 00 00"));
}

TEST(Pack, MovesAreAperyWordsWithTheirEvaluations) {
    // 7g7f (from 60 to 59) and 3c3d (from 20 to 21); a drop later would add 80 to its source.
    const Record r = record_of(std::nullopt, {"7g7f", "3c3d"}, {120, -7}, special(S::Resign, 1));
    EXPECT_EQ(encode_bytes(r), hex_bytes("01 3b1e 7800 150a f9ff 0201 00"));
}

TEST(Pack, ADropAndAPromotionAsAperyWords) {
    const Record r = record_of(std::string("4k4/9/9/9/9/9/9/9/4K4 b P 1"), {"P*5e"}, {0},
                               special(S::Resign, 0));
    const Bytes bytes = encode_bytes(r);
    ASSERT_EQ(bytes.size(), 35u + 4 + 3);
    // Square 40, pawn: source field 81.
    EXPECT_EQ(bytes[35] | bytes[36] << 8, 81 << 7 | 40);
}

TEST(Pack, TheStandardBoardWithAnotherSideOrPlyCarriesItsPosition) {
    for (const char* sfen : {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
                             "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 3"}) {
        const Record r = record_of(std::string(sfen), {}, {}, special(S::Resign, 0));
        const Bytes bytes = encode_bytes(r);
        ASSERT_EQ(bytes.size(), 38u) << sfen;
        EXPECT_EQ(bytes[0], 0);
        const Position pos = test::sfen(sfen);
        const Packed32 hcp = *position_to_hcp(pos);
        EXPECT_TRUE(std::equal(hcp.begin(), hcp.end(), bytes.begin() + 1));
        EXPECT_EQ(bytes[33] | bytes[34] << 8, pos.ply);
    }
    // The standard start written out as its SFEN is still the standard start.
    EXPECT_EQ(encode_bytes(record_of(std::string(START), {}, {}, special(S::Resign, 0))).size(), 4u);
}

TEST(Pack, EvaluationsAreClampedToThirtyTwoThousand) {
    const Record r = record_of(std::nullopt, {"7g7f", "3c3d"}, {40000, -40000}, special(S::Resign, 0));
    const auto encoded = *encode_pack_record(r);
    EXPECT_EQ(encoded.moves[0].eval, 32000);
    EXPECT_EQ(encoded.moves[1].eval, -32000);
}

TEST(Pack, EncodingErrors) {
    const struct {
        Record record;
        const char* text;
    } cases[] = {
        {record_of(std::nullopt, {"7g7f"}, {0}, std::nullopt), "pack export requires a terminal result"},
        {record_of(std::nullopt, {}, {}, std::nullopt), "pack export requires a terminal result"},
        {record_of(std::nullopt, {}, {}, special(S::Interrupt, 3)), "pack export requires a terminal result"},
        {record_of(std::nullopt, {}, {}, special(S::Interrupt, 7)), "pack export requires a terminal result"},
        {record_of(std::nullopt, {}, {}, special(S::Resign, 11)), "pack export requires a terminal result"},
        {record_of(std::nullopt, {"7g7f"}, {}, special(S::Resign, 0)), "missing eval for record move 0"},
        {record_of(std::nullopt, {"7g7f", "7g7f"}, {1}, special(S::Resign, 0)),
         "illegal pack move at ply 1: 0x1e3b on lnsgkgsnl/1r5b1/ppppppppp/9/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL w - 2"},
        {record_of(std::string("lnsgkgsnl/9/9/9/9/9/9/9/9 z - 1"), {}, {}, special(S::Resign, 0)),
         "invalid turn: 'z'"},
        // A start position HuffmanCodedPos cannot hold is refused, never written.
        {record_of(std::string("9/9/9/9/9/9/9/9/4K4 b - 1"), {}, {}, special(S::Resign, 0)),
         "position cannot be encoded: a king is missing"},
        {record_of(std::string("4k4/9/9/9/9/9/9/9/4K4 b 19P 1"), {}, {}, special(S::Resign, 0)),
         "position cannot be encoded: more than a full set of PieceType(1) (19 > 18)"},
    };
    for (const auto& c : cases) EXPECT_EQ(encode_error(c.record), c.text);
    // PAUSED is a draw only for an interrupted game.
    EXPECT_EQ(encode_pack_record(record_of(std::nullopt, {}, {}, special(S::Interrupt, 11)))->result,
              PackResult::Draw);
}

TEST(Pack, OutcomeOfEveryResult) {
    for (int r : {0, 4, 8, 12, 16, 20})
        EXPECT_EQ(encode_pack_record(record_of(std::nullopt, {}, {}, special(S::Resign, r)))->result,
                  PackResult::BlackWin);
    for (int r : {1, 5, 9, 13, 17, 21})
        EXPECT_EQ(encode_pack_record(record_of(std::nullopt, {}, {}, special(S::Resign, r)))->result,
                  PackResult::WhiteWin);
    for (int r : {2, 6, 10})
        EXPECT_EQ(encode_pack_record(record_of(std::nullopt, {}, {}, special(S::Resign, r)))->result,
                  PackResult::Draw);
}

std::uint8_t reason_code(SpecialMove s, std::optional<std::string> impasse_rule = std::nullopt) {
    Record r = record_of(std::nullopt, {}, {}, std::move(s));
    r.metadata.impasse_rule = std::move(impasse_rule);
    auto encoded = encode_pack_record(r);
    if (!encoded) throw std::runtime_error(pack_error_display(encoded.error()));
    return encoded->end_reason.code;
}

TEST(Pack, EndReasonFromTheRawText) {
    EXPECT_EQ(reason_code(special(S::Resign, 0, {}, "pack:end_reason=draw_csa24")), 11);
    EXPECT_EQ(reason_code(special(S::Resign, 0, {}, "pack:end_reason=200")), 200);
    EXPECT_EQ(reason_code(special(S::Resign, 0, {}, "pack:end_reason=+7")), 7);
    EXPECT_EQ(reason_code(special(S::Resign, 0, {}, "pack:end_reason=repetition_check")), 6);
    // Ignored: the reason comes from the result and the kind.
    for (const char* raw : {"pack:end_reason=256", "pack:end_reason=+", "pack:end_reason=", "pack:end_reason=Resign",
                            "pack:end_reason=-1", "PACK:end_reason=draw"})
        EXPECT_EQ(reason_code(special(S::Timeout, 16, {}, std::string(raw))), R::TimeUp) << raw;
}

TEST(Pack, EndReasonFromTheResultAndTheKind) {
    const struct {
        SpecialMove s;
        std::optional<std::string> rule;
        std::uint8_t code;
    } cases[] = {
        {special(S::Resign, 2), {}, R::RepetitionDraw},
        {special(S::Try, 4), {}, R::WinTryRule},
        {special(S::WinByDeclaration, 4), std::string("CSARule24"), R::WinCsa24},
        {special(S::WinByDeclaration, 5), std::string("CSARule24H"), R::WinCsa24},
        {special(S::WinByDeclaration, 4), std::string("CSARule2"), R::WinCsa27},
        {special(S::WinByDeclaration, 5), std::string("TryRule"), R::WinTryRule},
        {special(S::WinByDeclaration, 4), std::string("TryRule "), R::WinCsa27},
        {special(S::WinByDeclaration, 4), {}, R::WinCsa27},
        {special(S::Resign, 6), {}, R::MaxMoves},
        {special(S::Resign, 10), {}, R::DrawCsa24},
        {special(S::Interrupt, 11), {}, R::Interrupt},
        {special(S::Resign, 12), {}, R::IllegalMove},
        {special(S::Resign, 17), {}, R::TimeUp},
        {special(S::Resign, 21), {}, R::WinTryRule},
        {special(S::Interrupt, 0), {}, R::Interrupt},
        {special(S::Resign, 1), {}, R::Resign},
        {special(S::MaxMoves, 0), {}, R::MaxMoves},
        {special(S::Impasse, 1), {}, R::DrawCsa24},
        {special(S::Draw, 0), {}, R::Resign},
        {special(S::RepetitionDraw, 1), {}, R::RepetitionDraw},
        {special(S::Mate, 0), {}, R::Resign},
        {special(S::NoMate, 0), {}, R::Resign},
        {special(S::Timeout, 8), {}, R::TimeUp},
        {special(S::WinByIllegalMove, 9), {}, R::IllegalMove},
        {special(S::LoseByIllegalMove, 0), {}, R::IllegalMove},
        {special(S::WinByDeclaration, 0), {}, R::WinCsa27},
        {special(S::WinByDefault, 8), {}, R::Resign},
        {special(S::LoseByDefault, 9), {}, R::Resign},
        {special(S::Try, 0), {}, R::WinTryRule},
        {special(S::Unknown, 1), {}, R::Resign},
    };
    for (const auto& c : cases)
        EXPECT_EQ(reason_code(c.s, c.rule), c.code) << SPECIAL_MOVE_KIND_NAMES[int(c.s.kind)] << " " << int(c.s.result);
}

TEST(Pack, DecodedTerminals) {
    const struct {
        const char* hex;
        S kind;
        int result;
        const char* raw;
    } cases[] = {
        {"01 8100 00", S::Resign, 0, "pack:end_reason=resign"},
        {"01 0201 00", S::Resign, 1, "pack:end_reason=resign"},
        {"01 0000 01", S::RepetitionDraw, 2, "pack:end_reason=draw"},
        {"01 8100 02", S::MaxMoves, 6, "pack:end_reason=max_moves"},
        {"01 0000 03", S::Interrupt, 11, "pack:end_reason=interrupt"},
        {"01 0201 04", S::Timeout, 17, "pack:end_reason=time_up"},
        {"01 8100 05", S::LoseByIllegalMove, 12, "pack:end_reason=illegal_move"},
        {"01 0201 06", S::LoseByIllegalMove, 13, "pack:end_reason=repetition_check"},
        {"01 8100 0a", S::WinByDeclaration, 4, "pack:end_reason=win_csa24"},
        {"01 0000 0b", S::Impasse, 10, "pack:end_reason=draw_csa24"},
        {"01 0201 0c", S::WinByDeclaration, 5, "pack:end_reason=win_csa27"},
        {"01 8100 0d", S::Try, 20, "pack:end_reason=win_try_rule"},
        {"01 8100 08", S::Unknown, 0, "pack:end_reason=8"},
        {"01 0201 ff", S::Unknown, 1, "pack:end_reason=255"},
        {"01 0000 08", S::Unknown, 11, "pack:end_reason=8"},
    };
    for (const auto& c : cases) {
        auto records = decode_pack_records(hex_bytes(c.hex));
        ASSERT_TRUE(records) << c.hex << ": " << pack_error_display(records.error());
        ASSERT_EQ(records->size(), 1u);
        const Record& r = records->front();
        EXPECT_EQ(r.init_position_sfen, std::optional<std::string>(START));
        const SpecialMove& t = terminal_special(r);
        EXPECT_EQ(t.kind, c.kind) << c.hex;
        EXPECT_EQ(t.result, c.result) << c.hex;
        EXPECT_EQ(t.raw, std::optional<std::string>(c.raw)) << c.hex;
    }
}

TEST(Pack, AReservedReasonTravelsUnchanged) {
    auto decoded = *decode_pack_records(hex_bytes("01 8100 08"));
    EXPECT_EQ(terminal_special(decoded[0]).unknown_name, "PACK_RESERVED_8");
    EXPECT_EQ(encode_bytes(decoded[0]), hex_bytes("01 8100 08"));
    // With the draw marker the result is PAUSED, which only an interruption may carry.
    auto drawn = *decode_pack_records(hex_bytes("01 0000 08"));
    EXPECT_EQ(encode_error(drawn[0]), "pack export requires a terminal result");
}

TEST(Pack, DecodingErrors) {
    const struct {
        const char* hex;
        const char* text;
    } cases[] = {
        {"02", "invalid pack start state: 2"},
        {"01 8301", "invalid pack terminal marker: 0x0183"},
        {"01 0080", "invalid pack terminal marker: 0x8000"},
        {"01 8100 00 02", "invalid pack start state: 2"},
        {"01 0000 01 01 0000", "truncated pack data"},
        {"01", "truncated pack data"},
        {"01 3b1e", "truncated pack data"},
        {"01 3b1e 00", "truncated pack data"},
        {"01 3b1e 0000 8100", "truncated pack data"},
        {"00 0000", "truncated pack data"},
        {"01 3b1e 0000 8100 0a 01 0201 00 01 0000 00", "inconsistent pack outcome: result=Draw, reason=Resign"},
        {"01 0000 04", "inconsistent pack outcome: result=Draw, reason=TimeUp"},
        {"01 0000 06", "inconsistent pack outcome: result=Draw, reason=RepetitionCheck"},
        // A board move whose source is past the board reads as a drop of no piece.
        {"01 7f7f 0000 8100 00", "invalid pack move at ply 0: 0x7f7f"},
        {"01 282c 0000 8100 00", "invalid pack move at ply 0: 0x2c28"},
        {"01 3b1e 0000 3b1e 0000 8100 00",
         "illegal pack move at ply 1: 0x1e3b on lnsgkgsnl/1r5b1/ppppppppp/9/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL w - 2"},
        // A pawn drop with no pawn in hand.
        {"01 a828 0000 8100 00",
         "illegal pack move at ply 0: 0x28a8 on lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"},
    };
    for (const auto& c : cases) EXPECT_EQ(pack_decode_error(hex_bytes(c.hex)), c.text) << c.hex;

    // A HuffmanCodedPos whose king field leaves the board.
    Bytes bad = hex_bytes("00");
    bad.resize(35, 0xFF);
    for (std::uint8_t b : hex_bytes("8100 00")) bad.push_back(b);
    EXPECT_EQ(pack_decode_error(bad), "invalid king square in HuffmanCodedPos: 127");
}

TEST(Pack, AStartPositionOverAFullSetReadsButIsNotWrittenBack) {
    // Found by fuzzing: this HuffmanCodedPos decodes to five golds, which the bits
    // allow and every encoder refuses.
    const auto records = decode_pack_records(hex_bytes("002381490986eb1565ff120e4f00421dfbff934e50001f0fc5ff8e0761000b05094d00020100"));
    ASSERT_TRUE(records) << pack_error_display(records.error());
    ASSERT_FALSE(records->empty());
    EXPECT_EQ(encode_error(records->front()), "position cannot be encoded: more than a full set of PieceType(7) (5 > 4)");
}

TEST(Pack, EveryCutOfAValidBufferIsTruncatedOrEndsAtARecord) {
    std::mt19937_64 rng(11);
    std::vector<Record> records;
    records.push_back(playout_record(START, 40, rng, special(S::Resign, 1)));
    records.push_back(playout_record("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 5", 30, rng,
                                     special(S::Interrupt, 11)));
    Bytes all;
    std::vector<std::size_t> ends;
    for (const Record& r : records) {
        append_pack_record_bytes(*encode_pack_record(r), all);
        ends.push_back(all.size());
    }
    for (std::size_t cut = 1; cut < all.size(); ++cut) {
        auto decoded = decode_pack_records(ByteSpan(all.data(), cut));
        if (std::find(ends.begin(), ends.end(), cut) != ends.end())
            EXPECT_TRUE(decoded) << cut;
        else
            EXPECT_EQ(decoded ? "(decoded)" : pack_error_display(decoded.error()), "truncated pack data") << cut;
    }
}

TEST(Pack, LongRandomGamesRoundTrip) {
    std::mt19937_64 rng(2024);
    const char* starts[] = {START, MATSURI, "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 9",
                            "ln1gkg1nl/6s2/p1ppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w rbs 1"};
    std::vector<Record> records;
    for (int round = 0; round < 3; ++round)
        for (const char* start : starts) records.push_back(playout_record(start, 480, rng, special(S::Resign, 0)));
    std::size_t long_games = 0;
    for (const Record& r : records) long_games += record_move_count(r) >= 450;
    EXPECT_GE(long_games, 3u);

    auto encoded = encode_pack_records(records);
    ASSERT_TRUE(encoded) << pack_error_display(encoded.error());
    Bytes bytes;
    for (const auto& e : *encoded) append_pack_record_bytes(e, bytes);
    auto decoded = decode_pack_records(bytes);
    ASSERT_TRUE(decoded) << pack_error_display(decoded.error());
    ASSERT_EQ(decoded->size(), records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Record& a = records[i];
        const Record& b = (*decoded)[i];
        const auto la = record_main_line_ids(a), lb = record_main_line_ids(b);
        ASSERT_EQ(la.size(), lb.size());
        for (std::size_t k = 0; k < la.size(); ++k) {
            EXPECT_EQ(record_node(a, la[k]).move, record_node(b, lb[k]).move);
            EXPECT_EQ(record_node(a, la[k]).annotations.engine_info->eval,
                      record_node(b, lb[k]).annotations.engine_info->eval);
        }
        EXPECT_EQ(terminal_special(b).result, 0);
        EXPECT_EQ(terminal_special(b).kind, S::Resign);
        // The start position and its ply survive.
        EXPECT_EQ(position_to_sfen(sfen(*b.init_position_sfen), sfen(*b.init_position_sfen).ply),
                  position_to_sfen(sfen(*a.init_position_sfen), sfen(*a.init_position_sfen).ply));
        // Writing the decoded record again gives the same bytes.
        EXPECT_EQ(encode_bytes(b), pack_record_to_bytes((*encoded)[i]));
    }
    EXPECT_TRUE(decode_pack_records(Bytes{})->empty());
}

}  // namespace
}  // namespace korvan::test
