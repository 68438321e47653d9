"""Sazpack classes and functions: conversions, getters, reprs, targets, chunks and files."""

import os
import pathlib

import numpy as np
import pytest

from korvan import (
    Board,
    Color,
    GameResult,
    Move,
    Move32,
    SazGame,
    SazMove,
    SazPolicyEntry,
    compact_move_label,
    decode_sazpack,
    decode_sazpack_file,
    write_sazpack,
    write_sazpack_file,
)

START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"
MATSURI = "l6nl/5+P1gk/2np1S3/p1p4Pp/3P2Sp1/1PPb2P1P/P5GS1/R8/LN4bKL w GR5pnsg 1"


def cannot_cast(given, expected):
    return f"'{given}' object cannot be cast as '{expected}'"


# SazPolicyEntry


def test_policy_entry_values_and_repr():
    entry = SazPolicyEntry("7g7f", 3)
    assert (entry.mv, entry.visits) == ("7g7f", 3)
    assert repr(entry) == "SazPolicyEntry(mv='7g7f', visits=3)"
    assert SazPolicyEntry(visits=4294967295, mv=Move.from_usi("P*5e")).mv == "P*5e"
    assert SazPolicyEntry(0, 0).mv == "none"
    assert SazPolicyEntry(Move32(7739), np.uint32(2)).visits == 2


@pytest.mark.parametrize(
    "args, error, text",
    [
        # The binding prefixes a TypeError with the argument's name, never an OverflowError.
        (("7g7f", -1), OverflowError, "out of range integral type conversion attempted"),
        (("7g7f", 2**32), OverflowError, "out of range integral type conversion attempted"),
        (("7g7f", "1"), TypeError, "argument 'visits': "),
        (("7g7x", 1), ValueError, "move must be valid USI move when passed as str"),
        ((1.5, 1), TypeError, "move must be Move, Move32, int, or USI str"),
        # The visits are converted before the move.
        (("7g7x", -1), OverflowError, "out of range"),
    ],
)
def test_policy_entry_conversion_errors(args, error, text):
    with pytest.raises(error) as raised:
        SazPolicyEntry(*args)
    assert str(raised.value).startswith(text)


# SazMove


def test_move_defaults():
    move = SazMove("7g7f")
    assert (move.played, move.score_q, move.has_score_q, move.mate) == ("7g7f", 0, False, None)
    assert move.policy == [] and move.metadata == b"" and not move.has_policy_distribution
    assert repr(move) == "SazMove(played='7g7f', has_score_q=false, policy_len=0)"


def test_move_fields():
    policy = [SazPolicyEntry("7g7f", 3), SazPolicyEntry("2g2f", 1)]
    move = SazMove(played="7g7f", score_q=1234, has_score_q=True, mate=-1, policy=policy, metadata=bytearray(b"ab"))
    assert (move.score_q, move.has_score_q, move.mate, move.metadata) == (1234, True, -1, b"ab")
    assert [(e.mv, e.visits) for e in move.policy] == [("7g7f", 3), ("2g2f", 1)]
    assert move.has_policy_distribution
    assert repr(move) == "SazMove(played='7g7f', has_score_q=true, policy_len=2)"
    # score_q is kept only with has_score_q; numpy's bool counts as a bool.
    assert SazMove("7g7f", score_q=1234).score_q == 0
    assert SazMove("7g7f", score_q=1234, has_score_q=np.bool_(True)).score_q == 1234
    assert SazMove("7g7f", metadata=[1, 2, 255]).metadata == b"\x01\x02\xff"
    assert SazMove("7g7f", policy=(e for e in []) if False else ()).policy == []
    assert SazMove("resign").played == "resign"
    assert SazMove("7g7f", metadata=bytes(200)).metadata == bytes(200)


def test_move_values_are_copies():
    move = SazMove("7g7f", policy=[SazPolicyEntry("7g7f", 3)])
    got = move.policy
    got.clear()
    assert len(move.policy) == 1
    assert move.policy[0] is not move.policy[0]


