#include "core/mate/mate_in_one.h"

#include "core/board/attack_tables.h"
#include "core/board/lookup.h"
#include "core/board/position/legality.h"
#include "core/mate/check_moves.h"
#include "core/mate/mate_table.h"
#include "core/util/panic.h"

namespace korvan {

namespace {

// Neighbour i of each square in NEIGHBOUR_OFFSETS order, SQ_NONE off the board.
constexpr auto NEIGHBOUR_SQUARES = [] {
    std::array<std::array<Square, 8>, 81> t{};
    for (int sq = 0; sq < 81; ++sq) {
        for (int i = 0; i < 8; ++i) {
            const int f = sq / 9 + NEIGHBOUR_OFFSETS[i][0], r = sq % 9 + NEIGHBOUR_OFFSETS[i][1];
            t[sq][i] = f < 0 || f > 8 || r < 0 || r > 8 ? SQ_NONE : make_square(f, r);
        }
    }
    return t;
}();

constexpr auto QUEEN_PSEUDO_ATTACKS = [] {
    std::array<Bitboard, 81> t{};
    for (int sq = 0; sq < 81; ++sq) t[sq] = BISHOP_PSEUDO_ATTACKS[sq] | ROOK_PSEUDO_ATTACKS[sq];
    return t;
}();

// Squares are always on the board here, so the table is read without the range checks.
inline Bitboard between(Square a, Square b) { return BETWEEN_TABLE.sets[BETWEEN_TABLE.index[a][b]]; }

// Pieces of colour c that attack sq with a step (the step parts of horse and dragon
// included): occupancy does not matter to them.
inline Bitboard steppers_to(const Position& pos, Color c, Square sq) {
    const Color o = ~c;
    return ((pos.by_type[PAWN] & PAWN_ATTACKS[sq][o]) | (pos.by_type[KNIGHT] & KNIGHT_ATTACKS[sq][o]) |
            (pos.silver_hdk & SILVER_ATTACKS[sq][o]) | (pos.golds_hdk & GOLD_ATTACKS[sq][o])) &
           pos.by_color[c];
}

// Sliders of colour c whose empty-board lines reach sq; each attacks sq when nothing
// stands between.
inline Bitboard sliders_toward(const Position& pos, Color c, Square sq) {
    return ((pos.bishop_horse & BISHOP_PSEUDO_ATTACKS[sq]) | (pos.rook_dragon & ROOK_PSEUDO_ATTACKS[sq]) |
            (pos.by_type[LANCE] & LANCE_RAYS[sq][~c])) &
           pos.by_color[c];
}

inline Bitboard clear_lines(Bitboard sliders, Square sq, Bitboard occ) {
    Bitboard out;
    sliders.for_each([&](Square s) {
        if ((between(s, sq) & occ).empty()) out.set(s);
    });
    return out;
}

inline bool any_clear_line(Bitboard sliders, Square sq, Bitboard occ) {
    return sliders.any_of([&](Square s) { return (between(s, sq) & occ).empty(); });
}

// Whether a piece of type pt and colour c on from attacks t under occ. A stepping
// piece's targets are next to it or a knight's jump away, with nothing between, so one
// rule serves every type.
inline bool reaches(PieceType pt, Color c, Square from, Square t, Bitboard occ) {
    return empty_board_attacks(pt, c, from).test(t) && (between(from, t) & occ).empty();
}

int line_class(Square s, Square k) {
    if (file_of(s) == file_of(k)) return 3;
    if (rank_of(s) == rank_of(k)) return 1;
    const int df = file_of(s) - file_of(k), dr = rank_of(s) - rank_of(k);
    return (df > 0) == (dr > 0) ? 0 : 2;
}

// A move under test: from is SQ_NONE for a drop; `after` is the type standing on `to`
// once the move is made.
struct Candidate {
    Square from;
    Square to;
    PieceType after;
};

// For each king square, the squares from which a stepping piece may attack one of the
// king's steps: any such piece (pawns and knights aside) within two files and ranks, a
// pawn or a knight of the given colour only where its few steps reach.
struct StepVicinity {
    Bitboard box;
    Bitboard pawn[2], knight[2];  // by the piece's colour
};
constexpr auto STEP_VICINITY = [] {
    std::array<StepVicinity, 81> t{};
    for (int k = 0; k < 81; ++k)
        for (int n = 0; n < 81; ++n)
            if (KING_ATTACKS[k].test(static_cast<Square>(n))) {
                t[k].box |= KING_ATTACKS[n];
                for (const Color c : {BLACK, WHITE}) {
                    t[k].pawn[c] |= PAWN_ATTACKS[n][~c];
                    t[k].knight[c] |= KNIGHT_ATTACKS[n][~c];
                }
            }
    return t;
}();

// The squares a piece attacks with a step (the step parts of horse and dragon, and the
// king's, included); none for lance, bishop and rook. Read through a map of piece codes,
// without a branch on the type: the pieces near a king come in no predictable order.
constexpr auto STEP_PIECE = [] {
    std::array<Piece, 2 * PIECE_TYPE_NB> t{};
    for (const Color c : {BLACK, WHITE}) {
        for (int pt = 0; pt < PIECE_TYPE_NB; ++pt) {
            PieceType step = PieceType(pt);
            if (pt == LANCE || pt == BISHOP || pt == ROOK) step = NO_PIECE_TYPE;
            if (pt == HORSE || pt == DRAGON) step = KING;
            t[make_piece(c, PieceType(pt))] = make_piece(c, step);
        }
    }
    return t;
}();

inline Bitboard step_attacks(Piece p, Square s) { return empty_board_attacks(STEP_PIECE[p], s); }

// For each king square, the squares from which a slider's empty-board lines reach one
// of the king's steps.
struct RingLines {
    Bitboard diagonal, straight;
    Bitboard lance[2];  // by the lance's colour
};
constexpr auto RING_LINES = [] {
    std::array<RingLines, 81> t{};
    for (int k = 0; k < 81; ++k)
        for (int n = 0; n < 81; ++n)
            if (KING_ATTACKS[k].test(static_cast<Square>(n))) {
                t[k].diagonal |= BISHOP_PSEUDO_ATTACKS[n];
                t[k].straight |= ROOK_PSEUDO_ATTACKS[n];
                for (const Color c : {BLACK, WHITE}) t[k].lance[c] |= LANCE_RAYS[n][~c];
            }
    return t;
}();

// What every candidate of one search shares: the sides, the enemy king k (the lowest
// of its kings), our pieces lined up with it and, surveyed on first need, the king
// steps our stepping pieces cover and the steps that nothing of ours attacks.
class MateSearch {
public:
    MateSearch(const Position& pos, Square k)
        : pos_(pos),
          us_(pos.side_to_move),
          them_(~pos.side_to_move),
          k_(k),
          theirs_(pos.by_color[them_]),
          king_steppers_(steppers_to(pos, us_, k)),
          king_lines_(sliders_toward(pos, us_, k)) {}

