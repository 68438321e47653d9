"""The opening-book classes and functions: keys against the board's own key, the books
against plain Python models of them, the static book bytes against a writer written
here, and every refusal in its exact words."""

import errno
import gc
import os
import pathlib
import random
import struct
import subprocess
import sys

import pytest

import korvan as k
from shared_checks import raises

SIDE_KEY = 0x909D1E2758B29699
START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"
HANDICAPS = [
    START,
    "lnsgkgsn1/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
    "lnsgkgsnl/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
    "4k4/9/9/9/9/9/9/9/4K4 b RB2G2S2N2L9Prb2g2s2n2l9p 1",
]
SPECIAL = {"none": 0, "resign": 258}


def usi(text):
    return k.Move(SPECIAL[text]) if text in SPECIAL else k.Move.from_usi(text)


def signed64(value):
    return value - (1 << 64) if value >= 1 << 63 else value


def io_text(code):
    return f"book error: io error: {os.strerror(code)} (os error {code})"


# --- keys ---------------------------------------------------------------------------------


def playout_positions(seed, sfen, plies):
    """Boards along a seeded random game, each a copy."""
    rng = random.Random(seed)
    board = k.Board(sfen)
    out = [board.copy()]
    for _ in range(plies):
        legal = board.legal_moves()
        if not legal:
            break
        board.push_move(rng.choice(legal))
        out.append(board.copy())
    return out


@pytest.mark.parametrize("sfen", HANDICAPS)
def test_key_after_equals_the_key_after_playing_every_legal_move(sfen):
    kinds = {"drop": 0, "promotion": 0, "promoted capture": 0, "unpromoted in zone": 0}
    for board in playout_positions(len(sfen), sfen, 160):
        before = (board.to_sfen(), board.zobrist_hash(), board.game_ply, board.last_move())
        key = k.book_key_from_position(board)
        assert key.low == board.zobrist_hash() and key.high == 0 and int(key) == key.low
        for move in board.legal_moves():
            after = k.book_key_after(board, move)
            target = board.piece_on(move.to_sq)
            if move.dropped_piece_type is not None:
                kinds["drop"] += 1
            elif int(move) & 0x8000:
                kinds["promotion"] += 1
            elif board.is_legal_move(k.Move(int(move) | 0x8000)):
                kinds["unpromoted in zone"] += 1
            if (int(target) & 15) >= 9:
                kinds["promoted capture"] += 1
            assert (board.to_sfen(), board.zobrist_hash(), board.game_ply, board.last_move()) == before
            board.push_move(move)
            assert after == k.book_key_from_position(board)
            assert after.low == board.zobrist_hash()
            board.pop()
    # The games must have reached the cases the arithmetic treats apart.
    if sfen != HANDICAPS[-1]:
        assert all(kinds.values()), kinds


def test_promotion_bit_on_a_piece_that_cannot_promote_keeps_it():
    board = k.Board("4k4/9/9/9/9/9/9/4G4/4K4 b - 1")
    plain = usi("5h5g")
    flagged = k.Move(int(plain) | 0x8000)
    assert k.book_key_after(board, flagged) == k.book_key_after(board, plain)
    king = usi("5i4i")
    assert k.book_key_after(board, k.Move(int(king) | 0x8000)) == k.book_key_after(board, king)


def move_value(to, source, drop=False):
    return to | source << 7 | (0x4000 if drop else 0)


@pytest.mark.parametrize(
    "value",
    [move_value(81, 81), 0x8000 | move_value(81, 81)] + [move_value(81, field, drop=True) for field in range(8, 32)],
)
def test_fields_on_the_zero_row_and_column_change_only_the_side(value):
    # Square 81 and the pieces of a drop field 8..31 read zero entries, and such a drop
    # leaves the hands alone: only the side to move changes.
    for board in playout_positions(value, START, 12)[::4]:
        key = k.book_key_from_position(board).low
        assert k.book_key_after(board, k.Move(value)).low == key ^ SIDE_KEY


@pytest.mark.parametrize(
    "value",
    [82, 127, move_value(0, 82), move_value(0, 127), move_value(40, 32, drop=True), move_value(81, 127, drop=True),
     0x8000 | 0x7F],
)
def test_move_fields_outside_the_tables_are_value_errors(value):
    raises(ValueError, f"invalid move value: 0x{value:04x}", k.book_key_after, k.Board(), k.Move(value))


