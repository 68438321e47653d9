"""PositionState: construction, edits, SFEN, comparison, moving into and out of a
Board; ValidationIssue and ValidationReport and the validation members of both."""

import copy

import numpy as np
import pytest

import korvan as k
from shared_checks import sq

START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"
EMPTY = "9/9/9/9/9/9/9/9/9 b - 1"


@pytest.mark.parametrize("make", [k.PositionState, lambda: k.PositionState(None), lambda: k.PositionState(sfen=None)])
def test_default_state(make):
    state = make()
    assert state == k.PositionState()
    assert state.to_sfen() == EMPTY
    assert state.to_sfen(False) == "9/9/9/9/9/9/9/9/9 b -"
    assert state.to_sfen(include_ply=np.bool_(False)) == "9/9/9/9/9/9/9/9/9 b -"
    assert state.board == [k.Piece(0)] * 81
    assert [h.value for h in state.hands] == [0, 0]
    assert state.ply == 1
    assert state.side_to_move == k.Color.BLACK


@pytest.mark.parametrize(
    "sfen, normalised",
    [
        (START, START),
        ("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w p2P 17",
         "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w 2Pp 17"),
        ("4k4/9/9/9/9/9/9/9/4K4 b 1R", "4k4/9/9/9/9/9/9/9/4K4 b R 0"),
        ("+r8/9/9/9/9/9/9/9/8+B b - 0", "+r8/9/9/9/9/9/9/9/8+B b - 0"),
    ],
)
def test_sfen_in_and_out(sfen, normalised):
    state = k.PositionState(sfen)
    assert state.to_sfen() == normalised
    assert k.PositionState.from_sfen(sfen) == state
    assert k.Board(sfen).to_position_state() == state


@pytest.mark.parametrize(
    "call, error, message",
    [
        (lambda: k.PositionState("9/9/9/9/9/9/9/9/9 x - 1"), ValueError, "invalid turn: 'x'"),
        (lambda: k.PositionState.from_sfen("bad"), ValueError, "missing field: Turn"),
        (lambda: k.PositionState.from_sfen(None), TypeError, "argument 'sfen': 'NoneType' object cannot be cast as 'str'"),
        (lambda: k.PositionState(5), TypeError, "argument 'sfen': 'int' object cannot be cast as 'str'"),
        (lambda: k.PositionState().to_sfen(1), TypeError, "argument 'include_ply': 'int' object cannot be cast as 'PyBool'"),
        (lambda: k.PositionState().piece_on(40), TypeError, "argument 'square': 'int' object cannot be cast as 'Square'"),
        (lambda: k.PositionState().set_piece(sq("5e"), 1), TypeError,
         "argument 'piece': 'int' object cannot be cast as 'Piece'"),
        (lambda: k.PositionState().hand(0), TypeError, "argument 'color': 'int' object cannot be cast as 'Color'"),
        (lambda: k.PositionState().set_hand(k.Color.BLACK, 3), TypeError,
         "argument 'hand': 'int' object cannot be cast as 'Hand'"),
        (lambda: k.PositionState().piece_on(k.Square.NONE), ValueError, "square must be on board"),
        (lambda: k.PositionState().piece_on(k.Square.NONE.flip_side()), ValueError, "square must be on board"),
        (lambda: k.PositionState(foo=1), TypeError, "PositionState.__new__() got an unexpected keyword argument 'foo'"),
    ],
)
def test_errors(call, error, message):
    with pytest.raises(error) as e:
        call()
    assert str(e.value) == message


def test_piece_and_hand_edits():
    state = k.PositionState()
    white_dragon = k.Piece(16 + 14)
    state.set_piece(sq("1a"), white_dragon)
    state.set_piece(square=sq("9i"), piece=k.Piece(8))
    assert state.piece_on(sq("1a")) == white_dragon
    assert state.board[0] == white_dragon and state.board[80] == k.Piece(8)
    hand = k.Hand()
    hand.add(k.PieceType.PAWN, 3)
    state.set_hand(k.Color.WHITE, hand)
    hand.add(k.PieceType.ROOK, 1)  # the state holds a copy
    assert state.hand(k.Color.WHITE).count(k.PieceType.PAWN) == 3
    assert state.hand(k.Color.WHITE).count(k.PieceType.ROOK) == 0
    state.side_to_move = k.Color.WHITE
    state.ply = 0
    assert state.to_sfen() == "8+r/9/9/9/9/9/9/9/K8 w 3p 0"
    assert repr(state) == 'PositionState(side_to_move=White, ply=0, sfen="8+r/9/9/9/9/9/9/9/K8 w 3p 0")'