    // Whether `move` (legal) mates, decided exactly as the attacker-set definition: the
    // move checks; no king step reaches a square we do not attack once the king has
    // left its square; with a single checker, no defender takes it or interposes (a
    // defender that the move leaves pinned may only move along its pin line), and no
    // drop interposes.
    [[gnu::always_inline]] bool mates(const Candidate& m) {
        if (stage_ == Stage::First) [[unlikely]] {
            const Verdict v = first_candidate_mates(m);
            if (v != Verdict::Undecided) return v == Verdict::Mates;
        }
        if (!surveyed_) survey();
        const bool board_move = m.from != SQ_NONE;

        // The escapes first: most candidates fail there. The steps that no stepping piece
        // of ours covers after the move are left to the moved piece and the lines.
        Bitboard without_king = without_king_;  // the occupancy after the move, king lifted
        if (board_move) without_king.clear(m.from);
        without_king.set(m.to);
        Bitboard stepped = step_cover_;
        if (board_move) stepped = step_cover_twice_ | step_cover_.andnot(step_attacks(pos_.board[m.from], m.from));
        // The moved piece itself, next to the king, most often fails: looked at first,
        // before anything else is set up.
        if (KING_ATTACKS[k_].test(m.to) && !stepped.test(m.to) && !line_covers_after(m, m.to, without_king)) return false;
        return mates_after(m, without_king, stepped);
    }

