import pytest

from korvan import Record, RecordMetadata, TimeControl

from test_record_dict import START, TC_KEYS, TEXT_KEYS, data, metadata_snapshot, raises

REMOVED = ["time_control_black", "time_control_white", "black_player_name", "white_player_name", "time_specs"]
REMOVED_TAIL = "was removed; use black_time_control/white_time_control/time_control"


def read(metadata, strict=False):
    return Record.from_dict(data(metadata=metadata), strict=strict).metadata


def full_metadata():
    md = RecordMetadata(max_moves=256, time_control=TimeControl(600, 30, 0), attributes={"a": "1", "b": "2"})
    for key in TEXT_KEYS:
        setattr(md, key, f"<{key}>")
    return md


def full_record():
    return Record(START, metadata=full_metadata())


# --- Reading the metadata dict ------------------------------------------------------------------

class TestRead:
    @pytest.mark.parametrize("strict", [False, True])
    def test_every_key(self, strict):
        md = {k: f"<{k}>" for k in TEXT_KEYS}
        md |= {"max_moves": 0, "time_control": "600+30+0", "black_time_control": {"byoyomi_seconds": 10},
               "white_time_control": TimeControl(1, 2, 3), "attributes": {"z": "", "a": "x"}}
        got = metadata_snapshot(read(md, strict))
        assert got == {k: f"<{k}>" for k in TEXT_KEYS} | {
            "max_moves": 0, "time_control": (600, 30, 0), "black_time_control": (0, 10, 0),
            "white_time_control": (1, 2, 3), "attributes": {"a": "x", "z": ""}}

    @pytest.mark.parametrize("value", [None, {}, {k: None for k in TEXT_KEYS + TC_KEYS + ["max_moves"]}])
    def test_empty(self, value):
        assert metadata_snapshot(read(value, True)) == metadata_snapshot(RecordMetadata())

    def test_absent(self):
        assert metadata_snapshot(Record.from_dict(data()).metadata) == metadata_snapshot(RecordMetadata())

    @pytest.mark.parametrize("strict", [False, True])
    def test_record_metadata_copied(self, strict):
        md = full_metadata()
        assert metadata_snapshot(read(md, strict)) == metadata_snapshot(md)

    def test_texts_verbatim_and_bool_as_int(self):
        got = read({"event": "", "site": "  x \n", "max_moves": True})
        assert (got.event, got.site, got.max_moves) == ("", "  x \n", 1)

    @pytest.mark.parametrize("spec", ["600+30+0", {"base_seconds": 600, "byoyomi_seconds": 30},
                                      TimeControl(600, 30, 0), {"base_seconds": 600, "byoyomi_seconds": 30,
                                                                "increment_seconds": 0, "x": None}])
    def test_time_control_forms_read_alike(self, spec):
        tc = read({"time_control": spec}, strict=True).time_control
        assert (tc.base_seconds, tc.byoyomi_seconds, tc.increment_seconds) == (600, 30, 0)

    def test_permissive_unlisted_keys(self):
        got = read({"venue": "hall", "Event": "cap", "attributes": {"venue": "old", "gone": "x", "kept": "k"},
                    "gone": None, "absent": None})
        # Unlisted keys act after the "attributes" member, wherever they stand.
        assert got.attributes == {"Event": "cap", "kept": "k", "venue": "hall"}
        assert got.event is None

    @pytest.mark.parametrize("key", REMOVED)
    def test_removed_keys(self, key):
        raises(ValueError, f"metadata dict: key '{key}' {REMOVED_TAIL}", read, {key: "x"})
        raises(ValueError, f"metadata dict: unknown key '{key}' in strict mode", read, {key: "x"}, True)

    @pytest.mark.parametrize("metadata, exc, message", [
        ({"venue": "x"}, ValueError, "metadata dict: unknown key 'venue' in strict mode"),
        ({"Event": "x"}, ValueError, "metadata dict: unknown key 'Event' in strict mode"),
        # The key scan comes first: a bad value before the bad key does not win.
        ({"event": 1, "venue": "x"}, ValueError, "metadata dict: unknown key 'venue' in strict mode"),
        ({"event": "x", 5: "x"}, TypeError, "metadata dict keys must be str"),
    ])
    def test_strict_keys(self, metadata, exc, message):
        raises(exc, message, read, metadata, True)

    MESSAGES = [
        *[({k: 1}, TypeError, f"metadata dict: '{k}' must be str or None") for k in TEXT_KEYS],
        ({"comment": "\ud800"}, TypeError, "metadata dict: 'comment' must be str or None"),
        *[({"max_moves": v}, TypeError, "metadata dict: 'max_moves' must be int or None")
          for v in [-1, 2**32, 1.5, "1"]],
        *[({"attributes": v}, TypeError, "metadata dict: 'attributes' must be dict[str, str]")
          for v in [None, [], {"a": 1}, {1: "a"}, {"a": "\udc00"}]],
        ({"time_control": 600}, TypeError, "time control must be TimeControl, str, dict, or None"),
        ({"black_time_control": "600+30"}, ValueError, "invalid time control spec"),
        ({"white_time_control": "600+-1+0"}, ValueError, "invalid time control spec"),
        ({"time_control": {"base_seconds": None}}, TypeError, "'base_seconds' must be int"),
        ({"time_control": {"byoyomi_seconds": -1}}, TypeError, "'byoyomi_seconds' must be int"),
        ({"time_control": {"increment_seconds": 2**32}}, TypeError, "'increment_seconds' must be int"),
        # The sixteen are read in their own order, not the dict's.
        ({"attributes": None, "comment": 1, "site": 2}, TypeError, "metadata dict: 'site' must be str or None"),
        ({"white_time_control": 1, "max_moves": -1}, TypeError, "metadata dict: 'max_moves' must be int or None"),
    ]

    @pytest.mark.parametrize("strict", [False, True])
    @pytest.mark.parametrize("metadata, exc, message", MESSAGES)
    def test_value_messages(self, metadata, exc, message, strict):
        raises(exc, message, read, metadata, strict)

    @pytest.mark.parametrize("metadata, exc, message", [
        ({"venue": 1}, TypeError, "metadata dict: unknown key 'venue' must be str or None in permissive mode"),
        ({"venue": "\ud800"}, TypeError, "metadata dict: unknown key 'venue' must be str or None in permissive mode"),
        ({3: "x"}, TypeError, "metadata dict keys must be str"),
        # Known keys are read before the unlisted ones are looked at.
        ({"time_specs": "x", "event": 1}, TypeError, "metadata dict: 'event' must be str or None"),
        ({"venue": 1, "time_specs": "x"}, TypeError,
         "metadata dict: unknown key 'venue' must be str or None in permissive mode"),
    ])
    def test_permissive_messages(self, metadata, exc, message):
        raises(exc, message, read, metadata)


