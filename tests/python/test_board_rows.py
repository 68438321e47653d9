"""PackedSfenValue and HuffmanCodedPosAndEval rows of a Board: bytes field by field
against korvan.numpy's record types, argument order and messages, and every target."""

import random

import numpy as np
import pytest

import korvan as k
from korvan import numpy as kn

PSV_OUT = "out must be writable uint8[40] or PackedSfenValue ndarray with fields"
HCPE_OUT = "out must be writable uint8[38] or HuffmanCodedPosAndEval ndarray with fields"
UNENCODABLE = "4k4/9/9/9/9/9/9/9/4K4 b 19P 1"
MATSURI = "l6nl/5+P1gk/2np1S3/p1p4Pp/3P2Sp1/1PPb2P1P/P5GS1/R8/LN4bKL w GR5pnsg 1"


def psv_fields(row):
    return np.frombuffer(row, kn.PackedSfenValue)[0]


def hcpe_fields(row):
    return np.frombuffer(row, kn.HuffmanCodedPosAndEval)[0]


def test_psv_defaults_on_the_start_position():
    board = k.Board()
    row = board.to_psv()
    assert isinstance(row, bytes) and len(row) == 40
    assert row[:32] == board.to_packed_sfen()
    assert row[32:] == bytes([0, 0, 0, 0, 1, 0, 7, 0])


@pytest.mark.parametrize(
    "sfen, kwargs, fields",
    [
        (MATSURI, dict(mv="P*5e", score=-1234, game_result=k.GameResult.WHITE_WIN),
         dict(score=-1234, move=0x4000 | 1 << 7 | 40, game_ply=1, game_result=1)),
        (MATSURI, dict(mv=k.Move.from_usi("8i7g"), score=32767, game_result=21, game_ply=65535),
         dict(score=32767, move=k.Move.from_usi("8i7g").value, game_ply=65535, game_result=21)),
        (None, dict(mv=k.Move32.from_usi("8h2b+"), score=-32768, game_result="draw_by_impasse", game_ply=0),
         dict(score=-32768, move=k.Move.from_usi("8h2b+").value, game_ply=0, game_result=10)),
        # The move is not tested against the board; an int is taken as it is.
        (None, dict(mv=65535, game_result="Black_Win_By_Timeout"),
         dict(score=0, move=65535, game_ply=1, game_result=16)),
        (None, dict(mv="resign"), dict(score=0, move=258, game_ply=1, game_result=7)),
    ],
)
def test_psv_fields(sfen, kwargs, fields):
    board = k.Board(sfen)
    row = board.to_psv(**kwargs)
    record = psv_fields(row)
    assert record["sfen"].tobytes() == board.to_packed_sfen()
    for name, value in fields.items():
        assert record[name] == value, name
    assert record["padding"] == 0


@pytest.mark.parametrize(
    "kwargs, error, message",
    [
        (dict(score=32768), OverflowError, "out of range integral type conversion attempted"),
        (dict(score=-32769), OverflowError, "out of range integral type conversion attempted"),
        (dict(score="1"), TypeError, "argument 'score': 'str' object cannot be interpreted as an integer"),
        (dict(score=None), TypeError, "argument 'score': 'NoneType' object cannot be interpreted as an integer"),
        (dict(game_ply=65536), ValueError, "game_ply must fit in uint16 range (0..65535)"),
        (dict(game_ply=-1), OverflowError, "out of range integral type conversion attempted"),
        (dict(game_ply=1.5), TypeError, "argument 'game_ply': 'float' object cannot be interpreted as an integer"),
        (dict(mv=1.5), TypeError, "move must be Move, Move32, int, or USI str"),
        (dict(mv="7g7"), ValueError, "move must be valid USI move when passed as str"),
        (dict(mv=65536), ValueError, "move must fit in uint16 range"),
        (dict(mv=True), ValueError, "move must be an integer fitting in uint16 range"),
        (dict(game_result=1.5), TypeError, "result must be GameResult, int, or str"),
        (dict(game_result=14), ValueError, "invalid GameResult value"),
        (dict(game_result="nope"), ValueError, "invalid GameResult name: nope"),
    ],
)
def test_psv_argument_errors(kwargs, error, message):
    out = bytearray(40)
    with pytest.raises(error) as e:
        k.Board().to_psv(out=out, **kwargs)
    assert str(e.value) == message
    assert out == bytearray(40)


