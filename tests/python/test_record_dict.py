import json
import math
import random

import numpy
import pytest

import korvan
from shared_checks import raises
from korvan import Board, EngineInfo, GameResult, Move, MoveEntry, Record, RecordEditor, RecordMetadata
from korvan import SpecialMoveEntry, TimeControl

START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"
# A middle game with pieces in hand on both sides, White to move.
MIDGAME = "ln1g3nl/1r1sk1g2/p1ppp1spp/5pp2/1p7/2P1P1P2/PPSP1P1PP/2G1K2R1/LN3GSNL w Bb 30"
PINNED_SILVER = "4r3k/9/9/9/9/9/9/4S4/4K4 b - 1"
LONE_KING = "4r3k/9/9/9/9/9/9/9/3K5 b - 1"

RESULTS = [0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16, 17, 20, 21]
KIND_BY_RESULT = {
    0: "RESIGN", 1: "RESIGN", 2: "REPETITION_DRAW", 3: "INTERRUPT", 7: "INTERRUPT", 11: "INTERRUPT",
    4: "WIN_BY_DECLARATION", 5: "WIN_BY_DECLARATION", 6: "MAX_MOVES", 8: "WIN_BY_DEFAULT", 9: "WIN_BY_DEFAULT",
    10: "IMPASSE", 12: "WIN_BY_ILLEGAL_MOVE", 13: "WIN_BY_ILLEGAL_MOVE", 16: "TIMEOUT", 17: "TIMEOUT",
    20: "TRY", 21: "TRY",
}
KINDS = ["INTERRUPT", "RESIGN", "MAX_MOVES", "IMPASSE", "DRAW", "REPETITION_DRAW", "MATE", "NO_MATE", "TIMEOUT",
         "WIN_BY_ILLEGAL_MOVE", "LOSE_BY_ILLEGAL_MOVE", "WIN_BY_DECLARATION", "WIN_BY_DEFAULT", "LOSE_BY_DEFAULT",
         "TRY", "UNKNOWN"]
TEXT_KEYS = ["event", "site", "black_player", "white_player", "game_name", "game_type", "impasse_rule",
             "start_date", "end_date", "updated_date", "comment"]
TC_KEYS = ["time_control", "black_time_control", "white_time_control"]


def data(moves=(), **extra):
    return {"init_position_sfen": START, "moves": list(moves), **extra}


# --- Snapshots: everything the dict form carries, as plain values ------------------------

def engine_snapshot(info):
    if info is None:
        return None
    return (info.eval, info.depth, info.nodes, info.seldepth, info.extras)


def tc_snapshot(tc):
    return None if tc is None else (tc.base_seconds, tc.byoyomi_seconds, tc.increment_seconds)


def metadata_snapshot(md):
    out = {k: getattr(md, k) for k in TEXT_KEYS}
    out.update({k: tc_snapshot(getattr(md, k)) for k in TC_KEYS})
    out["max_moves"] = md.max_moves
    out["attributes"] = md.attributes
    return out


def terminal_snapshot(t):
    if t is None:
        return None
    return (t.kind, t.result.value, t.unknown_name, t.raw, t.comment, t.time_ms)


def record_snapshot(r):
    return {
        "sfen": r.init_position_sfen,
        "initial_comment": r.initial_comment,
        "moves": [(m.move.to_usi(), m.comment, m.time_ms, engine_snapshot(m.engine_info)) for m in r.moves],
        "metadata": metadata_snapshot(r.metadata),
        "terminal": terminal_snapshot(r.main_terminal),
    }


# --- Seeded random records -----------------------------------------------------------------

def random_text(rng):
    return rng.choice(["", "a", "対局", "line1\nline2", "'quoted' \"x\"", "\u3000 spaced "])


def random_extras(rng):
    values = [True, False, 0, -(2**63), 2**63 - 1, 1.5, -0.25, 1e300, "", "text", "五"]
    return {f"k{rng.randrange(100)}": rng.choice(values) for _ in range(rng.randrange(4))}


def random_engine_info(rng):
    maybe = lambda make: make() if rng.random() < 0.6 else None
    info = EngineInfo(
        eval=maybe(lambda: rng.choice([0, 1, -1, 32000, -32000, 32001, -32001, 40000, -40000, 2**31 - 1])),
        depth=maybe(lambda: rng.randrange(65536)),
        nodes=maybe(lambda: rng.randrange(2**64)),
        seldepth=maybe(lambda: rng.randrange(65536)),
        extras=random_extras(rng),
    )
    return info