def test_key_texts_hash_and_equality():
    seen_negative = seen_positive = False
    boards = playout_positions(7, START, 60)
    for board in boards:
        key = k.book_key_from_position(board)
        low = key.low
        assert str(key) == hex(low)
        assert repr(key) == f"BookKey(low={hex(low)}, high=0x0)"
        assert hash(key) == signed64(low)
        seen_negative |= hash(key) < 0
        seen_positive |= hash(key) > 0
        twin = k.book_key_from_position(k.Board(board.to_sfen()))
        assert twin == key and not (twin != key) and hash(twin) == hash(key)
    assert seen_negative and seen_positive
    first, second = (k.book_key_from_position(b) for b in boards[:2])
    assert first != second and not (first == second)


@pytest.mark.parametrize("other", [1, 0, None, "0x1", 1.5])
@pytest.mark.parametrize("op", ["==", "!=", "<", "<=", ">", ">="])
def test_key_compares_with_keys_only(other, op):
    key = k.book_key_from_position(k.Board())
    raises(TypeError, "unsupported comparison for BookKey", eval, f"key {op} other", {"key": key, "other": other})
    raises(TypeError, "unsupported comparison for BookKey", eval, f"other {op} key", {"key": key, "other": other})


@pytest.mark.parametrize("op", ["<", "<=", ">", ">="])
def test_keys_do_not_order(op):
    key = k.book_key_from_position(k.Board())
    raises(TypeError, "BookKey only supports == and !=", eval, f"key {op} key", {"key": key})


@pytest.mark.parametrize("cls", ["BookKey", "BookEntry", "StaticBook"])
def test_classes_without_constructor(cls):
    with pytest.raises(TypeError):
        getattr(k, cls)()


# --- argument refusals --------------------------------------------------------------------


def callers_of_mv():
    key = k.book_key_from_position(k.Board())
    return {
        "BookMove": lambda mv: k.BookMove(mv, 0, 0),
        "BookBuilder.insert": lambda mv: k.BookBuilder().insert(key, mv, 0, 0),
        "BookBuilder.insert_for_position": lambda mv: k.BookBuilder().insert_for_position(k.Board(), mv, 0, 0),
        "book_key_after": lambda mv: k.book_key_after(k.Board(), mv),
    }


@pytest.mark.parametrize("caller", sorted(callers_of_mv()))
@pytest.mark.parametrize("mv", [7, "7g7f", k.Move32(0x10000 | int(usi("7g7f"))), None])
def test_mv_must_be_a_move(caller, mv):
    text = f"argument 'mv': '{type(mv).__name__}' object cannot be cast as 'Move'"
    raises(TypeError, text, callers_of_mv()[caller], mv)


def test_a_move_subclass_is_a_move():
    class Sub(k.Move):
        pass

    assert int(k.BookMove(Sub(int(usi("7g7f"))), 1, 2).mv) == int(usi("7g7f"))


def callers_of_key():
    bm = k.BookMove(usi("7g7f"), 0, 0)
    static = k.StaticBook.from_memory_book(k.MemoryBook())
    return {
        "MemoryBook.insert_move": lambda key: k.MemoryBook().insert_move(key, bm),
        "MemoryBook.get": lambda key: k.MemoryBook().get(key),
        "MemoryBook.contains": lambda key: k.MemoryBook().contains(key),
        "StaticBook.get": static.get,
        "StaticBook.contains": static.contains,
        "BookBuilder.insert": lambda key: k.BookBuilder().insert(key, usi("7g7f"), 0, 0),
    }


@pytest.mark.parametrize("caller", sorted(callers_of_key()))
@pytest.mark.parametrize("key", [1, k.Board().zobrist_hash(), None, k.BookMove(usi("7g7f"), 0, 0)])
def test_key_must_be_a_book_key(caller, key):
    text = f"argument 'key': '{type(key).__name__}' object cannot be cast as 'BookKey'"
    raises(TypeError, text, callers_of_key()[caller], key)


