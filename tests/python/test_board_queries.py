"""Read-only Board queries: pieces, attacks, state, mate, declaration, conversions."""

import pytest

import korvan as k
from shared_checks import sq
from korvan import _korvan

START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"
B, W = k.Color.BLACK, k.Color.WHITE


def squares(bitboard):
    """The USI names of the squares in a Bitboard, in ascending index."""
    value = int(bitboard)
    return [k.Square(i).to_usi() for i in range(81) if value >> i & 1]


def bb(*names):
    out = k.Bitboard()
    for name in names:
        out.set(sq(name))
    return out


def test_piece_and_square_queries():
    board = k.Board()
    assert board.piece_on(sq("7g")) == k.Piece(1)
    assert board.piece_on(k.Square.NONE) == k.Piece(0)
    assert board.is_square_empty(k.Square.NONE) is True
    assert board.is_square_empty(sq("5e")) is True
    assert int(board.pieces()) | int(board.empties()) == int(k.Bitboard.ALL)
    assert int(board.pieces()) & int(board.empties()) == 0
    assert int(board.pieces()) == int(board.pieces_by_color(B)) | int(board.pieces_by_color(W))
    assert squares(board.pieces_for(k.PieceType.ROOK, B)) == ["2h"]
    assert squares(board.pieces_by_type(k.PieceType.KING)) == ["5a", "5i"]
    assert board.pieces_by_type(k.PieceType.NO_PIECE_TYPE).is_empty()
    assert board.pieces_by_type(k.PieceType.GOLD_LIKE).is_empty()
    assert squares(board.golds()) == ["4a", "4i", "6a", "6i"]
    assert squares(board.bishop_horse()) == ["2b", "8h"]
    assert squares(board.rook_dragon()) == ["2h", "8b"]
    assert board.king_square(W) == sq("5a")
    assert k.Board("9/9/9/9/9/9/9/9/4K4 b - 1").king_square(W) == k.Square.NONE


def test_results_are_fresh_objects():
    board = k.Board()
    first = board.pieces()
    first.clear(sq("7g"))
    assert board.pieces().test(sq("7g"))


def test_hands():
    board = k.Board("4k4/9/9/9/9/9/9/9/4K4 b 2RG3Pbnsl 1")
    assert list(board.hand_counts(B).items()) == [("P", 3), ("L", 0), ("N", 0), ("S", 0), ("B", 0), ("R", 2), ("G", 1)]
    assert board.hand_counts(W) == {"P": 0, "L": 1, "N": 1, "S": 1, "B": 1, "R": 0, "G": 0}
    assert board.hand(B).count(k.PieceType.ROOK) == 2
    assert list(k.Board().hand_counts(W)) == ["P", "L", "N", "S", "B", "R", "G"]


def test_iter_pieces():
    pieces = k.Board().iter_pieces()
    assert len(pieces) == 40
    head = [(s.to_usi(), str(p)) for s, p in pieces[:6]]
    tail = [(s.to_usi(), str(p)) for s, p in pieces[-3:]]
    assert head == [("1a", "l"), ("1c", "p"), ("1g", "P"), ("1i", "L"), ("2a", "n"), ("2b", "b")]
    assert tail == [("9c", "p"), ("9g", "P"), ("9i", "L")]
    assert k.Board("9/9/9/9/9/9/9/9/9 b - 1").iter_pieces() == []


def test_attack_queries():
    board = k.Board()
    assert squares(board.attackers_to_color_current(B, sq("7f"))) == ["7g"]
    assert board.is_attacked_by(sq("7f"), W) is False
    assert board.attackers_to_color_current(B, sq("5e")).is_empty()
    assert squares(board.attackers_to_color(B, sq("5e"), k.Bitboard())) == ["8h"]
    occ = board.pieces()
    both = int(board.attackers_to(sq("5h"), occ))
    assert both == int(board.attackers_to_color(B, sq("5h"), occ)) | int(board.attackers_to_color(W, sq("5h"), occ))
    assert squares(board.attackers_to_color(B, sq("5h"), occ)) == ["2h", "4i", "5i", "6i"]
    for query in (lambda: board.attackers_to(k.Square.NONE, occ), lambda: board.attackers_to_color(B, k.Square.NONE, occ),
                  lambda: board.attackers_to_color_current(B, k.Square.NONE)):
        assert query().is_empty()
    assert board.is_attacked_by(k.Square.NONE, B) is False
    assert board.attacks_by(B, k.PieceType.NO_PIECE_TYPE).is_empty()
    assert board.attacks_by(B, k.PieceType.GOLD_LIKE).is_empty()
    rook = board.attacks_by(B, k.PieceType.ROOK)
    assert squares(rook) == ["1h", "2g", "2i", "3h", "4h", "5h", "6h", "7h", "8h"]


