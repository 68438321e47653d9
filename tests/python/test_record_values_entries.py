"""MoveEntry and SpecialMoveEntry: argument order and messages, the normal-move test,
times in milliseconds, engine information as object or dict, the kind names and the
kinds that results stand for, setters and reprs."""

import pytest

import korvan as k

RANGE = "^out of range integral type conversion attempted$"
NOT_NORMAL = "^move must be a normal move$"


def drop(piece_type, to):
    return 0x4000 | piece_type << 7 | to


# --- MoveEntry ----------------------------------------------------------------------------


def test_move_alone():
    entry = k.MoveEntry("7g7f")
    assert entry.move == k.Move.from_usi("7g7f") and type(entry.move) is k.Move
    assert (entry.time_ms, entry.comment, entry.engine_info) == (None, None, None)
    assert repr(entry) == "MoveEntry(move=7g7f, time_ms=None, has_engine_info=false)"


@pytest.mark.parametrize(
    "move, usi",
    [
        ("P*5e", "P*5e"),
        (k.Move.from_usi("8h2b+"), "8h2b+"),
        (k.Board().push_usi("7g7f"), "7g7f"),
        (k.Move.from_usi("7g7f").value, "7g7f"),
        (drop(7, 80), "G*9i"),
        (drop(1, 0), "P*1a"),
        (80 << 7 | 0, "9i1a"),
    ],
)
def test_normal_moves(move, usi):
    assert k.MoveEntry(move).move.to_usi() == usi


@pytest.mark.parametrize(
    "move, error, message",
    [
        ("resign", ValueError, NOT_NORMAL),
        ("win", ValueError, NOT_NORMAL),
        ("null", ValueError, NOT_NORMAL),
        (0, ValueError, NOT_NORMAL),
        (129, ValueError, NOT_NORMAL),
        (516, ValueError, NOT_NORMAL),
        (k.Move.MOVE_END, ValueError, NOT_NORMAL),
        (81, ValueError, NOT_NORMAL),            # destination past the board
        (81 << 7 | 40, ValueError, NOT_NORMAL),  # source past the board
        (drop(0, 40), ValueError, NOT_NORMAL),
        (drop(8, 40), ValueError, NOT_NORMAL),
        ("7g7", ValueError, "^move must be valid USI move when passed as str$"),
        (1.5, TypeError, "^move must be Move, Move32, int, or USI str$"),
        (None, TypeError, "^move must be Move, Move32, int, or USI str$"),
        (70000, ValueError, "^move must fit in uint16 range$"),
    ],
)
def test_refused_moves(move, error, message):
    with pytest.raises(error, match=message):
        k.MoveEntry(move)


@pytest.mark.parametrize(
    "args, kwargs, error, message",
    [
        # time_ms and comment convert before the move, engine_info after it.
        (("resign",), {"time_ms": "x"}, TypeError, "^argument 'time_ms': 'str' object cannot be interpreted"),
        ((0,), {"comment": 1}, TypeError, "^argument 'comment': 'int' object cannot be cast as 'str'$"),
        ((0,), {"time_ms": 2**32, "comment": 1}, OverflowError, RANGE),
        (("7g7", ), {"engine_info": 5}, ValueError, "^move must be valid USI move when passed as str$"),
        (("7g7f",), {"time_ms": -1}, OverflowError, RANGE),
        (("7g7f",), {"engine_info": 5}, TypeError, "^engine_info must be EngineInfo or dict$"),
        (("7g7f",), {"engine_info": [("eval", 1)]}, TypeError, "^engine_info must be EngineInfo or dict$"),
        (("7g7f", 100), {}, TypeError, r"^MoveEntry.__new__\(\) takes 1 positional argument but 2 were given$"),
        ((), {}, TypeError, r"^MoveEntry.__new__\(\) missing 1 required positional argument: 'move'$"),
    ],
)
def test_constructor_order_and_messages(args, kwargs, error, message):
    with pytest.raises(error, match=message):
        k.MoveEntry(*args, **kwargs)


@pytest.mark.parametrize("time_ms", [0, 1500, 4294967295, True])
def test_time_ms_round_trip(time_ms):
    entry = k.MoveEntry("P*5e", time_ms=time_ms)
    assert entry.time_ms == int(time_ms)
    assert repr(entry) == f"MoveEntry(move=P*5e, time_ms=Some({int(time_ms)}), has_engine_info=false)"


