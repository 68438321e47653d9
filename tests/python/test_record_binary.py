"""Record methods of the binary formats: one pack game, one sbinpack chain and
PackedSfenValue rows; round trips, exact error texts, refusals of illegal moves and of
positions the 32-byte forms cannot hold."""

import struct

import numpy as np
import pytest

import korvan as k
from shared_checks import raises
from container_records import (
    SBINPACK_RESULTS,
    START,
    board_at,
    main_line,
    random_record,
    with_variations,
)

HANDICAP = "lnsgkgsnl/1r7/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"
KINGLESS = "4k4/9/9/9/9/9/9/9/9 b R 1"


def entry(move, eval=None):
    return k.MoveEntry(move, engine_info=None if eval is None else k.EngineInfo(eval=eval))


# Pack


@pytest.mark.parametrize(
    "seed, plies, result, start",
    [
        (1, 40, "BLACK_WIN", "startpos"),
        (2, 120, "WHITE_WIN", "startpos"),
        (3, 500, "DRAW_BY_REPETITION", "startpos"),
        (4, 480, "BLACK_WIN_BY_TIMEOUT", "startpos"),
        (5, 60, "WHITE_WIN_BY_DECLARATION", HANDICAP),
        (6, 0, "DRAW_BY_MAX_PLIES", "startpos"),
        (7, 90, "BLACK_WIN", "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 37"),
    ],
)
def test_pack_round_trip(seed, plies, result, start):
    record = random_record(seed, plies, result, start)
    data = record.to_pack()
    back = k.Record.from_pack(data)
    # Pack evaluations are written clamped to -32000..32000.
    assert main_line(back) == [(m, max(-32000, min(32000, e))) for m, e in main_line(record)]
    assert back.result == getattr(k.GameResult, result)
    assert back.init_position_sfen == record.init_position_sfen
    assert back.to_pack() == data
    # The standard start is one byte; any other start holds its HuffmanCodedPos and ply.
    head = 1 if record.init_position_sfen == START else 35
    assert len(data) == head + 4 * len(main_line(record)) + 3


def test_pack_long_game_is_long():
    assert len(main_line(random_record(3, 500))) >= 450


@pytest.mark.parametrize(
    "record, text",
    [
        (k.Record.from_usi_main_line("startpos", ["7g7f"], evals=[1]), "pack: pack export requires a terminal result"),
        (
            k.Record.from_usi_main_line("startpos", ["7g7f", "3c3d"], result="BLACK_WIN", evals=[1]),
            "pack: missing eval for record move 1",
        ),
        (
            k.Record.from_usi_main_line(KINGLESS, ["R*5b"], result="BLACK_WIN", evals=[1]),
            "pack: position cannot be encoded: a king is missing",
        ),
    ],
)
def test_to_pack_errors(record, text):
    raises(ValueError, text, record.to_pack)


PACK_GAME = k.Record.from_usi_main_line("startpos", ["7g7f"], result="WHITE_WIN", evals=[5]).to_pack()


@pytest.mark.parametrize(
    "data, text",
    [
        (b"", "pack: no games found"),
        (PACK_GAME * 2, "pack: multiple games not supported"),
        (PACK_GAME[:-1], "pack: truncated pack data"),
        (b"\x02", "pack: invalid pack start state: 2"),
        # 7g7f twice: the second is no move of White's.
        (PACK_GAME[:5] + PACK_GAME[1:5] + PACK_GAME[5:], None),
    ],
)
def test_from_pack_errors(data, text):
    with pytest.raises(ValueError) as raised:
        k.Record.from_pack(data)
    if text is None:
        assert str(raised.value).startswith("pack: illegal pack move at ply 1: 0x")
    else:
        assert str(raised.value) == text


@pytest.mark.parametrize(
    "data",
    [list(PACK_GAME), bytearray(PACK_GAME), np.frombuffer(PACK_GAME, dtype=np.uint8)],
)
def test_from_pack_takes_byte_sequences(data):
    assert main_line(k.Record.from_pack(data)) == [("7g7f", 5)]


# Sbinpack


@pytest.mark.parametrize("result, kind", SBINPACK_RESULTS)
@pytest.mark.parametrize("seed, plies", [(11, 30), (12, 460)])
def test_sbinpack_round_trip(seed, plies, result, kind):
    record = random_record(seed, plies, result)
    data = record.to_sbinpack(stem_score=-7, metadata=b"\x00meta\xff")
    back, metadata = k.Record.from_sbinpack_with_metadata(data)
    assert metadata == b"\x00meta\xff"
    assert main_line(back) == main_line(record)
    assert (back.result, back.main_terminal.kind) == (getattr(k.GameResult, result), kind)
    assert back.init_position_sfen == START
    assert main_line(k.Record.from_sbinpack(data)) == main_line(record)