def test_king_blocks_its_own_line():
    board = k.Board("4r4/9/9/9/9/9/4K4/9/9 b - 1")
    assert not board.attackers_to_color_current(W, sq("5h")).test(sq("5a"))
    without_king = board.pieces()
    without_king.clear(sq("5g"))
    assert board.attackers_to_color(W, sq("5h"), without_king).test(sq("5a"))


def test_square_values_off_the_board_stop_with_the_panic():
    board = k.Board()
    off = k.Square.NONE.flip_side()  # 255: the one way to hold a value past the board
    for query in (lambda: board.piece_on(off), lambda: board.is_square_empty(off),
                  lambda: board.attackers_to_color_current(B, off), lambda: board.is_attacked_by(off, B),
                  lambda: board.attackers_to(off, board.pieces())):
        with pytest.raises(_korvan.PanicException):
            query()
    assert board.to_sfen() == START


def test_state_queries():
    board = k.Board()
    assert board.is_in_check() is False
    assert board.last_move() is None
    key = board.zobrist_hash()
    assert 0 <= key < 2**64
    assert key != k.Board(START.replace(" b ", " w ")).zobrist_hash()
    a, b = k.Board(), k.Board()
    for usi in ["7g7f", "3c3d", "2g2f"]:
        a.push_usi(usi)
    for usi in ["2g2f", "3c3d", "7g7f"]:
        b.push_usi(usi)
    assert a.zobrist_hash() == b.zobrist_hash()
    a.pop()
    assert a.last_move().to_usi() == "3c3d"
    check = k.Board("4k4/9/9/9/9/9/9/4r4/4K4 b - 1")
    assert check.is_in_check() is True


def test_repetition_queries():
    board = k.Board()
    cycle = ["2h3h", "8b7b", "3h2h", "7b8b"]
    for usi in cycle * 2:
        board.push_usi(usi)
    assert board.is_repetition(1) and board.is_repetition(2)
    assert not board.is_repetition()
    assert board.repetition_state() == k.RepetitionState.NONE
    for usi in cycle:
        board.push_usi(usi)
    assert board.is_repetition()
    assert board.repetition_state() == k.RepetitionState.DRAW
    assert board.is_repetition(0) is True
    with pytest.raises(OverflowError, match="^out of range integral type conversion attempted$"):
        board.is_repetition(256)
    for out_of_range in (-1, 2**70, -(2**70)):
        with pytest.raises(OverflowError, match="^out of range integral type conversion attempted$"):
            board.is_repetition(out_of_range)
    with pytest.raises(TypeError, match="^argument 'threshold': "):
        board.is_repetition("3")


def test_superior_repetition_is_reported_at_once():
    board = k.Board("4k4/9/9/9/9/9/9/9/4K4 b p 1")
    for usi in ["5i4i", "P*4h", "4i4h", "5a4a", "4h5i", "4a5a"]:
        board.push_usi(usi)
    assert board.repetition_state() == k.RepetitionState.SUPERIOR
    assert board.is_repetition(1) is False


def test_perpetual_check_to_the_fourth_occurrence():
    board = k.Board("4k4/9/9/9/9/9/9/9/R3K4 b - 1")
    board.push_usi("9i9a")
    for _ in range(3):
        for usi in ["5a5b", "9a9b", "5b5a", "9b9a"]:
            board.push_usi(usi)
    assert board.repetition_state() == k.RepetitionState.WIN
    board.push_usi("5a5b")
    assert board.repetition_state() == k.RepetitionState.LOSE