def random_metadata(rng):
    md = RecordMetadata()
    for key in TEXT_KEYS:
        if rng.random() < 0.7:
            setattr(md, key, random_text(rng))
    for key in TC_KEYS:
        if rng.random() < 0.5:
            setattr(md, key, TimeControl(rng.randrange(2**32), rng.randrange(100), rng.randrange(2**32)))
    if rng.random() < 0.5:
        md.max_moves = rng.randrange(2**32)
    md.attributes = {f"attr{rng.randrange(50)}": random_text(rng) for _ in range(rng.randrange(4))}
    return md


def random_terminal(rng):
    result = rng.choice(RESULTS)
    time_ms = rng.choice([None, 0, 1500, 2**32 - 1])
    comment = rng.choice([None, random_text(rng)])
    raw = rng.choice([None, "投了", "%TORYO"])
    if rng.random() < 0.5:
        return SpecialMoveEntry.from_result(result, time_ms, comment, raw)
    kind = rng.choice(KINDS)
    return SpecialMoveEntry(kind, result, "odd" if kind == "UNKNOWN" else None, comment, time_ms, raw)


def random_dict_record(seed):
    rng = random.Random(seed)
    sfen = rng.choice([None, START, MIDGAME])
    board = Board(sfen) if sfen else Board()
    entries = []
    for _ in range(rng.randrange(0, 80)):
        legal = board.legal_moves()
        if not legal:
            break
        move = rng.choice(legal)
        board.push_move(move)
        entries.append(MoveEntry(
            move,
            time_ms=rng.choice([None, 0, rng.randrange(2**32)]),
            comment=rng.choice([None, random_text(rng)]),
            engine_info=random_engine_info(rng) if rng.random() < 0.5 else None,
        ))
    if sfen is None:
        record = Record.from_usi_position("position startpos")
        record.extend_main_line(entries)
    else:
        record = Record(sfen, entries)
    if rng.random() < 0.75:
        record.set_main_terminal(random_terminal(rng))
    record.metadata = random_metadata(rng)
    record.initial_comment = rng.choice([None, random_text(rng)])
    return record


def expected_after_round_trip(record):
    want = record_snapshot(record)
    if want["terminal"] is not None:
        kind, result, _, raw, comment, time_ms = want["terminal"]
        if result == 7 and raw is None and comment is None and time_ms is None:
            # Written as the result dict of a record without a terminal.
            want["terminal"] = None
        else:
            # The form carries no kind: it comes back as the result implies.
            want["terminal"] = (KIND_BY_RESULT[result], result, None, raw, comment, time_ms)
    return want


@pytest.mark.parametrize("seed", range(60))
@pytest.mark.parametrize("strict", [False, True])
def test_round_trip_random_records(seed, strict):
    record = random_dict_record(seed)
    written = record.to_dict()
    back = Record.from_dict(written, strict=strict)
    assert record_snapshot(back) == expected_after_round_trip(record)
    assert back.to_dict() == written
    # Plain values only: the form survives JSON.
    assert Record.from_dict(json.loads(json.dumps(written)), strict=strict).to_dict() == written


def test_numpy_bool_strict():
    record = random_dict_record(3)
    assert Record.from_dict(record.to_dict(), strict=numpy.bool_(True)).to_dict() == record.to_dict()
    with pytest.raises(ValueError, match="^from_dict: unknown top-level key 'foo'$"):
        Record.from_dict(data(foo=1), strict=numpy.True_)


# --- The written form ---------------------------------------------------------------------

