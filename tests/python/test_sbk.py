"""SbkBook and its values: opening with and without a progress callback, every lookup,
argument errors, reprs, book errors as ValueError, a file changed or removed after the
open, and a differential reading of books the protobuf runtime writes."""

import os
import pathlib
import random

import pytest

import korvan
import sbk_files as sbk
from korvan import Board, SbkBook, SbkEntry

START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"
P7G7F = sbk.move_code("7g7f")
P3C3D = sbk.move_code("3c3d", white=True)


@pytest.fixture
def write(tmp_path):
    def write(data, name="book.sbk"):
        path = tmp_path / name
        path.write_bytes(data)
        return str(path)

    return write


def linked_book():
    """State 0 (id 1) with 7g7f -> id 2 and a move without a link; state 1 (id 2) with
    3c3d -> id 3; state 2 (id 3); state 3 (id 4) reached by nothing."""
    return sbk.book(
        [
            sbk.state(1, [sbk.move(P7G7F, 25, None, 2), sbk.move(sbk.move_code("2g2f"), weight=3)]),
            sbk.state(2, [sbk.move(P3C3D, next_state_id=3)], games=5, won_black=3, won_white=-2, comment="定跡"),
            sbk.state(3, evals=[sbk.evaluation(-40, 12, 20, 2**40, "7g7f 3c3d", "engine"), b""]),
            sbk.state(4),
        ],
        author="someone",
    )


def test_open_and_lookups(write):
    path = write(linked_book())
    book = SbkBook.open(path)
    assert repr(book) == "SbkBook(len=3)"
    assert len(book) == 3
    assert (book.author, book.description) == ("someone", None)
    assert repr(book.diagnostics()) == "SbkDiagnostics(duplicate_positions=0, unresolved_next_states=1)"

    root = book.lookup_state_index(0)
    assert repr(root) == "SbkEntry(state_index=0, state_id=Some(1), moves=2, evals=0)"
    assert root.sfen == START and len(root) == 2
    assert [repr(m) for m in root.moves] == [
        "SbkMove(move=7g7f, raw_move=30327, evaluation=Some(25), weight=None, next_state_id=Some(2))",
        "SbkMove(move=2g2f, raw_move=9767, evaluation=None, weight=Some(3), next_state_id=None)",
    ]
    assert root.moves[0].mv == korvan.Move.from_usi("7g7f")
    assert root.moves is not root.moves

    child = book.child_entry(root, 0)
    assert (child.state_index, child.state_id, child.games, child.won_black, child.won_white, child.comment) == (
        1, 2, 5, 3, -2, "定跡")
    assert child.moves[0].raw_move == P3C3D < 0
    assert book.child_entry(root, 1) is None  # no next state
    assert book.child_entry(root, len(root)) is None
    leaf = book.child_entry(child, 0)
    assert leaf.sfen == "lnsgkgsnl/1r5b1/pppppp1pp/6p2/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL b - 3"
    first, empty = leaf.evals
    assert [first.evaluation_value, first.depth, first.sel_depth, first.nodes, first.variation, first.engine_name] == [
        -40, 12, 20, 2**40, "7g7f 3c3d", "engine"]
    assert [empty.evaluation_value, empty.nodes, empty.engine_name] == [None, None, None]
    assert repr(empty).startswith("<korvan._korvan.SbkEval object at ")

    assert book.lookup_state_id(3).state_index == 2
    assert book.lookup_state_id(4) is None  # not indexed
    assert book.lookup_state_id(-1) is None
    assert book.lookup_state_index(3) is None
    assert book.lookup_state_index(4) is None
    assert book.lookup_sfen(leaf.sfen.replace(" 3", " 77")).state_index == 2
    board = Board(leaf.sfen)
    board.push_usi("2g2f")
    assert book.lookup_position(board) is None
    board.pop()
    assert book.lookup_position(board).state_index == 2