@pytest.mark.parametrize(
    "result, terminal_kind, result_back",
    [
        (None, "INTERRUPT", "INVALID"),
        ("WHITE_WIN", "RESIGN", "WHITE_WIN"),
        # The try-rule results have no code in a chain.
        ("BLACK_WIN_BY_TRY_RULE", "INTERRUPT", "INVALID"),
    ],
)
def test_sbinpack_terminals(result, terminal_kind, result_back):
    sfen = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 9"
    record = k.Record.from_usi_main_line(sfen, ["7g7f"], result=result, evals=[3])
    back = k.Record.from_sbinpack(record.to_sbinpack())
    assert (back.main_terminal.kind, back.result) == (terminal_kind, getattr(k.GameResult, result_back))
    assert back.init_position_sfen == sfen


@pytest.mark.parametrize(
    "evals, back",
    [([32001, -32001, 32000, -32768], [32001, -32001, 32000, -32768]), ([40000, -40000, 0, 1], [32767, -32768, 0, 1])],
)
def test_sbinpack_scores(evals, back):
    record = k.Record.from_usi_main_line("startpos", ["7g7f", "3c3d", "2g2f", "8c8d"], evals=evals)
    assert [e for _, e in main_line(k.Record.from_sbinpack(record.to_sbinpack()))] == back


def test_sbinpack_of_variations_is_several_chains():
    record = with_variations(random_record(21, 60), 22, 3, 5)
    data = record.to_sbinpack(include_variations=True)
    raises(ValueError, "sbinpack: multiple chains not supported", k.Record.from_sbinpack, data)
    raises(ValueError, "sbinpack: multiple chains not supported", k.Record.from_sbinpack_with_metadata, data)
    assert len(k.decode_sbinpack(data)) == 4
    # Variations only: one chain per variation.
    assert len(k.decode_sbinpack(record.to_sbinpack(include_main=False, include_variations=True))) == 3


MAIN_ONLY = k.Record.from_usi_main_line("startpos", ["7g7f", "3c3d"], result="BLACK_WIN", evals=[1, 2])


@pytest.mark.parametrize(
    "record, kwargs, error, text",
    [
        (MAIN_ONLY, {"metadata": bytes(128)}, ValueError, "sbinpack: MetadataTooLarge { len: 128, max: 127 }"),
        # The metadata is checked before any chain is looked for.
        (
            MAIN_ONLY,
            {"metadata": bytes(200), "include_main": False},
            ValueError,
            "sbinpack: MetadataTooLarge { len: 200, max: 127 }",
        ),
        (MAIN_ONLY, {"include_main": False}, ValueError, "sbinpack: no chains to serialize"),
        (MAIN_ONLY, {"include_main": False, "include_variations": True}, ValueError, "sbinpack: no chains to serialize"),
        (
            k.Record.from_usi_main_line("startpos", ["7g7f", "3c3d"], evals=[1]),
            {},
            ValueError,
            "sbinpack: MissingEval(1)",
        ),
        (
            k.Record.from_usi_main_line(KINGLESS, ["R*5b"], evals=[1]),
            {},
            ValueError,
            'sbinpack: UnencodablePosition("position cannot be encoded: a king is missing")',
        ),
        (k.Record("bad"), {}, ValueError, "sbinpack: Sfen(MissingField(Turn))"),
        (MAIN_ONLY, {"stem_score": 32768}, OverflowError, "out of range integral type conversion attempted"),
        (MAIN_ONLY, {"stem_score": -32769}, OverflowError, "out of range integral type conversion attempted"),
        (MAIN_ONLY, {"stem_score": "1"}, TypeError, "argument 'stem_score': 'str' object cannot be interpreted as an integer"),
        (MAIN_ONLY, {"include_main": 1}, TypeError, "argument 'include_main': 'int' object cannot be cast as 'bool'"),
        (MAIN_ONLY, {"include_variations": None}, TypeError, "argument 'include_variations': 'NoneType' object cannot be cast as 'bool'"),
        (MAIN_ONLY, {"metadata": "ab"}, TypeError, "argument 'metadata': Can't extract `str` to `Vec`"),
        (MAIN_ONLY, {"metadata": [1, 256]}, OverflowError, "out of range integral type conversion attempted"),
        # Options are converted in order: the stem score first.
        (MAIN_ONLY, {"stem_score": 1 << 20, "include_main": 1}, OverflowError, "out of range integral type conversion attempted"),
    ],
)
def test_to_sbinpack_errors(record, kwargs, error, text):
    raises(error, text, record.to_sbinpack, **kwargs)