@pytest.mark.parametrize(
    "kwargs, error, text",
    [
        ({"score_q": 40000}, OverflowError, "out of range integral type conversion attempted"),
        ({"mate": 200}, OverflowError, "out of range integral type conversion attempted"),
        ({"score_q": "1"}, TypeError, "argument 'score_q': 'str' object cannot be interpreted as an integer"),
        ({"has_score_q": 1}, TypeError, "argument 'has_score_q': " + cannot_cast("int", "PyBool")),
        ({"policy": "7g7f"}, TypeError, "argument 'policy': Can't extract `str` to `Vec`"),
        ({"policy": 5}, TypeError, "argument 'policy': " + cannot_cast("int", "Sequence")),
        ({"policy": [("7g7f", 1)]}, TypeError, "argument 'policy': " + cannot_cast("tuple", "SazPolicyEntry")),
        ({"metadata": "ab"}, TypeError, "argument 'metadata': Can't extract `str` to `Vec`"),
        ({"metadata": [256]}, OverflowError, "out of range integral type conversion attempted"),
        ({"metadata": 3}, TypeError, "argument 'metadata': " + cannot_cast("int", "Sequence")),
    ],
)
def test_move_conversion_errors(kwargs, error, text):
    with pytest.raises(error) as raised:
        SazMove("7g7f", **kwargs)
    assert str(raised.value) == text


def test_move_conversion_order_and_shape():
    # The keyword fields are converted before the played move.
    with pytest.raises(OverflowError):
        SazMove("bad move", score_q=40000)
    with pytest.raises(ValueError, match="move must be valid USI move"):
        SazMove("bad move")
    with pytest.raises(TypeError):
        SazMove("7g7f", 5)  # the fields are keyword-only
    with pytest.raises(TypeError):
        SazMove()


# SazGame


def test_game_from_sfen_text():
    game = SazGame(START, GameResult.DRAW_BY_MAX_PLIES, [SazMove("7g7f"), SazMove("3c3d"), SazMove("2g2f")])
    assert game.stem_sfen == START[:-1] + "0"
    assert game.stem_packed_sfen == Board(START).to_packed_sfen()
    assert game.game_result == GameResult.DRAW_BY_MAX_PLIES
    assert [m.played for m in game.moves] == ["7g7f", "3c3d", "2g2f"]
    assert repr(game) == "SazGame(game_result=DrawByMaxPlies, moves=3)"
    # The SFEN's ply is not kept.
    assert SazGame(START[:-1] + "40", 0, []).stem_packed_sfen == game.stem_packed_sfen


def test_game_from_stem_bytes_and_results():
    stem = Board(MATSURI).to_packed_sfen()
    for given in (stem, bytearray(stem), list(stem), np.frombuffer(stem, dtype=np.uint8)):
        game = SazGame(given, "white_win_by_try_rule", [])
        assert game.stem_packed_sfen == stem
        assert game.game_result == GameResult.WHITE_WIN_BY_TRY_RULE
    assert SazGame(stem, 1, []).game_result == GameResult.WHITE_WIN


@pytest.mark.parametrize(
    "args, error, text",
    [
        ((bytes(31), 0, []), ValueError, "sazpack: stem packed sfen must be 32 bytes"),
        ((bytes(33), 0, []), ValueError, "sazpack: stem packed sfen must be 32 bytes"),
        ((5, 0, []), ValueError, "sazpack: stem must be an SFEN str or 32-byte packed sfen"),
        (([1, 300], 0, []), ValueError, "sazpack: stem must be an SFEN str or 32-byte packed sfen"),
        (("9/9/9 b - 1", 0, []), ValueError, "sazpack: invalid stem sfen: "),
        ((START, 14, []), ValueError, "invalid GameResult value"),
        ((START, "NOPE", []), ValueError, "invalid GameResult name: NOPE"),
        ((START, 1.0, []), TypeError, "result must be GameResult, int, or str"),
        ((START, 0, "abc"), TypeError, "argument 'moves': Can't extract `str` to `Vec`"),
        ((START, 0, 3), TypeError, "argument 'moves': " + cannot_cast("int", "Sequence")),
        ((START, 0, [SazPolicyEntry("7g7f", 1)]), TypeError, "argument 'moves': " + cannot_cast("SazPolicyEntry", "SazMove")),
        # The moves are converted first, then the stem, then the result.
        ((5, 99, 3), TypeError, "argument 'moves'"),
        ((5, 99, []), ValueError, "sazpack: stem must be"),
        # A set-up the 32 bytes cannot hold is refused, never packed wrongly.
        (("9/9/9/9/9/9/9/9/4K4 b - 1", 0, []), ValueError, "sazpack: position cannot be encoded: a king is missing"),
    ],
)
def test_game_conversion_errors(args, error, text):
    with pytest.raises(error) as raised:
        SazGame(*args)
    assert str(raised.value).startswith(text)


