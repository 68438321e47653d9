"""The pack and sbinpack module functions: many records to bytes and files and back,
chains of variations, argument conversion and order, exact error texts, and file
failures reported as errors."""

import os
import pathlib

import pytest

import korvan as k
from shared_checks import raises
from container_records import (
    SBINPACK_RESULTS,
    main_line,
    random_record,
    variation_stems,
    with_variations,
)


def records(seed, count, plies):
    results = [r for r, _ in SBINPACK_RESULTS]
    return [random_record(seed * 100 + i, plies + 37 * i, results[i % len(results)]) for i in range(count)]


def clamped(line):
    return [(m, max(-32000, min(32000, e))) for m, e in line]


# Pack


@pytest.mark.parametrize("seed, count, plies", [(1, 1, 30), (2, 8, 60), (3, 3, 460)])
def test_pack_round_trip(seed, count, plies):
    games = records(seed, count, plies)
    data = k.write_pack(games)
    back = k.decode_pack(data)
    assert [main_line(r) for r in back] == [clamped(main_line(r)) for r in games]
    assert [r.result for r in back] == [r.result for r in games]
    # The container is the records' own bytes back to back.
    assert data == b"".join(r.to_pack() for r in games)
    assert k.write_pack(back) == data


def test_pack_empty():
    assert k.write_pack([]) == b""
    assert k.decode_pack(b"") == []


@pytest.mark.parametrize("make", [tuple, iter, lambda games: (g for g in games)])
def test_records_may_be_any_iterable(make):
    games = records(4, 3, 20)
    assert k.write_pack(make(games)) == k.write_pack(games)
    assert k.write_sbinpack(make(games)) == k.write_sbinpack(games)


def test_records_are_copied_when_taken():
    game = random_record(5, 20)
    before = k.write_pack([game])

    def games():
        yield game
        # Changed after it was taken: the output holds it as it was.
        game.main_terminal = k.SpecialMoveEntry("RESIGN", "WHITE_WIN")

    assert k.write_pack(games()) == before
    assert k.write_pack([game]) != before


@pytest.mark.parametrize(
    "given, error, text",
    [
        ([random_record(6, 5), 3], TypeError, "records must contain Record instances"),
        (["abc"], TypeError, "records must contain Record instances"),
        ("abc", TypeError, "records must contain Record instances"),
        (3, TypeError, "'int' object is not iterable"),
        ([k.Record.from_usi_main_line("startpos", ["7g7f"], evals=[1])], ValueError, "pack: pack export requires a terminal result"),
        (
            [random_record(7, 5), k.Record.from_usi_main_line("startpos", ["7g7f"], result="BLACK_WIN")],
            ValueError,
            "pack: missing eval for record move 0",
        ),
        # Every item is taken before an encoding failure is reported.
        ([k.Record.from_usi_main_line("startpos", ["7g7f"], evals=[1]), 3], TypeError, "records must contain Record instances"),
    ],
)
def test_write_pack_errors(given, error, text):
    raises(error, text, k.write_pack, given)


def test_iteration_errors_pass_unchanged():
    def games():
        yield random_record(8, 5)
        raise KeyError("stop")

    with pytest.raises(KeyError):
        k.write_pack(games())
    with pytest.raises(KeyError):
        k.write_sbinpack(games())


def test_record_being_changed_is_refused():
    game = random_record(9, 5)

    class Moves(list):
        # Iterated while `game` is borrowed exclusively by extend_main_line.
        def __iter__(self):
            raises(TypeError, "records must contain Record instances", k.write_pack, [game])
            return super().__iter__()

    game.extend_main_line(Moves())


@pytest.mark.parametrize(
    "data, text",
    [
        (b"\x01", "pack: truncated pack data"),
        (b"\x03", "pack: invalid pack start state: 3"),
        # A word with equal source and destination fields that is no marker.
        (b"\x01\x83\x01", "pack: invalid pack terminal marker: 0x0183"),
        ("abc", None),
    ],
)
def test_decode_pack_errors(data, text):
    if text is None:
        raises(TypeError, "argument 'data': Can't extract `str` to `Vec`", k.decode_pack, data)
    else:
        raises(ValueError, text, k.decode_pack, data)


# Sbinpack


