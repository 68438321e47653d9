#include "core/board/position/declaration.h"

#include "core/board/attack_tables.h"
#include "core/board/position/legality.h"

namespace korvan {

const char* entering_king_rule_name(EnteringKingRule rule) {
    switch (rule) {
        case EnteringKingRule::None: return "None";
        case EnteringKingRule::Point24: return "Point24";
        case EnteringKingRule::Point24Handicap: return "Point24Handicap";
        case EnteringKingRule::Point27: return "Point27";
        case EnteringKingRule::Point27Handicap: return "Point27Handicap";
        case EnteringKingRule::TryRule: return "TryRule";
        case EnteringKingRule::Unset: return "Unset";
    }
    return "";
}

namespace {

constexpr Bitboard enemy_camp(Color c) {
    Bitboard b;
    for (int s = 0; s < 81; ++s) {
        const int r = s % 9;
        if (c == BLACK ? r <= 2 : r >= 6) b.set(static_cast<Square>(s));
    }
    return b;
}

void point_rule(const Position& pos, Declaration& d) {
    const Color us = pos.side_to_move;
    d.detail = Declaration::Detail::PointRule;
    d.not_in_check = pos.st().checkers.empty();
    d.required_points = pos.declaration_threshold[us];
    const Square k = pos.king_square[us];
    if (k == SQ_NONE) return;
    const Bitboard camp = enemy_camp(us);
    d.king_in_enemy_camp = camp.test(k);
    const Bitboard ours_in_camp = pos.by_color[us] & camp;
    d.pieces_in_camp = ours_in_camp.count();
    d.enough_pieces = d.pieces_in_camp >= 11;
    const Bitboard big = pos.by_type[BISHOP] | pos.by_type[ROOK] | pos.by_type[HORSE] | pos.by_type[DRAGON];
    d.points = d.pieces_in_camp - (d.king_in_enemy_camp ? 1 : 0) + 4 * (ours_in_camp & big).count();
    const Hand h = pos.hands[us];
    for (HandPiece hp = 0; hp < 7; ++hp)
        d.points += static_cast<int>(hand_count(h, hp)) * (hp == 4 || hp == 5 ? 5 : 1);
    d.can_declare = d.not_in_check && d.king_in_enemy_camp && d.enough_pieces && d.points >= d.required_points;
}

void try_rule(const Position& pos, Declaration& d) {
    const Color us = pos.side_to_move;
    d.detail = Declaration::Detail::TryRule;
    d.try_square = us == BLACK ? 36 : 44;
    const Square k = pos.king_square[us];
    if (k == SQ_NONE) {
        d.can_occupy = true;
        d.is_safe = true;
        return;
    }
    d.king_square = k;
    d.can_reach = KING_ATTACKS[k].test(d.try_square);
    d.can_occupy = !pos.by_color[us].test(d.try_square);
    Bitboard occ = pos.occupied;
    occ.clear(k);
    d.is_safe = !position_is_attacked_by(pos, ~us, d.try_square, occ);
    d.can_declare = d.can_reach && d.can_occupy && d.is_safe;
}

}  // namespace

Declaration position_evaluate_declaration(const Position& pos) {
    Declaration d;
    d.rule = pos.entering_king_rule;
    switch (pos.entering_king_rule) {
        case EnteringKingRule::Point24:
        case EnteringKingRule::Point24Handicap:
        case EnteringKingRule::Point27:
        case EnteringKingRule::Point27Handicap:
            point_rule(pos, d);
            break;
        case EnteringKingRule::TryRule:
            try_rule(pos, d);
            break;
        default:
            break;
    }
    return d;
}

}  // namespace korvan