class TestWritten:
    def test_layout(self):
        md = RecordMetadata(event="e", black_time_control=TimeControl(600, 30, 0), max_moves=256,
                            attributes={"z": "1", "a": "2", "m": "3"})
        info = EngineInfo(eval=40000, depth=3, extras={"b": 1, "a": 2.5, "c": True})
        record = Record(START, [MoveEntry("7g7f", time_ms=1500, comment="c", engine_info=info), MoveEntry("3c3d")],
                        md, SpecialMoveEntry("resign", "BLACK_WIN", comment="end", time_ms=1500, raw="投了"), "root")
        d = record.to_dict()
        assert list(d) == ["version", "init_position_sfen", "initial_comment", "moves", "metadata", "result"]
        assert d["version"] == 1 and d["init_position_sfen"] == START and d["initial_comment"] == "root"
        assert d["moves"] == [
            {"move": "7g7f", "comment": "c", "time_ms": 1500,
             "engine_info": {"eval": 32767, "depth": 3, "nodes": None, "seldepth": None,
                             "extras": {"a": 2.5, "b": 1, "c": True}}},
            {"move": "3c3d", "comment": None, "time_ms": None, "engine_info": None},
        ]
        assert list(d["moves"][0]) == ["move", "comment", "time_ms", "engine_info"]
        assert list(d["moves"][0]["engine_info"]) == ["eval", "depth", "nodes", "seldepth", "extras"]
        assert list(d["metadata"]) == ["event", "site", "black_player", "white_player", "game_name", "game_type",
                                       "max_moves", "impasse_rule", "start_date", "end_date", "updated_date",
                                       "comment", "time_control", "black_time_control", "white_time_control",
                                       "attributes"]
        assert d["metadata"]["black_time_control"] == {"base_seconds": 600, "byoyomi_seconds": 30,
                                                       "increment_seconds": 0}
        assert list(d["metadata"]["black_time_control"]) == ["base_seconds", "byoyomi_seconds", "increment_seconds"]
        assert d["metadata"]["time_control"] is None and d["metadata"]["max_moves"] == 256
        assert list(d["metadata"]["attributes"].items()) == [("a", "2"), ("m", "3"), ("z", "1")]
        assert d["result"] == {"result": 0, "ply_count": 2, "reason": "投了", "end_time_ms": 1500,
                               "end_comment": "end"}
        assert list(d["result"]) == ["result", "ply_count", "reason", "end_time_ms", "end_comment"]
        assert type(d["result"]["result"]) is int

    def test_no_moves_no_terminal(self):
        d = Record(START).to_dict()
        assert d["moves"] == [] and d["initial_comment"] is None
        assert d["result"] == {"result": 7, "ply_count": 0, "reason": None, "end_time_ms": None,
                               "end_comment": None}
        assert Record.from_dict(d).main_terminal is None

    def test_initial_sfen_none_becomes_start_text(self):
        record = Record.from_usi_position("position startpos moves 7g7f")
        assert record.to_usi_position() == "position startpos moves 7g7f"
        d = record.to_dict()
        assert d["init_position_sfen"] == START
        back = Record.from_dict(d)
        # The text is stored as given: the record no longer knows it as "startpos".
        assert back.to_usi_position() == f"position sfen {START} moves 7g7f"

    def test_sfen_text_stored_unrewritten(self):
        text = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 7"
        assert Record.from_dict(data(["7g7f"]) | {"init_position_sfen": text}).init_position_sfen == text

    def test_variations_dropped(self):
        editor = RecordEditor(START)
        editor.append_move(MoveEntry("7g7f"))
        editor.append_move(MoveEntry("3c3d"))
        editor.go_back()
        editor.append_move(MoveEntry("8c8d", comment="side"))
        editor.append_move(MoveEntry("2g2f"))
        editor.go_to(0)
        editor.append_move(MoveEntry("2g2f"))
        record = editor.into_record()
        d = record.to_dict()
        assert [m["move"] for m in d["moves"]] == ["7g7f", "3c3d"]
        back = Record.from_dict(d)
        assert back.main_line_ids() == [1, 2] and all(len(back.children(i)) <= 1 for i in range(3))


