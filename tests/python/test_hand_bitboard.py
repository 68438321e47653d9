"""Hand and Bitboard, the two classes changed in place."""

import pytest

from korvan import Bitboard, Hand, PieceType, Square


def test_hand_counts_and_texts():
    hand = Hand()
    hand.add(PieceType.PAWN, 3)
    assert hand.count(PieceType.PAWN) == 3 and str(hand) == "0x3" and int(hand) == 3
    hand.add(PieceType.GOLD, None)
    assert hand.value == 0x10000003 and repr(hand) == "Hand(0x10000003)"
    hand.sub(PieceType.PAWN, 3)
    assert hand.value == 0x10000000 and not hand.is_empty()
    full = Hand()
    full.add(PieceType.PAWN, 18)
    full.add(PieceType.ROOK, 2)
    assert str(full) == "0x2000012"


@pytest.mark.parametrize("pt, text", [(PieceType.PRO_PAWN, "+P"), (PieceType.KING, "K"),
                                      (PieceType.NO_PIECE_TYPE, "?"), (PieceType.GOLD_LIKE, "?")])
def test_hand_refuses_kinds_it_cannot_hold(pt, text):
    message = f"^piece type {text.replace('+', '[+]').replace('?', '[?]')} cannot be converted to a hand piece$"
    with pytest.raises(ValueError, match=message):
        Hand().count(pt)
    with pytest.raises(ValueError, match=message):
        Hand().add(pt, 1)


def test_hand_amount_conversion():
    hand = Hand()
    with pytest.raises(OverflowError, match="^out of range integral type conversion attempted$"):
        hand.add(PieceType.PAWN, -1)
    with pytest.raises(OverflowError, match="^out of range integral type conversion attempted$"):
        hand.add(PieceType.PAWN, 2**32)
    with pytest.raises(TypeError, match="^argument 'amount': "):
        hand.add(PieceType.PAWN, "1")
    assert int(hand) == 0


def test_amount_is_converted_before_the_kind_is_checked():
    with pytest.raises(TypeError, match="^argument 'amount': "):
        Hand().add(PieceType.KING, "1")


@pytest.mark.parametrize("pt, start, change, limit", [
    (PieceType.PAWN, 31, 1, 31), (PieceType.LANCE, 7, 1, 7), (PieceType.KNIGHT, 0, -1, 7),
    (PieceType.SILVER, 5, 3, 7), (PieceType.BISHOP, 3, 1, 3), (PieceType.ROOK, 1, -2, 3),
    (PieceType.GOLD, 7, 2**32 - 1, 7),
])
def test_hand_refuses_counts_outside_the_field(pt, start, change, limit):
    hand = Hand()
    hand.add(PieceType.LANCE if pt == PieceType.PAWN else PieceType.PAWN, 1)  # a neighbouring field
    hand.add(pt, start)
    before = int(hand)
    with pytest.raises(ValueError, match=rf"^hand count of .+ out of range: -?\d+ \(the field holds 0..{limit}\)$"):
        hand.add(pt, change) if change > 0 else hand.sub(pt, -change)
    assert int(hand) == before


def test_hand_zero_is_shared_and_mutable():
    zero = Hand.ZERO
    try:
        zero.add(PieceType.SILVER, 1)
        assert Hand.ZERO.count(PieceType.SILVER) == 1
    finally:
        zero.sub(PieceType.SILVER, 1)
    assert Hand.ZERO.is_empty()


def test_bitboard_parts_and_packed():
    everything = Bitboard.from_parts(2**64 - 1, 2**64 - 1)
    assert everything.parts == Bitboard.ALL.parts == (0x7FFFFFFFFFFFFFFF, 0x3FFFF)
    assert Bitboard.ALL.packed == int(Bitboard.ALL) == 2**81 - 1 and Bitboard.ALL.count() == 81
    assert repr(Bitboard.ALL) == "Bitboard(0x1" + "f" * 20 + ")" and repr(Bitboard()) == "Bitboard(0x0)"
    assert Bitboard.from_square(Square(63)).parts == (0, 1)
    assert int(Bitboard.from_square(Square(80))) == 2**80
    with pytest.raises(OverflowError):
        Bitboard.from_parts(-1, 0)
    with pytest.raises(OverflowError):
        Bitboard.from_parts(0, 2**64)


@pytest.mark.parametrize("sq", [0, 1, 62, 63, 64, 80])
def test_bitboard_square_round_trip(sq):
    bb = Bitboard()
    bb.set(Square(sq))
    assert bb.test(Square(sq)) and bb.count() == 1 and bb.packed == 1 << sq
    assert bb.pop_lsb() == sq and bb.is_empty() and bb.pop_lsb() is None


def test_pop_lsb_returns_squares_in_order():
    bb = Bitboard.from_parts(0b1010, 0b11)
    assert [bb.pop_lsb().value for _ in range(4)] == [1, 3, 63, 64]
    assert bb.pop_lsb() is None


def test_bitboard_diagram():
    lines = str(Bitboard.from_square(Square(80))).split("\n")
    assert lines[0] == "Bitboard(" and lines[1] == "  100000000" and lines[-1] == ")"
    lines = str(Bitboard.from_square(Square(0))).split("\n")
    assert lines[9] == "  000000001"


def test_bitboard_mirror_and_flip():
    assert Bitboard.from_square(Square(0)).mirror_file().test(Square(72))
    assert Bitboard.from_square(Square(0)).flip_side().test(Square(80))
    source = Bitboard.from_parts(0x123456789, 0x2345)
    mirrored, flipped = source.mirror_file(), source.flip_side()
    for sq in range(81):
        assert mirrored.test(Square(sq).mirror_file()) == source.test(Square(sq))
        assert flipped.test(Square(80 - sq)) == source.test(Square(sq))
    assert source.parts == (0x123456789, 0x2345)


@pytest.mark.parametrize("method", ["test", "set", "clear"])
@pytest.mark.parametrize("sq", [Square.NONE, Square.NONE.mirror_file(), Square.NONE.flip_side()])
def test_bitboard_refuses_squares_off_the_board(method, sq):
    bb = Bitboard.from_parts(5, 7)
    with pytest.raises(ValueError, match=r"^square (NONE|INVALID) is not on the board$"):
        getattr(bb, method)(sq)
    with pytest.raises(ValueError):
        Bitboard.from_square(sq)
    assert bb.parts == (5, 7)


def test_bitboard_wants_square_objects():
    with pytest.raises(TypeError, match="^argument 'square': 'int' object cannot be cast as 'Square'$"):
        Bitboard().set(3)


def test_bitboard_empty_is_shared_and_mutable():
    try:
        Bitboard.EMPTY.set(Square(5))
        assert Bitboard.EMPTY.test(Square(5))
    finally:
        Bitboard.EMPTY.clear(Square(5))
    assert Bitboard.EMPTY.is_empty()