def test_a_stem_that_does_not_decode_fails_only_when_decoded():
    stem = bytes([0xFF] * 32)
    game = SazGame(stem, 0, [])
    assert game.stem_packed_sfen == stem
    with pytest.raises(ValueError) as raised:
        game.stem_sfen
    name = str(raised.value).removeprefix("sazpack: invalid stem packed sfen: ")
    assert name in ("InvalidCursor", "InvalidPieceCode", "InvalidHandCount")
    with pytest.raises(ValueError, match="^sazpack: packed sfen decode failed: " + name + "$"):
        game.played_compact_labels()
    with pytest.raises(ValueError, match="^sazpack: invalid stem packed sfen: " + name + "$"):
        game.expand_policies()


def test_played_compact_labels():
    game = SazGame(START, 0, [SazMove("7g7f"), SazMove("3c3d"), SazMove("8h2b+")])
    labels = game.played_compact_labels()
    assert labels == [
        compact_move_label("7g7f", Color.BLACK),
        compact_move_label("3c3d", Color.WHITE),
        compact_move_label("8h2b+", Color.BLACK),
    ]
    # White's 3c3d is Black's 7g7f from the other side.
    assert labels[0] == labels[1]
    assert SazGame(START, 0, []).played_compact_labels() == []
    assert SazGame(START, 0, []).expand_policies() == []
    # Started with White to move, the first move is labelled from White's view.
    white = SazGame(START.replace(" b ", " w "), 0, [SazMove("3c3d")])
    assert white.played_compact_labels() == [labels[0]]


def test_expand_policies():
    game = SazGame(
        START,
        0,
        [
            SazMove("7g7f", policy=[SazPolicyEntry("7g7f", 3), SazPolicyEntry("2g2f", 1)]),
            SazMove("3c3d", policy=[SazPolicyEntry("3c3d", 3), SazPolicyEntry("3c3d", 1), SazPolicyEntry("8c8d", 0)]),
            SazMove("2g2f"),
        ],
    )
    rows = game.expand_policies()
    assert [len(row) for row in rows] == [1496, 1496, 1496]
    first = {i: p for i, p in enumerate(rows[0]) if p}
    assert first == {compact_move_label("7g7f", Color.BLACK): 0.75, compact_move_label("2g2f", Color.BLACK): 0.25}
    assert {i: p for i, p in enumerate(rows[1]) if p} == {compact_move_label("3c3d", Color.WHITE): 1.0}
    assert not any(rows[2])
    # Each value is the exact double of a 32-bit float.
    third = SazGame(START, 0, [SazMove("7g7f", policy=[SazPolicyEntry("7g7f", 1), SazPolicyEntry("2g2f", 2)])])
    value = third.expand_policies()[0][compact_move_label("7g7f", Color.BLACK)]
    assert value == float(np.float32(1) / np.float32(3)) and value != 1 / 3


@pytest.mark.parametrize(
    "moves, labels_error, rows_error",
    [
        ([SazMove("7g7f"), SazMove("7g7f")], "illegal sazpack move: 7g7f", "illegal sazpack move: 7g7f"),
        ([SazMove("resign", policy=[SazPolicyEntry("resign", 1)])], "illegal sazpack move: resign",
         "illegal sazpack move: resign"),
        ([SazMove("7g7f", policy=[SazPolicyEntry("7g7f", 0), SazPolicyEntry("2g2f", 0)])], None,
         "sazpack policy visits sum to zero"),
        ([SazMove("7g7f", policy=[SazPolicyEntry("7g7f", 1), SazPolicyEntry("resign", 1)])], None,
         "cannot convert sazpack move to compact policy label: resign"),
        ([SazMove("7g7f", policy=[SazPolicyEntry(0, 1)])], None,
         "cannot convert sazpack move to compact policy label: none"),
    ],
)
def test_target_errors(moves, labels_error, rows_error):
    game = SazGame(START, 0, moves)
    if labels_error is None:
        game.played_compact_labels()
    else:
        with pytest.raises(ValueError) as raised:
            game.played_compact_labels()
        assert str(raised.value) == "sazpack: " + labels_error
    with pytest.raises(ValueError) as raised:
        game.expand_policies()
    assert str(raised.value) == "sazpack: " + rows_error