    // The rest of mates(), once the moved piece's own square is known not to be an escape.
    [[gnu::noinline]] bool mates_after(const Candidate& m, Bitboard without_king, Bitboard stepped) {
        Bitboard open = steps_.andnot(stepped);
        open.clear(m.to);
        // A stepping piece's moves are its empty-board ones: taken off all at once.
        const bool moved_slides = mate_detail::is_slider(m.after);
        if (!moved_slides) open = open.andnot(empty_board_attacks(m.after, us_, m.to));
        const bool escape = open.any_of([&](Square e) {
            if (moved_slides && reaches(m.after, us_, m.to, e, without_king)) return false;
            return !line_covers_after(m, e, without_king);
        });
        if (escape) return false;
        return check_unanswered(m, without_king);
    }

    enum class Verdict : std::uint8_t { Mates, Fails, Undecided };

    // mates() for the first candidate: first_mates(), or the free-escape filter the
    // walk left out, with Undecided for the rest of mates().
    [[gnu::noinline]] Verdict first_candidate_mates(const Candidate& m) {
        stage_ = Stage::Unnarrowed;
        const Verdict v = first_mates(m);
        if (v != Verdict::Undecided) return v;
        return may_cover_free_escapes(m) ? Verdict::Undecided : Verdict::Fails;
    }

    // mates() for the first candidate of a search, before the survey, when the moved
    // piece leaves at most one king step to other pieces: each step is then tested on
    // its own, at less cost than the survey, which serves the many candidates of a
    // search without a quick mate. Undecided otherwise.
    Verdict first_mates(const Candidate& m) {
        const Bitboard ring = KING_ATTACKS[k_];
        Bitboard open = ring.andnot(theirs_);
        open.clear(m.to);
        // The steps the moved piece does not reach even on an empty board.
        const Bitboard beyond = open.andnot(empty_board_attacks(m.after, us_, m.to));
        if (beyond.more_than_one()) return Verdict::Undecided;
        Bitboard without_king = pos_.occupied;  // the occupancy after the move, king lifted
        without_king.clear(k_);
        if (m.from != SQ_NONE) without_king.clear(m.from);
        without_king.set(m.to);
        if (ring.test(m.to) && !covered_after(m, m.to, without_king)) return Verdict::Fails;
        // A slider's lines may be shielded: each step it should reach is looked at.
        const Bitboard left = mate_detail::is_slider(m.after) ? open : beyond;
        const bool escape = left.any_of([&](Square e) {
            if (!beyond.test(e) && reaches(m.after, us_, m.to, e, without_king)) return false;
            return !covered_after(m, e, without_king);
        });
        if (escape) return Verdict::Fails;
        return check_unanswered(m, without_king) ? Verdict::Mates : Verdict::Fails;
    }

    // Whether the move checks and no defender answers it, once the king is known to
    // have no step: a double check stands; a single checker must be neither taken nor
    // blocked, by a board move or by a drop.
    [[gnu::always_inline]] bool check_unanswered(const Candidate& m, Bitboard without_king) const {
        const bool board_move = m.from != SQ_NONE;
        Bitboard occ = without_king;
        occ.set(k_);
        Bitboard line_pieces = king_lines_;
        Bitboard step_pieces = king_steppers_;
        if (board_move) {
            line_pieces.clear(m.from);
            step_pieces.clear(m.from);
        }
        Bitboard checkers = step_pieces | clear_lines(line_pieces, k_, occ);
        if (reaches(m.after, us_, m.to, k_, occ)) checkers.set(m.to);
        if (checkers.empty()) return false;
        if (checkers.more_than_one()) return true;

        const Square c = checkers.lsb();
        if (defended(m, c, occ)) return false;
        const Bitboard gap = between(c, k_);
        if (gap.empty()) return true;
        const Hand hand = pos_.hands[them_];
        MateMoveDesc desc;
        desc.kind = board_move ? MateMoveDesc::Kind::Board : MateMoveDesc::Kind::Drop;
        desc.from = m.from;
        desc.to = m.to;
        desc.piece_type = m.after;
        for (Bitboard b = gap; b;) {
            const Square s = b.pop_lsb();
            if (hand != 0 && mate_drop_can_block(pos_, s, them_, hand, desc)) return false;
            if (defended(m, s, occ)) return false;
        }
        return true;
    }