def test_to_sbinpack_limits_and_options():
    assert k.Record.from_sbinpack_with_metadata(MAIN_ONLY.to_sbinpack(metadata=bytes(127)))[1] == bytes(127)
    assert k.Record.from_sbinpack_with_metadata(MAIN_ONLY.to_sbinpack(metadata=None))[1] == b""
    # Positional options, numpy booleans and the extreme stem scores.
    assert MAIN_ONLY.to_sbinpack(32767, np.bool_(True), np.bool_(False), [1, 2]) == MAIN_ONLY.to_sbinpack(
        stem_score=32767, metadata=b"\x01\x02"
    )
    low = MAIN_ONLY.to_sbinpack(stem_score=-32768)
    assert struct.unpack_from("<h", low, 40)[0] == -32768  # after the header and the stem


def cycle(moves):
    """Two kings stepping back and forth: `moves` legal moves."""
    steps = ["5i5h", "5a5b", "5h5i", "5b5a"]
    return [steps[i % 4] for i in range(moves)]


def test_sbinpack_move_count_limit():
    # 65,535 moves fit in a chain's 16-bit count; one more is refused, not cut.
    fits = k.Record.from_usi_main_line("startpos", cycle(65535), result="DRAW_BY_REPETITION", evals=[0] * 65535)
    back = k.Record.from_sbinpack(fits.to_sbinpack())
    assert back.move_count == 65535
    too_many = k.Record.from_usi_main_line("startpos", cycle(65536), evals=[0] * 65536)
    raises(ValueError, "sbinpack: TooManyMoves { len: 65536, max: 65535 }", too_many.to_sbinpack)


SBINPACK_CHAIN = MAIN_ONLY.to_sbinpack()


def corrupt_stem(data):
    data = bytearray(data)
    data[8:40] = b"\xff" * 32
    return bytes(data)


@pytest.mark.parametrize(
    "data, text",
    [
        (b"", "sbinpack: no chains found"),
        (b"SBN2\x00\x00\x00\x00", "sbinpack: no chains found"),
        (SBINPACK_CHAIN * 2, "sbinpack: multiple chains not supported"),
        (b"SBN3" + SBINPACK_CHAIN[4:], "sbinpack: InvalidMagic"),
        (SBINPACK_CHAIN[:-1], "sbinpack: Truncated"),
        (b"SBN2", "sbinpack: Truncated"),
        # A body length far beyond the data allocates nothing for it.
        (b"SBN2\xff\xff\xff\xff" + SBINPACK_CHAIN[8:], "sbinpack: Truncated"),
        (corrupt_stem(SBINPACK_CHAIN), "sbinpack: PackedSfen(InvalidCursor)"),
    ],
)
@pytest.mark.parametrize("method", ["from_sbinpack", "from_sbinpack_with_metadata"])
def test_from_sbinpack_errors(method, data, text):
    raises(ValueError, text, getattr(k.Record, method), data)


def test_from_sbinpack_move_index_past_the_legal_moves():
    data = bytearray(SBINPACK_CHAIN)
    # The first move's index (a one-byte varint, 30 legal moves at the start) made 30.
    count_at = 8 + 32 + 2 + 2 + 2 + 1
    assert struct.unpack_from("<H", data, count_at)[0] == 2
    data[count_at + 2] = 30
    raises(ValueError, "sbinpack: InvalidMoveIndex(30)", k.Record.from_sbinpack, bytes(data))


@pytest.mark.parametrize(
    "call",
    [k.Record.from_pack, k.Record.from_sbinpack, k.Record.from_sbinpack_with_metadata],
)
@pytest.mark.parametrize(
    "data, text",
    [
        ("abc", "argument 'data': Can't extract `str` to `Vec`"),
        (3, "argument 'data': 'int' object cannot be cast as 'Sequence'"),
        ([1, "x"], "argument 'data': 'str' object cannot be interpreted as an integer"),
    ],
)
def test_data_argument(call, data, text):
    raises(TypeError, text, call, data)