# --- update_metadata ----------------------------------------------------------------------------

class TestUpdate:
    def test_empty_patch(self):
        r = full_record()
        r.update_metadata({})
        assert metadata_snapshot(r.metadata) == metadata_snapshot(full_metadata())

    @pytest.mark.parametrize("strict", [False, True])
    def test_none_clears(self, strict):
        r = full_record()
        r.update_metadata({"event": None, "max_moves": None, "time_control": None, "impasse_rule": None},
                          strict=strict)
        want = metadata_snapshot(full_metadata()) | {"event": None, "max_moves": None, "time_control": None,
                                                     "impasse_rule": None}
        assert metadata_snapshot(r.metadata) == want

    def test_sets_every_key(self):
        r = Record(START)
        patch = {k: k.upper() for k in TEXT_KEYS} | {"max_moves": 2**32 - 1, "black_time_control": "1+2+3",
                                                     "attributes": {"x": "y"}}
        r.update_metadata(patch, strict=True)
        want = {k: k.upper() for k in TEXT_KEYS} | {"max_moves": 2**32 - 1, "time_control": None,
                                                    "black_time_control": (1, 2, 3), "white_time_control": None,
                                                    "attributes": {"x": "y"}}
        assert metadata_snapshot(r.metadata) == want

    @pytest.mark.parametrize("value, expected", [(None, {}), ({}, {}), ({"only": "one"}, {"only": "one"})])
    def test_attributes_replaced(self, value, expected):
        r = full_record()
        r.update_metadata({"attributes": value})
        assert r.metadata.attributes == expected

    @pytest.mark.parametrize("patch, expected", [
        ({"k": "top", "attributes": {"k": "member"}}, {"k": "member"}),
        ({"attributes": {"k": "member"}, "k": "top"}, {"k": "top"}),
        ({"k": "top", "attributes": None}, {}),
        ({"a": None, "venue": "hall"}, {"b": "2", "venue": "hall"}),
        ({"missing": None}, {"a": "1", "b": "2"}),
    ])
    def test_unlisted_keys_in_dict_order(self, patch, expected):
        r = full_record()
        r.update_metadata(patch)
        assert r.metadata.attributes == expected

    @pytest.mark.parametrize("strict", [False, True])
    def test_record_metadata_replaces_all(self, strict):
        r = full_record()
        r.update_metadata(RecordMetadata(site="s"), strict=strict)
        assert metadata_snapshot(r.metadata) == metadata_snapshot(RecordMetadata(site="s"))

    def test_dict_subclass(self):
        class D(dict):
            pass

        r = full_record()
        r.update_metadata(D(event="sub"))
        assert r.metadata.event == "sub"

    FAILURES = [
        # (patch, strict, exception, message)
        (None, False, TypeError, "update_metadata expects RecordMetadata or dict"),
        ([("event", "x")], False, TypeError, "update_metadata expects RecordMetadata or dict"),
        ({"event": "x", 1: "y"}, False, TypeError, "update_metadata: patch keys must be str"),
        ({"event": "x", "\ud800": "y"}, False, TypeError, "update_metadata: patch keys must be str"),
        *[({"event": "x", k: 1}, False, TypeError, f"update_metadata: '{k}' must be str or None") for k in TEXT_KEYS],
        *[({"site": "x", "max_moves": v}, s, TypeError, "update_metadata: 'max_moves' must be int or None")
          for v in [-1, 2**32, 1.5] for s in [False, True]],
        *[({"attributes": v}, False, TypeError, "update_metadata: 'attributes' must be dict[str, str] or None")
          for v in [[], {"a": 1}, {2: "a"}]],
        ({"event": "x", "time_control": 5}, False, TypeError, "time control must be TimeControl, str, dict, or None"),
        ({"time_control": "1+2"}, False, ValueError, "invalid time control spec"),
        ({"time_control": {"base_seconds": "1"}}, False, TypeError, "'base_seconds' must be int"),
        *[({"event": "x", k: "v"}, s, ValueError, f"update_metadata: key '{k}' {REMOVED_TAIL}")
          for k in REMOVED for s in [False, True]],
        ({"event": "x", "venue": "v"}, True, ValueError, "update_metadata: unknown key 'venue'"),
        ({"event": "x", "venue": None}, True, ValueError, "update_metadata: unknown key 'venue'"),
        ({"event": "x", "venue": 1}, False, TypeError,
         "update_metadata: unknown key 'venue' must be str or None in permissive mode"),
        # Entries are taken in the dict's order: the first bad one wins.
        ({"site": 1, "event": 2}, False, TypeError, "update_metadata: 'site' must be str or None"),
        ({"venue": 1, "time_specs": "x"}, False, TypeError,
         "update_metadata: unknown key 'venue' must be str or None in permissive mode"),
        ({"time_specs": "x", "venue": 1}, False, ValueError, f"update_metadata: key 'time_specs' {REMOVED_TAIL}"),
    ]

    @pytest.mark.parametrize("patch, strict, exc, message", FAILURES)
    def test_failure_leaves_metadata(self, patch, strict, exc, message):
        r = full_record()
        raises(exc, message, r.update_metadata, patch, strict=strict)
        assert metadata_snapshot(r.metadata) == metadata_snapshot(full_metadata())

    def test_record_held_exclusively(self):
        r = full_record()
        seen = []

        class Probe:
            def __index__(self):
                try:
                    r.metadata
                except RuntimeError as e:
                    seen.append(str(e))
                return 5

        r.update_metadata({"time_control": {"base_seconds": Probe()}})
        assert seen == ["Already mutably borrowed"] and r.metadata.time_control.base_seconds == 5

    def test_patch_changed_during_conversion(self):
        r = full_record()
        patch = {}

        class Grow:
            def __index__(self):
                patch["late"] = "x"
                return 1

        patch["max_moves"] = Grow()
        patch["event"] = "e"
        r.update_metadata(patch)
        # The entries are those the patch held when the call began.
        assert (r.metadata.max_moves, r.metadata.event, "late" in r.metadata.attributes) == (1, "e", False)

    def test_arguments(self):
        r = full_record()
        raises(TypeError, "argument 'strict': 'str' object cannot be cast as 'bool'", r.update_metadata, {},
               strict="yes")
        raises(TypeError, "Record.update_metadata() takes 1 positional argument but 2 were given",
               r.update_metadata, {}, True)
        assert Record.update_metadata.__text_signature__ == "($self, patch, *, strict=False)"


