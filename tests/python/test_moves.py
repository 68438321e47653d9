"""Move, Move32, AperyMove and AperyMove32."""

import pytest

from korvan import AperyMove, AperyMove32, Move, Move32, MoveType, Piece, PieceType, Square

SPECIALS = {"MOVE_NONE": 0, "MOVE_NULL": 129, "MOVE_RESIGN": 258, "MOVE_WIN": 387, "MOVE_END": 516}


@pytest.mark.parametrize("cls", [Move, Move32])
@pytest.mark.parametrize("name, value", SPECIALS.items())
def test_special_moves(cls, name, value):
    assert getattr(cls, name).value == value
    assert not getattr(cls, name).is_normal()


@pytest.mark.parametrize("text", ["7g7f", "8h2b+", "P*5e", "G*1a", "1a9i", "9i1a+"])
@pytest.mark.parametrize("cls", [Move, Move32])
def test_usi_round_trip(cls, text):
    m = cls.from_usi(text)
    assert m.to_usi() == text == str(m) and repr(m) == f"{cls.__name__}({text})"
    assert m.is_normal()


@pytest.mark.parametrize("text", ["resign", "win", "null", "0000", "none", "7g7", "K*5e", "p*5e", "7g7x", ""])
@pytest.mark.parametrize("cls", [Move, Move32])
def test_from_usi_refusals(cls, text):
    with pytest.raises(ValueError, match="^invalid USI move$"):
        cls.from_usi(text)


def test_move_fields():
    m = Move.from_usi("7g7f")
    assert (m.from_sq, m.to_sq, m.move_type, m.dropped_piece_type) == (Square(60), Square(59), MoveType.NORMAL, None)
    drop = Move.from_usi("P*5e")
    assert drop.from_sq == 1 and drop.dropped_piece_type == PieceType.PAWN and drop.move_type == MoveType.DROP
    assert repr(drop) == "Move(P*5e)"
    assert Move(0xC000 | 10).move_type == MoveType.NORMAL and Move(0x8000 | 10).move_type == MoveType.PROMOTION
    assert Move(0x8000 | 2 << 7 | 3).to_usi() == "1c1d+"
    assert Move(100).to_sq.value == 100 and Move(81).to_usi() == "" and Move.MOVE_END.to_usi() == ""


def test_move32_fields():
    m = Move32.from_usi("7g7f")
    assert m.piece_after_move == Piece(0) and m.to_move() == Move.from_usi("7g7f")
    wide = Move32(13 << 16 | Move.from_usi("8h2b+").value)
    assert wide.piece_after_move == Piece(13) and wide.to_usi() == "8h2b+" and wide.is_promotion()
    assert type(wide.to_move()) is Move and wide.to_move().value == Move.from_usi("8h2b+").value


def test_move_to_apery():
    assert Move.MOVE_WIN.to_apery().value == 387
    drop = Move.from_usi("P*5e").to_apery()
    assert drop.value == 81 << 7 | 40 and drop.from_sq == Square.NONE and drop.dropped_piece_type == PieceType.PAWN
    promo = Move.from_usi("8h2b+").to_apery()
    assert promo.value == 0x4000 | 70 << 7 | 10 and promo.is_promotion() and promo.move_type == MoveType.PROMOTION


def every_normal_move():
    for value in range(1 << 16):
        m = Move(value)
        if m.is_normal():
            yield m


def test_apery_round_trip_of_every_normal_move():
    count = 0
    for m in every_normal_move():
        assert m.to_apery().to_move() == m
        count += 1
    # Every source and destination with and without promotion, less the five special
    # values; every drop, with and without bit 15.
    assert count == 81 * 81 * 2 - 5 + 81 * 7 * 2


def test_apery_from_usi():
    assert AperyMove.from_usi("resign").value == 258
    drop = AperyMove.from_usi("P*5e")
    assert drop.from_sq == Square.NONE and drop.dropped_piece_type == PieceType.PAWN and drop.is_drop()
    assert repr(drop) == "AperyMove(P*5e)" and str(drop) == "P*5e"
    with pytest.raises(ValueError, match="^invalid USI move$"):
        AperyMove.from_usi("7g7")


def test_apery32_fields():
    capture = AperyMove32(5 << 20 | 4 << 16 | 0x4000 | 30 << 7 | 20)
    assert capture.is_capture() and capture.captured_piece_type == PieceType.BISHOP
    assert capture.piece_type_before == PieceType.SILVER and capture.piece_type_after == PieceType.PRO_SILVER
    assert capture.to_apery_move() == AperyMove(0x4000 | 30 << 7 | 20)
    assert repr(capture) == "AperyMove32(" + capture.to_move().to_usi() + ")"
    assert AperyMove32(5 << 20 | 0xFFFF).is_capture() and not AperyMove32(0xFFFF).is_capture()
    gold = AperyMove32(7 << 16 | 0x4000 | 30 << 7 | 20)
    assert gold.piece_type_after == PieceType.GOLD
    drop = AperyMove32(83 << 7 | 40)
    assert drop.piece_type_after == PieceType.KNIGHT and drop.move_type == MoveType.DROP and drop.is_normal()


def test_apery_special_values_come_back_unchanged():
    for value in SPECIALS.values():
        assert AperyMove(value).to_move() == value and AperyMove32(value).to_move() == value