class TestTerminalFromResult:
    @pytest.mark.parametrize("result", RESULTS)
    def test_kind_follows_result(self, result):
        # Kinds the table never yields come back as the result implies.
        record = Record(START, terminal=SpecialMoveEntry("MATE", result, comment="c", time_ms=1500, raw="r"))
        t = Record.from_dict(record.to_dict()).main_terminal
        assert (t.kind, t.result.value, t.raw, t.comment, t.time_ms) == (KIND_BY_RESULT[result], result, "r", "c", 1500)

    @pytest.mark.parametrize("member, expected", [
        ("BLACK_WIN", ("RESIGN", 0, None, None, None)),
        ("black_win", ("RESIGN", 0, None, None, None)),
        (0, ("RESIGN", 0, None, None, None)),
        (GameResult.DRAW_BY_IMPASSE, ("IMPASSE", 10, None, None, None)),
        ({"result": 0}, ("RESIGN", 0, None, None, None)),
        ({"result": "WHITE_WIN_BY_TRY_RULE", "ply_count": "anything"}, ("TRY", 21, None, None, None)),
        (7, None),
        ("INVALID", None),
        ({"result": 7, "ply_count": 3}, None),
        ({"result": 7, "reason": None, "end_time_ms": None, "end_comment": None}, None),
        ({"result": 7, "end_comment": "c"}, ("INTERRUPT", 7, None, "c", None)),
        ({"result": 7, "reason": ""}, ("INTERRUPT", 7, "", None, None)),
        ({"result": 7, "end_time_ms": 0}, ("INTERRUPT", 7, None, None, 0)),
        ({"result": True, "end_time_ms": True}, ("RESIGN", 1, None, None, 1)),
        ({"result": 1, "end_time_ms": 2**32 - 1}, ("RESIGN", 1, None, None, 2**32 - 1)),
    ])
    def test_result_member(self, member, expected):
        t = Record.from_dict(data(["7g7f"], result=member)).main_terminal
        got = None if t is None else (t.kind, t.result.value, t.raw, t.comment, t.time_ms)
        assert got == expected

    def test_result_absent(self):
        assert Record.from_dict(data()).main_terminal is None


# --- Moves ----------------------------------------------------------------------------------

class TestMoves:
    def test_item_forms(self):
        m32 = Board().push_usi("7g7f")
        items = ["7g7f", {"move": "3c3d", "time_ms": 1000}, MoveEntry("2g2f", comment="c")]
        record = Record.from_dict(data(items))
        assert [(m.move.to_usi(), m.time_ms, m.comment) for m in record.moves] == [
            ("7g7f", None, None), ("3c3d", 1000, None), ("2g2f", None, "c")]
        for first in [m32, Move.from_usi("7g7f"), int(Move.from_usi("7g7f")), {"move": m32}]:
            assert [m.move.to_usi() for m in Record.from_dict(data([first, "3c3d"])).moves] == ["7g7f", "3c3d"]

    def test_any_iterable(self):
        gen = (m for m in ["7g7f", "3c3d"])
        assert Record.from_dict(data() | {"moves": gen}).move_count == 2
        assert Record.from_dict(data() | {"moves": ("7g7f",)}).move_count == 1
        assert Record.from_dict(data() | {"moves": {}}).move_count == 0

    def test_moves_stored_as_supplied(self):
        # The 16-bit move is kept as given; only the replay widens it.
        record = Record.from_dict(data(["7g7f", "3c3d", {"move": "8h2b+"}]))
        assert record.moves[2].move == Move.from_usi("8h2b+")

    def test_time_ms_and_comment(self):
        record = Record.from_dict(data([{"move": "7g7f", "time_ms": 2**32 - 1, "comment": ""},
                                        {"move": "3c3d", "time_ms": None, "comment": None}]))
        assert [(m.time_ms, m.comment) for m in record.moves] == [(2**32 - 1, ""), (None, None)]

    @pytest.mark.parametrize("info", [{}, {"eval": None, "extras": {}}, EngineInfo(), {"extras": None}])
    def test_empty_engine_info_stored_as_none(self, info):
        record = Record.from_dict(data([{"move": "7g7f", "engine_info": info}]))
        assert record.moves[0].engine_info is None
        assert record.to_dict()["moves"][0]["engine_info"] is None

    def test_engine_info_read(self):
        info = {"eval": -32001, "depth": 0, "nodes": 2**64 - 1, "seldepth": 65535,
                "extras": {"i": 2**70, "s": "5", "b": True, "f": -0.0}}
        got = Record.from_dict(data([{"move": "7g7f", "engine_info": info}])).moves[0].engine_info
        assert engine_snapshot(got) == (-32001, 0, 2**64 - 1, 65535,
                                        {"b": True, "f": -0.0, "i": 1.1805916207174113e21, "s": "5"})
        assert type(got.extras["i"]) is float
        copied = Record.from_dict(data([{"move": "7g7f", "engine_info": EngineInfo(eval=5, extras={"x": 1})}]))
        assert engine_snapshot(copied.moves[0].engine_info) == (5, None, None, None, {"x": 1})

    @pytest.mark.parametrize("sfen, moves", [
        (START, ["7g7f", "3c3d", "8h2b+", "3a2b", "B*4e"]),
        (PINNED_SILVER, ["5h5g"]),
        (LONE_KING, ["6i6h"]),
        (MIDGAME, ["B*5e"]),
    ])
    def test_replay_accepts(self, sfen, moves):
        assert Record.from_dict({"init_position_sfen": sfen, "moves": moves}).move_count == len(moves)

    @pytest.mark.parametrize("sfen, moves, index, what", [
        (START, ["7g7f", "7g7f"], 1, "could not be normalized against"),  # 7g is empty by then
        (START, ["3c3d"], 0, "could not be normalized against"),  # White's pawn, Black to move
        (START, ["6i5h+"], 0, "could not be normalized against"),  # a gold cannot promote
        (START, ["5i5h+"], 0, "could not be normalized against"),  # nor a king
        (START, ["7g7f", "3c3e"], 1, "is illegal in"),
        (START, ["7g7f", "3c3d", "2h2c"], 2, "is illegal in"),  # the rook cannot reach 2c
        (START, ["7g7f+"], 0, "is illegal in"),  # promotion outside the zone
        (START, ["P*5e"], 0, "is illegal in"),  # nothing in hand
        (MIDGAME, ["B*6a"], 0, "is illegal in"),  # onto an occupied square
        (PINNED_SILVER, ["5h4g"], 0, "is illegal in"),  # the pinned silver leaves the file
        (LONE_KING, ["6i5i"], 0, "is illegal in"),  # into the rook's file
        (START, [{"move": "7g7f"}, MoveEntry("8c8d"), "7f7e", "8d8e", "7e7d", "8e8f", "7d7c", "8f8g", "7c7a"],
         8, "is illegal in"),  # a pawn may not stay unpromoted on the last rank
    ])
    def test_replay_refuses(self, sfen, moves, index, what):
        raises(ValueError, f"from_dict: moves[{index}] {what} current position",
               Record.from_dict, {"init_position_sfen": sfen, "moves": moves})

    @pytest.mark.parametrize("sfen, message", [
        ("", "missing field: Placement"),
        ("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL", "missing field: Turn"),
    ])
    def test_invalid_sfen(self, sfen, message):
        raises(ValueError, f"from_dict: invalid init_position_sfen: {message}",
               Record.from_dict, {"init_position_sfen": sfen, "moves": []})