def test_decoded_records_are_plain_records():
    class Sub(k.Record):
        pass

    assert type(Sub.from_pack(PACK_GAME)) is k.Record
    assert type(Sub.from_sbinpack(SBINPACK_CHAIN)) is k.Record


# PackedSfenValue rows


def expected_rows(record, nodes, result):
    """The rows Board.to_psv writes for the given move nodes."""
    rows = []
    for node in nodes:
        board = board_at(record, record.node_parent(node))
        move = record.node_move(node)
        rows.append(board.to_psv(move.move, move.engine_info.eval, result, board.game_ply))
    return rows


@pytest.mark.parametrize("seed, plies, result", [(31, 20, "WHITE_WIN"), (32, 470, None), (33, 200, "BLACK_WIN_BY_TRY_RULE")])
def test_psv_rows_of_the_main_line(seed, plies, result):
    record = random_record(seed, plies, result)
    rows = record.to_psv()
    assert rows == expected_rows(record, record.main_line_ids(), record.result)
    assert all(len(row) == 40 and row[38] == int(record.result) and row[39] == 0 for row in rows)
    assert [struct.unpack_from("<H", row, 36)[0] for row in rows] == list(range(1, len(rows) + 1))


def tree_record():
    """Main line 7g7f 3c3d 2g2f; variations 8c8d and 1c1d under 7g7f, 5g5f (with 5c5d)
    under the root; a resignation by White."""
    record = k.Record(
        START, [entry("7g7f", 10), entry("3c3d", -20), entry("2g2f", 30)], terminal=k.SpecialMoveEntry("RESIGN", "BLACK_WIN")
    )
    editor = record.into_editor()
    editor.go_to(1)
    editor.append_move(entry("8c8d", 40))
    editor.go_to(0)
    editor.append_move(entry("5g5f", 50))
    editor.append_move(entry("5c5d", 60))
    editor.go_to(1)
    editor.append_move(entry("1c1d", 70))
    return editor.into_record()


def moves_of(rows):
    return [(str(k.Move(struct.unpack_from("<H", r, 34)[0])), struct.unpack_from("<h", r, 32)[0], r[36]) for r in rows]


@pytest.mark.parametrize(
    "kwargs, moves",
    [
        ({}, [("7g7f", 10, 1), ("3c3d", -20, 2), ("2g2f", 30, 3)]),
        (
            {"include_variations": True},
            [("7g7f", 10, 1), ("3c3d", -20, 2), ("2g2f", 30, 3), ("8c8d", 40, 2), ("1c1d", 70, 2), ("5g5f", 50, 1), ("5c5d", 60, 2)],
        ),
        ({"include_main": False, "include_variations": True}, [("8c8d", 40, 2), ("1c1d", 70, 2), ("5g5f", 50, 1), ("5c5d", 60, 2)]),
        ({"include_main": False}, []),
        ({"include_main": np.bool_(False), "include_variations": np.bool_(False)}, []),
    ],
)
def test_psv_selection_and_order(kwargs, moves):
    record = tree_record()
    rows = record.to_psv(**kwargs)
    assert moves_of(rows) == moves
    assert all(row[38] == 0 for row in rows)  # BLACK_WIN in every row, variations included
    by_move = {str(record.node_move(n).move): n for n in range(1, 9) if record.node_move(n) is not None}
    assert rows == expected_rows(record, [by_move[m] for m, _, _ in moves], 0)


@pytest.mark.parametrize(
    "record, kwargs, text",
    [
        # A missing evaluation counts only where rows are asked for.
        (k.Record(START, [entry("7g7f", 1), entry("3c3d")]), {}, "to_psv: missing eval at node_id=2 (move=3c3d)"),
        # Moves the record holds unchecked: refused, never written as rows.
        (k.Record(START, [entry("7g7f", 1), entry("7g7f", 2)]), {}, "to_psv: illegal move at node_id=2 (move=7g7f)"),
        (k.Record(START, [entry("7g7f", 1), entry("9a9c", 2)]), {}, "to_psv: illegal move at node_id=2 (move=9a9c)"),
        (k.Record(START, [entry("7g7f", 1), entry("5e5d+", 2)]), {}, "to_psv: illegal move at node_id=2 (move=5e5d+)"),
        (
            k.Record(KINGLESS, [entry("R*5b", 1)]),
            {},
            "to_psv: unencodable position at node_id=1 (move=R*5b): position cannot be encoded: a king is missing",
        ),
        (
            k.Record("4k4/9/9/9/9/9/9/9/4K4 b 19P 1", [entry("P*5e", 1)]),
            {},
            None,
        ),
        # The SFEN error stands alone, even when no row is asked for.
        (k.Record("bad"), {}, "missing field: Turn"),
        (k.Record("bad"), {"include_main": False}, "missing field: Turn"),
    ],
)
def test_psv_errors(record, kwargs, text):
    with pytest.raises(ValueError) as raised:
        record.to_psv(**kwargs)
    if text is None:
        assert str(raised.value).startswith("to_psv: unencodable position at node_id=1 (move=P*5e): ")
    else:
        assert str(raised.value) == text