def test_set_piece_on_the_none_square_changes_nothing():
    state = k.PositionState(START)
    with pytest.raises(ValueError, match="^square must be on board$"):
        state.set_piece(k.Square.NONE, k.Piece(1))
    assert state.to_sfen() == START


def test_getters_hand_out_fresh_objects():
    state = k.PositionState(START)
    hand = state.hands[0]
    hand.add(k.PieceType.GOLD, 1)
    assert state.hands[0].value == 0
    board = state.board
    board[0] = k.Piece(0)
    assert state.piece_on(sq("1a")) != k.Piece(0)


@pytest.mark.parametrize(
    "value, error, message",
    [
        (65536, ValueError, "ply must fit in uint16 range (0..65535)"),
        (2**32 - 1, ValueError, "ply must fit in uint16 range (0..65535)"),
        (-1, OverflowError, "out of range integral type conversion attempted"),
        (2**32, OverflowError, "out of range integral type conversion attempted"),
        ("1", TypeError, "argument 'ply': 'str' object cannot be interpreted as an integer"),
    ],
)
def test_ply_setter_errors(value, error, message):
    state = k.PositionState()
    state.ply = 9
    with pytest.raises(error) as e:
        state.ply = value
    assert str(e.value) == message
    assert state.ply == 9


@pytest.mark.parametrize("value", [0, 1, 65535, np.uint16(300), True])
def test_ply_setter(value):
    state = k.PositionState()
    state.ply = value
    assert state.ply == int(value)


def test_attributes_cannot_be_deleted():
    state = k.PositionState()
    for name in ["ply", "side_to_move"]:
        with pytest.raises(AttributeError, match="^can't delete attribute$"):
            delattr(state, name)
    with pytest.raises(TypeError, match="^argument 'color': 'int' object cannot be cast as 'Color'$"):
        state.side_to_move = 1


def test_equality_copies_and_hash():
    a = k.PositionState(START)
    b = k.PositionState.from_sfen(START)
    assert a == b and not a != b
    for c in (a.copy(), copy.copy(a)):
        assert c == a and c is not a
    b.ply = 2
    assert a != b and not a == b
    assert (a == 5) is False and (a != 5) is True
    for op in ["__lt__", "__le__", "__gt__", "__ge__"]:
        with pytest.raises(TypeError, match=r"^PositionState only supports == and !=$"):
            getattr(a, op)(b)
    with pytest.raises(TypeError):
        a < 5
    with pytest.raises(TypeError, match="unhashable"):
        hash(a)


def test_from_sfen_on_a_subclass_gives_a_plain_state():
    class Mine(k.PositionState):
        pass

    assert type(Mine(START)) is Mine
    assert type(Mine.from_sfen(START)) is k.PositionState


def test_into_and_out_of_a_board():
    board = k.Board()
    board.push_usi("7g7f")
    state = k.PositionState("4k4/9/9/9/9/9/9/9/9 w 2P 321")
    assert board.set_position_state(state) is None
    assert board.to_sfen() == "4k4/9/9/9/9/9/9/9/9 w 2P 321"
    assert board.game_ply == 321
    assert board.pop() is None
    # A state with no kings at all is taken as it is.
    board.set_position_state(state=k.PositionState())
    assert board.to_sfen() == EMPTY
    out = board.to_position_state()
    assert out == k.PositionState() and out is not board.to_position_state()


def test_set_position_state_argument():
    with pytest.raises(TypeError) as e:
        k.Board().set_position_state(START)
    assert str(e.value) == "argument 'state': 'str' object cannot be cast as 'PositionState'"


# The Piece values Python can make that name no piece: GOLD_LIKE of either colour and
# White without a type.
NO_PIECE = {15: k.Piece(15), 31: k.Piece(31), 16: k.Piece.from_color_type(k.Color.WHITE, k.PieceType.NO_PIECE_TYPE)}


@pytest.mark.parametrize("code", NO_PIECE)
def test_bytes_that_name_no_piece(code):
    state = k.PositionState()
    state.set_piece(sq("5e"), NO_PIECE[code])
    assert state.piece_on(sq("5e")).value == code
    assert state.to_sfen() == "9/9/9/9/4?4/9/9/9/9 b - 1"
    board = k.Board()
    board.push_usi("7g7f")
    with pytest.raises(ValueError) as e:
        board.set_position_state(state)
    assert str(e.value) == f"invalid piece code {code} on Square(40)"
    assert board.last_move().to_usi() == "7g7f"
    issue = state.validate_all().issues[-1]
    assert (issue.kind, issue.square, issue.piece_type) == ("INVALID_PLACEMENT", sq("5e"), k.PieceType(code & 15))
    assert state.is_valid() is False
    with pytest.raises(ValueError, match=rf"^invalid placement of PieceType\({code & 15}\) on Square\(40\)$"):
        state.validate()