# Conversion order: score, game_ply (type and 32 bits), the position, mv, game_result,
# then the ply's 16-bit range. Each case holds two faults; the earlier one is reported.
@pytest.mark.parametrize(
    "sfen, kwargs, error, message",
    [
        (None, dict(score="x", game_ply="x"), TypeError, "argument 'score'"),
        (UNENCODABLE, dict(game_ply="x"), TypeError, "argument 'game_ply'"),
        (UNENCODABLE, dict(mv=1.5), ValueError, "position cannot be encoded"),
        (None, dict(mv=1.5, game_result=1.5), TypeError, "move must be"),
        (None, dict(game_result=1.5, game_ply=70000), TypeError, "result must be"),
        (None, dict(mv="7g7f", game_result=0, game_ply=70000), ValueError, "game_ply must fit"),
    ],
)
def test_psv_conversion_order(sfen, kwargs, error, message):
    with pytest.raises(error) as e:
        k.Board(sfen).to_psv(**kwargs)
    assert str(e.value).startswith(message)


def test_psv_ply_defaults_to_the_board():
    board = k.Board()
    for usi in ["7g7f", "3c3d", "8h2b+"]:
        board.push_usi(usi)
    assert psv_fields(board.to_psv())["game_ply"] == 4
    assert psv_fields(board.to_psv(game_ply=None))["game_ply"] == 4


BLACK_WIN = k.GameResult.BLACK_WIN


@pytest.mark.parametrize(
    "best_move, value",
    [
        (None, 0),
        ("7g7f", 60 << 7 | 59),
        (k.Move.from_usi("7g7f"), 60 << 7 | 59),
        (k.Move32.from_usi("7g7f"), 60 << 7 | 59),
        ("P*5e", 81 << 7 | 40),
        (k.Move.from_usi("G*1a"), 87 << 7 | 0),
        ("8h2b+", 0x4000 | 70 << 7 | 10),
        ("resign", 258),
        ("win", 387),
        (k.AperyMove(0x1234), 0x1234),
        (k.AperyMove32(0xABCD1234), 0x1234),
        (0xBEEF, 0xBEEF),
    ],
)
def test_hcpe_best_move(best_move, value):
    row = k.Board().to_hcpe(best_move, game_result=BLACK_WIN)
    assert hcpe_fields(row)["bestMove16"] == value


@pytest.mark.parametrize(
    "game_result, outcome",
    [
        (k.GameResult.BLACK_WIN, 1),
        (k.GameResult.WHITE_WIN, 2),
        (k.GameResult.DRAW_BY_REPETITION, 0),
        (k.GameResult.DRAW_BY_MAX_PLIES, 0),
        (k.GameResult.DRAW_BY_IMPASSE, 0),
        (0, 0), (1, 1), (2, 2), (True, 1),
        ("draw", 0), ("black_win", 1), ("White_Win", 2),
    ],
)
def test_hcpe_outcome(game_result, outcome):
    assert hcpe_fields(k.Board().to_hcpe(game_result=game_result))["gameResult"] == outcome


@pytest.mark.parametrize(
    "game_result, error, message",
    [
        (None, ValueError, "game_result is required for hcpe export"),
        (k.GameResult.BLACK_WIN_BY_TIMEOUT, ValueError, "unsupported GameResult for hcpe export: BlackWinByTimeout"),
        (k.GameResult.BLACK_WIN_BY_DECLARATION, ValueError,
         "unsupported GameResult for hcpe export: BlackWinByDeclaration"),
        (k.GameResult.WHITE_WIN_BY_TRY_RULE, ValueError, "unsupported GameResult for hcpe export: WhiteWinByTryRule"),
        (k.GameResult.PAUSED, ValueError, "unsupported GameResult for hcpe export: Paused"),
        (3, ValueError, "invalid hcpe game result: 3"),
        (-1, ValueError, "invalid hcpe game result: -1"),
        (200, ValueError, "invalid hcpe game result: -56"),
        (-128, ValueError, "invalid hcpe game result: -128"),
        (255, ValueError, "invalid hcpe game result: -1"),
        (1000, TypeError, "game_result must be GameResult, int, or str"),
        (-129, TypeError, "game_result must be GameResult, int, or str"),
        (np.int8(1), TypeError, "game_result must be GameResult, int, or str"),
        ("win", ValueError, "invalid hcpe game result name: WIN"),
        ("black win", ValueError, "invalid hcpe game result name: BLACK WIN"),
    ],
)
def test_hcpe_outcome_errors(game_result, error, message):
    out = np.zeros(38, np.uint8)
    with pytest.raises(error) as e:
        k.Board().to_hcpe(game_result=game_result, out=out)
    assert str(e.value) == message
    assert not out.any()


