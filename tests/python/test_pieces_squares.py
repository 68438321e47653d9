"""Color, Square, PieceType and Piece."""

import pytest

from korvan import Color, Piece, PieceType, Square


def test_color_basics():
    assert Color() == Color.BLACK and Color(None) == Color.BLACK
    assert Color(1).flip() == Color.BLACK and Color(0).opponent() == Color.WHITE
    assert Color.BLACK.is_black() and Color.WHITE.is_white() and not Color.WHITE.is_black()
    assert str(Color.WHITE) == "White" and repr(Color.WHITE) == "Color(White)"
    assert repr(Color.BLACK) == "Color(Black)"


@pytest.mark.parametrize("value, kind", [(2, ValueError), (-1, ValueError), (255 - 256, ValueError),
                                          (128, OverflowError)])
def test_color_constructor_refusals(value, kind):
    with pytest.raises(kind):
        Color(value)
    if kind is ValueError:
        with pytest.raises(ValueError, match="^invalid color value$"):
            Color(value)


@pytest.mark.parametrize("text, value", [("b", 0), ("B", 0), ("w", 1), ("W", 1), ("black", 0), ("BLACK", 0),
                                         ("White", 1), ("wHiTe", 1), ("blac\u212a", 0)])
def test_color_from_usi(text, value):
    assert Color.from_usi(text) == value


@pytest.mark.parametrize("text", ["bl", "", "white ", " b", "x", "\u00e9"])
def test_color_from_usi_refusals(text):
    with pytest.raises(ValueError) as info:
        Color.from_usi(text)
    assert str(info.value) == "invalid color string: " + text


def test_square_basics():
    assert Square() == Square.NONE == 81
    assert Square(81).is_none() and Square(81).is_valid()
    assert repr(Square(60)) == "Square(7g)" and str(Square(60)) == "7g" and repr(Square.NONE) == "Square(NONE)"
    seven_g = Square.from_usi("7g")
    assert (seven_g.file, seven_g.rank, seven_g.value) == (6, 6, 60)
    assert Square.from_usi("NONE") == Square.NONE
    assert Square.from_file_rank(8, 8) == 80 and Square.from_index(80) == 80
    assert Square(0).mirror_file() == 72 and Square(40).mirror_file() == 40 and Square(0).flip_side() == 80


@pytest.mark.parametrize("call, message", [
    (lambda: Square(82), "invalid square value"),
    (lambda: Square(-1), "invalid square value"),
    (lambda: Square.from_index(81), "square index out of range"),
    (lambda: Square.from_index(2**40), "square index out of range"),
    (lambda: Square.from_file_rank(9, 0), "file and rank must be in 0..8"),
    (lambda: Square.from_file_rank(0, -1), "file and rank must be in 0..8"),
    (lambda: Square.from_usi("0a"), "invalid file character: 0"),
    (lambda: Square.from_usi("1j"), "invalid rank character: j"),
    (lambda: Square.from_usi("1A"), "invalid rank character: A"),
    (lambda: Square.from_usi("10a"), "invalid square string: 10a"),
    (lambda: Square.from_usi("none"), "invalid square string: none"),
    (lambda: Square.from_usi(""), "invalid square string: "),
])
def test_square_refusals(call, message):
    with pytest.raises(ValueError) as info:
        call()
    assert str(info.value) == message


def test_square_off_the_board():
    # NONE mirrors and flips to bytes that are not squares; they have no file or rank
    # and print as INVALID.
    mirrored, flipped = Square.NONE.mirror_file(), Square.NONE.flip_side()
    assert (mirrored.value, flipped.value) == (247, 255)
    for sq in (mirrored, flipped, Square.NONE):
        assert (sq.file, sq.rank) == (-1, -1)
    assert str(mirrored) == "INVALID" and repr(flipped) == "Square(INVALID)"
    assert not mirrored.is_valid() and not mirrored.is_none()


@pytest.mark.parametrize("sq", range(81))
def test_square_round_trips(sq):
    square = Square(sq)
    assert Square.from_usi(square.to_usi()) == sq
    assert Square.from_file_rank(square.file, square.rank) == sq
    assert square.mirror_file().mirror_file() == sq and square.flip_side().flip_side() == sq


