"""TimeControl, RecordMetadata, RecordMetadataKey and the GameResultInfo class: specs,
field conversions in parameter order, setters that change nothing on failure, the
attribute map and its methods, and the repr's quoting by Unicode category."""

import pathlib
import re
import subprocess
import sys
import unicodedata

import numpy as np
import pytest

import korvan as k

RANGE = "^out of range integral type conversion attempted$"
ROOT = pathlib.Path(__file__).resolve().parents[2]

# --- TimeControl ----------------------------------------------------------------------------


def test_time_control_fields_and_texts():
    tc = k.TimeControl(600, 30, 5)
    assert (tc.base_seconds, tc.byoyomi_seconds, tc.increment_seconds) == (600, 30, 5)
    assert tc.to_spec() == "600+30+5"
    assert repr(tc) == "TimeControl(base_seconds=600, byoyomi_seconds=30, increment_seconds=5)"
    assert k.TimeControl(0, 0, 0).to_spec() == "0+0+0"
    top = k.TimeControl(base_seconds=4294967295, increment_seconds=True, byoyomi_seconds=np.uint8(2))
    assert top.to_spec() == "4294967295+2+1"
    for name in ("base_seconds", "byoyomi_seconds", "increment_seconds"):
        with pytest.raises(AttributeError):
            setattr(tc, name, 1)
    # No value comparison of its own.
    assert k.TimeControl(1, 2, 3) != k.TimeControl(1, 2, 3)


@pytest.mark.parametrize(
    "args, error, message",
    [
        ((4294967296, 0, 0), OverflowError, RANGE),
        ((0, -1, 0), OverflowError, RANGE),
        ((0, 0, 2**70), OverflowError, RANGE),
        (("1", 0, 0), TypeError, "^argument 'base_seconds': 'str' object cannot be interpreted as an integer$"),
        ((0, 1.0, 0), TypeError, "^argument 'byoyomi_seconds': "),
        ((0, 0, None), TypeError, "^argument 'increment_seconds': "),
        ((1,), TypeError, r"missing 2 required positional arguments: 'byoyomi_seconds' and 'increment_seconds'$"),
    ],
)
def test_time_control_constructor_errors(args, error, message):
    with pytest.raises(error, match=message):
        k.TimeControl(*args)


@pytest.mark.parametrize(
    "spec, normal",
    [
        ("10+20+30", "10+20+30"),
        (" 600 + 30 +0 ", "600+30+0"),
        ("\u3000600\u3000+\t30\n+0", "600+30+0"),
        ("4294967295+0+0", "4294967295+0+0"),
        ("600.0+10+0", "600+10+0"),
        ("007+0+0", "7+0+0"),
    ],
)
def test_specs(spec, normal):
    assert k.TimeControl.normalize_spec(spec) == normal
    tc = k.TimeControl.from_spec(spec=spec)
    assert tc.to_spec() == normal and type(tc) is k.TimeControl


@pytest.mark.parametrize(
    "spec",
    ["", "1+2", "1+2+3+4", "1++3", "+1+2", "1+2+", "1+-2+3", "-1+2+3", "１+2+3", "600.5+10+0", "4294967296+0+0",
     "a+b+c", "1 2+3+4"],
)
def test_refused_specs(spec):
    for parse in (k.TimeControl.from_spec, k.TimeControl.normalize_spec):
        with pytest.raises(ValueError, match="^invalid time control spec$"):
            parse(spec)


def test_spec_argument_and_subclass():
    with pytest.raises(TypeError, match="^argument 'spec': 'int' object cannot be cast as 'str'$"):
        k.TimeControl.from_spec(600)
    with pytest.raises(TypeError, match="^argument 'spec': 'NoneType' object cannot be cast as 'str'$"):
        k.TimeControl.normalize_spec(None)

    class Sub(k.TimeControl):
        pass

    assert type(Sub.from_spec("1+2+3")) is k.TimeControl
    assert type(Sub(1, 2, 3)) is Sub


# --- RecordMetadataKey ----------------------------------------------------------------------------

KEYS = ["event", "site", "black_player", "white_player", "game_name", "game_type", "start_date", "end_date",
        "updated_date", "comment"]


def test_metadata_key_constants():
    for key in KEYS:
        value = getattr(k.RecordMetadataKey, key.upper())
        assert value == key and type(value) is str
        assert value is getattr(k.RecordMetadataKey, key.upper())
    assert k.RecordMetadataKey.BLACK_PLAYER == "black_player"
    assert [name for name in vars(k.RecordMetadataKey) if name.isupper()] == [key.upper() for key in KEYS]