@pytest.mark.parametrize(
    "engine_info, expected",
    [
        (k.EngineInfo(), None),
        ({}, None),
        ({"eval": None, "depth": None, "extras": None}, None),
        ({"eval": None, "extras": {}}, None),
        ({"eval": 40000}, (32767, None, None, None, {})),
        ({"eval": -5, "depth": 3, "nodes": 2**64 - 1, "seldepth": 0}, (-5, 3, 2**64 - 1, 0, {})),
        ({"extras": {"wall_time_ms": 9}, "wall_time_ms": 1, 5: "ignored"}, (None, None, None, None, {"wall_time_ms": 9})),
        ({"depth": True}, (None, 1, None, None, {})),
        (k.EngineInfo(depth=4, extras={"a": "b"}), (None, 4, None, None, {"a": "b"})),
    ],
)
def test_engine_info_argument(engine_info, expected):
    entry = k.MoveEntry("7g7f", engine_info=engine_info)
    if expected is None:
        assert entry.engine_info is None
        assert repr(entry).endswith("has_engine_info=false)")
        return
    info = entry.engine_info
    assert (info.eval, info.depth, info.nodes, info.seldepth, info.extras) == expected
    assert repr(entry).endswith("has_engine_info=true)")


@pytest.mark.parametrize(
    "engine_info, error, message",
    [
        ({"eval": "1"}, TypeError, "^engine_info dict: 'eval' must be int or None$"),
        ({"eval": 2**31}, TypeError, "^engine_info dict: 'eval' must be int or None$"),
        ({"eval": 1.0}, TypeError, "^engine_info dict: 'eval' must be int or None$"),
        ({"depth": 65536}, TypeError, "^engine_info dict: 'depth' must be int or None$"),
        ({"depth": -1}, TypeError, "^engine_info dict: 'depth' must be int or None$"),
        ({"nodes": 2**64}, TypeError, "^engine_info dict: 'nodes' must be int or None$"),
        ({"seldepth": "2"}, TypeError, "^engine_info dict: 'seldepth' must be int or None$"),
        # Members are read in order: eval before depth, the figures before extras.
        ({"depth": -1, "eval": "x"}, TypeError, "^engine_info dict: 'eval' must be int or None$"),
        ({"extras": 5, "nodes": -1}, TypeError, "^engine_info dict: 'nodes' must be int or None$"),
        ({"extras": 5}, TypeError, r"^extras must be dict\[str, str\|int\|float\|bool\]$"),
        ({"extras": {"a": float("inf")}}, ValueError, "^extras float values must be finite$"),
    ],
)
def test_engine_info_dict_errors(engine_info, error, message):
    with pytest.raises(error, match=message):
        k.MoveEntry("7g7f", engine_info=engine_info)


def test_engine_info_is_copied():
    info = k.EngineInfo(eval=10)
    entry = k.MoveEntry("7g7f", engine_info=info)
    info.eval = 20
    assert entry.engine_info.eval == 10
    got = entry.engine_info
    got.eval = 30
    assert entry.engine_info.eval == 10
    assert entry.engine_info is not entry.engine_info


def test_move_entry_setters():
    entry = k.MoveEntry("7g7f", time_ms=5, comment="c", engine_info={"eval": 1})
    entry.time_ms = 0
    entry.comment = ""
    assert (entry.time_ms, entry.comment) == (0, "")
    entry.time_ms = None
    entry.comment = None
    assert (entry.time_ms, entry.comment) == (None, None)
    entry.engine_info = k.EngineInfo(depth=3)
    assert entry.engine_info.depth == 3
    entry.engine_info = k.EngineInfo()
    assert entry.engine_info is None
    entry.engine_info = k.EngineInfo(eval=1)
    entry.engine_info = None
    assert entry.engine_info is None
    with pytest.raises(AttributeError):
        entry.move = k.Move.from_usi("2g2f")


@pytest.mark.parametrize(
    "name, value, error, message",
    [
        ("engine_info", {"eval": 1}, TypeError, "^argument 'value': 'dict' object cannot be cast as 'EngineInfo'$"),
        ("engine_info", 1, TypeError, "^argument 'value': 'int' object cannot be cast as 'EngineInfo'$"),
        ("comment", 1, TypeError, "^argument 'value': 'int' object cannot be cast as 'str'$"),
        ("time_ms", "1", TypeError, "^argument 'value': 'str' object cannot be interpreted as an integer$"),
        ("time_ms", 2**32, OverflowError, RANGE),
        ("time_ms", -1, OverflowError, RANGE),
    ],
)
def test_move_entry_failed_setters_change_nothing(name, value, error, message):
    entry = k.MoveEntry("7g7f", time_ms=5, comment="c", engine_info={"eval": 1})
    with pytest.raises(error, match=message):
        setattr(entry, name, value)
    assert (entry.time_ms, entry.comment, entry.engine_info.eval) == (5, "c", 1)


@pytest.mark.parametrize("name", ["time_ms", "comment", "engine_info"])
def test_move_entry_deletion_refused(name):
    entry = k.MoveEntry("7g7f", comment="c")
    with pytest.raises(AttributeError, match="^can't delete attribute$"):
        delattr(entry, name)
    assert entry.comment == "c"


