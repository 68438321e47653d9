"""Board set-up, copies, and the calling shape every Board member shares."""

import gc
import sys
import threading

import pytest

import korvan as k
from korvan import _korvan

START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"


@pytest.mark.parametrize("make", [k.Board, lambda: k.Board(None), lambda: k.Board(sfen=None)])
def test_default_board_is_the_start_position(make):
    board = make()
    assert board.to_sfen() == START
    assert board.turn == k.Color.BLACK
    assert board.game_ply == 1
    assert board.pop() is None


@pytest.mark.parametrize(
    "sfen, message",
    [
        ("bad", "missing field: Turn"),
        ("", "missing field: Placement"),
        ("9/9/9/9/9/9/9/9/9 x - 1", "invalid turn: 'x'"),
        ("9/9/9/9/9/9/9/9/9 b 16L 1", "invalid hand count for PieceType(2): 16"),
        ("9/9/9/9/9/9/9/9/9 b - 70000", "invalid ply: number too large to fit in target type"),
    ],
)
def test_bad_sfen_is_refused_with_the_parser_text(sfen, message):
    with pytest.raises(ValueError) as e:
        k.Board(sfen)
    assert str(e.value) == message
    board = k.Board()
    board.push_usi("7g7f")
    with pytest.raises(ValueError) as e:
        board.set_sfen(sfen)
    assert str(e.value) == message
    # Nothing changed, history included.
    assert board.to_sfen() == "lnsgkgsnl/1r5b1/ppppppppp/9/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL w - 2"
    assert board.pop().to_usi() == "7g7f"


def test_unvalidated_positions_are_accepted():
    board = k.Board("9/9/9/9/9/9/9/9/9 w - 0")
    assert board.king_square(k.Color.BLACK) == k.Square.NONE
    assert board.game_ply == 0
    assert board.turn == k.Color.WHITE


def test_set_sfen_drops_the_history():
    board = k.Board()
    board.push_usi("7g7f")
    board.set_sfen(START)
    assert board.pop() is None
    board.push_usi("2g2f")
    board.reset()
    assert board.to_sfen() == START
    assert board.pop() is None


def test_set_usi_position_keeps_its_moves_as_history():
    board = k.Board()
    board.set_usi_position("startpos moves 7g7f 3c3d")
    assert board.turn == k.Color.BLACK
    assert board.game_ply == 3
    assert [board.pop().to_usi() for _ in range(2)] == ["3c3d", "7g7f"]
    assert board.pop() is None


@pytest.mark.parametrize(
    "command, message",
    [
        ("", "USI position string must not be empty"),
        ("startpos 7g7f", "unexpected token sequence in USI position: startpos 7g7f"),
        ("startpos moves 7g7f+", "illegal move '7g7f+' in USI position: startpos moves 7g7f+"),
        ("startpos moves resign", "invalid move value 'resign' in USI position: startpos moves resign"),
        ("sfen 9/9 b -", "invalid USI position (expected 'sfen <board> <turn> <hand> <ply>'): sfen 9/9 b -"),
        ("sfen 9/9 b - 1", "invalid USI position SFEN: 9/9 b - 1 (invalid square)"),
    ],
)
def test_set_usi_position_errors_leave_the_board(command, message):
    board = k.Board()
    board.push_usi("2g2f")
    with pytest.raises(ValueError) as e:
        board.set_usi_position(command)
    assert str(e.value) == message
    assert board.last_move().to_usi() == "2g2f"


def test_copy_carries_an_independent_history():
    board = k.Board()
    for usi in ["7g7f", "3c3d", "8h2b+"]:
        board.push_usi(usi)
    for copy in (board.copy(), board.__copy__()):
        assert copy.to_sfen() == board.to_sfen()
        assert copy.pop().to_usi() == "8h2b+"
        assert copy.to_sfen() != board.to_sfen()
        assert board.last_move().to_usi() == "8h2b+"

    class Sub(k.Board):
        pass

    assert type(Sub().copy()) is k.Board