def test_mate_queries():
    board = k.Board()
    assert board.is_mated() is False
    assert board.solve_mate_in_one() is None
    assert board.can_declare_win() is False
    assert board.evaluate_declaration() == {"rule": "None", "can_declare": False, "detail_type": "NO_RULE"}
    gold = k.Board("4k4/9/4P4/9/9/9/9/9/4K4 b GR 1")
    m = gold.solve_mate_in_one()
    assert m.to_usi() == "G*5b" and m.piece_after_move == k.Piece(7)
    rook = k.Board("k8/pp7/9/9/9/9/9/9/4K3R b - 1").solve_mate_in_one()
    assert rook.to_usi() == "1i1a+" and rook.piece_after_move == k.Piece(14)
    assert k.Board("9/9/9/9/9/9/9/9/4K4 b G 1").solve_mate_in_one() is None
    # A pawn drop that would mate is never returned.
    assert k.Board("k8/9/9/9/3B5/9/9/9/1R5K1 b P 1").solve_mate_in_one() is None


def test_move_conversions():
    board = k.Board()
    m = board.move32_from_move(k.Move.from_usi("7g7f"))
    assert m.piece_after_move == k.Piece(1)
    for bad in ["3c3d", "5e5d", "6i6h+", "5i5h+"]:
        with pytest.raises(ValueError, match="^invalid move value$"):
            board.move32_from_move(k.Move.from_usi(bad))
    for special in (k.Move.MOVE_NONE, k.Move.MOVE_RESIGN):
        with pytest.raises(ValueError, match="^invalid move value$"):
            board.move32_from_move(special)
    assert board.move32_from_move(k.Move.from_usi("S*5e")).piece_after_move == k.Piece(4)  # no hand test
    capture = k.Board("4k4/9/9/9/4p3R/9/9/9/4K4 b - 1")
    a = capture.apery_move32_from_move(k.Move.from_usi("1e5e"))
    assert int(a) >> 20 & 15 == 1 and int(a) >> 16 & 15 == 6
    promo = k.Board("4k4/9/9/2P6/9/9/9/9/4K4 b - 1").apery_move32_from_move(k.Move.from_usi("7d7c+"))
    assert int(promo) & 0x4000 and not int(promo) & 0x8000
    drop = board.apery_move32_from_move(k.Move.from_usi("S*5e"))
    assert int(drop) >> 7 & 0x7F == 84 and int(drop) >> 16 == 0
    assert int(board.apery_move32_from_move(k.Move.MOVE_RESIGN)) == 258
    x, y = k.Move32(int(m)), k.Move32(int(m) & 0xFFFF)
    assert board.apery_move32_from_move32(x) == board.apery_move32_from_move32(y)


def test_value_class_methods_that_read_a_board():
    board = k.Board()
    assert k.Move.from_usi("7g7f").to_ki2(board) == "▲７六歩"
    with pytest.raises(ValueError, match="^invalid move value$"):
        k.Move.MOVE_RESIGN.to_ki2(board)
    with pytest.raises(ValueError, match="^invalid move value$"):
        k.Move.from_usi("5e5d").to_ki2(board)
    m = board.push_usi("7g7f")
    recapture = k.Board("4k4/9/9/4p4/9/4P4/9/9/4K4 b - 1")
    recapture.push_usi("5f5e")
    assert k.Move.from_usi("5d5e").to_ki2(recapture) == "△同　歩"
    assert m.to_csa() == "7776FU"
    assert k.Move32(int(m) & 0xFFFF).to_csa() is None
    bishop = k.Board("4k4/9/9/9/9/9/9/1B7/4K4 b - 1")
    assert bishop.move32_from_move(k.Move.from_usi("8h2b+")).to_csa() == "8822UM"
    assert k.Move32(0).to_ki2(board) is None
    apery = bishop.move32_from_move(k.Move.from_usi("8h2b+")).to_apery(bishop)
    assert int(apery) == 0x4000 | 70 << 7 | 10 | 5 << 16
    assert apery.to_move32(bishop).to_usi() == "8h2b+"
    empty = k.Board("4k4/9/9/9/9/9/9/9/4K4 b - 1")
    assert int(apery.to_move32(empty)) == 0
    assert int(k.AperyMove32(258).to_move32(empty)) == 258