# --- SpecialMoveEntry ------------------------------------------------------------------------


@pytest.mark.parametrize("text", ["resign", "Resign", "RESIGN", "rEsIgN"])
def test_kind_names_ignore_ascii_case(text):
    entry = k.SpecialMoveEntry(text, k.GameResult.WHITE_WIN)
    assert entry.kind == "RESIGN"
    assert entry.unknown_name is None


@pytest.mark.parametrize(
    "text, shown",
    [("RESIGN ", "RESIGN "), ("foo", "FOO"), ("", ""), ("résign", "RéSIGN"), ("ｒesign", "ｒESIGN")],
)
def test_unknown_kind_names(text, shown):
    with pytest.raises(ValueError) as caught:
        k.SpecialMoveEntry(text, 0)
    assert str(caught.value) == "invalid SpecialMove kind: " + shown


KINDS = ["INTERRUPT", "RESIGN", "MAX_MOVES", "IMPASSE", "DRAW", "REPETITION_DRAW", "MATE", "NO_MATE", "TIMEOUT",
         "WIN_BY_ILLEGAL_MOVE", "LOSE_BY_ILLEGAL_MOVE", "WIN_BY_DECLARATION", "WIN_BY_DEFAULT", "LOSE_BY_DEFAULT",
         "TRY", "UNKNOWN"]


@pytest.mark.parametrize("kind", KINDS)
def test_every_kind(kind):
    entry = k.SpecialMoveEntry(kind.lower(), "paused", unknown_name="x")
    assert entry.kind == kind
    assert entry.unknown_name == ("x" if kind == "UNKNOWN" else None)
    assert repr(entry) == f"SpecialMoveEntry(kind={kind}, result=PAUSED, time_ms=None)"


def test_unknown_kind_carries_its_name():
    assert k.SpecialMoveEntry("unknown", k.GameResult.PAUSED).unknown_name == "UNKNOWN"
    assert k.SpecialMoveEntry("Unknown", 11, unknown_name="封じ手").unknown_name == "封じ手"
    assert k.SpecialMoveEntry("unknown", 11, unknown_name="").unknown_name == ""
    assert k.SpecialMoveEntry("resign", 0, unknown_name="x").unknown_name is None


def test_special_move_entry_fields():
    entry = k.SpecialMoveEntry("draw", "BLACK_WIN", None, "c", 0, "%TORYO")
    assert (entry.kind, entry.result, entry.comment, entry.time_ms, entry.raw) == (
        "DRAW", k.GameResult.BLACK_WIN, "c", 0, "%TORYO")
    assert type(entry.result) is k.GameResult
    assert repr(entry) == "SpecialMoveEntry(kind=DRAW, result=BLACK_WIN, time_ms=Some(0))"
    entry = k.SpecialMoveEntry("resign", k.GameResult.WHITE_WIN, time_ms=1500)
    assert repr(entry) == "SpecialMoveEntry(kind=RESIGN, result=WHITE_WIN, time_ms=Some(1500))"
    assert k.SpecialMoveEntry("resign", 0, time_ms=4294967295).time_ms == 4294967295


@pytest.mark.parametrize(
    "args, kwargs, error, message",
    [
        ((1, 0), {}, TypeError, "^argument 'kind': 'int' object cannot be cast as 'str'$"),
        (("resign", 1.5), {}, TypeError, "^result must be GameResult, int, or str$"),
        (("resign", 256), {}, TypeError, "^result must be GameResult, int, or str$"),
        (("resign", 14), {}, ValueError, "^invalid GameResult value$"),
        (("resign", "nope"), {}, ValueError, "^invalid GameResult name: nope$"),
        (("resign", 0), {"time_ms": 4294967296}, OverflowError, RANGE),
        (("resign", 0), {"time_ms": -1}, OverflowError, RANGE),
        (("resign", 0), {"comment": b"c"}, TypeError, "^argument 'comment': 'bytes' object cannot be cast as 'str'$"),
        (("resign", 0), {"raw": 1}, TypeError, "^argument 'raw': 'int' object cannot be cast as 'str'$"),
        (("resign", 0), {"unknown_name": 1}, TypeError, "^argument 'unknown_name': "),
        # kind, unknown_name, comment, time_ms, raw, then result; the kind's name is
        # checked only after every conversion.
        (("bogus", 1.5), {}, TypeError, "^result must be GameResult, int, or str$"),
        (("resign", 1.5), {"raw": 1}, TypeError, "^argument 'raw': "),
        (("resign", 0), {"raw": 1, "time_ms": "x"}, TypeError, "^argument 'time_ms': "),
        (("resign", 0), {"time_ms": "x", "comment": 1}, TypeError, "^argument 'comment': "),
        (("resign", 0), {"comment": 1, "unknown_name": 2}, TypeError, "^argument 'unknown_name': "),
        ((5, 0), {"unknown_name": 2}, TypeError, "^argument 'kind': "),
        (("resign",), {}, TypeError, r"^SpecialMoveEntry.__new__\(\) missing 1 required positional argument: 'result'$"),
    ],
)
def test_special_move_entry_errors(args, kwargs, error, message):
    with pytest.raises(error, match=message):
        k.SpecialMoveEntry(*args, **kwargs)