# (kind, color, file_usi, count, square, piece_type, message) of each finding
def finding(issue):
    return (issue.kind, issue.color, issue.file_usi, issue.count, issue.square, issue.piece_type, issue.message)


B, W = k.Color.BLACK, k.Color.WHITE
PT = k.PieceType


@pytest.mark.parametrize(
    "sfen, findings, first",
    [
        (START, [], None),
        (EMPTY, [("NO_KING", B, None, None, None, None, "Black king is missing"),
                 ("NO_KING", W, None, None, None, None, "White king is missing")], None),
        ("4k4/9/9/9/9/9/9/9/2KKK4 b - 1", [("TWO_KINGS", B, None, None, None, None, "Black has two or more kings")],
         "Black has two or more kings"),
        ("p3k4/p8/9/9/9/9/9/9/4K4 b - 1",
         [("DOUBLE_PAWN", W, "9", None, None, None, "White has double pawn on file File(8)")],
         "White has double pawn on file File(8)"),
        ("4k4/9/9/9/9/9/9/9/4K4 b 3B 1",
         [("INVALID_HAND_COUNT", None, None, 3, None, PT.BISHOP, "invalid hand count for HandPiece(4): 3")],
         "invalid hand count for HandPiece(4): 3"),
        ("4k4/9/9/9/9/9/9/9/4K4 w 19p5g 1",
         [("INVALID_HAND_COUNT", None, None, 19, None, PT.PAWN, "invalid hand count for HandPiece(0): 19"),
          ("INVALID_HAND_COUNT", None, None, 5, None, PT.GOLD, "invalid hand count for HandPiece(6): 5")],
         "invalid hand count for HandPiece(0): 19"),
        # A Black knight on 2b and a White lance on 1i; a promoted knight on 9a is fine.
        ("+N3k4/7N1/9/9/9/9/9/9/l3K4 b - 1",
         [("INVALID_PLACEMENT", None, None, None, sq("2b"), PT.KNIGHT, "invalid placement of PieceType(3) on Square(10)"),
          ("INVALID_PLACEMENT", None, None, None, sq("9i"), PT.LANCE, "invalid placement of PieceType(2) on Square(80)")],
         "invalid placement of PieceType(3) on Square(10)"),
        # File order before colour, pawns before hands.
        ("4k3p/8p/9/9/9/9/8P/8P/4K4 b 3R 1",
         [("DOUBLE_PAWN", B, "1", None, None, None, "Black has double pawn on file File(0)"),
          ("DOUBLE_PAWN", W, "1", None, None, None, "White has double pawn on file File(0)"),
          ("INVALID_HAND_COUNT", None, None, 3, None, PT.ROOK, "invalid hand count for HandPiece(5): 3")],
         "Black has double pawn on file File(0)"),
    ],
)
def test_validation(sfen, findings, first):
    for subject in (k.PositionState(sfen), k.Board(sfen)):
        report = subject.validate_all()
        assert [finding(i) for i in report.issues] == findings
        assert len(report) == len(findings)
        assert report.is_valid() is (not findings)
        assert repr(report) == f"ValidationReport(is_valid={'false' if findings else 'true'}, issue_count={len(findings)})"
        assert subject.is_valid() is (first is None)
        if first is None:
            assert subject.validate() is None
        else:
            with pytest.raises(ValueError) as e:
                subject.validate()
            assert str(e.value) == first


def test_issue_texts_and_equality():
    issues = k.PositionState(EMPTY).validate_all().issues
    issue = issues[1]
    assert str(issue) == issue.message == "White king is missing"
    assert repr(issue) == "ValidationIssue(kind='NO_KING', message=\"White king is missing\")"
    assert issue == k.PositionState(EMPTY).validate_all().issues[1]
    assert issue != issues[0] and issue != "White king is missing"
    assert k.PositionState(EMPTY).validate_all() == k.Board(EMPTY).validate_all()
    assert k.PositionState(EMPTY).validate_all() != k.Board(START).validate_all()
    assert (k.Board(START).validate_all() == []) is False
    for obj, name in [(issue, "ValidationIssue"), (k.Board(START).validate_all(), "ValidationReport")]:
        with pytest.raises(TypeError, match=rf"^{name} only supports == and !=$"):
            obj < obj
        with pytest.raises(TypeError, match="unhashable"):
            hash(obj)


def test_report_classes_cannot_be_made():
    for cls in (k.ValidationIssue, k.ValidationReport):
        with pytest.raises(TypeError):
            cls()


def test_validation_leaves_the_state_alone():
    state = k.PositionState("4k4/9/9/9/9/9/9/9/2KKK4 b - 1")
    before = state.copy()
    state.validate_all()
    state.is_valid()
    assert state == before