@pytest.mark.parametrize("seed, count, plies", [(11, 1, 25), (12, 8, 50), (13, 2, 470)])
def test_sbinpack_round_trip(seed, count, plies):
    games = records(seed, count, plies)
    metadatas = [bytes([i]) * i for i in range(count)]
    data = k.write_sbinpack(games, stem_score=12, metadatas=metadatas)
    back = k.decode_sbinpack(data)
    assert [m for _, m in back] == metadatas
    assert [main_line(r) for r, _ in back] == [main_line(r) for r in games]
    assert [r.result for r, _ in back] == [r.result for r in games]
    # One chain per record, each the record's own blob.
    assert data == k.write_sbinpack([r for r, _ in back], stem_score=12, metadatas=metadatas)


@pytest.mark.parametrize("seed, plies", [(21, 40), (22, 120), (23, 460)])
def test_sbinpack_variations(seed, plies):
    games = [with_variations(random_record(seed * 10 + i, plies + 20 * i), seed * 10 + i, 4, 6) for i in range(3)]
    assert all(g.move_count >= plies for g in games)
    chains = k.decode_sbinpack(k.write_sbinpack(games, include_variations=True, metadatas=[b"a", None, b"c"]))
    expected_counts = [1 + len(variation_stems(g)) for g in games]
    assert len(chains) == sum(expected_counts)
    start = 0
    for game, count, metadata in zip(games, expected_counts, [b"a", b"", b"c"]):
        mine = chains[start : start + count]
        start += count
        assert all(m == metadata for _, m in mine)
        assert main_line(mine[0][0]) == main_line(game)
        got = sorted((r.init_position_sfen, main_line(r)) for r, _ in mine[1:])
        assert got == sorted(variation_stems(game))
        assert all(r.result == game.result for r, _ in mine)


def test_sbinpack_variation_order():
    # Later children of a node come in child order; then the subtrees from the last
    # child back: the root's second child 5g5f (with its own variation 1c1d) is walked
    # before the first child's subtree, whose variation is 8c8d.
    game = k.Record.from_usi_main_line("startpos", ["7g7f", "3c3d", "2g2f"], result="BLACK_WIN", evals=[1, 2, 3])
    editor = game.into_editor()

    def add(node, *moves):
        editor.go_to(node)
        for m in moves:
            editor.append_move(k.MoveEntry(m, engine_info={"eval": 9}))
        return editor.current_node

    add(1, "8c8d")
    second = add(0, "5g5f", "5c5d")
    add(second - 1, "1c1d")
    chains = k.decode_sbinpack(k.write_sbinpack([editor.into_record()], include_main=False, include_variations=True))
    assert [[m for m, _ in main_line(r)] for r, _ in chains] == [["5g5f", "5c5d"], ["1c1d"], ["8c8d"]]


@pytest.mark.parametrize(
    "given, kwargs, error, text",
    [
        ([], {}, ValueError, "sbinpack: no chains to serialize"),
        ("records", {"include_main": False}, ValueError, "sbinpack: no chains to serialize"),
        ("records", {"include_main": False, "include_variations": True}, ValueError, "sbinpack: no chains to serialize"),
        # The lengths are compared before any record is converted into chains.
        ("unfinished", {"metadatas": [None]}, ValueError, "sbinpack: metadatas length must match records length"),
        ("records", {"metadatas": [b"", bytes(128)]}, ValueError, "sbinpack: MetadataTooLarge { len: 128, max: 127 }"),
        ("unfinished", {}, ValueError, "sbinpack: MissingEval(0)"),
        ("records", {"stem_score": 32768}, OverflowError, "out of range integral type conversion attempted"),
        ("records", {"stem_score": 1.5}, TypeError, "argument 'stem_score': 'float' object cannot be interpreted as an integer"),
        ("records", {"include_main": "yes"}, TypeError, "argument 'include_main': 'str' object cannot be cast as 'bool'"),
        ("records", {"metadatas": "ab"}, TypeError, "argument 'metadatas': Can't extract `str` to `Vec`"),
        ("records", {"metadatas": 5}, TypeError, "argument 'metadatas': 'int' object cannot be cast as 'Sequence'"),
        ("records", {"metadatas": [b"", "x"]}, TypeError, "argument 'metadatas': Can't extract `str` to `Vec`"),
        ("records", {"metadatas": [b"", [300]]}, OverflowError, "out of range integral type conversion attempted"),
        # Options come before the records.
        ([3], {"include_main": 1}, TypeError, "argument 'include_main': 'int' object cannot be cast as 'bool'"),
        ([3], {}, TypeError, "records must contain Record instances"),
        ("unfinished+3", {}, TypeError, "records must contain Record instances"),
        ("unfinished+3", {"metadatas": [None]}, TypeError, "records must contain Record instances"),
        ("records", {"metadatas": [None] * 3}, ValueError, "sbinpack: metadatas length must match records length"),
        # Records are turned into chains in order: the first failure is the one seen.
        ("unfinished", {"metadatas": [bytes(130), None]}, ValueError, "sbinpack: MetadataTooLarge { len: 130, max: 127 }"),
        ("unfinished-first", {"metadatas": [None, bytes(130)]}, ValueError, "sbinpack: MissingEval(0)"),
    ],
)
def test_write_sbinpack_errors(given, kwargs, error, text):
    unfinished = [random_record(32, 5), k.Record.from_usi_main_line("startpos", ["7g7f"])]
    if given == "records":
        given = records(31, 2, 10)
    elif given == "unfinished":
        given = unfinished
    elif given == "unfinished-first":
        given = unfinished[::-1]
    elif given == "unfinished+3":
        given = unfinished + [3]
    raises(error, text, k.write_sbinpack, given, **kwargs)