@pytest.mark.parametrize(
    "call, text",
    [
        (lambda: k.MemoryBook().insert_move(k.book_key_from_position(k.Board()), (usi("7g7f"), 0, 0)),
         "argument 'book_move': 'tuple' object cannot be cast as 'BookMove'"),
        (lambda: k.StaticBook.from_memory_book(k.BookBuilder()),
         "argument 'book': 'BookBuilder' object cannot be cast as 'MemoryBook'"),
        (lambda: k.book_key_from_position(k.PositionState()),
         "argument 'board': 'PositionState' object cannot be cast as 'Board'"),
        (lambda: k.BookBuilder().insert_for_position("startpos", usi("7g7f"), 0, 0),
         "argument 'board': 'str' object cannot be cast as 'Board'"),
        (lambda: k.book_builder_from_game_record("startpos"),
         "argument 'record': 'str' object cannot be cast as 'Record'"),
        (lambda: k.BookBuilder().extend_from_game_record(k.RecordEditor(START)),
         "argument 'record': 'RecordEditor' object cannot be cast as 'Record'"),
        (lambda: k.StaticBook.from_bytes("KORVANBK"), "argument 'data': Can't extract `str` to `Vec`"),
        (lambda: k.StaticBook.from_bytes(7), "argument 'data': 'int' object cannot be cast as 'Sequence'"),
        (lambda: k.StaticBook.from_file(pathlib.Path("book.bin")),
         f"argument 'path': '{type(pathlib.Path()).__name__}' object cannot be cast as 'str'"),
        (lambda: k.StaticBook.from_memory_book(k.MemoryBook()).write_file(pathlib.Path("book.bin")),
         f"argument 'path': '{type(pathlib.Path()).__name__}' object cannot be cast as 'str'"),
        (lambda: k.StaticBook.from_file(b"book.bin"), "argument 'path': 'bytes' object cannot be cast as 'str'"),
    ],
)
def test_wrong_classes(call, text):
    raises(TypeError, text, call)


def callers_of_numbers():
    key = k.book_key_from_position(k.Board())
    mv = usi("7g7f")
    record = k.Record(START, [k.MoveEntry(mv)])
    return {
        "BookMove": lambda s, d: k.BookMove(mv, s, d),
        "BookBuilder.insert": lambda s, d: k.BookBuilder().insert(key, mv, s, d),
        "BookBuilder.insert_for_position": lambda s, d: k.BookBuilder().insert_for_position(k.Board(), mv, s, d),
        "BookBuilder.extend_from_game_record": lambda s, d: k.BookBuilder().extend_from_game_record(record, s, d),
        "book_builder_from_game_record": lambda s, d: k.book_builder_from_game_record(record, s, d),
    }


@pytest.mark.parametrize("caller", sorted(callers_of_numbers()))
@pytest.mark.parametrize("score, depth", [(32768, 0), (-32769, 0), (0, -1), (0, 65536), (1 << 70, 0), (0, -(1 << 70))])
def test_numbers_outside_their_fields(caller, score, depth):
    raises(OverflowError, "out of range integral type conversion attempted", callers_of_numbers()[caller], score, depth)


@pytest.mark.parametrize("caller", sorted(callers_of_numbers()))
def test_numbers_at_their_limits_and_wrong_types(caller):
    call = callers_of_numbers()[caller]
    call(-32768, 65535)
    call(32767, 0)
    names = ("default_score", "default_depth") if "record" in caller else ("score", "depth")
    with pytest.raises(TypeError, match=f"^argument '{names[0]}': "):
        call(1.5, 0)
    with pytest.raises(TypeError, match=f"^argument '{names[1]}': "):
        call(0, "1")


# --- moves and entries --------------------------------------------------------------------


@pytest.mark.parametrize(
    "move, score, depth, text",
    [
        ("7g7f", -35, 12, "7g7f"),
        ("8h2b+", 0, 0, "8h2b+"),
        ("P*5e", 32767, 65535, "P*5e"),
        ("resign", -32768, 1, "resign"),
        ("none", 5, 0, "none"),
    ],
)
def test_book_move_values_and_texts(move, score, depth, text):
    mv = usi(move)
    bm = k.BookMove(mv, score, depth)
    assert (bm.mv, bm.score, bm.depth) == (mv, score, depth)
    assert type(bm.mv) is k.Move and bm.mv is not bm.mv
    assert str(bm) == text
    assert repr(bm) == f"BookMove(move={text}, score={score}, depth={depth})"
    assert bm != k.BookMove(mv, score, depth) and bm == bm
    # Any 16-bit value is kept as it is.
    assert int(k.BookMove(k.Move(int(mv) ^ 0x7F7F), score, depth).mv) == int(mv) ^ 0x7F7F


