"""EngineInfo: construction, the eval clamp, integer ranges, the wall-time and latency
extras with their fallbacks, the extras conversions, setters that convert first and
leave the object unchanged on failure, borrow conflicts and the repr."""

import fractions

import numpy as np
import pytest

import korvan as k

RANGE = "^out of range integral type conversion attempted$"
DELETABLE = ["eval", "depth", "nodes", "seldepth", "extras", "wall_time_ms", "latency_delta_ms"]


@pytest.mark.parametrize(
    "given, stored",
    [(40000, 32767), (-40000, -32768), (32767, 32767), (-32768, -32768), (32001, 32001), (-32001, -32001),
     (32000, 32000), (2147483647, 32767), (-2147483648, -32768), (True, 1), (np.int64(-7), -7)],
)
def test_eval_is_clamped_to_16_bits(given, stored):
    assert k.EngineInfo(eval=given).eval == stored
    info = k.EngineInfo()
    info.eval = given
    assert info.eval == stored


@pytest.mark.parametrize(
    "kwargs, error, message",
    [
        ({"eval": 2147483648}, OverflowError, RANGE),
        ({"eval": -2147483649}, OverflowError, RANGE),
        ({"eval": 2**70}, OverflowError, RANGE),
        ({"depth": 65536}, OverflowError, RANGE),
        ({"depth": -1}, OverflowError, RANGE),
        ({"seldepth": 65536}, OverflowError, RANGE),
        ({"nodes": -1}, OverflowError, None),
        ({"nodes": 2**64}, OverflowError, None),
        ({"wall_time_ms": 2**63}, OverflowError, None),
        ({"latency_delta_ms": -(2**63) - 1}, OverflowError, None),
        ({"eval": "1"}, TypeError, "^argument 'eval': 'str' object cannot be interpreted as an integer$"),
        ({"depth": 1.5}, TypeError, "^argument 'depth': 'float' object cannot be interpreted as an integer$"),
        ({"nodes": "1"}, TypeError, "^argument 'nodes': "),
        ({"seldepth": []}, TypeError, "^argument 'seldepth': "),
        ({"wall_time_ms": 1.0}, TypeError, "^argument 'wall_time_ms': "),
        ({"latency_delta_ms": "3"}, TypeError, "^argument 'latency_delta_ms': "),
        # Earlier parameters convert first.
        ({"depth": "x", "eval": 2**40}, OverflowError, RANGE),
        ({"seldepth": 2**20, "depth": "x"}, TypeError, "^argument 'depth': "),
        # The extras keep their own messages, without the argument's name.
        ({"extras": []}, TypeError, r"^extras must be dict\[str, str\|int\|float\|bool\]$"),
        ({"extras": {1: 2}}, TypeError, "^extras keys must be str$"),
        ({"extras": {"a": None}}, TypeError, "^extras values must be str, int, float, or bool$"),
        ({"extras": {"a": float("nan")}}, ValueError, "^extras float values must be finite$"),
        ({"depth": -1, "extras": []}, OverflowError, RANGE),
    ],
)
def test_constructor_errors(kwargs, error, message):
    with pytest.raises(error, match=message):
        k.EngineInfo(**kwargs)


def test_ranges_edges_and_positional_order():
    info = k.EngineInfo(-5, 65535, 2**64 - 1, 0, -(2**63), 2**63 - 1, {"x": "y"})
    assert (info.eval, info.depth, info.nodes, info.seldepth) == (-5, 65535, 2**64 - 1, 0)
    assert (info.wall_time_ms, info.latency_delta_ms) == (-(2**63), 2**63 - 1)
    assert info.extras == {"latency_delta_ms": 2**63 - 1, "wall_time_ms": -(2**63), "x": "y"}
    assert k.EngineInfo(depth=True, seldepth=np.uint16(9)).depth == 1
    with pytest.raises(TypeError, match=r"^EngineInfo.__new__\(\) takes from 0 to 7 positional arguments but 8"):
        k.EngineInfo(1, 2, 3, 4, 5, 6, None, 8)