def test_write_sbinpack_metadata_limits():
    games = records(33, 2, 10)
    chains = k.decode_sbinpack(k.write_sbinpack(games, metadatas=[bytes(127), None]))
    assert [m for _, m in chains] == [bytes(127), b""]
    assert [m for _, m in k.decode_sbinpack(k.write_sbinpack(games, metadatas=(b"", bytearray(b"x"))))] == [b"", b"x"]
    raises(TypeError, "write_sbinpack() takes 1 positional argument but 2 were given", k.write_sbinpack, games, 1)


@pytest.mark.parametrize(
    "data, text",
    [
        (b"SBN1\x00\x00\x00\x00", "sbinpack: InvalidMagic"),
        (b"SBN2\x01\x00\x00\x00", "sbinpack: Truncated"),
        (b"SBN2\xff\xff\xff\xff", "sbinpack: Truncated"),
    ],
)
def test_decode_sbinpack_errors(data, text):
    raises(ValueError, text, k.decode_sbinpack, data)


def test_decode_sbinpack_empty_and_blocks():
    assert k.decode_sbinpack(b"") == []
    one = k.write_sbinpack(records(34, 1, 10))
    two = k.write_sbinpack(records(35, 1, 10))
    # A buffer is any number of blocks.
    assert len(k.decode_sbinpack(one + two)) == 2


# Files


@pytest.mark.parametrize("as_path", [str, pathlib.Path])
def test_files_hold_exactly_the_bytes(tmp_path, as_path):
    games = records(41, 4, 40)
    pack_path = as_path(tmp_path / "games.pack")
    k.write_pack_file(pack_path, games)
    assert (tmp_path / "games.pack").read_bytes() == k.write_pack(games)
    assert [main_line(r) for r in k.decode_pack_file(pack_path)] == [clamped(main_line(r)) for r in games]

    sbin_path = as_path(tmp_path / "games.sbin")
    kwargs = {"stem_score": -3, "include_variations": True, "metadatas": [b"m"] * 4}
    k.write_sbinpack_file(sbin_path, games, **kwargs)
    assert (tmp_path / "games.sbin").read_bytes() == k.write_sbinpack(games, **kwargs)
    assert [(main_line(r), m) for r, m in k.decode_sbinpack_file(sbin_path)] == [
        (main_line(r), b"m") for r in games
    ]


def test_files_are_truncated_and_empty_lists_write_empty_files(tmp_path):
    path = tmp_path / "games.pack"
    path.write_bytes(b"x" * 10000)
    k.write_pack_file(path, [])
    assert path.read_bytes() == b""
    assert k.decode_pack_file(path) == []


def test_encoding_failures_leave_files_untouched(tmp_path):
    unfinished = k.Record.from_usi_main_line("startpos", ["7g7f"], evals=[1])
    for name, write in [("a.pack", k.write_pack_file), ("a.sbin", k.write_sbinpack_file)]:
        path = tmp_path / name
        path.write_bytes(b"keep")
        with pytest.raises(ValueError):
            write(path, [unfinished] if write is k.write_pack_file else [])
        assert path.read_bytes() == b"keep"