    // Whether the targets now walked were narrowed by the free-escape filter.
    bool narrowed() const { return stage_ == Stage::Filtering; }
    void filter_from_now() { stage_ = Stage::Filtering; }

    // Whether the walk leaves `targets` (of one piece or drop kind) as they are: a
    // single one before the first candidate, which mates() tests without the filter.
    // Otherwise the filter is applied from now on.
    bool leave_unnarrowed(Bitboard targets) {
        if (stage_ == Stage::Filtering) [[likely]] return false;
        if (stage_ == Stage::First && !targets.more_than_one()) return true;
        stage_ = Stage::Filtering;
        return false;
    }

    // A necessary condition for mates(m), cheap to test: every free king step (see
    // survey) must be in the moved piece's empty-board reach from `to` or in line with
    // `from`, where a line of ours may open: a square that no piece of ours reached
    // before the move gains no other attacker, as the move only adds `to` to the
    // occupancy. That holds for `to` itself, which the piece does not reach: on a free
    // step it is taken by the king. mates() decides the rest. Before the first
    // candidate every candidate passes: mates() tests that one without the survey.
    bool may_cover_free_escapes(const Candidate& m) {
        if (stage_ == Stage::First) return true;
        if (!surveyed_) survey();
        const Bitboard rest = free_;
        if (rest.empty()) return true;
        Bitboard out_of_reach = rest.andnot(empty_board_attacks(m.after, us_, m.to));
        if (m.from != SQ_NONE) out_of_reach = out_of_reach.andnot(QUEEN_PSEUDO_ATTACKS[m.from]);
        return out_of_reach.empty();
    }

    // The squares onto which a drop of type pt reaches every free king step, none of
    // them its own: the cheap test of may_cover_free_escapes for all sites at once.
    Bitboard drop_sites_reaching_free_escapes(PieceType pt) {
        if (!surveyed_) survey();
        Bitboard keep = BB_ALL;
        for (Bitboard b = free_; b;) keep &= empty_board_attacks(pt, them_, b.pop_lsb());
        return keep;
    }

    // The targets of a piece of type pt on `from` that pass the cheap test of
    // may_cover_free_escapes, promoted or not. A piece has few targets: each is tested
    // against the free steps at once.
    Bitboard board_targets_reaching_free_escapes(PieceType pt, Square from, Bitboard targets) {
        if (leave_unnarrowed(targets)) return targets;
        if (!surveyed_) survey();
        const Bitboard needed = free_.andnot(QUEEN_PSEUDO_ATTACKS[from]);
        if (needed.empty()) return targets;
        const bool promotable = is_promotable(pt);
        // One step to cover, the usual case: the squares reaching it make one set.
        if (!needed.more_than_one()) {
            const Square e = needed.lsb();
            Bitboard reaching = empty_board_attacks(pt, them_, e);
            if (promotable) reaching |= empty_board_attacks(promote(pt), them_, e);
            return targets & reaching;
        }
        Bitboard keep;
        targets.for_each([&](Square t) {
            Bitboard reach = empty_board_attacks(pt, us_, t);
            if (promotable) reach |= empty_board_attacks(promote(pt), us_, t);
            if (needed.andnot(reach).empty()) keep.set(t);
        });
        return keep;
    }