class TestAttributeMethods:
    def test_set_remove_clear(self):
        r = full_record()
        assert r.remove_metadata_attribute("missing") is None
        assert r.set_metadata_attribute("k", "v") is None
        assert r.metadata.attributes == {"a": "1", "b": "2", "k": "v"}
        assert r.remove_metadata_attribute("k") == "v"
        r.set_metadata_attribute("a", "replaced")
        assert r.metadata.attributes == {"a": "replaced", "b": "2"}
        assert r.clear_metadata_attributes() is None
        assert r.metadata.attributes == {}
        # The standard fields are not touched.
        assert r.metadata.event == "<event>" and r.metadata.max_moves == 256

    @pytest.mark.parametrize("call, message", [
        (lambda r: r.set_metadata_attribute(1, "v"), "argument 'key': 'int' object cannot be cast as 'str'"),
        (lambda r: r.set_metadata_attribute("k", None), "argument 'value': 'NoneType' object cannot be cast as 'str'"),
        (lambda r: r.remove_metadata_attribute(b"a"), "argument 'key': 'bytes' object cannot be cast as 'str'"),
    ])
    def test_argument_errors(self, call, message):
        r = full_record()
        raises(TypeError, message, call, r)
        assert r.metadata.attributes == {"a": "1", "b": "2"}