@pytest.mark.parametrize(
    "call, error, message",
    [
        (lambda b, e: b.lookup_state_id(2**31), OverflowError, "out of range integral type conversion attempted"),
        (lambda b, e: b.lookup_state_id(-(2**31) - 1), OverflowError, "out of range integral type conversion attempted"),
        (lambda b, e: b.lookup_state_index(-1), OverflowError, None),
        (lambda b, e: b.child_entry(e, -1), OverflowError, None),
        (lambda b, e: b.lookup_state_id("1"), TypeError, "argument 'state_id'"),
        (lambda b, e: b.lookup_sfen(b"x"), TypeError, "argument 'sfen'"),
        (lambda b, e: b.lookup_position(START), TypeError, "argument 'board'"),
        (lambda b, e: b.child_entry(e.moves[0], 0), TypeError, "argument 'parent'"),
        (lambda b, e: b.lookup_sfen("9/9/9 b"), ValueError, "book error: invalid data: "),
        (lambda b, e: SbkBook.open(pathlib.Path("x.sbk")), TypeError, "argument 'path'"),
        (lambda b, e: SbkBook.open_with_control(1, None), TypeError, "argument 'path'"),
    ],
    ids=["id-above", "id-below", "index-negative", "move-index-negative", "id-str", "sfen-bytes", "board-str",
         "parent-move", "sfen-bad", "path-pathlike", "control-path-int"],
)
def test_argument_errors(write, call, error, message):
    book = SbkBook.open(write(linked_book()))
    with pytest.raises(error) as raised:
        call(book, book.lookup_state_index(0))
    if message:
        assert str(raised.value).startswith(message)


@pytest.mark.parametrize("cls", ["SbkDiagnostics", "SbkOpenProgress", "SbkEval", "SbkMove", "SbkEntry", "SbkBook"])
def test_classes_are_not_instantiable(cls):
    with pytest.raises(TypeError):
        getattr(korvan, cls)()


# Every text has its C++ case; here each kind reaches Python as "book error: ...".
@pytest.mark.parametrize(
    "data, message",
    [
        (sbk.bytes_field(1, "author only"), "invalid book format: sbk contains no states"),
        (sbk.key(5, 3), "unsupported feature: unsupported protobuf wire type"),
        (sbk.book([sbk.state(comment=b"\xff")]), "invalid book format: protobuf string is not UTF-8"),
        (sbk.book([sbk.state(sfen="9/9/9/9/9/9/9/9/9 b - 1")]),
         "invalid data: invalid sbk state SFEN: position cannot be encoded: "),
    ],
    ids=["no-states", "group", "not-utf8", "unpackable-sfen"],
)
def test_open_errors(write, data, message):
    with pytest.raises(ValueError) as raised:
        SbkBook.open(write(data))
    assert str(raised.value).startswith("book error: " + message)


def test_open_errors_of_the_file(tmp_path):
    with pytest.raises(ValueError, match=r"^book error: io error: No such file or directory \(os error 2\)$"):
        SbkBook.open(str(tmp_path / "missing.sbk"))
    with pytest.raises(ValueError, match="^book error: io error: "):
        SbkBook.open(str(tmp_path))


def test_lookups_after_the_file_changed_or_went(write):
    data = linked_book()
    path = write(data)
    book = SbkBook.open(path)
    root = book.lookup_state_index(0)
    pathlib.Path(path).write_bytes(data[:-1] + b"\x01")
    stat = os.stat(path)
    os.utime(path, ns=(stat.st_atime_ns, stat.st_mtime_ns + 5_000_000_000))
    with pytest.raises(ValueError, match="^book error: invalid data: sbk file changed since it was opened$"):
        book.lookup_state_index(0)
    os.remove(path)
    with pytest.raises(ValueError, match="^book error: io error: No such file or directory"):
        book.child_entry(root, 0)
    assert book.lookup_state_index(3) is None  # nothing to read


class Truthless:
    def __bool__(self):
        raise ZeroDivisionError("no truth")


@pytest.mark.parametrize(
    "answer, calls",
    [(False, 1), (0, 1), ([], 1), ("", 1), (None, 3), (1, 3), (True, 3), ([0], 3)],
    ids=["false", "zero", "empty-list", "empty-str", "none", "one", "true", "list"],
)
def test_progress_answers(write, answer, calls):
    path = write(linked_book())
    seen = []

    def callback(progress):
        seen.append((progress.indexed_states, progress.total_states, repr(progress)))
        return answer

    if calls == 1:
        with pytest.raises(ValueError, match="^book error: book operation cancelled$"):
            SbkBook.open_with_control(path, callback)
    else:
        assert len(SbkBook.open_with_control(path, callback)) == 3
    assert seen == [(i, 4, f"SbkOpenProgress(indexed_states={i}, total_states=4)") for i in range(1, calls + 1)]


