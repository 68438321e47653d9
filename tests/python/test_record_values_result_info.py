"""GameResultInfo as Record.result_info makes it: the summary of how the main line ends,
its read-only attributes and its repr."""

import pytest

import korvan as k

pytestmark = pytest.mark.skipif(not hasattr(k, "Record"), reason="GameResultInfo objects come from Record")

START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"


def record(moves, terminal=None):
    return k.Record(START, [k.MoveEntry("7g7f") for _ in range(moves)], terminal=terminal)


@pytest.mark.parametrize(
    "moves, terminal, expected, shown",
    [
        (71, k.SpecialMoveEntry("resign", "WHITE_WIN", time_ms=3000, raw="%TORYO", comment="c"),
         (k.GameResult.WHITE_WIN, 71, "%TORYO", 3000, "c"),
         "GameResultInfo(result=WHITE_WIN, ply_count=71, end_time_ms=Some(3000))"),
        (3, k.SpecialMoveEntry("repetition_draw", 2),
         (k.GameResult.DRAW_BY_REPETITION, 3, None, None, None),
         "GameResultInfo(result=DRAW_BY_REPETITION, ply_count=3, end_time_ms=None)"),
        (0, k.SpecialMoveEntry("interrupt", "PAUSED", time_ms=0),
         (k.GameResult.PAUSED, 0, None, 0, None),
         "GameResultInfo(result=PAUSED, ply_count=0, end_time_ms=Some(0))"),
        (5, None, (k.GameResult.INVALID, 5, None, None, None),
         "GameResultInfo(result=INVALID, ply_count=5, end_time_ms=None)"),
        (0, None, (k.GameResult.INVALID, 0, None, None, None),
         "GameResultInfo(result=INVALID, ply_count=0, end_time_ms=None)"),
    ],
)
def test_summary(moves, terminal, expected, shown):
    info = record(moves, terminal).result_info
    assert type(info) is k.GameResultInfo
    assert (info.result, info.ply_count, info.reason, info.end_time_ms, info.end_comment) == expected
    assert type(info.result) is k.GameResult
    assert repr(info) == shown


def test_summary_is_a_copy_and_read_only():
    rec = record(2, k.SpecialMoveEntry("resign", 0, comment="c"))
    info = rec.result_info
    assert rec.result_info is not info
    for name in ("result", "ply_count", "reason", "end_time_ms", "end_comment"):
        with pytest.raises(AttributeError):
            setattr(info, name, None)
    assert info.end_comment == "c"