# --- Messages ---------------------------------------------------------------------------------

MESSAGES = [
    (None, TypeError, "from_dict expects dict"),
    ([("init_position_sfen", START)], TypeError, "from_dict expects dict"),
    ({"moves": []}, ValueError, "from_dict: missing 'init_position_sfen'"),
    ({"init_position_sfen": START}, ValueError, "from_dict: missing 'moves'"),
    ({"init_position_sfen": 1, "moves": []}, TypeError, "from_dict: 'init_position_sfen' must be str"),
    ({"init_position_sfen": "\ud800", "moves": []}, TypeError, "from_dict: 'init_position_sfen' must be str"),
    (data() | {"moves": None}, TypeError, "'NoneType' object is not iterable"),
    (data() | {"moves": 5}, TypeError, "'int' object is not iterable"),
    (data(main_terminal=None), ValueError, "from_dict: 'main_terminal' is no longer supported; use 'result' payload"),
    (data([{"comment": "c"}]), ValueError, "move dict: missing 'move'"),
    (data(["resign"]), ValueError, "move must be a normal move"),
    (data([{"move": "win"}]), ValueError, "move must be a normal move"),
    (data([0]), ValueError, "move must be a normal move"),
    (data(["zz"]), ValueError, "move must be valid USI move when passed as str"),
    (data([1.5]), TypeError, "move must be Move, Move32, int, or USI str"),
    (data([None]), TypeError, "move must be Move, Move32, int, or USI str"),
    (data([{"move": "7g7f", "comment": 1}]), TypeError, "move dict: 'comment' must be str or None"),
    (data([{"move": "7g7f", "comment": "\udc80"}]), TypeError, "move dict: 'comment' must be str or None"),
    (data([{"move": "7g7f", "time_ms": -1}]), TypeError, "move dict: 'time_ms' must be int or None"),
    (data([{"move": "7g7f", "time_ms": 2**32}]), TypeError, "move dict: 'time_ms' must be int or None"),
    (data([{"move": "7g7f", "time_ms": 1.0}]), TypeError, "move dict: 'time_ms' must be int or None"),
    (data([{"move": "7g7f", "time_ms": "1"}]), TypeError, "move dict: 'time_ms' must be int or None"),
    (data([{"move": "7g7f", "engine_info": 1}]), TypeError, "engine_info must be EngineInfo or dict"),
    (data([{"move": "7g7f", "engine_info": {"eval": "1"}}]), TypeError, "engine_info dict: 'eval' must be int or None"),
    (data([{"move": "7g7f", "engine_info": {"eval": 2**31}}]), TypeError, "engine_info dict: 'eval' must be int or None"),
    (data([{"move": "7g7f", "engine_info": {"depth": 65536}}]), TypeError, "engine_info dict: 'depth' must be int or None"),
    (data([{"move": "7g7f", "engine_info": {"nodes": 2**64}}]), TypeError, "engine_info dict: 'nodes' must be int or None"),
    (data([{"move": "7g7f", "engine_info": {"seldepth": -1}}]), TypeError, "engine_info dict: 'seldepth' must be int or None"),
    (data([{"move": "7g7f", "engine_info": {"extras": []}}]), TypeError, "extras must be dict[str, str|int|float|bool]"),
    (data([{"move": "7g7f", "engine_info": {"extras": {1: 1}}}]), TypeError, "extras keys must be str"),
    (data([{"move": "7g7f", "engine_info": {"extras": {"a": None}}}]), TypeError, "extras values must be str, int, float, or bool"),
    (data([{"move": "7g7f", "engine_info": {"extras": {"a": math.nan}}}]), ValueError, "extras float values must be finite"),
    (data([{"move": "7g7f", "engine_info": {"extras": {"a": -math.inf}}}]), ValueError, "extras float values must be finite"),
    (data(result=None), TypeError, "result must be GameResult, int, or str"),
    (data(result=[0]), TypeError, "result must be GameResult, int, or str"),
    (data(result=14), ValueError, "invalid GameResult value"),
    (data(result="DRAW"), ValueError, "invalid GameResult name: DRAW"),
    (data(result={}), ValueError, "from_dict: result.result is required"),
    (data(result={"reason": "r"}), ValueError, "from_dict: result.result is required"),
    (data(result={"result": None}), TypeError, "result must be GameResult, int, or str"),
    (data(result={"result": 0, "reason": 1}), TypeError, "from_dict: result.reason must be str or None"),
    (data(result={"result": 0, "end_time_ms": -1}), TypeError, "from_dict: result.end_time_ms must be int or None"),
    (data(result={"result": 0, "end_time_ms": 2**32}), TypeError, "from_dict: result.end_time_ms must be int or None"),
    (data(result={"result": 0, "end_time_ms": 1.5}), TypeError, "from_dict: result.end_time_ms must be int or None"),
    (data(result={"result": 0, "end_comment": b"c"}), TypeError, "from_dict: result.end_comment must be str or None"),
    (data(initial_comment=1), TypeError, "from_dict: 'initial_comment' must be str or None"),
    (data(metadata=1), TypeError, "metadata must be RecordMetadata or dict"),
    (data(metadata=[]), TypeError, "metadata must be RecordMetadata or dict"),
]