def test_psv_illegal_move_below_unselected_moves():
    # Main line 7g7f, then an illegal 7g7f; a variation 8c8d under the first move.
    record = k.Record(START, [entry("7g7f"), entry("7g7f"), entry("2g2f")])
    editor = record.into_editor()
    editor.go_to(1)
    editor.append_move(entry("8c8d", 5))
    record = editor.into_record()
    # The illegal move lies on no path to a variation row: the variation is written.
    assert moves_of(record.to_psv(include_main=False, include_variations=True)) == [("8c8d", 5, 2)]
    # Missing evaluations of the main line matter only when it is selected.
    with pytest.raises(ValueError, match=r"^to_psv: missing eval at node_id=1 \(move=7g7f\)$"):
        record.to_psv()


def test_psv_variation_without_eval():
    record = tree_record()
    editor = record.into_editor()
    editor.go_to(2)
    editor.append_move(entry("6g6f"))
    record = editor.into_record()
    assert len(record.to_psv()) == 3
    raises(ValueError, "to_psv: missing eval at node_id=9 (move=6g6f)", record.to_psv, include_variations=True)


@pytest.mark.parametrize(
    "args, kwargs, error, text",
    [
        ((True,), {}, TypeError, "Record.to_psv() takes 0 positional arguments but 1 was given"),
        ((), {"include_main": 1}, TypeError, "argument 'include_main': 'int' object cannot be cast as 'bool'"),
        ((), {"include_variations": "yes"}, TypeError, "argument 'include_variations': 'str' object cannot be cast as 'bool'"),
    ],
)
def test_psv_arguments(args, kwargs, error, text):
    raises(error, text, tree_record().to_psv, *args, **kwargs)


def test_record_is_unchanged_and_borrowed_while_read():
    record = tree_record()
    before = (main_line(record), record.to_psv(include_variations=True))

    class Metadata(list):
        # Converted while the record is read: a change of the record meets the borrow.
        def __iter__(self):
            record.extend_main_line([entry("8c8d", 1)])
            return super().__iter__()

    raises(RuntimeError, "Already borrowed", record.to_sbinpack, metadata=Metadata([1]))
    assert (main_line(record), record.to_psv(include_variations=True)) == before


def test_signatures():
    assert k.Record.to_sbinpack.__text_signature__ == (
        "($self, stem_score=0, include_main=True, include_variations=False, metadata=None)"
    )
    assert k.Record.to_psv.__text_signature__ == "($self, *, include_main=True, include_variations=False)"
    assert k.Record.from_sbinpack_with_metadata.__text_signature__ == "($cls, data)"
    assert k.Record.to_pack.__text_signature__ == "($self)"


ILLEGAL_SECOND = k.Record(
    START, [entry("7g7f", 1), entry("7g7f", 2)], terminal=k.SpecialMoveEntry("RESIGN", "BLACK_WIN")
)


@pytest.mark.parametrize(
    "call, text",
    [
        (
            ILLEGAL_SECOND.to_pack,
            "pack: illegal pack move at ply 1: 0x1e3b on lnsgkgsnl/1r5b1/ppppppppp/9/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL w - 2",
        ),
        (ILLEGAL_SECOND.to_sbinpack, "sbinpack: UnencodableMove(Move32(7739))"),
        (lambda: ILLEGAL_SECOND.to_psv(include_main=False), None),
        (ILLEGAL_SECOND.to_psv, "to_psv: illegal move at node_id=2 (move=7g7f)"),
    ],
)
def test_unchecked_moves_are_refused_by_every_writer(call, text):
    # A record built from entries holds its moves unchecked; no writer turns an
    # illegal one into bytes.
    if text is None:
        assert call() == []
    else:
        raises(ValueError, text, call)

