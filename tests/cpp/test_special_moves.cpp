// The one table of special moves: what each format writes for a kind reads back as the
// kind (or as the kind the table says it reads as), and the pack column names the end
// reasons the pack container knows.

#include <gtest/gtest.h>

#include "core/containers/pack_error.h"
#include "core/records/special_moves.h"

using namespace korvan;

namespace {

using K = SpecialMoveKind;

constexpr SpecialFormat FORMATS[] = {SpecialFormat::Csa, SpecialFormat::Jkf, SpecialFormat::Kif, SpecialFormat::Usi};

// A written word that is not read as its own kind, and what it reads as instead (no
// value: not read at all; CSA and JKF name the illegal-action winner by a sign).
struct ReadAsOther {
    SpecialFormat format;
    K written;
    std::optional<K> read;
};
constexpr ReadAsOther READ_AS_OTHER[] = {
    {SpecialFormat::Csa, K::WinByIllegalMove, std::nullopt}, {SpecialFormat::Jkf, K::WinByIllegalMove, std::nullopt},
    {SpecialFormat::Csa, K::WinByDefault, K::WinByDeclaration}, {SpecialFormat::Jkf, K::WinByDefault, K::WinByDeclaration},
    {SpecialFormat::Csa, K::Try, K::WinByDeclaration},          {SpecialFormat::Jkf, K::Try, K::WinByDeclaration},
    {SpecialFormat::Csa, K::LoseByDefault, K::Resign},          {SpecialFormat::Jkf, K::LoseByDefault, K::Resign},
    {SpecialFormat::Kif, K::Mate, K::Resign},                   {SpecialFormat::Kif, K::Draw, std::nullopt},
    {SpecialFormat::Usi, K::Draw, K::RepetitionDraw},           {SpecialFormat::Usi, K::Try, K::WinByDeclaration},
};

TEST(SpecialMoves, EveryWrittenWordReadsBack) {
    for (SpecialFormat format : FORMATS) {
        for (int k = 0; k < SPECIAL_MOVE_KIND_NB; ++k) {
            const auto kind = static_cast<K>(k);
            const std::string_view word = special_move_word(format, kind);
            if (word.empty()) continue;
            std::optional<K> expected = kind;
            for (const ReadAsOther& other : READ_AS_OTHER)
                if (other.format == format && other.written == kind) expected = other.read;
            for (Color side : {BLACK, WHITE}) {
                const auto read = special_move_from_word(format, word, side);
                ASSERT_EQ(read.has_value(), expected.has_value()) << word;
                if (!read) continue;
                EXPECT_EQ(read->kind, *expected) << word;
                // A decided game is won by one side: the result names the winner the
                // rule and the side to move give, never the other.
                if (game_result_is_win(read->result)) {
                    const Color winner = game_result_is_black_win(read->result) ? BLACK : WHITE;
                    const ResultRule rule = special_move_row(*expected).words[static_cast<int>(format)].rule;
                    if (rule == ResultRule::MoverWins) {
                        EXPECT_EQ(winner, side) << word;
                    } else if (rule == ResultRule::MoverLoses) {
                        EXPECT_EQ(winner, ~side) << word;
                    }
                }
            }
        }
    }
}

TEST(SpecialMoves, PackReasonsByName) {
    const std::pair<K, const char*> names[] = {
        {K::Interrupt, "interrupt"},      {K::Resign, "resign"},           {K::MaxMoves, "max_moves"},
        {K::Impasse, "draw_csa24"},       {K::Draw, "resign"},             {K::RepetitionDraw, "draw"},
        {K::Mate, "resign"},              {K::NoMate, "resign"},           {K::Timeout, "time_up"},
        {K::WinByIllegalMove, "illegal_move"}, {K::LoseByIllegalMove, "illegal_move"},
        {K::WinByDeclaration, "win_csa27"}, {K::WinByDefault, "resign"}, {K::LoseByDefault, "resign"},
        {K::Try, "win_try_rule"},         {K::Unknown, "resign"},
    };
    for (const auto& [kind, name] : names)
        EXPECT_EQ(pack_end_reason_name({special_move_row(kind).pack.reason}), name) << static_cast<int>(kind);
    // Every reason but the reserved ones reads as a kind; the refinements as what they refine.
    for (int code = 0; code < 256; ++code) {
        const PackEndReason reason{static_cast<std::uint8_t>(code)};
        EXPECT_EQ(special_move_of_pack_reason(reason.code) != nullptr, !reason.reserved()) << code;
    }
    EXPECT_EQ(special_move_of_pack_reason(PackEndReason::RepetitionCheck)->kind, K::LoseByIllegalMove);
    EXPECT_EQ(special_move_of_pack_reason(PackEndReason::WinCsa24)->kind, K::WinByDeclaration);
}

}  // namespace
