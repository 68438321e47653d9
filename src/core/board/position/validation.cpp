#include "core/board/position/validation.h"

#include "core/board/attack_tables.h"
#include "core/board/position/parser.h"

namespace korvan {

std::string validation_issue_display(const ValidationIssue& issue) {
    using K = ValidationIssue::Kind;
    const std::string color(color_display(issue.color));
    switch (issue.kind) {
        case K::NoKing: return color + " king is missing";
        case K::TwoKings: return color + " has two or more kings";
        case K::DoublePawn: return color + " has double pawn on file " + tuple_debug("File", issue.file);
        case K::InvalidHandCount:
            return "invalid hand count for " + tuple_debug("HandPiece", issue.hand_piece) + ": " +
                   std::to_string(issue.count);
        case K::InvalidPlacement:
            return "invalid placement of " + tuple_debug("PieceType", issue.piece_type) + " on " +
                   tuple_debug("Square", issue.square);
    }
    return {};
}

namespace {

// Visits the issues in check order; the visitor returns false to stop.
template <class Visit>
void visit_issues(const Position& pos, bool report_missing_king, Visit&& visit) {
    using K = ValidationIssue::Kind;
    for (Color c : {BLACK, WHITE}) {
        const int kings = pos.pieces(c, KING).count();
        ValidationIssue issue;
        issue.color = c;
        if (kings > 1) {
            issue.kind = K::TwoKings;
            if (!visit(issue)) return;
        } else if (kings == 0 && report_missing_king) {
            issue.kind = K::NoKing;
            if (!visit(issue)) return;
        }
    }
    for (File f = 0; f < 9; ++f) {
        for (Color c : {BLACK, WHITE}) {
            if ((pos.pieces(c, PAWN) & FILE_MASKS[f]).more_than_one()) {
                ValidationIssue issue;
                issue.kind = K::DoublePawn;
                issue.color = c;
                issue.file = f;
                if (!visit(issue)) return;
            }
        }
    }
    static constexpr HandPiece ORDER[7] = {0, 1, 2, 3, 6, 4, 5};  // P, L, N, S, G, B, R
    for (Color c : {BLACK, WHITE}) {
        for (HandPiece hp : ORDER) {
            const std::uint32_t n = hand_count(pos.hands[c], hp);
            if (n > HAND_FULL_SET[hp]) {
                ValidationIssue issue;
                issue.kind = K::InvalidHandCount;
                issue.hand_piece = hp;
                issue.count = n;
                if (!visit(issue)) return;
            }
        }
    }
    for (Square s = 0; s < 81; ++s) {
        const Piece p = pos.board[s];
        if (p == NO_PIECE) continue;
        const PieceType pt = type_of(p);
        const int rr = color_of(p) == BLACK ? rank_of(s) : 8 - rank_of(s);
        const bool dead = ((pt == PAWN || pt == LANCE) && rr == 0) || (pt == KNIGHT && rr <= 1);
        // A byte that names no piece can stand on no square either.
        if (dead || !names_piece(p)) {
            ValidationIssue issue;
            issue.kind = K::InvalidPlacement;
            issue.piece_type = pt;
            issue.square = s;
            if (!visit(issue)) return;
        }
    }
}

}  // namespace

std::optional<ValidationIssue> position_is_valid(const Position& pos) {
    std::optional<ValidationIssue> first;
    visit_issues(pos, false, [&](const ValidationIssue& i) {
        first = i;
        return false;
    });
    return first;
}

std::vector<ValidationIssue> position_validate_all(const Position& pos) {
    std::vector<ValidationIssue> all;
    visit_issues(pos, true, [&](const ValidationIssue& i) {
        all.push_back(i);
        return true;
    });
    return all;
}

}  // namespace korvan