    // Byte 0 of the drop-mate table entry for the king's surroundings: the drop kinds
    // that may mate by the neighbours that hold no piece of ours and those that escape
    // (no piece of theirs, not attacked by us with the king on its square).
    //
    // While nothing of ours attacks the king, the table removes no kind that a drop
    // reaching this point could mate with, and is not read: the escapes are then the
    // free steps, and a mating drop on a neighbour must stand on a step we attack and
    // cover every free step with its own moves, which is the table's condition. Only a
    // king already attacked (a set-up) makes the two differ, as the table counts the
    // steps behind the king on our lines as escapes.
    std::uint8_t table_drop_kinds() {
        // Lifting the king opens only lines that end on it; when none of ours does, the
        // attacks with and without the king are the same.
        const bool king_attacked = !king_steppers_.empty() || any_clear_line(king_lines_, k_, pos_.occupied);
        if (!king_attacked) return 0xFF;
        if (!surveyed_) survey();
        const Bitboard ours = pos_.by_color[us_];
        std::uint8_t cand = 0, escape = 0;
        for (int i = 0; i < 8; ++i) {
            const Square n = NEIGHBOUR_SQUARES[k_][i];
            if (n == SQ_NONE) continue;
            const auto bit = static_cast<std::uint8_t>(1u << i);
            if (!ours.test(n)) cand |= bit;
            if (theirs_.test(n)) continue;
            if (!step_cover_.test(n) && !any_clear_line(sliders_toward(pos_, us_, n), n, pos_.occupied)) escape |= bit;
        }
        return init_mate_table()[escape * 1024 + cand * 4 + us_ * 2];
    }

private:
    // Which king steps our stepping pieces cover (once, and twice or more), and the
    // steps not onto a piece of theirs that nothing of ours attacks with the king lifted
    // (free_). Only the few stepping pieces near the king are looked at, and lines only
    // for the steps that no stepping piece covers.
    void survey() {
        const Bitboard ring = KING_ATTACKS[k_];
        const Bitboard ours = pos_.by_color[us_];
        const StepVicinity& v = STEP_VICINITY[k_];
        const Bitboard near = ((pos_.by_type[PAWN] & v.pawn[us_]) | (pos_.by_type[KNIGHT] & v.knight[us_]) |
                               ((pos_.silver_hdk | pos_.golds_hdk) & v.box)) &
                              ours;
        Bitboard once, twice;
        near.for_each([&](Square s) {
            const Bitboard a = step_attacks(pos_.board[s], s) & ring;
            twice |= once & a;
            once |= a;
        });
        step_cover_ = once;
        step_cover_twice_ = twice;
        steps_ = ring.andnot(theirs_);
        Bitboard open = steps_.andnot(once);
        const Bitboard lined = ((pos_.bishop_horse & RING_LINES[k_].diagonal) | (pos_.rook_dragon & RING_LINES[k_].straight) |
                                (pos_.by_type[LANCE] & RING_LINES[k_].lance[us_])) &
                               ours;
        without_king_ = pos_.occupied;
        without_king_.clear(k_);
        if (open && lined) {
            const Bitboard unstepped = open;
            unstepped.for_each([&](Square n) {
                const Bitboard lines = ((pos_.bishop_horse & BISHOP_PSEUDO_ATTACKS[n]) | (pos_.rook_dragon & ROOK_PSEUDO_ATTACKS[n]) |
                                        (pos_.by_type[LANCE] & LANCE_RAYS[n][them_])) & lined;
                if (any_clear_line(lines, n, without_king_)) open.clear(n);
            });
        }
        free_ = open;
        surveyed_ = true;
    }

    // Whether a piece of ours other than the moved one attacks the king step e after
    // the move (occ: after the move, king lifted).
    bool covered_after(const Candidate& m, Square e, Bitboard occ) const {
        Bitboard steppers = steppers_to(pos_, us_, e);
        if (m.from != SQ_NONE) steppers.clear(m.from);
        return !steppers.empty() || line_covers_after(m, e, occ);
    }