def test_empty_info_and_repr():
    info = k.EngineInfo()
    assert [info.eval, info.depth, info.nodes, info.seldepth, info.wall_time_ms, info.latency_delta_ms] == [None] * 6
    assert info.extras == {}
    assert repr(info) == "EngineInfo(eval=None, depth=None, nodes=None, seldepth=None)"
    full = k.EngineInfo(eval=-35, depth=18, wall_time_ms=3, extras={"x": 1})
    assert repr(full) == "EngineInfo(eval=Some(-35), depth=Some(18), nodes=None, seldepth=None)"
    assert repr(k.EngineInfo(nodes=2**64 - 1, seldepth=0)) == (
        "EngineInfo(eval=None, depth=None, nodes=Some(18446744073709551615), seldepth=Some(0))")


@pytest.mark.parametrize(
    "name, key, fallback",
    [("wall_time_ms", "wall_time_ms", "arena.wall_time_ms"),
     ("latency_delta_ms", "latency_delta_ms", "arena.latency_delta_ms")],
)
def test_time_extras_and_their_fallbacks(name, key, fallback):
    # The extras dict wins over the keyword argument.
    assert getattr(k.EngineInfo(**{name: 5}, extras={key: 7}), name) == 7
    assert k.EngineInfo(**{name: 5}).extras == {key: 5}
    # The fallback key is read when the plain key is absent ...
    info = k.EngineInfo(extras={fallback: 12})
    assert getattr(info, name) == 12
    # ... and removed with it on assignment.
    setattr(info, name, None)
    assert getattr(info, name) is None
    assert info.extras == {}
    info = k.EngineInfo(extras={fallback: 12, "other": 1})
    setattr(info, name, -3)
    assert info.extras == {key: -3, "other": 1}
    # A non-integer under the plain key reads as None, whatever the fallback holds.
    for value in ("slow", 1.5, True):
        assert getattr(k.EngineInfo(extras={key: value, fallback: 12}), name) is None
    assert getattr(k.EngineInfo(extras={fallback: "12"}), name) is None


@pytest.mark.parametrize(
    "value, expected",
    [
        (True, True),
        (False, False),
        (5, 5),
        (-(2**63), -(2**63)),
        (2**63 - 1, 2**63 - 1),
        (2**70, 1.1805916207174113e21),
        (-(2**64), -1.8446744073709552e19),
        (2.0, 2.0),
        (np.int32(3), 3),
        (np.float32(0.5), 0.5),
        (fractions.Fraction(1, 4), 0.25),
        ("5", "5"),
        ("", ""),
    ],
)
def test_extra_value_conversion_order(value, expected):
    info = k.EngineInfo()
    info.set_extra("v", value)
    got = info.extras["v"]
    assert got == expected and type(got) is type(expected)
    assert k.EngineInfo(extras={"v": value}).extras["v"] == expected


@pytest.mark.parametrize(
    "value, error, message",
    [
        (float("inf"), ValueError, "^extras float values must be finite$"),
        (float("-inf"), ValueError, "^extras float values must be finite$"),
        (float("nan"), ValueError, "^extras float values must be finite$"),
        (10**400, TypeError, "^extras values must be str, int, float, or bool$"),
        (None, TypeError, "^extras values must be str, int, float, or bool$"),
        ([], TypeError, "^extras values must be str, int, float, or bool$"),
        (b"5", TypeError, "^extras values must be str, int, float, or bool$"),
        (object(), TypeError, "^extras values must be str, int, float, or bool$"),
    ],
)
def test_set_extra_failures_leave_the_map(value, error, message):
    info = k.EngineInfo(extras={"v": 1})
    with pytest.raises(error, match=message):
        info.set_extra("v", value)
    assert info.extras == {"v": 1}


