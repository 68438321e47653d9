"""Inputs the fuzz harnesses found faults with, kept as tests of the rules they broke."""

import pytest

import korvan as k


def legal_values(board):
    return sorted(int(m) for m in board.legal_moves())


def judged(value):
    # A drop's promotion flag means nothing: the board judges the move without it.
    return value & ~0x8000 if value & 0x4000 else value


@pytest.mark.parametrize(
    ("sfen", "usi"),
    [
        # A White bishop on 1e already attacks the Black king on 5i; White moves its king.
        ("4k4/9/9/9/8b/9/9/9/4K4 w - 1", "5a4a"),
        # A White rook down the open 5th file; White drops a pawn elsewhere.
        ("4k4/9/9/9/4r4/9/9/9/4K4 w p 1", "P*1a"),
        # The command the USI position harness found.
        ("l6nl/5+P1gk/2np1S3/p1p4Pp/3P2Sp1/1P2bPP1P/P5GsR/9/LN4bKL w GR5gLnsg 1", "G*3b"),
    ],
)
def test_a_check_the_set_up_left_stands_after_the_next_move(sfen, usi):
    pushed = k.Board(sfen)
    pushed.push_usi(usi)
    commanded = k.Board()
    commanded.set_usi_position(f"position sfen {sfen} moves {usi}")
    for board in (pushed, commanded):
        fresh = k.Board(board.to_sfen())
        assert board.is_in_check()
        assert board.is_in_check() == fresh.is_in_check()
        assert legal_values(board) == legal_values(fresh)


@pytest.mark.parametrize(
    "sfen",
    [
        # In check from the rook on 9a: the other king on 8b may capture it or block.
        "r7k/1K7/9/9/9/9/9/9/K8 b - 1",
        # The king on 5i may step onto the 4th file the White rook holds.
        "5r2k/9/9/9/9/9/9/9/K3K4 b - 1",
        # The position the legality harness found.
        "l3n2nl/5+P1gk/2np1s3/p1p4Pp/3P2Sp1/1PPb2P1P/P5GK1/R8/LN4bKL b RG5Pgs 2",
    ],
)
def test_with_two_kings_the_board_accepts_exactly_its_legal_moves(sfen):
    board = k.Board(sfen)
    legal = set(legal_values(board))
    assert legal
    for value in range(0x10000):
        assert board.is_legal_move(k.Move(value)) == (judged(value) in legal), value
    # Making and taking back any of them (the other king's moves found the fault in
    # the Board harness) leaves the same king and the same list.
    king = board.king_square(board.turn)
    for m in board.legal_moves():
        board.push_move(m)
        board.pop()
        assert board.king_square(board.turn) == king, m.to_usi()
        assert set(legal_values(board)) == legal, m.to_usi()
        assert board.to_sfen() == sfen