@pytest.mark.parametrize("strict", [False, True])
@pytest.mark.parametrize("value, exc, message", MESSAGES)
def test_messages(value, exc, message, strict):
    if strict and isinstance(value, dict) and "main_terminal" in value:
        message, exc = "from_dict: unknown top-level key 'main_terminal'", ValueError
    raises(exc, message, Record.from_dict, value, strict=strict)


# (data, exception and message in strict mode, message in permissive mode or None when accepted)
STRICT_ONLY = [
    (data(foo=1), ValueError, "from_dict: unknown top-level key 'foo'", None),
    (data(**{"Moves": []}), ValueError, "from_dict: unknown top-level key 'Moves'", None),
    (data() | {1: 1}, TypeError, "from_dict: top-level keys must be str", None),
    (data([{"move": "7g7f", "note": 1}]), ValueError, "move dict: unknown key 'note' in strict mode", None),
    (data([{"move": "7g7f", 2: 1}]), TypeError, "move dict keys must be str", None),
    # Keys come before values, so the key error wins over the missing move.
    (data([{"note": 1}]), ValueError, "move dict: unknown key 'note' in strict mode", "move dict: missing 'move'"),
    (data([{"move": "7g7f", "engine_info": {"wall_time_ms": 5}}]), ValueError,
     "engine_info dict: unknown key 'wall_time_ms' in strict mode", None),
    (data([{"move": "7g7f", "engine_info": {None: 5}}]), TypeError, "engine_info dict keys must be str", None),
    (data(result={"result": 0, "note": 1}), ValueError, "from_dict: unknown result key 'note' in strict mode", None),
    (data(result={"note": 1}), ValueError, "from_dict: unknown result key 'note' in strict mode",
     "from_dict: result.result is required"),
    (data(result={(): 1, "result": 0}), TypeError, "from_dict: result keys must be str", None),
]


