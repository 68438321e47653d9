"""The shape every value class shares: comparison, hashing, int() and class attributes."""

import pytest

from korvan import (
    AperyMove,
    AperyMove32,
    Bitboard,
    Color,
    GameResult,
    Hand,
    Move,
    Move32,
    MoveType,
    Piece,
    PieceType,
    RepetitionState,
    Square,
)

PLAIN = "comparison only supports == and !="

# class, a sample value object, its raw value, the ordering message, the int range
# accepted on the other side of == (None: no int accepted)
VALUE_CLASSES = [
    (Color, lambda: Color(1), 1, PLAIN, (-128, 127)),
    (Square, lambda: Square(60), 60, PLAIN, (-128, 127)),
    (PieceType, lambda: PieceType(7), 7, PLAIN, (-128, 127)),
    (Piece, lambda: Piece(17), 17, PLAIN, (-128, 127)),
    (MoveType, lambda: MoveType.DROP, 2, PLAIN, None),
    (RepetitionState, lambda: RepetitionState.SUPERIOR, 4, PLAIN, None),
    (GameResult, lambda: GameResult(16), 16, "GameResult only supports == and !=", (0, 2**32 - 1)),
    (Move, lambda: Move(1234), 1234, "Move only supports == and !=", (0, 2**16 - 1)),
    (Move32, lambda: Move32(0x10000 | 1234), 0x10000 | 1234, "Move32 only supports == and !=", (0, 2**32 - 1)),
    (AperyMove, lambda: AperyMove(4321), 4321, "AperyMove only supports == and !=", (0, 2**16 - 1)),
    (AperyMove32, lambda: AperyMove32(0x500000 | 99), 0x500000 | 99, "AperyMove32 only supports == and !=",
     (0, 2**32 - 1)),
]
IDS = [row[0].__name__ for row in VALUE_CLASSES]


@pytest.mark.parametrize("cls, make, raw, order_error, int_range", VALUE_CLASSES, ids=IDS)
def test_equality_and_hash_follow_the_raw_value(cls, make, raw, order_error, int_range):
    a, b = make(), make()
    if cls not in (MoveType, RepetitionState):  # these have no value constructor
        assert a is not b
    assert a == b and not (a != b)
    assert hash(a) == hash(b) == raw
    assert len({a, b}) == 1


@pytest.mark.parametrize("cls, make, raw, order_error, int_range", VALUE_CLASSES, ids=IDS)
@pytest.mark.parametrize("op", ["<", "<=", ">", ">="])
def test_ordering_is_refused_even_within_the_class(cls, make, raw, order_error, int_range, op):
    with pytest.raises(TypeError) as info:
        eval(f"a {op} b", {"a": make(), "b": make()})
    assert str(info.value) == order_error


@pytest.mark.parametrize("cls, make, raw, order_error, int_range", VALUE_CLASSES, ids=IDS)
def test_ints_on_the_other_side(cls, make, raw, order_error, int_range):
    value = make()
    if int_range is None:
        with pytest.raises(TypeError, match=f"^unsupported comparison for {cls.__name__}$"):
            value == raw  # noqa: B015
        return
    low, high = int_range
    assert value == raw and raw == value
    assert value != (raw + 1 if raw < high else raw - 1)
    if cls is GameResult:  # wider than the byte it holds: unequal, not refused
        assert value != 256 and value != high
    for outside in (low - 1, high + 1):
        with pytest.raises(TypeError, match=f"^unsupported comparison for {cls.__name__}$"):
            value == outside  # noqa: B015


@pytest.mark.parametrize("cls, make, raw, order_error, int_range", VALUE_CLASSES, ids=IDS)
@pytest.mark.parametrize("other", [1.0, "1", None, object()], ids=["float", "str", "None", "object"])
def test_other_kinds_are_unsupported(cls, make, raw, order_error, int_range, other):
    with pytest.raises(TypeError, match=f"^unsupported comparison for {cls.__name__}$"):
        make() == other  # noqa: B015


@pytest.mark.parametrize(
    "left, right",
    [(Move(1), Move32(1)), (Move32(1), Move(1)), (AperyMove(1), Move(1)), (Color(0), PieceType(0)),
     (Square(0), Piece(0)), (MoveType(), RepetitionState())],
)
def test_no_other_class_is_converted(left, right):
    with pytest.raises(TypeError, match=f"^unsupported comparison for {type(left).__name__}$"):
        left == right  # noqa: B015


