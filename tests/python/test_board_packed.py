"""PackedSfen and HuffmanCodedPos on a Board: every target and source kind, round
trips over random games, and the exact errors."""

import random

import numpy as np
import pytest

import korvan as k
from korvan import numpy as kn

START_PACKED_SFEN = bytes.fromhex("58a451220ceb67227e9653221caf447824c22b119e53221ceb6f223e9651220c")
START_HCP = bytes.fromhex("58a449210cd757217e8e4d212caf427814c2ab109e4d212cd75f213e8e49210c")

# name, writer, setter, numpy record type, field, the writer's TypeError, the setter's
# TypeError and ValueError texts
FORMS = {
    "packed_sfen": ("to_packed_sfen", "set_packed_sfen", "PackedSfen", "sfen",
                    "out must be writable uint8[32] or PackedSfen ndarray with 'sfen' field",
                    "psfen must be bytes-like, uint8[32], or PackedSfen ndarray with 'sfen' field",
                    "psfen must be 32 bytes"),
    "hcp": ("to_hcp", "set_hcp", "HuffmanCodedPos", "hcp",
            "out must be writable uint8[32] or HuffmanCodedPos ndarray with 'hcp' field",
            "hcp must be bytes-like, uint8[32], or HuffmanCodedPos ndarray with 'hcp' field",
            "hcp must be 32 bytes"),
}


def form(name):
    writer, setter, dtype_name, field, out_error, source_error, length_error = FORMS[name]
    return writer, setter, getattr(kn, dtype_name), field, out_error, source_error, length_error


def without_ply(board):
    return board.to_sfen().rsplit(" ", 1)[0]


def random_positions(count, seed):
    rng = random.Random(seed)
    board = k.Board()
    out = []
    while len(out) < count:
        moves = board.legal_moves()
        if not moves or board.game_ply > 150:
            board.reset()
            continue
        board.push_move(rng.choice(moves))
        out.append(board.copy())
    return out


@pytest.mark.parametrize("name, expected", [("packed_sfen", START_PACKED_SFEN), ("hcp", START_HCP)])
def test_start_position_bytes(name, expected):
    writer = getattr(k.Board(), FORMS[name][0])
    assert writer() == expected
    assert writer(None) == expected
    assert writer(out=None) == expected


# Each target kind, and how to read the 32 bytes back out of it.
TARGETS = {
    "bytearray": (lambda dt: bytearray(32), bytes),
    "list": (lambda dt: [0] * 32, bytes),
    "uint8[32]": (lambda dt: np.zeros(32, np.uint8), lambda a: a.tobytes()),
    "strided uint8[32]": (lambda dt: np.zeros(64, np.uint8)[::2], lambda a: a.tobytes()),
    "record array (1,)": (lambda dt: np.zeros(1, dt), lambda a: a[0][a.dtype.names[0]].tobytes()),
    "record array (3,)": (lambda dt: np.zeros(3, dt), lambda a: a[0][a.dtype.names[0]].tobytes()),
}

# Each source kind made from 32 bytes.
SOURCES = {
    "bytes": lambda b, dt: b,
    "bytearray": lambda b, dt: bytearray(b),
    "memoryview": lambda b, dt: memoryview(b),
    "list": lambda b, dt: list(b),
    "tuple": lambda b, dt: tuple(b),
    "uint8[32]": lambda b, dt: np.frombuffer(b, np.uint8).copy(),
    "int64[32]": lambda b, dt: np.frombuffer(b, np.uint8).astype(np.int64),
    "uint8 (1, 32)": lambda b, dt: np.frombuffer(b, np.uint8).reshape(1, 32).copy(),
    "record": lambda b, dt: np.frombuffer(b, dt)[0],
    "record array (1,)": lambda b, dt: np.frombuffer(b, dt).copy(),
    "mapping": lambda b, dt: {dt.names[0]: b},
}


@pytest.mark.parametrize("name", FORMS)
@pytest.mark.parametrize("target", TARGETS)
def test_writer_targets(name, target):
    writer, _, dtype, *_ = form(name)
    make, read = TARGETS[target]
    for board in random_positions(20, seed=len(target)):
        out = make(dtype)
        assert getattr(board, writer)(out) is None
        assert read(out) == getattr(board, writer)()