@pytest.mark.parametrize(
    "result, kind",
    [
        ("BLACK_WIN", "RESIGN"), ("WHITE_WIN", "RESIGN"), ("DRAW_BY_REPETITION", "REPETITION_DRAW"),
        ("ERROR", "INTERRUPT"), ("INVALID", "INTERRUPT"), ("PAUSED", "INTERRUPT"),
        ("BLACK_WIN_BY_DECLARATION", "WIN_BY_DECLARATION"), ("WHITE_WIN_BY_DECLARATION", "WIN_BY_DECLARATION"),
        ("DRAW_BY_MAX_PLIES", "MAX_MOVES"), ("BLACK_WIN_BY_FORFEIT", "WIN_BY_DEFAULT"),
        ("WHITE_WIN_BY_FORFEIT", "WIN_BY_DEFAULT"), ("DRAW_BY_IMPASSE", "IMPASSE"),
        ("BLACK_WIN_BY_ILLEGAL_MOVE", "WIN_BY_ILLEGAL_MOVE"), ("WHITE_WIN_BY_ILLEGAL_MOVE", "WIN_BY_ILLEGAL_MOVE"),
        ("BLACK_WIN_BY_TIMEOUT", "TIMEOUT"), ("WHITE_WIN_BY_TIMEOUT", "TIMEOUT"),
        ("BLACK_WIN_BY_TRY_RULE", "TRY"), ("WHITE_WIN_BY_TRY_RULE", "TRY"),
    ],
)
def test_from_result_kinds(result, kind):
    entry = k.SpecialMoveEntry.from_result(getattr(k.GameResult, result))
    assert (entry.kind, entry.result.name, entry.unknown_name) == (kind, result, None)
    assert k.SpecialMoveEntry.from_result(result.lower()).kind == kind


def test_from_result_arguments():
    entry = k.SpecialMoveEntry.from_result("black_win", 1500, "c", "投了")
    assert (entry.kind, entry.time_ms, entry.comment, entry.raw) == ("RESIGN", 1500, "c", "投了")
    assert repr(entry) == "SpecialMoveEntry(kind=RESIGN, result=BLACK_WIN, time_ms=Some(1500))"
    with pytest.raises(ValueError, match="^invalid GameResult value$"):
        k.SpecialMoveEntry.from_result(14)
    # time_ms, comment and raw convert before the result.
    with pytest.raises(TypeError, match="^argument 'raw': "):
        k.SpecialMoveEntry.from_result(14, raw=1)
    with pytest.raises(TypeError, match="^argument 'time_ms': "):
        k.SpecialMoveEntry.from_result(1, time_ms="x", comment=1)

    class Sub(k.SpecialMoveEntry):
        pass

    assert type(Sub.from_result(0)) is k.SpecialMoveEntry
    assert type(Sub("resign", 0)) is Sub


def test_special_move_entry_setters():
    entry = k.SpecialMoveEntry("resign", 0, comment="c", time_ms=5, raw="r")
    entry.comment, entry.time_ms, entry.raw = "d", 0, ""
    assert (entry.comment, entry.time_ms, entry.raw) == ("d", 0, "")
    entry.comment = entry.time_ms = entry.raw = None
    assert (entry.comment, entry.time_ms, entry.raw) == (None, None, None)
    for name in ("kind", "result", "unknown_name"):
        with pytest.raises(AttributeError):
            setattr(entry, name, None)


@pytest.mark.parametrize(
    "name, value, error, message",
    [
        ("comment", 1, TypeError, "^argument 'value': 'int' object cannot be cast as 'str'$"),
        ("raw", [], TypeError, "^argument 'value': 'list' object cannot be cast as 'str'$"),
        ("time_ms", 1.5, TypeError, "^argument 'value': 'float' object cannot be interpreted as an integer$"),
        ("time_ms", 2**32, OverflowError, RANGE),
    ],
)
def test_special_move_entry_failed_setters(name, value, error, message):
    entry = k.SpecialMoveEntry("resign", 0, comment="c", time_ms=5, raw="r")
    with pytest.raises(error, match=message):
        setattr(entry, name, value)
    assert (entry.comment, entry.time_ms, entry.raw) == ("c", 5, "r")
    with pytest.raises(AttributeError, match="^can't delete attribute$"):
        delattr(entry, name)