@pytest.mark.parametrize(
    "args, kwargs, message",
    [
        ((), {}, "^RecordMetadataKey is a constants namespace$"),
        ((1,), {}, r"^RecordMetadataKey.__new__\(\) takes 0 positional arguments but 1 was given$"),
        ((), {"event": 1}, r"^RecordMetadataKey.__new__\(\) got an unexpected keyword argument 'event'$"),
    ],
)
def test_metadata_key_has_no_instances(args, kwargs, message):
    with pytest.raises(TypeError, match=message):
        k.RecordMetadataKey(*args, **kwargs)


def test_game_result_info_has_no_constructor():
    with pytest.raises(TypeError, match="^cannot create 'korvan._korvan.GameResultInfo' instances$"):
        k.GameResultInfo()


# --- RecordMetadata ------------------------------------------------------------------------------

FIELDS = ["event", "site", "black_player", "white_player", "game_name", "game_type", "time_control",
          "black_time_control", "white_time_control", "max_moves", "impasse_rule", "start_date", "end_date",
          "updated_date", "comment", "attributes"]
TEXT_FIELDS = [f for f in FIELDS if f not in ("time_control", "black_time_control", "white_time_control",
                                              "max_moves", "attributes")]
TIME_FIELDS = ["time_control", "black_time_control", "white_time_control"]


def metadata_fields(m):
    """Every field, time controls as specs."""
    out = {}
    for name in FIELDS:
        value = getattr(m, name)
        out[name] = value.to_spec() if isinstance(value, k.TimeControl) else value
    return out


def every_field_metadata():
    return k.RecordMetadata(*[f"{n}-v" for n in FIELDS[:6]], k.TimeControl(1, 2, 3), k.TimeControl(4, 5, 6),
                            k.TimeControl(7, 8, 9), 256, "24", "s", "e", "u", "c", {"b": "2", "a": "1"})


def test_empty_metadata():
    m = k.RecordMetadata()
    assert metadata_fields(m) == {**{name: None for name in FIELDS}, "attributes": {}}
    assert repr(m) == "RecordMetadata(event=None, site=None, players=None/None)"
    assert k.RecordMetadata.__text_signature__ == "(" + ", ".join(f"{f}=None" for f in FIELDS) + ")"


def test_every_field_by_position_and_by_keyword():
    m = every_field_metadata()
    expected = {**{n: f"{n}-v" for n in FIELDS[:6]}, "time_control": "1+2+3", "black_time_control": "4+5+6",
                "white_time_control": "7+8+9", "max_moves": 256, "impasse_rule": "24", "start_date": "s",
                "end_date": "e", "updated_date": "u", "comment": "c", "attributes": {"a": "1", "b": "2"}}
    assert metadata_fields(m) == expected
    assert metadata_fields(k.RecordMetadata(**{n: getattr(m, n) for n in FIELDS})) == expected
    assert (k.RecordMetadata("E", "S").event, k.RecordMetadata("E", "S").site) == ("E", "S")


@pytest.mark.parametrize(
    "args, kwargs, error, message",
    [
        ((1, 2), {}, TypeError, "^argument 'event': 'int' object cannot be cast as 'str'$"),
        ((), {"comment": 1, "site": 2}, TypeError, "^argument 'site': 'int' object cannot be cast as 'str'$"),
        ((), {"time_control": "600+30+0"}, TypeError,
         "^argument 'time_control': 'str' object cannot be cast as 'TimeControl'$"),
        ((), {"white_time_control": {}}, TypeError,
         "^argument 'white_time_control': 'dict' object cannot be cast as 'TimeControl'$"),
        ((), {"max_moves": -1}, OverflowError, RANGE),
        ((), {"max_moves": 4294967296}, OverflowError, RANGE),
        ((), {"max_moves": "5"}, TypeError, "^argument 'max_moves': 'str' object cannot be interpreted as an integer$"),
        ((), {"max_moves": 5.0}, TypeError, "^argument 'max_moves': "),
        ((), {"impasse_rule": 24}, TypeError, "^argument 'impasse_rule': 'int' object cannot be cast as 'str'$"),
        ((), {"attributes": [("a", "b")]}, TypeError, "^argument 'attributes': 'list' object cannot be cast as 'dict'$"),
        ((), {"attributes": {"a": 1}}, TypeError, "^argument 'attributes': 'int' object cannot be cast as 'str'$"),
        ((), {"attributes": {1: "a"}}, TypeError, "^argument 'attributes': 'int' object cannot be cast as 'str'$"),
        ((), {"event": "\ud800"}, UnicodeEncodeError, None),
        # Field order decides which failure is raised.
        ((), {"attributes": 1, "max_moves": -1}, OverflowError, RANGE),
        ((), {"start_date": 1, "impasse_rule": 2}, TypeError, "^argument 'impasse_rule': "),
        ((), {"comment": 1, "updated_date": 2}, TypeError, "^argument 'updated_date': "),
        (tuple([None] * 17), {}, TypeError, r"takes from 0 to 16 positional arguments but 17 were given$"),
        ((), {"players": "x"}, TypeError, "got an unexpected keyword argument 'players'$"),
        (("a",), {"event": "b"}, TypeError, "got multiple values for argument 'event'$"),
    ],
)
def test_constructor_errors(args, kwargs, error, message):
    with pytest.raises(error, match=message):
        k.RecordMetadata(*args, **kwargs)


