"""The binding's shared behaviour: argument binding, argument-name prefixes, shared
conversions and borrow conflicts."""

import pytest

from korvan import (
    Bitboard,
    Color,
    Hand,
    Move,
    Move32,
    PieceType,
    Square,
    compact_move_label,
    move_label,
    to_move,
)
from korvan import _korvan


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: Move(), "Move.__new__() missing 1 required positional argument: 'value'"),
        (lambda: Move(1, 2), "Move.__new__() takes 1 positional argument but 2 were given"),
        (lambda: Color(0, 1), "Color.__new__() takes from 0 to 1 positional arguments but 2 were given"),
        (lambda: Hand(1), "Hand.__new__() takes 0 positional arguments but 1 was given"),
        (lambda: Bitboard(x=1), "Bitboard.__new__() got an unexpected keyword argument 'x'"),
        (lambda: Move(value=1, extra=2), "Move.__new__() got an unexpected keyword argument 'extra'"),
        (lambda: Square.from_file_rank(1, file=2), "Square.from_file_rank() got multiple values for argument 'file'"),
        (lambda: Square.from_file_rank(), "Square.from_file_rank() missing 2 required positional arguments: "
                                          "'file' and 'rank'"),
        (lambda: Square.from_file_rank(rank=1), "Square.from_file_rank() missing 1 required positional argument: "
                                                "'file'"),
        (lambda: Color.BLACK.flip(1), "Color.flip() takes 0 positional arguments but 1 was given"),
        (lambda: to_move(), "to_move() missing 1 required positional argument: 'move'"),
        (lambda: move_label(), "move_label() missing 2 required positional arguments: 'move' and 'turn'"),
        (lambda: Hand().add(PieceType.PAWN), "Hand.add() missing 1 required positional argument: 'amount'"),
    ],
)
def test_argument_binding_messages(call, message):
    with pytest.raises(TypeError) as info:
        call()
    assert str(info.value) == message


def test_keywords_bind_like_positions():
    assert Square.from_file_rank(rank=2, file=1) == Square.from_file_rank(1, 2) == 11
    assert Move(value=3) == 3
    assert move_label(turn=Color.BLACK, move="7g7f") == 59


def test_keywords_made_at_run_time_bind_by_their_text():
    # Names written in a call are interned; these are not, so they are matched by text.
    rank, file = "".join(["ra", "nk"]), "".join(["fi", "le"])
    assert Square.from_file_rank(**{rank: 2, file: 1}) == 11
    with pytest.raises(TypeError) as info:
        Square.from_file_rank(1, **{file: 2})
    assert str(info.value) == "Square.from_file_rank() got multiple values for argument 'file'"


def test_subclass_construction_binds_the_same_way():
    class MySquare(Square):
        pass

    assert type(MySquare(value=5)) is MySquare
    with pytest.raises(TypeError, match=r"^Square.__new__\(\) got an unexpected keyword argument 'x'$"):
        MySquare(x=1)


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: Square.from_usi(1), "argument 'usi': 'int' object cannot be cast as 'str'"),
        (lambda: Bitboard.from_square(5), "argument 'square': 'int' object cannot be cast as 'Square'"),
        (lambda: Hand().count(1), "argument 'piece_type': 'int' object cannot be cast as 'PieceType'"),
        (lambda: move_label("7g7f", 0), "argument 'turn': 'int' object cannot be cast as 'Color'"),
        (lambda: Square.from_index("1"), "argument 'idx': 'str' object cannot be interpreted as an integer"),
    ],
)
def test_failed_conversions_carry_the_argument_name(call, message):
    with pytest.raises(TypeError) as info:
        call()
    assert str(info.value) == message


@pytest.mark.parametrize(
    "value, expected",
    [(Move(7), 7), (Move32(0x1F0007), 7), (7, 7), (0, 0), (65535, 65535)],
)
def test_to_move(value, expected):
    result = to_move(value)
    assert type(result) is Move and result == expected


@pytest.mark.parametrize(
    "value, kind, message",
    [
        ("7g7f", TypeError, "to_move() expects Move, Move32, or int"),
        (1.0, TypeError, "to_move() expects Move, Move32, or int"),
        (-1, ValueError, "move must fit in uint16 range"),
        (65536, ValueError, "move must fit in uint16 range"),
        (2**100, ValueError, "move must fit in uint16 range"),
        (True, ValueError, "move must be an integer fitting in uint16 range"),
        (2**200, ValueError, "move must be an integer fitting in uint16 range"),
        (-(2**127), ValueError, "move must fit in uint16 range"),
        (-(2**127) - 1, ValueError, "move must be an integer fitting in uint16 range"),
        (2**127 - 1, ValueError, "move must fit in uint16 range"),
        (2**127, ValueError, "move must be an integer fitting in uint16 range"),
    ],
)
def test_to_move_failures(value, kind, message):
    with pytest.raises(kind) as info:
        to_move(value)
    assert str(info.value) == message


def test_u16_ints_are_read_through_their_text():
    class Shown(int):
        def __str__(self):
            return "+12"

    class Odd(int):
        def __str__(self):
            return "twelve"

    assert to_move(Shown(99)) == 12
    with pytest.raises(ValueError, match="^move must be an integer fitting in uint16 range$"):
        to_move(Odd(12))


@pytest.mark.parametrize(
    "value, label",
    [(Move.from_usi("7g7f"), 59), (Move32(0x10000 | Move.from_usi("7g7f").value), 59),
     (Move.from_usi("7g7f").value, 59), ("7g7f", 59), ("P*5e", 1660)],
)
def test_move_argument_kinds(value, label):
    assert move_label(value, Color.BLACK) == label


@pytest.mark.parametrize(
    "value, kind, message",
    [
        ("7g7x", ValueError, "move must be valid USI move when passed as str"),
        (1.5, TypeError, "move must be Move, Move32, int, or USI str"),
        (-1, ValueError, "move must fit in uint16 range"),
        (False, ValueError, "move must be an integer fitting in uint16 range"),
    ],
)
def test_move_argument_failures_are_not_prefixed(value, kind, message):
    with pytest.raises(kind) as info:
        move_label(value, Color.BLACK)
    assert str(info.value) == message


def test_resign_text_is_the_special_move():
    assert compact_move_label("resign", Color.BLACK) is None
    with pytest.raises(ValueError, match="^move cannot be encoded as a policy label$"):
        move_label("resign", Color.BLACK)


def test_exclusive_borrow_refuses_a_shared_reentry():
    hand = Hand()
    seen = []

    class Reenter:
        def __index__(self):
            try:
                hand.count(PieceType.PAWN)
            except RuntimeError as e:
                seen.append(str(e))
                raise
            return 1

    with pytest.raises(RuntimeError, match="^Already mutably borrowed$"):
        hand.add(PieceType.PAWN, Reenter())
    assert seen == ["Already mutably borrowed"]
    assert int(hand) == 0
    hand.add(PieceType.PAWN, 1)  # the borrow was released
    assert int(hand) == 1


def test_exclusive_borrow_refuses_an_exclusive_reentry():
    hand = Hand()

    class Reenter:
        def __index__(self):
            hand.sub(PieceType.PAWN, 1)
            return 1

    with pytest.raises(RuntimeError, match="^Already borrowed$"):
        hand.add(PieceType.PAWN, Reenter())
    assert int(hand) == 0


def test_panic_exception_is_a_base_exception_outside_all():
    assert issubclass(_korvan.PanicException, BaseException)
    assert not issubclass(_korvan.PanicException, Exception)
    assert "PanicException" not in _korvan.__all__
