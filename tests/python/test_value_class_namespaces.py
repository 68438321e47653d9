"""The public namespace of each value class, in the order the class holds it: methods,
then attributes, then the named constants, each constant an instance of its class with
its value."""

import pytest

import korvan

MOVE_FIELDS = ["value", "to_sq", "from_sq", "move_type", "dropped_piece_type"]
PREDICATES = ["is_drop", "is_promotion", "is_normal"]
SPECIAL_MOVES = {"MOVE_NONE": 0, "MOVE_NULL": 129, "MOVE_RESIGN": 258, "MOVE_WIN": 387, "MOVE_END": 516}
PIECE_TYPES = ["NO_PIECE_TYPE", "PAWN", "LANCE", "KNIGHT", "SILVER", "BISHOP", "ROOK", "GOLD",
               "KING", "PRO_PAWN", "PRO_LANCE", "PRO_KNIGHT", "PRO_SILVER", "HORSE", "DRAGON", "GOLD_LIKE"]


def numbered(names):
    return {name: i for i, name in enumerate(names)}


# (class, methods, attributes, constants by name with their values)
CASES = [
    (korvan.Color, ["from_usi", "flip", "opponent", "is_black", "is_white"], ["value"], {"BLACK": 0, "WHITE": 1}),
    (korvan.Square, ["from_usi", "from_index", "from_file_rank", "to_usi", "is_valid", "is_none", "mirror_file",
                     "flip_side"], ["value", "file", "rank"], {"NONE": 81}),
    (korvan.PieceType, ["from_usi", "to_usi", "is_promotable", "is_promoted", "promote", "demote"], ["value"],
     numbered(PIECE_TYPES)),
    (korvan.Piece, ["from_color_type", "from_usi", "is_promoted", "promote", "unpromoted_piece", "base_piece_type"],
     ["color", "piece_type", "value"], {}),
    (korvan.MoveType, ["is_normal", "is_promotion", "is_drop"], [], numbered(["NORMAL", "PROMOTION", "DROP"])),
    (korvan.RepetitionState, ["to_usi"], [],
     numbered(["NONE", "WIN", "LOSE", "DRAW", "SUPERIOR", "INFERIOR"])),
    (korvan.Move, ["from_usi", "to_usi", *PREDICATES, "to_ki2", "to_apery"], MOVE_FIELDS, SPECIAL_MOVES),
    (korvan.Move32, ["from_usi", "to_usi", *PREDICATES, "to_ki2", "to_move", "to_csa", "to_apery"],
     [*MOVE_FIELDS, "piece_after_move"], SPECIAL_MOVES),
    (korvan.AperyMove, ["to_usi", "to_move", *PREDICATES, "from_usi"], MOVE_FIELDS, {}),
    (korvan.AperyMove32, ["to_usi", "to_move", *PREDICATES, "to_apery_move", "is_capture", "to_move32"],
     [*MOVE_FIELDS, "piece_type_before", "piece_type_after", "captured_piece_type"], {}),
    (korvan.Hand, ["count", "add", "sub", "is_empty"], ["value"], {"ZERO": 0}),
    (korvan.Bitboard, ["from_parts", "from_square", "is_empty", "count", "test", "set", "clear", "pop_lsb",
                       "mirror_file", "flip_side"], ["parts", "packed"], {"EMPTY": 0, "ALL": (1 << 81) - 1}),
]


@pytest.mark.parametrize("cls, methods, attributes, constants", CASES, ids=[case[0].__name__ for case in CASES])
def test_namespace_order_and_constants(cls, methods, attributes, constants):
    public = [name for name in vars(cls) if not name.startswith("_")]
    assert public == methods + attributes + list(constants)
    for name, value in constants.items():
        constant = getattr(cls, name)
        assert type(constant) is cls
        assert constant is getattr(cls, name)
        if cls in (korvan.MoveType, korvan.RepetitionState):  # no int(): their hash is the raw value
            assert hash(constant) == value
        else:
            assert int(constant) == value
