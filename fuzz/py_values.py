"""The value-class constructors, their methods and the label functions with arbitrary
integers (Python and numpy), strings and objects.

Run through fuzz/run (atheris on the sanitized module). Refusals are ValueError,
TypeError, OverflowError or IndexError; anything else is a finding. Properties: a
value's USI text reads back as the same value; equal values hash alike and equal
their int().
"""

import sys

import atheris

with atheris.instrument_imports():
    import korvan as k

import numpy as np

REFUSALS = (ValueError, TypeError, OverflowError, IndexError)
CLASSES = [
    k.Color, k.PieceType, k.Piece, k.Square, k.Move, k.Move32, k.AperyMove, k.AperyMove32, k.GameResult,
]
FROM_TEXT = [
    k.Color.from_usi, k.PieceType.from_usi, k.Piece.from_usi, k.Square.from_usi, k.Move.from_usi,
    k.Move32.from_usi, k.AperyMove.from_usi, k.GameResult.from_str, k.PositionState,
]
FUNCTIONS = [
    k.move_label_to_compact, k.compact_move_label_to_move_label, k.is_structurally_valid_move_label, k.to_move,
]


@atheris.instrument_func
def integer(fdp):
    kind = fdp.ConsumeIntInRange(0, 5)
    if kind == 0:
        return fdp.ConsumeIntInRange(-2, 300)
    if kind == 1:
        return fdp.ConsumeIntInRange(0, 0xFFFFFFFF)
    if kind == 2:
        return fdp.ConsumeIntInRange(-(1 << 70), 1 << 70)
    if kind == 3:
        return np.int64(fdp.ConsumeIntInRange(-(1 << 63), (1 << 63) - 1))
    if kind == 4:
        return np.uint8(fdp.ConsumeIntInRange(0, 255))
    return fdp.ConsumeBool()


@atheris.instrument_func
def argument(fdp):
    kind = fdp.ConsumeIntInRange(0, 4)
    if kind <= 1:
        return integer(fdp)
    if kind == 2:
        return fdp.ConsumeUnicodeNoSurrogates(fdp.ConsumeIntInRange(0, 12))
    if kind == 3:
        return None
    try:
        return CLASSES[fdp.ConsumeIntInRange(0, len(CLASSES) - 1)](integer(fdp))
    except REFUSALS:
        return 1.5


@atheris.instrument_func
def exercise(obj, fdp):
    """Every public member: properties read, methods called with zero to two arguments."""
    for name in sorted(n for n in dir(type(obj)) if not n.startswith("_")):
        try:
            member = getattr(obj, name)
        except REFUSALS:
            continue
        if callable(member):
            args = [argument(fdp) for _ in range(fdp.ConsumeIntInRange(0, 2))]
            try:
                member(*args)
            except REFUSALS:
                pass
    hash(obj) if type(obj).__hash__ is not None else None
    repr(obj)
    str(obj)


@atheris.instrument_func
def check_value(obj):
    if isinstance(obj, tuple(CLASSES)):
        value = int(obj)
        try:
            same = type(obj)(value)
        except REFUSALS:
            same = None
        if same is not None:
            assert same == obj and hash(same) == hash(obj), (type(obj).__name__, value)
        assert obj == value, (type(obj).__name__, value)
    if hasattr(obj, "to_usi") and not isinstance(obj, (k.AperyMove32,)):
        try:
            usi = obj.to_usi()
        except REFUSALS:
            return
        if usi and hasattr(type(obj), "from_usi"):
            try:
                back = type(obj).from_usi(usi)
            except REFUSALS:
                return
            assert back.to_usi() == usi, (type(obj).__name__, usi)


@atheris.instrument_func
def TestOneInput(data):
    fdp = atheris.FuzzedDataProvider(data)
    for _ in range(fdp.ConsumeIntInRange(1, 6)):
        op = fdp.ConsumeIntInRange(0, 6)
        try:
            if op == 0:
                obj = CLASSES[fdp.ConsumeIntInRange(0, len(CLASSES) - 1)](integer(fdp))
            elif op == 1:
                obj = FROM_TEXT[fdp.ConsumeIntInRange(0, len(FROM_TEXT) - 1)](
                    fdp.ConsumeUnicodeNoSurrogates(fdp.ConsumeIntInRange(0, 100)))
            elif op == 2:
                obj = k.Square.from_file_rank(integer(fdp), integer(fdp))
            elif op == 3:
                obj = k.Bitboard.from_parts(integer(fdp), integer(fdp))
            elif op == 4:
                obj = k.Hand()
                for _ in range(fdp.ConsumeIntInRange(0, 6)):
                    method = obj.add if fdp.ConsumeBool() else obj.sub
                    try:
                        method(k.PieceType(fdp.ConsumeIntInRange(0, 15)), integer(fdp))
                    except REFUSALS:
                        pass
            elif op == 5:
                obj = k.Piece.from_color_type(k.Color(fdp.ConsumeIntInRange(0, 1)), k.PieceType(integer(fdp)))
            else:
                fn = FUNCTIONS[fdp.ConsumeIntInRange(0, len(FUNCTIONS) - 1)]
                fn(argument(fdp))
                k.move_label(argument(fdp), argument(fdp))
                k.compact_move_label(argument(fdp), argument(fdp))
                continue
        except REFUSALS:
            continue
        check_value(obj)
        exercise(obj, fdp)


if __name__ == "__main__":
    atheris.Setup(sys.argv, TestOneInput)
    atheris.Fuzz()