def test_max_moves_values():
    for value, read in ((0, 0), (4294967295, 4294967295), (True, 1), (np.int64(7), 7)):
        assert k.RecordMetadata(max_moves=value).max_moves == read


@pytest.mark.parametrize("name", TEXT_FIELDS)
def test_text_fields(name):
    m = k.RecordMetadata()
    setattr(m, name, "")
    assert getattr(m, name) == ""

    class Text(str):
        pass

    setattr(m, name, Text("羽生"))
    assert getattr(m, name) == "羽生" and type(getattr(m, name)) is str
    setattr(m, name, None)
    assert getattr(m, name) is None


@pytest.mark.parametrize("name", TIME_FIELDS)
def test_time_control_fields(name):
    m = k.RecordMetadata()
    tc = k.TimeControl(600, 30, 0)
    setattr(m, name, tc)
    first, second = getattr(m, name), getattr(m, name)
    assert first is not second and first is not tc
    assert first.to_spec() == second.to_spec() == "600+30+0"
    setattr(m, name, None)
    assert getattr(m, name) is None


@pytest.mark.parametrize(
    "name, value, error, message",
    [
        *[(n, 1, TypeError, "^argument 'value': 'int' object cannot be cast as 'str'$") for n in TEXT_FIELDS],
        *[(n, "1+2+3", TypeError, "^argument 'value': 'str' object cannot be cast as 'TimeControl'$")
          for n in TIME_FIELDS],
        ("max_moves", -1, OverflowError, RANGE),
        ("max_moves", 2**70, OverflowError, RANGE),
        ("max_moves", "1", TypeError, "^argument 'value': "),
        ("event", "\udc80", UnicodeEncodeError, None),
        ("attributes", None, TypeError, "^argument 'attributes': 'NoneType' object cannot be cast as 'dict'$"),
        ("attributes", {"x": None}, TypeError, "^argument 'attributes': 'NoneType' object cannot be cast as 'str'$"),
        ("attributes", {"x": "1", "y": 2}, TypeError, "^argument 'attributes': 'int' object cannot be cast as 'str'$"),
    ],
)
def test_failed_writes_change_nothing(name, value, error, message):
    m = every_field_metadata()
    before = metadata_fields(m)
    with pytest.raises(error, match=message):
        setattr(m, name, value)
    assert metadata_fields(m) == before


@pytest.mark.parametrize("name", FIELDS)
def test_deletion_refused(name):
    m = every_field_metadata()
    with pytest.raises(AttributeError, match="^can't delete attribute$"):
        delattr(m, name)
    assert metadata_fields(m) == metadata_fields(every_field_metadata())


def test_attribute_map():
    m = k.RecordMetadata(attributes={"b": "2", "a": "1"})
    assert m.attributes == {"a": "1", "b": "2"}
    got = m.attributes
    got["c"] = "3"
    assert m.attributes == {"a": "1", "b": "2"}
    m.attributes = {"": "", "x": "y"}
    assert m.attributes == {"": "", "x": "y"}
    assert m.set_attribute("k", "x") is None
    assert m.set_attribute(value="y", key="k") is None
    assert m.attributes["k"] == "y"
    assert m.remove_attribute("k") == "y"
    assert m.remove_attribute("k") is None
    m.event = "E"
    assert m.set_attribute("event", "attr") is None
    assert m.event == "E" and m.attributes["event"] == "attr"
    assert m.clear_attributes() is None
    assert m.attributes == {} and m.event == "E"


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda m: m.set_attribute("k", 1), "^argument 'value': 'int' object cannot be cast as 'str'$"),
        (lambda m: m.set_attribute(1, "v"), "^argument 'key': 'int' object cannot be cast as 'str'$"),
        (lambda m: m.set_attribute(1, 2), "^argument 'key': "),
        (lambda m: m.remove_attribute(None), "^argument 'key': 'NoneType' object cannot be cast as 'str'$"),
        (lambda m: m.set_attribute("k"), r"missing 1 required positional argument: 'value'$"),
        (lambda m: m.clear_attributes(1), r"takes 0 positional arguments but 1 was given$"),
    ],
)
def test_attribute_method_errors(call, message):
    m = k.RecordMetadata(attributes={"a": "1"})
    with pytest.raises(TypeError, match=message):
        call(m)
    assert m.attributes == {"a": "1"}