# Functions


def full_game(result=GameResult.BLACK_WIN):
    return SazGame(
        START,
        result,
        [
            SazMove("7g7f", score_q=-5, has_score_q=True, mate=3, metadata=b"m1",
                    policy=[SazPolicyEntry("7g7f", 70), SazPolicyEntry("2g2f", 30)]),
            SazMove("3c3d"),
            SazMove("8h2b+", score_q=32767, has_score_q=True, policy=[SazPolicyEntry("8h2b+", 4294967295)]),
        ],
    )


def same_game(a, b):
    assert a.stem_packed_sfen == b.stem_packed_sfen and a.game_result == b.game_result
    assert len(a.moves) == len(b.moves)
    for x, y in zip(a.moves, b.moves):
        assert (x.played, x.score_q, x.has_score_q, x.mate, x.metadata) == (
            y.played, y.score_q, y.has_score_q, y.mate, y.metadata)
        assert [(e.mv, e.visits) for e in x.policy] == [(e.mv, e.visits) for e in y.policy]


def test_write_and_decode():
    assert write_sazpack([]) == b"SAZ1\x01\x01\x00\x00\x00\x00"
    assert decode_sazpack(write_sazpack([])) == []
    games = [full_game(), full_game(GameResult.WHITE_WIN_BY_TRY_RULE), SazGame(MATSURI, 2, [])]
    data = write_sazpack(games)
    back = decode_sazpack(data)
    assert [repr(g) for g in back] == [repr(g) for g in games]
    for a, b in zip(games, back):
        same_game(a, b)
    # Any iterable of games; any byte sequence as data.
    assert write_sazpack(g for g in games) == data
    assert write_sazpack(tuple(games)) == data
    assert len(decode_sazpack(bytearray(data))) == 3
    assert len(decode_sazpack(list(data))) == 3


def test_every_result_is_read_back():
    for result in (0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16, 17, 20, 21):
        (back,) = decode_sazpack(write_sazpack([SazGame(START, result, [])]))
        assert int(back.game_result) == result


def test_write_errors():
    with pytest.raises(ValueError, match="^games must contain SazGame instances$"):
        write_sazpack([full_game(), SazMove("7g7f")])
    with pytest.raises(TypeError):
        write_sazpack(5)
    zero = SazGame(START, 0, [SazMove("7g7f", policy=[SazPolicyEntry("7g7f", 0)])])
    with pytest.raises(ValueError, match="^sazpack: sazpack policy visits sum to zero$"):
        write_sazpack([zero])
    with pytest.raises(ValueError, match=r"^sazpack: metadata too large: 128 bytes \(max 127\)$"):
        write_sazpack([SazGame(START, 0, [SazMove("7g7f", metadata=bytes(128))])])
    assert write_sazpack([SazGame(START, 0, [SazMove("7g7f", metadata=bytes(127))])])

    def broken():
        yield full_game()
        raise KeyError("from the iterator")

    with pytest.raises(KeyError):
        write_sazpack(broken())


@pytest.mark.parametrize(
    "data, text",
    [
        (b"", "sazpack: truncated sazpack data"),
        (b"SAZ1\x01\x01\x00\x00\x00", "sazpack: truncated sazpack data"),
        (b"SAZ2\x01\x01\x00\x00\x00\x00", "sazpack: invalid sazpack magic"),
        (b"SAZ1\x02\x01\x00\x00\x00\x00", "sazpack: unsupported sazpack version: 2"),
        (b"SAZ1\x01\x10\x00\x00\x00\x00", "sazpack: reserved sazpack chunk flags: 0x10"),
        (b"SAZ1\x01\x06\x00\x00\x00\x00", "sazpack: sazpack flag mismatch: all-hard and all-soft both set"),
        (b"SAZ1\x01\x01\x00\x00\x00\x00\x00",
         "sazpack: trailing bytes after sazpack chunk: expected end 10, actual len 11"),
    ],
)
def test_decode_errors(data, text):
    with pytest.raises(ValueError) as raised:
        decode_sazpack(data)
    assert str(raised.value) == text