def test_record_array_receives_only_its_first_record():
    rows = np.zeros(3, kn.PackedSfen)
    assert k.Board().to_packed_sfen(rows) is None
    assert rows[0]["sfen"].tobytes() == START_PACKED_SFEN
    assert not rows[1:]["sfen"].any()


@pytest.mark.parametrize("name", FORMS)
@pytest.mark.parametrize("source", SOURCES)
def test_round_trips_through_every_source(name, source):
    writer, setter, dtype, *_ = form(name)
    target = k.Board("4k4/9/9/9/9/9/9/9/4K4 b - 1")
    target.push_usi("5i4i")
    for board in random_positions(30, seed=7):
        data = getattr(board, writer)()
        assert getattr(target, setter)(SOURCES[source](data, dtype)) is None
        assert without_ply(target) == without_ply(board)
        assert target.game_ply == 1
        assert target.last_move() is None
        assert target.is_repetition(1) is False
        assert target.pop() is None


def test_set_hcp_takes_the_ply():
    board = k.Board()
    board.set_hcp(START_HCP, 57)
    assert board.game_ply == 57
    board.set_hcp(START_HCP, game_ply=65535)
    assert board.game_ply == 65535
    board.set_hcp(START_HCP)
    assert board.game_ply == 1


@pytest.mark.parametrize(
    "name, out, error, message",
    [
        # The record route fails on an int item.
        ("packed_sfen", bytearray(31), TypeError, FORMS["packed_sfen"][4]),
        ("hcp", bytearray(31), TypeError, FORMS["hcp"][4]),
        ("hcp", np.zeros(33, np.uint8), TypeError, FORMS["hcp"][4]),
        ("hcp", np.zeros((2, 32), np.uint8), TypeError, FORMS["hcp"][4]),
        ("packed_sfen", "x" * 32, TypeError, "'str' object does not support item assignment"),
        ("packed_sfen", "abc", TypeError, FORMS["packed_sfen"][4]),
        ("packed_sfen", 5, TypeError, FORMS["packed_sfen"][4]),
        # The interpreter's own error for assigning into bytes.
        ("packed_sfen", bytes(32), TypeError, "'bytes' object does not support item assignment"),
        ("hcp", np.zeros(32, np.uint8).view(np.uint8)[:0], TypeError, FORMS["hcp"][4]),
    ],
)
def test_writer_errors(name, out, error, message):
    with pytest.raises(error) as e:
        getattr(k.Board(), FORMS[name][0])(out)
    assert str(e.value) == message


def test_read_only_array_raises_numpys_error():
    out = np.zeros(32, np.uint8)
    out.flags.writeable = False
    with pytest.raises(ValueError, match="read-only"):
        k.Board().to_hcp(out)


def test_a_record_of_another_field_name_is_refused():
    out = np.zeros(1, kn.PackedSfen)
    with pytest.raises(TypeError) as e:
        k.Board().to_hcp(out)
    assert str(e.value) == FORMS["hcp"][4]


@pytest.mark.parametrize(
    "name, source, error, message",
    [
        ("packed_sfen", bytes(31), ValueError, "psfen must be 32 bytes"),
        ("packed_sfen", [0] * 33, ValueError, "psfen must be 32 bytes"),
        ("packed_sfen", np.zeros(31, np.uint8), ValueError, "psfen must be 32 bytes"),
        ("hcp", b"", ValueError, "hcp must be 32 bytes"),
        ("hcp", {"hcp": bytes(5)}, ValueError, "hcp must be 32 bytes"),
        ("packed_sfen", "x" * 32, TypeError, FORMS["packed_sfen"][5]),
        ("packed_sfen", "", TypeError, FORMS["packed_sfen"][5]),
        ("packed_sfen", 5, TypeError, FORMS["packed_sfen"][5]),
        ("packed_sfen", None, TypeError, FORMS["packed_sfen"][5]),
        ("hcp", [0] * 31 + [256], TypeError, FORMS["hcp"][5]),
        ("hcp", [0.0] * 32, TypeError, FORMS["hcp"][5]),
        ("hcp", np.zeros(32, np.float64), TypeError, FORMS["hcp"][5]),
        # The field of another record type is not read.
        ("hcp", np.zeros(1, kn.PackedSfen), TypeError, FORMS["hcp"][5]),
    ],
)
def test_setter_source_errors(name, source, error, message):
    board = k.Board()
    board.push_usi("7g7f")
    before = board.to_sfen()
    with pytest.raises(error) as e:
        getattr(board, FORMS[name][1])(source)
    assert str(e.value) == message
    assert board.to_sfen() == before
    assert board.pop().to_usi() == "7g7f"