class Probe:
    def __init__(self):
        self.target = None
        self.seen = "not converted"

    def __index__(self):
        try:
            self.target.event
            self.seen = None
        except RuntimeError as error:
            self.seen = str(error)
        return 9


def test_setters_convert_before_they_borrow():
    m = k.RecordMetadata(event="E")
    probe = Probe()
    probe.target = m
    m.max_moves = probe
    assert probe.seen is None and m.max_moves == 9


# --- The repr -------------------------------------------------------------------------------------


@pytest.mark.parametrize(
    "text, shown",
    [
        ("E1", '"E1"'),
        ("", '""'),
        ('a"b', r'"a\"b"'),
        ("a\\b", r'"a\\b"'),
        ("a\nb", r'"a\nb"'),
        ("\t\r\0", r'"\t\r\0"'),
        ("it's", "\"it's\""),
        ("a b", '"a b"'),
        ("先手\u3000名人", r'"先手\u{3000}名人"'),
        ("e\u0301", r'"e\u{301}"'),       # combining acute accent (Mn)
        ("\u20dd", r'"\u{20dd}"'),         # enclosing circle (Me)
        ("\uff9e", r'"\u{ff9e}"'),         # half-width voiced mark: Lm, but Grapheme_Extend
        ("\U000e0100", r'"\u{e0100}"'),    # variation selector
        ("\x01\x7f\x85", r'"\u{1}\u{7f}\u{85}"'),
        ("\u00a0\u2028\u2029", r'"\u{a0}\u{2028}\u{2029}"'),
        ("\u200b\ufeff\u00ad", r'"\u{200b}\u{feff}\u{ad}"'),
        ("\ue000\U0010ffff", r'"\u{e000}\u{10ffff}"'),
        ("\u0378", r'"\u{378}"'),          # unassigned
        ("😀\U0001f3fb", '"😀\U0001f3fb"'),  # an emoji modifier is not Grapheme_Extend
        ("ｶﾞ将棋", r'"ｶ\u{ff9e}将棋"'),
    ],
)
def test_repr_quoting(text, shown):
    assert repr(k.RecordMetadata(event=text)) == f"RecordMetadata(event=Some({shown}), site=None, players=None/None)"


def test_repr_fields():
    m = k.RecordMetadata(site="将棋会館", black_player="羽生善治", comment="not shown", game_name="x")
    assert repr(m) == 'RecordMetadata(event=None, site=Some("将棋会館"), players=Some("羽生善治")/None)'
    m.white_player = ""
    m.black_player = None
    assert repr(m) == 'RecordMetadata(event=None, site=Some("将棋会館"), players=None/Some(""))'


def test_repr_escapes_every_category_python_names():
    # Python's own database as an independent check of the generated table: every
    # assigned code point of the escaped categories, and every mark (Mn and Me are
    # always Grapheme_Extend), is escaped in the Basic Multilingual Plane.
    escaped_categories = {"Cc", "Cf", "Co", "Zl", "Zp", "Zs", "Mn", "Me"}
    chars = [chr(c) for c in range(0x10000)
             if unicodedata.category(chr(c)) in escaped_categories and c != 0x20 and not 0xD800 <= c < 0xE000]
    assert len(chars) > 6000
    shown = repr(k.RecordMetadata(event="".join(chars)))
    body = shown[len('RecordMetadata(event=Some("'):-len('"), site=None, players=None/None)')]
    assert re.fullmatch(r'(\\u\{[0-9a-f]+\}|\\[tnr0"\\])*', body)
    assert body.count("\\") == len(chars)


def test_generated_table_is_current():
    ucd = pathlib.Path("/usr/share/unicode")
    header = (ROOT / "src/python/records/unicode_escapes.h").read_text(encoding="utf-8")
    version = re.search(r"Unicode Character Database\n// (\d+\.\d+\.\d+)", header).group(1)
    props = ucd / "DerivedCoreProperties.txt"
    if not props.exists() or version not in props.read_text(encoding="utf-8").splitlines()[0]:
        pytest.skip(f"the Unicode {version} character database is not in {ucd}")
    regenerated = subprocess.run([sys.executable, str(ROOT / "scripts/gen_unicode_escapes.py"), str(ucd), "--stdout"],
                                 check=True, capture_output=True, text=True).stdout
    assert regenerated == header