def test_extras_methods():
    info = k.EngineInfo(extras={"z": 1, "a": "x"})
    # Key order, the same on every read; every read is a new dict.
    assert list(info.extras) == ["a", "z"]
    info.extras["new"] = 1
    assert "new" not in info.extras
    assert info.set_extra("a", 2.5) is None
    assert info.extras == {"a": 2.5, "z": 1}
    with pytest.raises(TypeError, match="^argument 'key': 'int' object cannot be cast as 'str'$"):
        info.set_extra(1, 1)
    with pytest.raises(TypeError, match="^argument 'key': 'NoneType' object cannot be cast as 'str'$"):
        info.remove_extra(None)
    assert info.remove_extra("a") == 2.5
    assert info.remove_extra("a") is None
    assert info.extras == {"z": 1}
    assert info.clear_extras() is None
    assert info.clear_extras() is None
    assert info.extras == {}


def test_extras_setter_keeps_the_old_map_on_failure():
    info = k.EngineInfo(extras={"a": 1})
    for bad, error in (({"b": 2, "c": object()}, TypeError), ({"b": float("nan")}, ValueError),
                       ({"b": 2, 3: 4}, TypeError), (5, TypeError), ([("b", 2)], TypeError)):
        with pytest.raises(error):
            info.extras = bad
        assert info.extras == {"a": 1}
    info.extras = {"b": True}
    assert info.extras == {"b": True}
    info.extras = None
    assert info.extras == {}


@pytest.mark.parametrize(
    "name, bad, error, message",
    [
        ("eval", 2**40, OverflowError, RANGE),
        ("eval", "1", TypeError, "^argument 'value': 'str' object cannot be interpreted as an integer$"),
        ("depth", 65536, OverflowError, RANGE),
        ("depth", 1.0, TypeError, "^argument 'value': "),
        ("nodes", -1, OverflowError, None),
        ("seldepth", -1, OverflowError, RANGE),
        ("wall_time_ms", 2**63, OverflowError, None),
        ("wall_time_ms", "5", TypeError, "^argument 'value': "),
        ("latency_delta_ms", [], TypeError, "^argument 'value': "),
    ],
)
def test_failed_setters_change_nothing(name, bad, error, message):
    info = k.EngineInfo(eval=1, depth=2, nodes=3, seldepth=4, wall_time_ms=5, latency_delta_ms=6)
    before = [getattr(info, n) for n in DELETABLE]
    with pytest.raises(error, match=message):
        setattr(info, name, bad)
    assert [getattr(info, n) for n in DELETABLE] == before


def test_setters_clear_with_none():
    info = k.EngineInfo(eval=32001, depth=2, nodes=3, seldepth=4)
    for name in ("eval", "depth", "nodes", "seldepth"):
        setattr(info, name, None)
        assert getattr(info, name) is None
    info.nodes = 2**64 - 1
    assert info.nodes == 2**64 - 1


@pytest.mark.parametrize("name", DELETABLE)
def test_attributes_cannot_be_deleted(name):
    info = k.EngineInfo(eval=1, extras={"a": 1})
    with pytest.raises(AttributeError, match="^can't delete attribute$"):
        delattr(info, name)
    assert info.eval == 1 and info.extras == {"a": 1}


class Probe:
    """An integer-like value whose conversion tries to read the EngineInfo it is written
    to, and records what it met."""

    def __init__(self, target):
        self.target = target
        self.seen = "not converted"

    def __index__(self):
        try:
            self.target.depth
            self.seen = None
        except RuntimeError as error:
            self.seen = str(error)
        return 7


def test_borrows():
    info = k.EngineInfo(depth=1)
    # Plain setters convert before they borrow, so the conversion may read the object.
    probe = Probe(info)
    info.depth = probe
    assert probe.seen is None and info.depth == 7
    # The extras setter and set_extra convert under the exclusive borrow.
    probe = Probe(info)
    info.extras = {"b": probe}
    assert probe.seen == "Already mutably borrowed" and info.extras == {"b": 7}
    probe = Probe(info)
    info.set_extra("c", probe)
    assert probe.seen == "Already mutably borrowed" and info.extras == {"b": 7, "c": 7}


def test_no_value_comparison():
    assert k.EngineInfo(eval=1) != k.EngineInfo(eval=1)
    info = k.EngineInfo()
    assert info == info