def test_hcpe_requires_a_result_even_with_out():
    with pytest.raises(ValueError, match="^game_result is required for hcpe export$"):
        k.Board().to_hcpe(out=bytearray(38))


@pytest.mark.parametrize(
    "best_move, error, message",
    [
        (True, ValueError, "best_move must be an integer fitting in uint16 range"),
        (-1, ValueError, "best_move must fit in uint16 range"),
        (65536, ValueError, "best_move must fit in uint16 range"),
        ("7g7", ValueError, "best_move must be valid USI move when passed as str"),
        (1.5, TypeError, "best_move must be AperyMove, AperyMove32, Move, Move32, int, or USI str"),
    ],
)
def test_hcpe_best_move_errors(best_move, error, message):
    with pytest.raises(error) as e:
        k.Board().to_hcpe(best_move, game_result=0)
    assert str(e.value) == message


# Order: score, best_move, game_result, then the position.
@pytest.mark.parametrize(
    "sfen, kwargs, error, message",
    [
        (None, dict(score=1 << 20, best_move=1.5), OverflowError, "out of range"),
        (None, dict(best_move=1.5, game_result=None), TypeError, "best_move must be"),
        (UNENCODABLE, dict(game_result=3), ValueError, "invalid hcpe game result"),
        (UNENCODABLE, dict(game_result=0), ValueError, "position cannot be encoded"),
    ],
)
def test_hcpe_conversion_order(sfen, kwargs, error, message):
    with pytest.raises(error) as e:
        k.Board(sfen).to_hcpe(**kwargs)
    assert str(e.value).startswith(message)


def test_hcpe_fields():
    board = k.Board(MATSURI)
    record = hcpe_fields(board.to_hcpe("8i7g", -77, k.GameResult.WHITE_WIN))
    assert record["hcp"].tobytes() == board.to_hcp()
    assert (record["eval"], record["bestMove16"], record["gameResult"], record["dummy"]) == (
        -77, k.Move.from_usi("8i7g").to_apery().value, 2, 0)


def psv_call(board, out):
    return board.to_psv("7g7f", 5, 1, 9, out)


def hcpe_call(board, out):
    return board.to_hcpe("7g7f", 5, 1, out)


# target maker, and how to read the row back out of it
TARGETS = [
    ("bytearray", lambda n, dt: bytearray(n), bytes),
    ("list", lambda n, dt: [0] * n, bytes),
    ("uint8", lambda n, dt: np.zeros(n, np.uint8), lambda a: a.tobytes()),
    ("strided uint8", lambda n, dt: np.zeros(2 * n, np.uint8)[::2], lambda a: a.tobytes()),
    ("record array (1,)", lambda n, dt: np.zeros(1, dt), lambda a: a.tobytes()),
    ("record array (4,)", lambda n, dt: np.zeros(4, dt), lambda a: a[:1].tobytes()),
    ("record", lambda n, dt: np.zeros(3, dt)[1], lambda r: r.tobytes()),
]


@pytest.mark.parametrize("call, n, dtype_name", [(psv_call, 40, "PackedSfenValue"),
                                                 (hcpe_call, 38, "HuffmanCodedPosAndEval")])
@pytest.mark.parametrize("target, make, read", TARGETS, ids=[t[0] for t in TARGETS])
def test_row_targets(call, n, dtype_name, target, make, read):
    board = k.Board(MATSURI)
    expected = call(board, None)
    out = make(n, getattr(kn, dtype_name))
    assert call(board, out) is None
    assert read(out) == expected


def test_record_array_keeps_the_other_records():
    rows = np.zeros(4, kn.PackedSfenValue)
    rows["score"] = 99
    k.Board().to_psv(score=-3, out=rows)
    assert rows[0]["score"] == -3
    assert list(rows["score"][1:]) == [99, 99, 99]