@pytest.mark.parametrize(
    "name, data, message",
    [
        ("packed_sfen", bytes([255] * 32), "InvalidCursor"),
        ("hcp", bytes([255] * 32), "invalid king square in HuffmanCodedPos: 127"),
        ("hcp", bytes.fromhex("0820823cfde6f1c26b30f90ec7dd01e4887534a20f0b0d04c36ed80e71e0fd77"), "invalid huffman cursor"),
        ("hcp", bytes.fromhex("09a414d025c24b40ae3ac127722988ba973aea8d37179706072ed33a14607ad7"),
         "invalid huffman piece code"),
        ("hcp", bytes.fromhex("0851d129b53bd8e6aa34051c4bd06c672252e90ca7969e4ee71a1693510ca10c"),
         "invalid king square in HuffmanCodedPos: 81"),
    ],
)
def test_decode_failures_leave_the_board(name, data, message):
    board = k.Board()
    board.push_usi("2g2f")
    before = board.to_sfen()
    with pytest.raises(ValueError) as e:
        getattr(board, FORMS[name][1])(data)
    assert str(e.value) == message
    assert board.to_sfen() == before
    assert board.last_move().to_usi() == "2g2f"


@pytest.mark.parametrize(
    "game_ply, error, message",
    [
        (65536, ValueError, "game_ply must fit in uint16 range (0..65535)"),
        (2**32 - 1, ValueError, "game_ply must fit in uint16 range (0..65535)"),
        (-1, OverflowError, "out of range integral type conversion attempted"),
        (2**32, OverflowError, "out of range integral type conversion attempted"),
        ("1", TypeError, "argument 'game_ply': 'str' object cannot be interpreted as an integer"),
        (1.0, TypeError, "argument 'game_ply': 'float' object cannot be interpreted as an integer"),
    ],
)
def test_set_hcp_game_ply_errors(game_ply, error, message):
    board = k.Board()
    board.push_usi("7g7f")
    before = board.to_sfen()
    # The ply is read before the source, so a bad source is not reached.
    with pytest.raises(error) as e:
        board.set_hcp("not bytes", game_ply)
    assert str(e.value) == message
    assert board.to_sfen() == before


@pytest.mark.parametrize(
    "sfen, message",
    [
        ("4k4/9/9/9/9/9/9/9/4K4 b 19P 1", "position cannot be encoded: more than a full set of PieceType(1) (19 > 18)"),
        ("4k4/9/9/9/9/9/9/9/4K4 b 3B 1", "position cannot be encoded: more than a full set of PieceType(5) (3 > 2)"),
        ("lnsgkgsnl/9/9/9/9/9/9/9/4K4 b 5L 1", "position cannot be encoded: more than a full set of PieceType(2) (7 > 4)"),
        ("9/9/9/9/9/9/9/9/4K4 b - 1", "position cannot be encoded: a king is missing"),
        ("9/9/9/9/9/9/9/9/9 b - 1", "position cannot be encoded: a king is missing"),
        ("3kk4/9/9/9/9/9/9/9/4K4 b - 1", "position cannot be encoded: a side has two or more kings"),
    ],
)
@pytest.mark.parametrize("name", FORMS)
def test_unencodable_positions_are_refused_before_writing(sfen, message, name):
    writer = getattr(k.Board(sfen), FORMS[name][0])
    with pytest.raises(ValueError) as e:
        writer()
    assert str(e.value) == message
    for out in (bytearray([0xAA] * 32), [7] * 32, np.full(32, 9, np.uint8)):
        before = bytes(out)
        with pytest.raises(ValueError):
            writer(out)
        assert bytes(out) == before
    # Refused before the target is even looked at.
    with pytest.raises(ValueError):
        writer(object())


def test_writer_holds_a_shared_borrow_while_it_writes():
    board = k.Board()
    seen = []

    class Target(list):
        def __setitem__(self, i, v):
            seen.append(board.to_sfen())  # a read is allowed
            if i == 3:
                board.reset()  # a change is not
            super().__setitem__(i, v)

    with pytest.raises(RuntimeError, match="^Already borrowed$"):
        board.to_packed_sfen(Target([0] * 32))
    assert len(seen) == 4