def test_long_history_copies_and_unwinds():
    board = k.Board()
    cycle = ["2h3h", "8b7b", "3h2h", "7b8b"]
    for i in range(200):
        board.push_usi(cycle[i % 4])
    copy = board.copy()
    for _ in range(200):
        assert copy.pop() is not None
    assert copy.pop() is None
    assert copy.to_sfen() == START
    assert board.game_ply == 201


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda b: b.set_sfen(), "Board.set_sfen() missing 1 required positional argument: 'sfen'"),
        (lambda b: b.set_sfen(START, START), "Board.set_sfen() takes 1 positional argument but 2 were given"),
        (lambda b: b.set_sfen(START, sfen=START), "Board.set_sfen() got multiple values for argument 'sfen'"),
        (lambda b: b.set_sfen(text=START), "Board.set_sfen() got an unexpected keyword argument 'text'"),
        (lambda b: b.set_sfen(1), "argument 'sfen': 'int' object cannot be cast as 'str'"),
        (lambda b: k.Board(1), "argument 'sfen': 'int' object cannot be cast as 'str'"),
        (lambda b: b.set_usi_position(b"startpos"), "argument 'position': 'bytes' object cannot be cast as 'str'"),
        (lambda b: b.push_move(5), "argument 'r#move': 'int' object cannot be cast as 'Move'"),
        (lambda b: b.push_move32(k.Move(5)), "argument 'r#move': 'Move' object cannot be cast as 'Move32'"),
        (lambda b: b.undo_move("7g7f"), "argument 'r#move': 'str' object cannot be cast as 'Move'"),
        (lambda b: b.push_usi(None), "argument 'usi': 'NoneType' object cannot be cast as 'str'"),
        (lambda b: b.piece_on(5), "argument 'square': 'int' object cannot be cast as 'Square'"),
        (lambda b: b.pieces_for(1, 2), "argument 'piece_type': 'int' object cannot be cast as 'PieceType'"),
        (lambda b: b.attackers_to(k.Square.NONE, 5), "argument 'occupied': 'int' object cannot be cast as 'Bitboard'"),
        (lambda b: b.move32_from_move(k.Move32(1)), "argument 'mv': 'Move32' object cannot be cast as 'Move'"),
        (lambda b: k.Board.push_usi(5, "7g7f"), "'int' object cannot be cast as 'Board'"),
        (lambda b: k.Board.to_sfen("x"), "'str' object cannot be cast as 'Board'"),
        (lambda b: k.Move(1).to_ki2(5), "argument 'board': 'int' object cannot be cast as 'Board'"),
    ],
)
def test_argument_errors(call, message):
    board = k.Board()
    with pytest.raises(TypeError) as e:
        call(board)
    assert str(e.value) == message
    assert board.to_sfen() == START


def test_methods_keep_text_signatures():
    assert k.Board.is_repetition.__text_signature__ == "($self, threshold=3)"
    assert k.Board.push_usi.__name__ == "push_usi"
    assert k.Board.push_usi.__qualname__ == "Board.push_usi"
    assert repr(k.Board.pop) == "<method 'pop' of 'korvan._korvan.Board' objects>"


def run_in_thread(fn):
    box = {}

    def target():
        try:
            box["value"] = fn()
        except BaseException as e:  # the panic exception is a BaseException
            box["error"] = e

    t = threading.Thread(target=target)
    t.start()
    t.join()
    return box


@pytest.mark.parametrize(
    "call",
    [lambda b: b.push_usi("7g7f"), lambda b: b.to_sfen(), lambda b: b.turn, lambda b: b.legal_moves(),
     lambda b: k.Move(7739).to_ki2(b)],
)
def test_other_threads_are_refused(call):
    board = k.Board()
    box = run_in_thread(lambda: call(board))
    assert isinstance(box.get("error"), _korvan.PanicException)
    assert "korvan::PyBoard is unsendable, but sent to another thread" in str(box["error"])
    assert board.to_sfen() == START


def test_release_on_another_thread_is_reported_and_leaked():
    seen = []
    old = sys.unraisablehook
    sys.unraisablehook = lambda info: seen.append(str(info.exc_value))
    try:
        holder = [k.Board()]

        def drop():
            del holder[0]  # the last reference goes on the other thread

        run_in_thread(drop)
        gc.collect()
    finally:
        sys.unraisablehook = old
    assert any("korvan::PyBoard is unsendable, but is being dropped on another thread" in s for s in seen)


def test_reentrant_calls_meet_the_borrow():
    board = k.Board()

    class Threshold:
        def __index__(self):
            board.push_usi("7g7f")  # needs the board exclusively while is_repetition reads it
            return 3

    with pytest.raises(RuntimeError) as e:
        board.is_repetition(Threshold())
    assert str(e.value) == "Already borrowed"
    assert board.to_sfen() == START

    class Reader:
        def __index__(self):
            return board.game_ply

    assert board.is_repetition(Reader()) is False  # two shared borrows coexist