    // Whether a line of ours other than the moved piece attacks the king step e after
    // the move (occ: after the move, king lifted).
    bool line_covers_after(const Candidate& m, Square e, Bitboard occ) const {
        Bitboard lines = sliders_toward(pos_, us_, e);
        if (m.from != SQ_NONE) lines.clear(m.from);
        return any_clear_line(lines, e, occ);
    }

    // Whether a defender other than the king can move to target (the checker's square
    // or a square between it and the king) without uncovering its king; occ is the
    // occupancy after the move, in which a piece of theirs on `to` is taken. Stepping
    // defenders are looked at first: they cost no line test.
    bool defended(const Candidate& m, Square target, Bitboard occ) const {
        Bitboard steppers = steppers_to(pos_, them_, target) & theirs_;
        steppers.clear(k_);
        steppers.clear(m.to);
        Bitboard sliders = sliders_toward(pos_, them_, target) & theirs_;
        sliders.clear(m.to);
        // Most often no piece of theirs reaches the target at all.
        if ((steppers | sliders).empty()) return false;
        return some_defender_may_leave(m, target, occ, steppers, sliders);
    }

    // The rest of defended(), given the pieces of theirs that reach the target: kept out
    // of line, as it is seldom needed.
    [[gnu::noinline]] bool some_defender_may_leave(const Candidate& m, Square target, Bitboard occ, Bitboard steppers,
                                                   Bitboard sliders) const {
        for (Bitboard b = steppers; b;)
            if (may_leave(m, b.pop_lsb(), target, occ)) return true;
        for (Bitboard b = sliders; b;) {
            const Square s = b.pop_lsb();
            if ((between(s, target) & occ).empty() && may_leave(m, s, target, occ)) return true;
        }
        return false;
    }

    // Whether the defender on s may go to target: it is not pinned once the move is
    // made, or it moves along the line through its king.
    bool may_leave(const Candidate& m, Square s, Square target, Bitboard occ) const {
        return DIRECTION_TABLE[s][k_] == 0 || !pinned_after(m, s, occ) || LINE_TABLE[k_][line_class(s, k_)].test(target);
    }

    // Whether lifting s lets a piece of ours (the moved one on `to` included) attack the
    // king: s stands alone on a clear line between such a piece and the king.
    bool pinned_after(const Candidate& m, Square s, Bitboard occ) const {
        Bitboard line_pieces = king_lines_;
        if (m.from != SQ_NONE) line_pieces.clear(m.from);
        const Bitboard alone = Bitboard::square(s);
        for (Bitboard b = line_pieces; b;)
            if ((between(b.pop_lsb(), k_) & occ) == alone) return true;
        Bitboard lifted = occ;
        lifted.clear(s);
        return reaches(m.after, us_, m.to, k_, lifted) && !reaches(m.after, us_, m.to, k_, occ);
    }