def test_memory_book_new_and_empty():
    book = k.MemoryBook()
    key = k.book_key_from_position(k.Board())
    assert len(book) == 0 and repr(book) == "MemoryBook(len=0)"
    assert book.get(key) is None and book.contains(key) is False
    assert k.MemoryBook.__text_signature__ == "()"
    assert k.BookBuilder.__text_signature__ == "()"
    assert repr(k.BookBuilder()) == "BookBuilder()"


def key_pool(count, seed=3):
    boards = playout_positions(seed, START, count - 1)
    return [k.book_key_from_position(b) for b in boards]


@pytest.mark.parametrize("seed", range(4))
def test_memory_book_against_a_model(seed):
    rng = random.Random(seed)
    keys = key_pool(12, seed)
    moves = k.Board().legal_moves()
    book, model = k.MemoryBook(), {}
    for _ in range(300):
        key = rng.choice(keys)
        row = (rng.choice(moves), rng.randint(-32768, 32767), rng.randint(0, 65535))
        # Exact repeats now and then: they are kept, not merged.
        if model.get(key.low) and rng.random() < 0.2:
            row = model[key.low][-1]
        book.insert_move(key, k.BookMove(*row))
        model.setdefault(key.low, []).append(row)
    assert len(book) == len(model) and repr(book) == f"MemoryBook(len={len(model)})"
    for key in keys:
        entry = book.get(key)
        assert book.contains(key) == (key.low in model)
        if key.low not in model:
            assert entry is None
            continue
        assert [(m.mv, m.score, m.depth) for m in entry.moves] == model[key.low]
        assert entry.key == key and len(entry) == len(model[key.low])
        assert repr(entry) == f"BookEntry(key={hex(key.low)}, moves={len(entry)})"


def test_entries_are_copies():
    book = k.MemoryBook()
    key = k.book_key_from_position(k.Board())
    bm = k.BookMove(usi("7g7f"), 1, 2)
    book.insert_move(key, bm)
    book.insert_move(key, bm)
    entry = book.get(key)
    assert len(book) == 1 and len(entry) == 2
    book.insert_move(key, k.BookMove(usi("2g2f"), 3, 4))
    assert len(entry) == 2 and len(book.get(key)) == 3
    moves = entry.moves
    moves.clear()
    assert len(entry.moves) == 2 and entry.moves is not entry.moves and entry.moves[0] is not entry.moves[0]


# --- static book bytes --------------------------------------------------------------------


def book_bytes(model, flags=3, width=8, reserved=0):
    """The file a book with these keys (ascending) and moves must be, written here."""
    keys = sorted(model)
    out = bytearray(b"KORVANBK" + struct.pack("<HHBBII", 1, flags, width, reserved, len(keys),
                                              sum(len(model[key]) for key in keys)))
    out += b"".join(struct.pack("<Q", key) for key in keys)
    total = 0
    out += struct.pack("<I", 0)
    for key in keys:
        total += len(model[key])
        out += struct.pack("<I", total)
    for key in keys:
        out += b"".join(struct.pack("<HhH", int(mv), score, depth) for mv, score, depth in model[key])
    return bytes(out)


def filled_memory_book(rng, keys, count):
    book, model = k.MemoryBook(), {}
    moves = k.Board().legal_moves()
    for _ in range(count):
        key = rng.choice(keys)
        row = (rng.choice(moves), rng.randint(-32768, 32767), rng.randint(0, 65535))
        book.insert_move(key, k.BookMove(*row))
        model.setdefault(key.low, []).append(row)
    return book, model


@pytest.mark.parametrize("seed", range(4))
def test_static_book_bytes_and_round_trips(seed, tmp_path):
    rng = random.Random(seed)
    keys = key_pool(40, seed)
    memory, model = filled_memory_book(rng, keys, rng.choice([0, 1, 50, 400]))
    static = k.StaticBook.from_memory_book(memory)
    data = static.to_bytes()
    assert data == book_bytes(model)
    assert len(static) == len(model) and repr(static) == f"StaticBook(len={len(model)})"
    path = str(tmp_path / "book.bin")
    static.write_file(path)
    assert pathlib.Path(path).read_bytes() == data
    for again in (k.StaticBook.from_bytes(data), k.StaticBook.from_bytes(bytearray(data)),
                  k.StaticBook.from_bytes(list(data)), k.StaticBook.from_file(path)):
        assert again.to_bytes() == data
        for key in keys:
            entry = again.get(key)
            assert again.contains(key) == (entry is not None) == (key.low in model)
            if entry is not None:
                assert [(m.mv, m.score, m.depth) for m in entry.moves] == model[key.low]
                assert entry.key == key