def test_progress_exceptions_pass_unchanged(write):
    path = write(linked_book())
    error = KeyError("stop")

    def raising(progress):
        raise error

    with pytest.raises(KeyError) as raised:
        SbkBook.open_with_control(path, raising)
    assert raised.value is error
    with pytest.raises(ZeroDivisionError, match="no truth"):
        SbkBook.open_with_control(path, lambda progress: Truthless())
    with pytest.raises(TypeError, match="not callable"):
        SbkBook.open_with_control(path, 5)


# ---- the protobuf runtime writes, korvan reads

def protobuf_classes():
    """The public schema (and a wider one with unknown and packed fields) built at run
    time from a descriptor, with no generated code."""
    descriptor_pb2 = pytest.importorskip("google.protobuf.descriptor_pb2")
    from google.protobuf import descriptor_pool, message_factory

    F = descriptor_pb2.FieldDescriptorProto

    def message(file, name, fields):
        m = file.message_type.add(name=name)
        for number, field_name, kind, label, type_name in fields:
            f = m.field.add(name=field_name, number=number, type=kind, label=label)
            if type_name:
                f.type_name = type_name
            if label == F.LABEL_REPEATED and kind in (F.TYPE_INT32, F.TYPE_FIXED32):
                f.options.packed = True

    def schema(package, wide):
        file = descriptor_pb2.FileDescriptorProto(name=f"{package}.proto", package=package, syntax="proto2")
        opt, rep = F.LABEL_OPTIONAL, F.LABEL_REPEATED
        i32, i64, text, msg = F.TYPE_INT32, F.TYPE_INT64, F.TYPE_STRING, F.TYPE_MESSAGE
        extra = [
            (20, "hash_a", F.TYPE_FIXED64, opt, None), (21, "packed", i32, rep, None),
            (22, "fixed", F.TYPE_FIXED32, opt, None), (23, "blob", F.TYPE_BYTES, opt, None),
        ] if wide else []
        message(file, "Eval", [(1, "evaluation_value", i32, opt, None), (2, "depth", i32, opt, None),
                               (3, "sel_depth", i32, opt, None), (4, "nodes", i64, opt, None),
                               (5, "variation", text, opt, None), (6, "engine_name", text, opt, None)] + extra)
        message(file, "Move", [(1, "raw_move", i32, opt, None), (2, "evaluation", i32, opt, None),
                               (3, "weight", i32, opt, None), (4, "next_state_id", i32, opt, None)] + extra)
        message(file, "State", [(1, "state_id", i32, opt, None), (2, "hash_lo", F.TYPE_UINT64, opt, None),
                                (3, "hash_hi", F.TYPE_UINT64, opt, None), (4, "games", i32, opt, None),
                                (5, "won_black", i32, opt, None), (6, "won_white", i32, opt, None),
                                (7, "position", text, opt, None), (8, "comment", text, opt, None),
                                (9, "moves", msg, rep, f".{package}.Move"),
                                (10, "evals", msg, rep, f".{package}.Eval")] + extra)
        message(file, "Book", [(1, "author", text, opt, None), (2, "description", text, opt, None),
                               (3, "states", msg, rep, f".{package}.State")] + extra)
        pool = descriptor_pool.DescriptorPool()
        pool.Add(file)
        return {name: message_factory.GetMessageClass(pool.FindMessageTypeByName(f"{package}.{name}"))
                for name in ("Book", "State", "Move", "Eval")}

    return schema("sbk", wide=False), schema("sbkwide", wide=True)


def random_positions(rng, count):
    board, out = Board(), []
    while len(out) < count:
        moves = board.legal_moves()
        if not moves or board.game_ply > 80:
            board = Board()
            continue
        board.push_move(rng.choice(moves))
        out.append(board.to_sfen())
    return out