def test_piece_type_basics():
    assert PieceType(None) == PieceType.NO_PIECE_TYPE and PieceType(15) == PieceType.GOLD_LIKE
    assert repr(PieceType.PRO_PAWN) == "PieceType(+P)" and repr(PieceType.NO_PIECE_TYPE) == "PieceType(?)"
    assert str(PieceType.GOLD_LIKE) == "?" and PieceType.DRAGON.to_usi() == "+R"
    for pt in (PieceType.GOLD, PieceType.KING, PieceType.DRAGON, PieceType.NO_PIECE_TYPE, PieceType.GOLD_LIKE):
        assert pt.promote() == pt
    assert PieceType.SILVER.promote() == PieceType.PRO_SILVER and PieceType.HORSE.demote() == PieceType.BISHOP
    assert PieceType.GOLD_LIKE.is_promoted() and PieceType.GOLD_LIKE.demote() == 15
    assert PieceType.KING.demote() == PieceType.KING
    assert [pt for pt in range(16) if PieceType(pt).is_promotable()] == [1, 2, 3, 4, 5, 6]


@pytest.mark.parametrize("value, kind", [(16, ValueError), (-1, ValueError), (128, OverflowError)])
def test_piece_type_refusals(value, kind):
    with pytest.raises(kind):
        PieceType(value)


@pytest.mark.parametrize("text, value", [("P", 1), ("K", 8), ("+P", 9), ("+R", 14)])
def test_piece_type_from_usi(text, value):
    assert PieceType.from_usi(text) == value


@pytest.mark.parametrize("text", ["+K", "+G", "p", "", " P", "NONE"])
def test_piece_type_from_usi_refusals(text):
    with pytest.raises(ValueError) as info:
        PieceType.from_usi(text)
    assert str(info.value) == "invalid piece type: " + text


def test_piece_basics():
    assert Piece(None) == 0
    white_none = Piece.from_color_type(Color.WHITE, PieceType.NO_PIECE_TYPE)
    assert white_none == 16 and str(white_none) == "?" and white_none.color == Color.WHITE
    assert white_none.piece_type == PieceType.NO_PIECE_TYPE
    empty = Piece(0)
    assert empty.color == Color.BLACK and str(empty) == " " and repr(empty) == "Piece( )"
    assert repr(Piece(25)) == "Piece(+p)" and str(Piece(13)) == "+B" and str(Piece(24)) == "k"
    assert Piece(25).unpromoted_piece() == 17 and Piece(25).base_piece_type() == PieceType.PAWN
    assert Piece(24).unpromoted_piece() == 24 and Piece(8).base_piece_type() == PieceType.KING
    assert Piece(17).promote() == 25 and Piece(7).promote() == 7 and Piece(8).promote() == 8
    assert Piece(31).is_promoted() and not Piece(30 - 8).is_promoted()


@pytest.mark.parametrize("value", [16, 32, -1, 48])
def test_piece_refusals(value):
    with pytest.raises(ValueError, match="^invalid piece value$"):
        Piece(value)


@pytest.mark.parametrize("text, value", [(" ", 0), ("p", 17), ("+p", 25), ("K", 8), ("k", 24), ("+B", 13)])
def test_piece_from_usi(text, value):
    assert Piece.from_usi(text) == value


@pytest.mark.parametrize("text, reported", [("pP", "PP"), ("+", "+"), ("", ""), ("x", "X"), ("+k", "+K"),
                                            ("\u00df", "SS")])
def test_piece_from_usi_reports_the_upper_cased_text(text, reported):
    with pytest.raises(ValueError) as info:
        Piece.from_usi(text)
    assert str(info.value) == "invalid piece type: " + reported


@pytest.mark.parametrize("value", [v for v in range(32) if v == 0 or (v & 15 and v & 15 != 15)])
def test_piece_text_round_trip(value):
    assert Piece.from_usi(str(Piece(value))) == value


def test_from_color_type_wants_the_classes():
    with pytest.raises(TypeError, match="^argument 'color': 'int' object cannot be cast as 'Color'$"):
        Piece.from_color_type(1, PieceType.PAWN)
    with pytest.raises(TypeError, match="^argument 'piece_type': 'int' object cannot be cast as 'PieceType'$"):
        Piece.from_color_type(Color.BLACK, 1)