def test_empty_static_book():
    static = k.StaticBook.from_bytes(k.StaticBook.from_memory_book(k.MemoryBook()).to_bytes())
    assert len(static) == 0 and repr(static) == "StaticBook(len=0)"
    assert static.to_bytes() == book_bytes({}) and len(static.to_bytes()) == 26


def test_static_book_reads_what_it_does_not_write():
    # Other flag bits, any reserved byte, a key with no moves.
    keys = key_pool(3)
    low = sorted(key.low for key in keys)
    data = bytearray(book_bytes({low[0]: [(usi("7g7f"), 1, 2)], low[1]: [], low[2]: [(usi("2g2f"), -1, 0)]},
                                flags=7, reserved=0x5A))
    static = k.StaticBook.from_bytes(data)
    by_low = {key.low: key for key in keys}
    assert static.contains(by_low[low[1]]) and len(static.get(by_low[low[1]])) == 0
    # Written again with the flags and the reserved byte of this library.
    data[10:12], data[13] = struct.pack("<H", 3), 0
    assert static.to_bytes() == bytes(data)


def header(n, m, flags=3, width=8):
    return b"KORVANBK" + struct.pack("<HHBBII", 1, flags, width, 0, n, m)


def with_bytes(data, at, value):
    data = bytearray(data)
    data[at:at + len(value)] = value
    return bytes(data)


TWO = book_bytes({5: [(usi("7g7f"), 1, 2)], 9: [(usi("2g2f"), 3, 4), (usi("7g7f"), 5, 6)]})


@pytest.mark.parametrize(
    "data, detail",
    [
        (b"", "invalid book format: unexpected eof"),
        (b"KORVANB", "invalid book format: unexpected eof"),
        (b"KORVANBX" + bytes(18), "invalid book format: magic mismatch"),
        (b"korvanbk", "invalid book format: magic mismatch"),
        (b"KORVANBK\x01", "invalid book format: unexpected eof"),
        (with_bytes(book_bytes({}), 8, b"\x02\x00"), "unsupported feature: version mismatch"),
        (book_bytes({})[:11], "invalid book format: unexpected eof"),
        (book_bytes({}, flags=1), "unsupported feature: score/depth is required"),
        (book_bytes({}, flags=2), "unsupported feature: score/depth is required"),
        (book_bytes({}, flags=0xFFFC), "unsupported feature: score/depth is required"),
        (book_bytes({})[:13], "invalid book format: unexpected eof"),
        (book_bytes({}, width=16), "unsupported feature: static book key width does not match current hash feature"),
        (book_bytes({}, width=4), "unsupported feature: invalid key size"),
        (book_bytes({}, width=0), "unsupported feature: invalid key size"),
        (book_bytes({})[:21], "invalid book format: unexpected eof"),
        (book_bytes({})[:25], "invalid book format: unexpected eof"),
        (book_bytes({}) + b"\x00", "invalid book format: trailing bytes"),
        (TWO + b"\x00", "invalid book format: trailing bytes"),
        (TWO[:-1], "invalid book format: unexpected eof"),
        (TWO[:22 + 8 * 2 + 4 * 3 - 1], "invalid book format: unexpected eof"),
        (TWO[:22 + 8], "invalid book format: unexpected eof"),
        # The key order is tested before any offset rule, and a short offset table
        # before any offset.
        (header(2, 0) + struct.pack("<QQ", 7, 7) + struct.pack("<III", 4, 9, 1),
         "invalid book format: keys must be strictly increasing"),
        (header(2, 0) + struct.pack("<QQ", 8, 7) + struct.pack("<III", 0, 0, 0),
         "invalid book format: keys must be strictly increasing"),
        (header(2, 0) + struct.pack("<QQ", 7, 8) + struct.pack("<II", 4, 9),
         "invalid book format: unexpected eof"),
        (header(1, 0) + struct.pack("<QII", 7, 1, 0), "invalid book format: first offset must be zero"),
        (header(2, 1) + struct.pack("<QQ", 7, 8) + struct.pack("<III", 0, 2, 1) + bytes(6),
         "invalid book format: offsets must be non-decreasing"),
        (header(1, 1) + struct.pack("<Q", 7) + struct.pack("<II", 0, 2) + bytes(6),
         "invalid book format: last offset must match move count"),
        (header(1, 2) + struct.pack("<Q", 7) + struct.pack("<II", 0, 2) + bytes(6),
         "invalid book format: unexpected eof"),
        # Counts near 2^32 in a short buffer end at the first missing byte, with nothing
        # reserved for what they declare.
        (header(0xFFFFFFFF, 0) + bytes(8), "invalid book format: unexpected eof"),
        (header(1, 0xFFFFFFFF) + struct.pack("<QII", 7, 0, 0xFFFFFFFF) + bytes(6),
         "invalid book format: unexpected eof"),
        (header(0xFFFFFFFE, 0xFFFFFFFF) + bytes(8), "invalid book format: unexpected eof"),
    ],
)
def test_static_book_reader_refusals(data, detail, tmp_path):
    raises(ValueError, f"book error: {detail}", k.StaticBook.from_bytes, data)
    path = tmp_path / "book.bin"
    path.write_bytes(data)
    raises(ValueError, f"book error: {detail}", k.StaticBook.from_file, str(path))


