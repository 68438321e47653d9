#include "core/records/formats/kif/kif_writer_lines.h"

#include <array>

#include "core/board/notation/bod.h"
#include "core/board/position/parser.h"
#include "core/records/formats/kif/kif_header.h"
#include "core/util/lines.h"

namespace korvan {

namespace {

// The header key of a field: the first one the readers' table lists for it.
constexpr std::string_view header_key(KifHeaderField field) {
    for (const KifHeaderKey& k : KIF_HEADER_KEYS)
        if (k.field == field) return k.key;
    return {};
}

static_assert(header_key(KifHeaderField::BlackPlayer) == "先手");
static_assert(header_key(KifHeaderField::WhitePlayer) == "後手");
static_assert(header_key(KifHeaderField::StartDate) == "開始日時");
static_assert(header_key(KifHeaderField::EndDate) == "終了日時");

// Attributes under the keys of the lines written from fields (and the handicap,
// written as the start position) would be read back as those fields; the comment key
// "備考" is not among them, a "備考" attribute is written like any other.
constexpr bool is_reserved_key(std::string_view key) {
    if (key == KIF_HANDICAP_KEY) return true;
    for (const KifHeaderKey& k : KIF_HEADER_KEYS)
        if (k.field != KifHeaderField::Comment && header_key(k.field) == key) return true;
    return false;
}

static_assert(is_reserved_key("最大手数") && is_reserved_key("手合割") && !is_reserved_key("備考") &&
              !is_reserved_key("下手") && !is_reserved_key("開始日"));

constexpr std::string_view COLON = "：";

void header_line(std::string& out, KifHeaderField field, std::string_view value) {
    out += header_key(field);
    out += COLON;
    append_single_line(out, value);
    out += '\n';
}

void text_line(std::string& out, const RecordMetadata& m, RecordMetadataKey key, KifHeaderField field) {
    if (const auto& value = m.get(key)) header_line(out, field, *value);
}

constexpr std::array<std::string_view, 15> DIAGRAM_NAMES = {"玉", "歩", "香", "桂", "銀", "角", "飛", "金",
                                                            "玉", "と", "杏", "圭", "全", "馬", "龍"};
constexpr std::array<std::string_view, 9> KANJI_RANKS = {"一", "二", "三", "四", "五", "六", "七", "八", "九"};

std::string_view diagram_name(PieceType pt) { return pt < DIAGRAM_NAMES.size() ? DIAGRAM_NAMES[pt] : "玉"; }

}  // namespace

std::string japanese_time_control_text(const TimeControl& tc) {
    std::string out;
    if (tc.base_seconds != 0) {
        if (tc.base_seconds < 3600) {
            out += std::to_string(tc.base_seconds / 60) + "分";
        } else {
            out += std::to_string(tc.base_seconds / 3600) + "時間";
            out += std::to_string(tc.base_seconds % 3600 / 60) + "分";
        }
    }
    if (tc.byoyomi_seconds != 0) out += "秒読み" + std::to_string(tc.byoyomi_seconds) + "秒";
    if (tc.increment_seconds != 0) out += "加算" + std::to_string(tc.increment_seconds) + "秒";
    return out;
}

void write_kif_header(std::string& out, const RecordMetadata& m) {
    using F = KifHeaderField;
    using K = RecordMetadataKey;
    text_line(out, m, K::Event, F::Event);
    text_line(out, m, K::Site, F::Site);
    text_line(out, m, K::StartDate, F::StartDate);
    text_line(out, m, K::EndDate, F::EndDate);
    if (const auto& tc = m.time_control;
        tc && (tc->base_seconds != 0 || tc->byoyomi_seconds != 0 || tc->increment_seconds != 0))
        header_line(out, F::TimeControl, japanese_time_control_text(*tc));
    if (m.black_time_control) header_line(out, F::BlackTimeControl, time_control_to_spec(*m.black_time_control));
    if (m.white_time_control) header_line(out, F::WhiteTimeControl, time_control_to_spec(*m.white_time_control));
    if (m.max_moves) header_line(out, F::MaxMoves, std::to_string(*m.max_moves));
    if (m.impasse_rule) header_line(out, F::ImpasseRule, *m.impasse_rule);
    if (const auto& comment = m.get(K::Comment))
        for_each_comment_line(*comment, CommentLines::Trimmed,
                              [&](std::string_view line) { header_line(out, F::Comment, line); });
    text_line(out, m, K::BlackPlayer, F::BlackPlayer);
    text_line(out, m, K::WhitePlayer, F::WhitePlayer);
    for (const auto& [key, value] : m.attributes) {
        if (is_reserved_key(key)) continue;
        append_single_line(out, key);
        out += COLON;
        append_single_line(out, value);
        out += '\n';
    }
}

void write_start_position_lines(std::string& out, std::string_view sfen, const Position& pos) {
    if (const HandicapStart* h = handicap_of_sfen(sfen)) {
        out += KIF_HANDICAP_KEY;
        out += COLON;
        out += h->kif_name;
        out += '\n';
        return;
    }
    write_kif_board(out, pos);
}

void write_kif_board(std::string& out, const Position& pos) {
    out += "後手の持駒：" + write_japanese_hand(pos.hands[WHITE]) + "\n";
    out += "  ９ ８ ７ ６ ５ ４ ３ ２ １\n";
    out += "+---------------------------+\n";
    for (int rank = 0; rank < 9; ++rank) {
        out += '|';
        for (int file = 8; file >= 0; --file) {
            const Piece p = pos.board[make_square(file, rank)];
            if (p == NO_PIECE) {
                out += " ・";
                continue;
            }
            out += color_of(p) == BLACK ? ' ' : 'v';
            out += diagram_name(type_of(p));
        }
        out += '|';
        out += KANJI_RANKS[rank];
        out += '\n';
    }
    out += "+---------------------------+\n";
    out += "先手の持駒：" + write_japanese_hand(pos.hands[BLACK]) + "\n";
    out += pos.side_to_move == WHITE ? "後手番\n" : "先手番\n";
}

std::string write_japanese_hand(Hand hand) {
    static constexpr std::array<PieceType, 7> ORDER = {PAWN, LANCE, KNIGHT, SILVER, GOLD, BISHOP, ROOK};
    return write_hand_words(hand, ORDER);
}

void write_comment_lines(std::string& out, std::string_view comment) {
    for_each_comment_line(comment, CommentLines::Trimmed, [&](std::string_view line) {
        out += '*';
        // A carriage return inside a line would end it for a reader.
        append_single_line(out, line);
        out += '\n';
    });
}

void write_variation_header(std::string& out, std::uint64_t first_number) {
    out += "\n変化：";
    out += std::to_string(first_number);
    out += "手\n";
}

std::string write_kif_result_line(const SpecialMove& special, Color side_to_move, std::uint64_t moves) {
    using K = SpecialMoveKind;
    const std::string_view mover = side_to_move == BLACK ? "先手" : "後手";
    const std::string_view other = side_to_move == BLACK ? "後手" : "先手";
    std::string out = "まで" + std::to_string(moves) + "手で";
    switch (special.kind) {
        case K::Interrupt: out += "中断"; break;
        case K::Resign: (out += other) += "の勝ち"; break;
        case K::MaxMoves: out += "最大手数"; break;
        case K::Impasse: out += "持将棋"; break;
        case K::Draw: out += "引き分け"; break;
        case K::RepetitionDraw: out += "千日手"; break;
        case K::Mate: out += "詰み"; break;
        case K::NoMate: out += "不詰"; break;
        case K::Timeout: ((out += "時間切れにより") += other) += "の勝ち"; break;
        case K::WinByIllegalMove: (out += mover) += "の反則勝ち"; break;
        case K::LoseByIllegalMove: (out += mover) += "の反則負け"; break;
        case K::WinByDeclaration: (out += mover) += "の入玉勝ち"; break;
        case K::WinByDefault: (out += mover) += "の不戦勝"; break;
        case K::LoseByDefault: (out += mover) += "の不戦敗"; break;
        case K::Try: (out += mover) += "のトライ"; break;
        case K::Unknown: append_single_line(out, special.unknown_name); break;
    }
    return out;
}

}  // namespace korvan