def test_decode_argument_errors():
    with pytest.raises(TypeError, match="^Can't extract `str` to `Vec`$"):
        decode_sazpack("SAZ1")
    with pytest.raises(TypeError, match="cannot be cast as 'Sequence'"):
        decode_sazpack(5)
    with pytest.raises(OverflowError):
        decode_sazpack([300])


def test_files(tmp_path):
    games = [full_game(), full_game(GameResult.BLACK_WIN_BY_TRY_RULE)]
    path = tmp_path / "games.saz"
    assert write_sazpack_file(path, games) is None
    assert path.read_bytes() == write_sazpack(games)
    back = decode_sazpack_file(str(path))
    for a, b in zip(games, back):
        same_game(a, b)
    assert write_sazpack_file(os.fsencode(str(path)).decode(), []) is None
    assert decode_sazpack_file(path) == []


def test_file_errors(tmp_path):
    missing = tmp_path / "missing.saz"
    with pytest.raises(ValueError) as raised:
        decode_sazpack_file(missing)
    assert str(raised.value) == f"failed to read sazpack file '{missing}': No such file or directory (os error 2)"
    nowhere = tmp_path / "no" / "dir.saz"
    with pytest.raises(ValueError) as raised:
        write_sazpack_file(nowhere, [])
    assert str(raised.value) == f"failed to write sazpack file '{nowhere}': No such file or directory (os error 2)"
    # Games that cannot be encoded leave an existing file untouched and create none.
    kept = tmp_path / "kept.saz"
    kept.write_bytes(b"old")
    bad = SazGame(START, 0, [SazMove("7g7f", policy=[SazPolicyEntry("7g7f", 0)])])
    with pytest.raises(ValueError, match="^sazpack: "):
        write_sazpack_file(kept, [bad])
    assert kept.read_bytes() == b"old"
    with pytest.raises(ValueError, match="^sazpack: "):
        write_sazpack_file(tmp_path / "new.saz", [bad])
    assert not (tmp_path / "new.saz").exists()
    # A device that takes no bytes: the failure is an error, never success.
    if os.path.exists("/dev/full"):
        with pytest.raises(ValueError, match=r"^failed to write sazpack file '/dev/full': No space left on device"):
            write_sazpack_file("/dev/full", [full_game()])
    # The path goes through os.fspath: bytes paths are refused, other objects too.
    with pytest.raises(TypeError):
        decode_sazpack_file(b"/tmp/x")
    with pytest.raises(TypeError):
        decode_sazpack_file(5)
    decoded_dir = pathlib.Path(tmp_path)
    with pytest.raises(ValueError, match="Is a directory"):
        decode_sazpack_file(decoded_dir)


def test_signatures():
    from korvan import _korvan

    assert _korvan.write_sazpack.__text_signature__ == "(games)"
    assert _korvan.write_sazpack_file.__text_signature__ == "(path, games)"
    assert _korvan.decode_sazpack.__text_signature__ == "(data)"
    assert _korvan.decode_sazpack_file.__text_signature__ == "(path)"
    assert SazGame.__text_signature__ == "(stem, game_result, moves)"
    assert SazMove.__text_signature__ == (
        "(played, *, score_q=0, has_score_q=False, mate=None, policy=None, metadata=None)")
    assert SazPolicyEntry.__text_signature__ == "(mv, visits)"
    assert _korvan.write_sazpack.__doc__.endswith("`SazGame` 列を 1 つの sazpack チャンク（bytes）へ serialize する。")
    assert _korvan.decode_sazpack_file.__doc__.endswith("sazpack チャンクファイルを `list[SazGame]` へ decode する。")
    assert "resolve_compact_labels" in SazGame.played_compact_labels.__doc__