def test_static_book_files(tmp_path):
    raises(ValueError, io_text(errno.ENOENT), k.StaticBook.from_file, str(tmp_path / "missing.bin"))
    raises(ValueError, io_text(errno.EISDIR), k.StaticBook.from_file, str(tmp_path))
    static = k.StaticBook.from_bytes(TWO)
    raises(ValueError, io_text(errno.ENOENT), static.write_file, str(tmp_path / "no" / "book.bin"))
    # A path holding NUL names no file: neither the text before it is read or written.
    (tmp_path / "a.bin").write_bytes(TWO)
    raises(ValueError, io_text(errno.EINVAL), k.StaticBook.from_file, str(tmp_path / "a.bin") + "\0x")
    raises(ValueError, io_text(errno.EINVAL), static.write_file, str(tmp_path / "b.bin") + "\0x")
    assert not (tmp_path / "b.bin").exists()

    class Text(str):
        pass

    static.write_file(Text(tmp_path / "c.bin"))
    assert k.StaticBook.from_file(Text(tmp_path / "c.bin")).to_bytes() == TWO
    # A write over an existing file truncates it.
    (tmp_path / "d.bin").write_bytes(bytes(1000))
    static.write_file(str(tmp_path / "d.bin"))
    assert (tmp_path / "d.bin").read_bytes() == TWO


@pytest.mark.skipif(not os.path.exists("/dev/full"), reason="no /dev/full")
def test_write_to_a_full_device_is_an_error():
    raises(ValueError, io_text(errno.ENOSPC), k.StaticBook.from_bytes(TWO).write_file, "/dev/full")


@pytest.mark.skipif(not os.path.exists("/dev/zero"), reason="no /dev/zero")
def test_endless_device_reads_only_its_header():
    raises(ValueError, "book error: invalid book format: magic mismatch", k.StaticBook.from_file, "/dev/zero")


def test_endless_pipe_reads_no_more_than_the_declared_length(tmp_path):
    # The header declares an empty book; the writer never stops, so reading on would
    # never end.
    fifo = tmp_path / "pipe"
    os.mkfifo(fifo)
    writer = subprocess.Popen(
        [sys.executable, "-c", "import sys\nwith open(sys.argv[1], 'wb') as out:\n"
         "    out.write(bytes.fromhex(sys.argv[2]))\n    while True: out.write(bytes(65536))", str(fifo),
         book_bytes({}).hex()],
        stderr=subprocess.DEVNULL,
    )
    try:
        raises(ValueError, "book error: invalid book format: trailing bytes", k.StaticBook.from_file, str(fifo))
    finally:
        writer.kill()
        writer.wait()


# --- builder ------------------------------------------------------------------------------


def engine_info(rng):
    choice = rng.randrange(5)
    if choice == 0:
        return None
    if choice == 1:
        return k.EngineInfo()
    if choice == 2:
        return k.EngineInfo(eval=rng.randint(-32768, 32767))
    if choice == 3:
        return k.EngineInfo(depth=rng.randint(0, 65535))
    return k.EngineInfo(eval=rng.randint(-32768, 32767), depth=rng.randint(0, 65535), nodes=5)