    const Position& pos_;
    Color us_, them_;
    Square k_;
    Bitboard theirs_;
    Bitboard king_steppers_;  // our pieces that attack k with a step
    Bitboard king_lines_;     // our sliders whose empty-board lines reach k
    bool surveyed_ = false;
    // The free-escape filter is left out until the first candidate, which mates()
    // tests without it: the walk leaves a single target of a piece as it is (First).
    // From the first candidate on, the rest of that piece's targets are tested one by
    // one (Unnarrowed), and the targets of the next pieces narrowed (Filtering).
    enum class Stage : std::uint8_t { First, Unnarrowed, Filtering };
    Stage stage_ = Stage::First;
    Bitboard step_cover_, step_cover_twice_;  // king steps our stepping pieces attack, once / twice or more
    Bitboard free_;
    Bitboard without_king_;  // the occupancy with the king lifted
    Bitboard steps_;         // the king's steps not onto a piece of theirs
};

// Narrows the checking-move walk to the targets that pass the cheap free-escape test.
struct FreeEscapeTargets {
    MateSearch& search;
    Bitboard board_targets(Piece p, Square from, Bitboard targets) {
        return search.board_targets_reaching_free_escapes(type_of(p), from, targets);
    }
    Bitboard drop_targets(PieceType pt, Bitboard sites) {
        return search.leave_unnarrowed(sites) ? sites : sites & search.drop_sites_reaching_free_escapes(pt);
    }
};

// The drops the drop stage found not to mate, by kind. Most searches find none: the
// sets are cleared when a kind gets its first one, not for every search.
class FailedDrops {
public:
    FailedDrops() {}  // leaves the sets unwritten
    void add(PieceType pt, Square s) {
        if (!(kinds_ >> pt & 1)) {
            squares_[pt] = Bitboard{};
            kinds_ |= 1u << pt;
        }
        squares_[pt].set(s);
    }
    bool has(PieceType pt, Square s) const { return (kinds_ >> pt & 1) && squares_[pt].test(s); }

private:
    std::uint32_t kinds_ = 0;
    union {
        Bitboard squares_[GOLD + 1];  // valid for the kinds in kinds_
    };
};

Candidate candidate_of(const Position& pos, Move32 move) {
    if (is_drop(move)) return {SQ_NONE, move_to(move), dropped_type(move)};
    const PieceType pt = type_of(pos.board[move_from(move)]);
    return {move_from(move), move_to(move), is_promotion(move) && is_promotable(pt) ? promote(pt) : pt};
}

// The drop stage tries these kinds in this order. Knights are left out: a knight
// dropped next to the king never checks it, so the stage has nothing to try for them.
constexpr PieceType DROP_STAGE_ORDER[] = {GOLD, SILVER, ROOK, LANCE, BISHOP};
constexpr Hand DROP_STAGE_HAND_MASK = [] {
    Hand mask = 0;
    for (const PieceType pt : DROP_STAGE_ORDER) mask |= HAND_FIELD[hand_piece_of(pt)];
    return mask;
}();

// [kind in DROP_STAGE_ORDER][colour][king]: the neighbours from which a piece of that
// kind and colour checks the king.
constexpr auto CONTACT_CHECKS = [] {
    std::array<std::array<std::array<Bitboard, 81>, 2>, 5> t{};
    for (int k = 0; k < 81; ++k) {
        for (const Color us : {BLACK, WHITE}) {
            const Color them = ~us;
            t[0][us][k] = GOLD_ATTACKS[k][them];
            t[1][us][k] = SILVER_ATTACKS[k][them];
            t[2][us][k] = KING_ATTACKS[k] & ROOK_PSEUDO_ATTACKS[k];
            t[3][us][k] = PAWN_ATTACKS[k][them];
            t[4][us][k] = KING_ATTACKS[k] & BISHOP_PSEUDO_ATTACKS[k];
        }
    }
    return t;
}();

}  // namespace

bool mate_in_one_verify_move(const Position& pos, Move32 move) {
    const Bitboard their_king = pos.pieces(~pos.side_to_move, KING);
    if (their_king.empty()) panic("opponent must have a king");
    MateSearch search(pos, their_king.lsb());
    return search.mates(candidate_of(pos, move));
}

std::optional<Move32> position_solve_mate_in_one(const Position& pos) {
    const Color us = pos.side_to_move, them = ~us;
    const Bitboard their_king = pos.pieces(them, KING);
    if (their_king.empty()) return std::nullopt;
    const Square k = their_king.lsb();
    MateSearch search(pos, k);
    const StateInfo& st = pos.st();
    const Bitboard empty = ~pos.occupied;

    // A move of ours other than a king step must answer a check on our king: take the
    // single checker or interpose; a double check leaves king steps alone.
    Bitboard answers = BB_ALL;
    if (st.checkers) {
        answers = st.checkers.more_than_one() ? Bitboard{}
                                              : between_bb(st.checkers.lsb(), pos.king_square[us]) | st.checkers;
    }

    // Drop stage: contact drops next to the king, by kind and then by neighbour, pruned
    // by the table of king surroundings. The table only ever removes a kind, so it is
    // read when a drop passes the free-escape filter: one that fails it is passed over
    // either way. Next to the king the filter's cheap test is exact: a contact drop's
    // lines reach the other steps directly or across the king's square. The drops found
    // not to mate come up again in the general stage, which skips them (the answer
    // would be the same). As the filter is exact here, the stage applies it from its
    // first drop on: the first contact drop, unfiltered, is seldom the mate.
    const Hand hand = pos.hands[us];
    FailedDrops failed_drops;
    if (hand & DROP_STAGE_HAND_MASK) {
        search.filter_from_now();
        std::optional<std::uint8_t> kinds_left;  // the table's drop kinds, once read
#pragma GCC unroll 5
        for (int kind = 0; kind < 5; ++kind) {
            const PieceType pt = DROP_STAGE_ORDER[kind];
            if (!hand_has(hand, pt)) continue;
            Bitboard sites = CONTACT_CHECKS[kind][us][k] & empty & answers;
            if (sites) sites &= search.drop_sites_reaching_free_escapes(pt);
            if (sites.empty()) continue;
            for (int i = 0; i < 8; ++i) {
                const Square n = NEIGHBOUR_SQUARES[k][i];
                if (n == SQ_NONE || !sites.test(n)) continue;
                if (!kinds_left) kinds_left = search.table_drop_kinds();
                if (!((*kinds_left >> (pt - 1)) & 1)) break;
                if (search.mates({SQ_NONE, n, pt})) return static_cast<Move32>(make_piece(us, pt)) << 16 | make_drop16(pt, n);
                failed_drops.add(pt, n);
            }
        }
    }

    // General stage: the checking moves in their fixed order, each tested for legality
    // (the generator makes only pseudo-legal moves that keep the promotion rules) and
    // then for mate; the cheap tests come first. The walk has already applied the
    // free-escape filter to the drops and, for both variants at once, to the board
    // moves: only a piece that may promote needs it again, variant by variant, and
    // the targets the walk left unnarrowed around the first candidate, one by one.
    const Square our_king = pos.king_square[us];
    std::optional<Move32> found;
    mate_detail::for_each_checking_move(pos, us, [&](Move m16) __attribute__((always_inline)) {
        const Square to = move_to(m16);
        if (is_drop(m16)) {
            const PieceType pt = dropped_type(m16);
            if (!answers.test(to) || failed_drops.has(pt, to)) return false;
            const Candidate m{SQ_NONE, to, pt};
            if (!search.narrowed() && !search.may_cover_free_escapes(m)) return false;
            if (pt == PAWN && !position_pawn_drop_not_mate(pos, to)) return false;
            if (!search.mates(m)) return false;
            found = static_cast<Move32>(make_piece(us, pt)) << 16 | m16;
            return true;
        }
        const Square from = move_from(m16);
        if (type_of(pos.board[to]) == KING) return false;
        const Piece p = pos.board[from];
        const bool promotes = is_promotion(m16);
        const Candidate m{from, to, promotes ? promote(type_of(p)) : type_of(p)};
        const bool king_step = from == our_king;
        if (!king_step) {
            if (!answers.test(to)) return false;
            // A piece pinned to our king stays on the line through it. Only a piece in
            // line with the king can be pinned: the others need no look at the blockers.
            const std::uint8_t d = our_king != SQ_NONE ? DIRECTION_TABLE[from][our_king] : 0;
            if (d != 0 && DIRECTION_TABLE[to][our_king] != d && position_blockers(pos, us).test(from)) return false;
        }
        if ((is_promotable(type_of(p)) || !search.narrowed()) && !search.may_cover_free_escapes(m)) return false;
        if (king_step) {
            Bitboard occ = pos.occupied;
            occ.clear(from);
            if (position_is_attacked_by(pos, them, to, occ)) return false;
        }
        if (!search.mates(m)) return false;
        found = static_cast<Move32>(promotes ? p + 8 : p) << 16 | m16;
        return true;
    }, FreeEscapeTargets{search});
    return found;
}

}  // namespace korvan