@pytest.mark.parametrize(
    "call, args, text",
    [
        (k.write_pack_file, ("{dir}", []), "failed to write pack file '{dir}': Is a directory (os error 21)"),
        (k.write_pack_file, ("{dir}/none/x", []), "failed to write pack file '{dir}/none/x': No such file or directory (os error 2)"),
        (k.decode_pack_file, ("{dir}/none",), "failed to read pack file '{dir}/none': No such file or directory (os error 2)"),
        (k.decode_pack_file, ("{dir}",), "failed to read pack file '{dir}': Is a directory (os error 21)"),
        (k.write_sbinpack_file, ("{dir}", "records"), "failed to write sbinpack file '{dir}': Is a directory (os error 21)"),
        (
            k.decode_sbinpack_file,
            ("{dir}/none",),
            "failed to read sbinpack file '{dir}/none': No such file or directory (os error 2)",
        ),
    ],
)
def test_file_failures_are_value_errors(tmp_path, call, args, text):
    directory = str(tmp_path)
    args = [records(42, 1, 5) if a == "records" else a for a in args]
    args = [a.format(dir=directory) if isinstance(a, str) else a for a in args]
    with pytest.raises(ValueError) as raised:
        call(*args)
    assert str(raised.value) == text.format(dir=directory)
    assert not isinstance(raised.value, OSError)


@pytest.mark.skipif(not os.path.exists("/dev/full"), reason="needs /dev/full")
def test_refused_writes_are_errors_never_success():
    games = records(43, 2, 10)
    raises(ValueError, "pack: No space left on device (os error 28)", k.write_pack_file, "/dev/full", games)
    raises(
        ValueError,
        "failed to write sbinpack file '/dev/full': No space left on device (os error 28)",
        k.write_sbinpack_file,
        "/dev/full",
        games,
    )


@pytest.mark.parametrize(
    "call, args, kwargs, error, text",
    [
        (k.write_pack_file, (3, []), {}, TypeError, "expected str, bytes or os.PathLike object, not int"),
        # The path comes before the records, and after the sbinpack options.
        (k.write_pack_file, (3, [3]), {}, TypeError, "expected str, bytes or os.PathLike object, not int"),
        (k.write_sbinpack_file, (3, [3]), {"stem_score": 1 << 16}, OverflowError, "out of range integral type conversion attempted"),
        (k.write_sbinpack_file, (3, [3]), {}, TypeError, "expected str, bytes or os.PathLike object, not int"),
        (k.write_sbinpack_file, ("x", [3]), {}, TypeError, "records must contain Record instances"),
    ],
)
def test_file_argument_order(call, args, kwargs, error, text):
    raises(error, text, call, *args, **kwargs)


# Registration


@pytest.mark.parametrize(
    "name, signature, doc",
    [
        (
            "decode_pack",
            "(data)",
            "Decode every ``Record`` packed in a pack byte buffer.\n\nThis is the multi-record counterpart to "
            "``Record.from_pack``, which\ndecodes a single record. Returns a list of records.",
        ),
        (
            "decode_pack_file",
            "(path)",
            "Decode every ``Record`` from a pack file on disk.\n\nMulti-record counterpart to ``Record.from_pack`` "
            "(single record).",
        ),
        (
            "decode_sbinpack",
            "(data)",
            "Decode every sbinpack chain in a byte buffer.\n\nReturns ``(Record, metadata)`` tuples. This is the "
            "multi-chain\ncounterpart to ``Record.from_sbinpack_with_metadata``.",
        ),
        (
            "decode_sbinpack_file",
            "(path)",
            "Decode every sbinpack chain from a file on disk.\n\nReturns ``(Record, metadata)`` tuples.",
        ),
        ("write_pack", "(records)", None),
        ("write_pack_file", "(path, records)", None),
        (
            "write_sbinpack",
            "(records, *, stem_score=0, include_main=True, include_variations=False, metadatas=None)",
            None,
        ),
        (
            "write_sbinpack_file",
            "(path, records, *, stem_score=0, include_main=True, include_variations=False, metadatas=None)",
            None,
        ),
    ],
)
def test_signatures_and_docs(name, signature, doc):
    function = getattr(k, name)
    assert function.__text_signature__ == signature
    assert function.__doc__ == doc
    assert function.__self__ is k._korvan