def test_record_view_writes_into_its_array():
    rows = np.zeros(3, kn.HuffmanCodedPosAndEval)
    k.Board().to_hcpe(game_result=2, out=rows[2])
    assert rows[2]["gameResult"] == 2
    assert rows[2]["hcp"].tobytes() == k.Board().to_hcp()
    assert not rows[:2].tobytes().strip(b"\0")


def test_a_record_type_without_padding_is_accepted():
    dtype = np.dtype([("sfen", np.uint8, 32), ("score", np.int16), ("move", np.uint16), ("game_ply", np.uint16),
                      ("game_result", np.int8)])
    out = np.zeros(2, dtype)
    k.Board().to_psv(score=7, game_result=0, out=out)
    assert (out[0]["score"], out[0]["game_result"], out[0]["game_ply"]) == (7, 0, 1)


@pytest.mark.parametrize(
    "call, out, error, message",
    [
        (psv_call, np.zeros(39, np.uint8), TypeError, PSV_OUT),
        (psv_call, np.zeros(38, np.uint8), TypeError, PSV_OUT),
        (hcpe_call, np.zeros(40, np.uint8), TypeError, HCPE_OUT),
        (hcpe_call, np.zeros(1, kn.PackedSfenValue), TypeError, HCPE_OUT),
        (psv_call, np.zeros(0, kn.PackedSfenValue), TypeError, PSV_OUT),
        (psv_call, "x" * 40, TypeError, "'str' object does not support item assignment"),
        (psv_call, bytes(40), TypeError, "'bytes' object does not support item assignment"),
        (psv_call, {"sfen": [0] * 31}, TypeError, PSV_OUT),
        (psv_call, 7, TypeError, PSV_OUT),
        # A row of a two-dimensional array is no record.
        (psv_call, np.zeros((1, 40), np.uint8), TypeError, PSV_OUT),
    ],
)
def test_row_target_errors(call, out, error, message):
    with pytest.raises(error) as e:
        call(k.Board(), out)
    assert str(e.value) == message


def test_read_only_row_raises_numpys_error():
    out = np.zeros(40, np.uint8)
    out.flags.writeable = False
    with pytest.raises(ValueError, match="read-only"):
        psv_call(k.Board(), out)


def test_read_only_record_array_is_refused():
    out = np.zeros(2, kn.HuffmanCodedPosAndEval)
    out.flags.writeable = False
    with pytest.raises(TypeError) as e:
        hcpe_call(k.Board(), out)
    assert str(e.value) == HCPE_OUT


def test_a_mapping_is_a_record():
    out = {"sfen": [0] * 32}
    psv_call(k.Board(), out)
    assert bytes(out["sfen"]) == k.Board().to_packed_sfen()
    assert (out["score"], out["move"], out["game_ply"], out["game_result"], out["padding"]) == (
        5, k.Move.from_usi("7g7f").value, 9, 1, 0)


@pytest.mark.parametrize("sfen", [UNENCODABLE, "9/9/9/9/9/9/9/9/9 b - 1"])
def test_rows_of_unencodable_positions_write_nothing(sfen):
    out = np.full(40, 3, np.uint8)
    with pytest.raises(ValueError, match="^position cannot be encoded"):
        k.Board(sfen).to_psv(out=out)
    assert (out == 3).all()
    hcpe = np.full(2, 0, kn.HuffmanCodedPosAndEval)
    with pytest.raises(ValueError, match="^position cannot be encoded"):
        k.Board(sfen).to_hcpe(game_result=0, out=hcpe)
    assert not hcpe.tobytes().strip(b"\0")


# ---- numpy records written in one copy ----

GAME_RESULTS = [0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16, 17, 20, 21]
ROW_KINDS = [
    ("psv", kn.PackedSfenValue, PSV_OUT,
     lambda board, rng, out: board.to_psv(rng.choice(board.legal_moves()), rng.randint(-32768, 32767),
                                          rng.choice(GAME_RESULTS), rng.randint(0, 65535), out)),
    ("hcpe", kn.HuffmanCodedPosAndEval, HCPE_OUT,
     lambda board, rng, out: board.to_hcpe(rng.choice(board.legal_moves()), rng.randint(-32768, 32767),
                                           rng.randint(0, 2), out)),
]