def random_tree(seed, sfen=START, plies=60, variations=3, length=10):
    """A record of a seeded game with variations hanging from random nodes (some
    nested, some repeating a move already there), an engine information of every kind,
    and terminals now and then."""
    rng = random.Random(seed)
    editor = k.RecordEditor(sfen)
    for _ in range(plies):
        legal = editor.position.legal_moves()
        if not legal:
            break
        editor.append_move(k.MoveEntry(rng.choice(legal), engine_info=engine_info(rng)))
    editor.append_special(k.SpecialMoveEntry("RESIGN", "WHITE_WIN"))
    for _ in range(variations):
        record = editor.record()
        nodes = [n for n in tree_nodes(record) if n == record.root_node_id() or record.node_move(n) is not None]
        editor.go_to(rng.choice(nodes))
        for _ in range(length):
            legal = editor.position.legal_moves()
            if not legal:
                break
            editor.append_move(k.MoveEntry(rng.choice(legal), engine_info=engine_info(rng)))
        if rng.random() < 0.5:
            editor.append_special(k.SpecialMoveEntry("INTERRUPT", "PAUSED"))
    return editor.into_record()


def tree_nodes(record):
    out, stack = [], [record.root_node_id()]
    while stack:
        node = stack.pop()
        out.append(node)
        stack.extend(record.children(node))
    return out


def python_walk(record, default_score=0, default_depth=0):
    """(key, (move, score, depth)) of every move of the tree, depth first, main line
    first, each under the position it is played in; and the keys met."""
    board = k.Board(record.init_position_sfen)
    filed, keys = [], {}

    def visit(node):
        key = k.book_key_from_position(board)
        keys[key.low] = key
        for child in record.children(node):
            entry = record.node_move(child)
            if entry is None:
                continue
            info = entry.engine_info
            score = info.eval if info is not None and info.eval is not None else default_score
            depth = info.depth if info is not None and info.depth is not None else default_depth
            filed.append((key.low, (entry.move, score, depth)))
            board.push_move(entry.move)
            visit(child)
            board.pop()

    visit(record.root_node_id())
    return filed, keys


def grouped(filed):
    model = {}
    for low, row in filed:
        model.setdefault(low, []).append(row)
    return model


def rows(entry):
    return [(m.mv, m.score, m.depth) for m in entry.moves]


def assert_book_is(book, model, keys):
    assert len(book) == len(model)
    for low, key in keys.items():
        entry = book.get(key)
        assert (entry is None) == (low not in model)
        if entry is not None:
            assert rows(entry) == model[low]


@pytest.mark.parametrize("seed", range(6))
def test_builder_files_every_move_of_every_variation(seed):
    record = random_tree(seed, HANDICAPS[seed % 3])
    defaults = (-7 * seed, 3 * seed)
    filed, keys = python_walk(record, *defaults)
    model = grouped(filed)
    assert any(len(record.children(n)) > 1 for n in tree_nodes(record))
    assert_book_is(k.book_builder_from_game_record(record, *defaults), model, keys)

    builder = k.BookBuilder()
    builder.extend_from_game_record(record, default_score=defaults[0], default_depth=defaults[1])
    builder.extend_from_game_record(record, *defaults)
    # Under each key the second walk's moves follow the first's.
    assert_book_is(builder.into_memory(), grouped(filed + filed), keys)
    assert len(builder.into_memory()) == 0

    builder.extend_from_game_record(record, *defaults)
    static = builder.build_static()
    best_first = {low: sorted(moves, key=lambda m: (-m[1], -m[2], int(m[0]))) for low, moves in model.items()}
    assert_book_is(static, best_first, keys)
    assert static.to_bytes() == book_bytes(best_first)
    assert len(builder.build_static()) == 0
    # Frozen without sorting, the same moves keep their insertion order.
    assert k.StaticBook.from_memory_book(k.book_builder_from_game_record(record, *defaults)).to_bytes() == \
        book_bytes(model)


def test_builder_by_hand():
    builder = k.BookBuilder()
    board = k.Board()
    key = k.book_key_from_position(board)
    mv = usi("7g7f")
    for score, depth in [(10, 5), (10, 7), (20, 1), (10, 7)]:
        builder.insert(key, mv, score, depth)
    # Filed untested: a move the position cannot make.
    builder.insert_for_position(board, usi("5e5d"), -1, 0)
    builder.insert_for_position(k.Board(HANDICAPS[1]), mv, 0, 0)
    static = builder.build_static()
    assert rows(static.get(key)) == [(mv, 20, 1), (mv, 10, 7), (mv, 10, 7), (mv, 10, 5), (usi("5e5d"), -1, 0)]
    assert len(static) == 2