def random_state(rng, classes, sfen):
    State, Move, Eval = classes["State"], classes["Move"], classes["Eval"]
    s = State(position=sfen)
    text = lambda: "".join(rng.choice("ab定跡 é\U0001F600") for _ in range(rng.randrange(6)))
    i32 = lambda: rng.choice([0, 1, -1, 2**31 - 1, -(2**31), rng.randrange(-(2**31), 2**31)])
    for name in ("state_id", "games", "won_black", "won_white"):
        if rng.random() < 0.7:
            setattr(s, name, i32())
    if rng.random() < 0.5:
        s.comment = text()
    if hasattr(s, "packed"):
        s.packed.extend(i32() for _ in range(rng.randrange(4)))
        s.hash_a, s.blob, s.hash_lo = rng.getrandbits(64), os.urandom(rng.randrange(12)), rng.getrandbits(64)
    valid = []
    for _ in range(rng.randrange(6)):
        m = Move()
        usi = rng.choice(["7g7f", "8h2b+", "P*5e", "R*1a", "3c3d", "G*9i"])
        good = rng.random() < 0.8
        if rng.random() < 0.9:
            m.raw_move = sbk.move_code(usi, white=rng.random() < 0.5) if good else 0x600
        for name in ("evaluation", "weight", "next_state_id"):
            if rng.random() < 0.6:
                setattr(m, name, i32())
        if hasattr(m, "packed"):
            m.packed.extend([1, 2, 3])
        s.moves.append(m)
        if good and m.HasField("raw_move"):
            valid.append(usi)
    for _ in range(rng.randrange(3)):
        e = Eval()
        for name in ("evaluation_value", "depth", "sel_depth"):
            if rng.random() < 0.6:
                setattr(e, name, i32())
        if rng.random() < 0.6:
            e.nodes = rng.choice([2**63 - 1, -(2**63), rng.getrandbits(40)])
        if rng.random() < 0.6:
            e.variation = text()
        if rng.random() < 0.6:
            e.engine_name = text()
        if hasattr(e, "fixed"):
            e.fixed = 7
        s.evals.append(e)
    return s, valid


def optional(message, name):
    return getattr(message, name) if message.HasField(name) else None


@pytest.mark.parametrize("seed", range(6))
def test_books_the_protobuf_runtime_writes(write, seed):
    narrow, wide = protobuf_classes()
    rng = random.Random(seed)
    sfens = random_positions(rng, 40)
    parts, valid = [], {}
    for i in range(rng.randrange(1, 30)):
        state, moves = random_state(rng, wide, sfens[i])
        valid[state.SerializeToString()] = moves
        parts.append(wide["Book"](states=[state]).SerializeToString())
    parts.append(wide["Book"](author="first", packed=[5, 6]).SerializeToString())
    parts.append(wide["Book"](author="last", description="d").SerializeToString())
    rng.shuffle(parts)
    data = b"".join(parts)
    expected = narrow["Book"].FromString(data)  # the runtime's own reading
    wide_states = wide["Book"].FromString(data).states

    book = SbkBook.open(write(data))
    assert (book.author, book.description) == (expected.author, expected.description)
    for index, (want, raw) in enumerate(zip(expected.states, wide_states)):
        entry = book.lookup_state_index(index)
        assert entry.sfen == want.position
        assert entry.state_id == optional(want, "state_id")
        assert [entry.games, entry.won_black, entry.won_white, entry.comment] == [
            optional(want, n) for n in ("games", "won_black", "won_white", "comment")]
        assert [m.mv.to_usi() for m in entry.moves] == valid[raw.SerializeToString()]
        kept = [m for m in want.moves if m.HasField("raw_move") and m.raw_move != 0x600]
        assert [(m.raw_move, m.evaluation, m.weight, m.next_state_id) for m in entry.moves] == [
            tuple(optional(m, n) for n in ("raw_move", "evaluation", "weight", "next_state_id")) for m in kept]
        assert [(e.evaluation_value, e.depth, e.sel_depth, e.nodes, e.variation, e.engine_name) for e in entry.evals] == [
            tuple(optional(e, n) for n in ("evaluation_value", "depth", "sel_depth", "nodes", "variation",
                                           "engine_name")) for e in want.evals]
    assert book.lookup_state_index(len(expected.states)) is None