def row_boards(count, seed):
    rng = random.Random(seed)
    board, out = k.Board(), []
    while len(out) < count:
        moves = board.legal_moves()
        if not moves or board.game_ply > 120:
            board.reset()
            continue
        board.push_move(rng.choice(moves))
        out.append(board.copy())
    return out


def at_odd_address(count, dtype):
    raw = np.frombuffer(bytearray(count * dtype.itemsize + 1), np.uint8)[1:]
    return raw.view(dtype)


# Each target is made from a fresh array full of 0xA5 bytes; the maker returns the
# array, the target and the index of the record that must receive the row.
RECORD_TARGETS = [
    ("record", lambda a: (a, a[2], 2)),
    ("record of a reversed strided array", lambda a: (a, a[::-2][1], 3)),
    ("one-record slice", lambda a: (a, a[4:5], 4)),
    ("strided column", lambda a: (a, a.reshape(2, 3)[:, 1], 1)),
    ("zero-dimensional", lambda a: (a, a.reshape(6)[5:6].reshape(()), 5)),
]


def sentinel_array(dtype, odd_start=False):
    array = at_odd_address(6, dtype) if odd_start else np.zeros(6, dtype)
    array.view(np.uint8)[:] = 0xA5
    return array


@pytest.mark.parametrize("layout", ["aligned", "odd address", "equal dtype"])
@pytest.mark.parametrize("target, make", RECORD_TARGETS, ids=[t[0] for t in RECORD_TARGETS])
@pytest.mark.parametrize("kind, dtype, message, call", ROW_KINDS, ids=[r[0] for r in ROW_KINDS])
def test_records_receive_the_row_and_nothing_else(kind, dtype, message, call, target, make, layout):
    if layout == "equal dtype":
        dtype = np.dtype(dtype.descr)  # equal to the module's, another object
    for seed, board in enumerate(row_boards(12, 26)):
        array = sentinel_array(dtype, layout == "odd address")
        array, out, index = make(array)
        expected = call(board, random.Random(seed), None)
        assert call(board, random.Random(seed), out) is None
        written = array.view(np.uint8).reshape(-1, dtype.itemsize)
        assert written[index].tobytes() == expected
        others = np.delete(written, index, axis=0)
        assert (others == 0xA5).all()


@pytest.mark.parametrize("kind, dtype, message, call", ROW_KINDS, ids=[r[0] for r in ROW_KINDS])
def test_a_record_of_its_own_is_written_in_place(kind, dtype, message, call):
    board = k.Board(MATSURI)
    record = np.zeros(3, dtype)[1].copy()
    call(board, random.Random(1), record)
    assert record.tobytes() == call(board, random.Random(1), None)


def reordered(dtype):
    names = list(dtype.names)
    return np.dtype([(name, dtype.fields[name][0]) for name in names[1:2] + names[:1] + names[2:]])


def big_endian(dtype):
    return np.dtype([(name, dtype.fields[name][0].newbyteorder(">")) for name in dtype.names])


# Data types of the same fields in another layout are written field by field.
@pytest.mark.parametrize("other", [reordered, big_endian])
@pytest.mark.parametrize("kind, dtype, message, call", ROW_KINDS, ids=[r[0] for r in ROW_KINDS])
def test_other_layouts_receive_the_same_fields(kind, dtype, message, call, other):
    layout = other(dtype)
    for seed, board in enumerate(row_boards(6, 27)):
        expected = np.frombuffer(call(board, random.Random(seed), None), dtype)[0]
        rows = np.zeros(3, layout)
        call(board, random.Random(seed), rows[1])
        call(board, random.Random(seed), rows[2:3])
        for name in dtype.names:
            assert np.array_equal(rows[1][name], expected[name]), name
            assert np.array_equal(rows[2][name], expected[name]), name
        assert not rows[0].tobytes().strip(b"\0")


@pytest.mark.parametrize("target, make", RECORD_TARGETS, ids=[t[0] for t in RECORD_TARGETS])
@pytest.mark.parametrize("kind, dtype, message, call", ROW_KINDS, ids=[r[0] for r in ROW_KINDS])
def test_read_only_records_are_refused(kind, dtype, message, call, target, make):
    array = sentinel_array(dtype)
    array.flags.writeable = False
    array, out, _ = make(array)
    with pytest.raises(TypeError) as e:
        call(k.Board(), random.Random(0), out)
    assert str(e.value) == message
    assert (array.view(np.uint8) == 0xA5).all()