def test_a_record_without_moves_files_nothing():
    for record in (k.Record(START), k.Record(START, [], terminal=k.SpecialMoveEntry("RESIGN", "WHITE_WIN"))):
        assert len(k.book_builder_from_game_record(record)) == 0


def test_variation_from_the_start_comes_after_the_main_line():
    # The two lines meet after three moves: that position collects the next move of each.
    editor = k.RecordEditor(START)
    for move in ("7g7f", "3c3d", "2g2f", "8c8d"):
        editor.append_move(k.MoveEntry(move))
    editor.go_to(0)
    for move in ("2g2f", "3c3d", "7g7f", "4c4d"):
        editor.append_move(k.MoveEntry(move))
    book = k.book_builder_from_game_record(editor.into_record())
    board = k.Board()
    assert [str(m) for m in book.get(k.book_key_from_position(board)).moves] == ["7g7f", "2g2f"]
    for move in ("7g7f", "3c3d", "2g2f"):
        board.push_usi(move)
    assert [str(m) for m in book.get(k.book_key_from_position(board)).moves] == ["8c8d", "4c4d"]
    assert len(book) == 6


def test_an_illegal_move_stops_the_walk_and_keeps_what_came_before():
    record = k.Record(START, [k.MoveEntry("7g7f"), k.MoveEntry("7g7f"), k.MoveEntry("3c3d")])
    text = "book error: invalid data: traversal failed: illegal move at node 2 (ply 2)"
    builder = k.BookBuilder()
    raises(ValueError, text, builder.extend_from_game_record, record)
    book = builder.into_memory()
    assert len(book) == 1 and rows(book.get(k.book_key_from_position(k.Board()))) == [(usi("7g7f"), 0, 0)]
    raises(ValueError, text, k.book_builder_from_game_record, record)


def test_an_unreadable_start_files_nothing():
    record = k.Record("startpos", [k.MoveEntry("7g7f")])
    builder = k.BookBuilder()
    with pytest.raises(ValueError, match="^book error: invalid data: invalid init sfen: "):
        builder.extend_from_game_record(record)
    assert len(builder.into_memory()) == 0


# --- borrows --------------------------------------------------------------------------------


class Reentrant:
    """An int argument whose conversion first runs `action` and keeps its outcome."""

    def __init__(self, action):
        self.action, self.outcome = action, None

    def __index__(self):
        try:
            self.action()
        except RuntimeError as error:
            self.outcome = str(error)
        return 0


def test_builder_is_held_exclusively_while_it_converts():
    builder = k.BookBuilder()
    key = k.book_key_from_position(k.Board())
    insert = Reentrant(lambda: builder.insert(key, usi("7g7f"), 0, 0))
    builder.insert(key, usi("2g2f"), insert, 0)
    look = Reentrant(lambda: repr(builder))
    builder.extend_from_game_record(k.Record(START), look)
    assert (insert.outcome, look.outcome) == ("Already borrowed", "Already mutably borrowed")
    assert len(builder.into_memory()) == 1


def test_record_is_held_shared_by_the_walk():
    record = k.Record(START, [k.MoveEntry("7g7f")])
    extend = Reentrant(lambda: record.extend_main_line([k.MoveEntry("3c3d")]))
    book = k.book_builder_from_game_record(record, extend)
    assert extend.outcome == "Already borrowed" and record.move_count == 1 and len(book) == 1


@pytest.mark.skipif(sys.version_info >= (3, 12), reason="the collector runs inside a call only before 3.12")
def test_memory_book_is_held_exclusively_by_insert_move():
    # Nothing insert_move converts runs Python code, but the TypeError of a wrong key
    # is an object the collector may be started by; a collector callback then meets the
    # book still held.
    book = k.MemoryBook()
    insert, move = book.insert_move, k.BookMove(usi("7g7f"), 0, 0)
    armed, outcomes = [], []

    def callback(phase, info):
        if phase == "start" and armed and not outcomes:
            try:
                k.StaticBook.from_memory_book(book)
                outcomes.append("free")
            except RuntimeError as error:
                outcomes.append(str(error))

    threshold = gc.get_threshold()
    gc.callbacks.append(callback)
    gc.set_threshold(1)
    try:
        armed.append(True)
        try:
            insert(1, move)
        except TypeError:
            pass
        armed.clear()
    finally:
        gc.set_threshold(*threshold)
        gc.callbacks.remove(callback)
    assert outcomes == ["Already mutably borrowed"]
    assert len(k.StaticBook.from_memory_book(book)) == 0