@pytest.mark.parametrize("cls, make, raw, order_error, int_range", VALUE_CLASSES, ids=IDS)
def test_int_gives_the_raw_value(cls, make, raw, order_error, int_range):
    if cls in (MoveType, RepetitionState):
        with pytest.raises(TypeError):
            int(make())
    else:
        assert int(make()) == raw
        assert make().value == raw


def test_hand_and_bitboard_compare_by_identity():
    h1, h2 = Hand(), Hand()
    assert h1 != h2 and h1 == h1
    assert int(h1) == int(h2) == 0
    b1, b2 = Bitboard(), Bitboard()
    assert b1 != b2 and b1 == b1
    assert hash(b1) == object.__hash__(b1)
    with pytest.raises(TypeError):
        b1 < b2  # noqa: B015


def test_subclasses_compare_by_value_and_keep_their_class():
    class MyMove(Move):
        pass

    m = MyMove(5)
    assert type(m) is MyMove
    assert m == Move(5) and Move(5) == m
    assert type(m.to_apery()) is AperyMove


CLASS_ATTRIBUTES = [
    (Color, ["BLACK", "WHITE"]),
    (Square, ["NONE"]),
    (PieceType, ["NO_PIECE_TYPE", "PAWN", "GOLD", "KING", "DRAGON", "GOLD_LIKE"]),
    (Hand, ["ZERO"]),
    (Bitboard, ["EMPTY", "ALL"]),
    (MoveType, ["NORMAL", "PROMOTION", "DROP"]),
    (RepetitionState, ["NONE", "WIN", "LOSE", "DRAW", "SUPERIOR", "INFERIOR"]),
    (GameResult, ["BLACK_WIN", "PAUSED", "WHITE_WIN_BY_TRY_RULE"]),
    (Move, ["MOVE_NONE", "MOVE_NULL", "MOVE_RESIGN", "MOVE_WIN", "MOVE_END"]),
    (Move32, ["MOVE_NONE", "MOVE_NULL", "MOVE_RESIGN", "MOVE_WIN", "MOVE_END"]),
]


@pytest.mark.parametrize("cls, names", CLASS_ATTRIBUTES, ids=[c.__name__ for c, _ in CLASS_ATTRIBUTES])
def test_class_attributes_are_single_objects(cls, names):
    for name in names:
        first = getattr(cls, name)
        assert type(first) is cls
        assert getattr(cls, name) is first
        assert getattr(first, name) is first  # reachable through an instance too


@pytest.mark.parametrize(
    "cls, args, message",
    [
        (Move, ("7g7f",), "argument 'value': 'str' object cannot be interpreted as an integer"),
        (Move32, (1.5,), "argument 'value': 'float' object cannot be interpreted as an integer"),
        (Color, ("b",), "argument 'value': 'str' object cannot be interpreted as an integer"),
        (GameResult, (None,), "argument 'value': 'NoneType' object cannot be interpreted as an integer"),
        # The interpreter names the class by its full name here.
        (AperyMove, (Move(1),), "argument 'value': 'korvan._korvan.Move' object cannot be interpreted as an integer"),
    ],
)
def test_constructor_type_errors_name_the_argument(cls, args, message):
    with pytest.raises(TypeError) as info:
        cls(*args)
    assert str(info.value) == message


@pytest.mark.parametrize(
    "cls, value",
    [(Color, 128), (Color, -129), (Square, 200), (PieceType, 128), (Piece, 300), (GameResult, 256),
     (GameResult, -1), (Move, 65536), (Move, -1), (Move32, 2**32), (AperyMove, 2**16), (AperyMove32, -1)],
)
def test_constructor_overflow(cls, value):
    with pytest.raises(OverflowError, match="^out of range integral type conversion attempted$"):
        cls(value)


def test_integer_index_protocol_is_accepted():
    class Index:
        def __index__(self):
            return 7

    assert Move(Index()) == 7
    assert PieceType(Index()) == PieceType.GOLD
    assert Move(True) == 1