@pytest.mark.parametrize("value, exc, message, permissive", STRICT_ONLY)
def test_strict_refuses_permissive_ignores(value, exc, message, permissive):
    raises(exc, message, Record.from_dict, value, strict=True)
    if permissive is None:
        Record.from_dict(value)
    else:
        raises(ValueError, permissive, Record.from_dict, value)


def test_permissive_ignores_version_and_extras_in_strict_time_control():
    for version in [None, "two", 99, [1]]:
        assert Record.from_dict(data(version=version), strict=True).move_count == 0
    # The time-control dict ignores other keys in either mode.
    md = {"time_control": {"base_seconds": 1, "other": "x"}}
    assert Record.from_dict(data(metadata=md), strict=True).metadata.time_control.base_seconds == 1
    extras = {"move": "7g7f", "engine_info": {"extras": {"wall_time_ms": 5}}}
    assert Record.from_dict(data([extras]), strict=True).moves[0].engine_info.wall_time_ms == 5


# --- Order of the checks: the first failure is raised ------------------------------------------

ORDER = [
    # (data, message of the earlier check)
    ({"init_position_sfen": 1}, "from_dict: 'init_position_sfen' must be str"),
    ({"moves": None, "init_position_sfen": 1}, "from_dict: 'init_position_sfen' must be str"),
    ({"init_position_sfen": START, "moves": 5, "main_terminal": 1}, "'int' object is not iterable"),
    (data(["resign"], main_terminal=1), "from_dict: 'main_terminal' is no longer supported; use 'result' payload"),
    (data(["resign"], result=None), "move must be a normal move"),
    (data(["7g7f", "resign"], result=None), "move must be a normal move"),
    (data(["7g7f", "7g7f"], result=None), "result must be GameResult, int, or str"),
    (data(["7g7f", "7g7f"]) | {"init_position_sfen": ""}, "from_dict: invalid init_position_sfen: missing field: Placement"),
    (data(["7g7f", "7g7f"], initial_comment=1), "from_dict: moves[1] could not be normalized against current position"),
    (data(["7g7f"], initial_comment=1, metadata=1), "from_dict: 'initial_comment' must be str or None"),
    (data(metadata={"attributes": None, "event": 1}), "metadata dict: 'event' must be str or None"),
]


@pytest.mark.parametrize("value, message", ORDER)
def test_first_failure_wins(value, message):
    with pytest.raises((TypeError, ValueError)) as info:
        Record.from_dict(value)
    assert str(info.value) == message


def test_items_are_read_lazily_and_stop_at_first_failure():
    seen = []

    def items():
        for m in ["7g7f", "resign", "3c3d"]:
            seen.append(m)
            yield m

    raises(ValueError, "move must be a normal move", Record.from_dict, data() | {"moves": items()})
    assert seen == ["7g7f", "resign"]


def test_input_not_changed():
    d = random_dict_record(7).to_dict()
    before = json.dumps(d)
    Record.from_dict(d, strict=True)
    assert json.dumps(d) == before


def test_argument_errors():
    raises(TypeError, "argument 'strict': 'int' object cannot be cast as 'bool'", Record.from_dict, data(), strict=1)
    raises(TypeError, "Record.from_dict() takes 1 positional argument but 2 were given", Record.from_dict, data(), True)
    assert type(type("R", (Record,), {}).from_dict(data())) is Record
    assert Record.to_dict.__text_signature__ == "($self)"
    assert Record.from_dict.__text_signature__ == "($cls, data, *, strict=False)"
