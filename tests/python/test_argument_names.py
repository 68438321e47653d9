"""Arguments converted by hand name themselves in their TypeError; other failures pass unchanged."""

import pytest

import korvan as k

START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"
NOT_STR = "'{}' object cannot be cast as 'str'"
NOT_INT = "'{}' object cannot be interpreted as an integer"


def record():
    return k.Record(START)


@pytest.mark.parametrize(
    ("call", "name", "text"),
    [
        pytest.param(lambda: k.RecordEditor(5), "init_position", NOT_STR.format("int"), id="editor-init"),
        pytest.param(lambda: k.Board().apply_csa(5), "csa", NOT_STR.format("int"), id="apply-csa"),
        pytest.param(lambda: k.Board().move_from_csa(None), "csa", NOT_STR.format("NoneType"), id="move-from-csa"),
        pytest.param(lambda: record().node_parent("0"), "node_id", NOT_INT.format("str"), id="record-node"),
        pytest.param(
            lambda: k.RecordEditor("startpos").go_to("0"), "node_id", NOT_INT.format("str"), id="editor-go-to"
        ),
        pytest.param(
            lambda: k.RecordEditor("startpos").go_forward("x"), "child_index", NOT_INT.format("str"), id="go-forward"
        ),
        pytest.param(
            lambda: k.RecordEditor("startpos").branch_to(1.5), "child_index", NOT_INT.format("float"), id="branch-to"
        ),
        pytest.param(
            lambda: k.BookBuilder().extend_from_game_record(record(), "x"),
            "default_score",
            NOT_INT.format("str"),
            id="walk-score",
        ),
        pytest.param(
            lambda: k.BookBuilder().extend_from_game_record(record(), 0, "x"),
            "default_depth",
            NOT_INT.format("str"),
            id="walk-depth",
        ),
        pytest.param(
            lambda: k.SazMove(k.Move(0), has_score_q=2),
            "has_score_q",
            "'int' object cannot be cast as 'PyBool'",
            id="saz-flag",
        ),
    ],
)
def test_type_error_names_the_argument(call, name, text):
    with pytest.raises(TypeError) as raised:
        call()
    assert str(raised.value) == f"argument '{name}': {text}"


@pytest.mark.parametrize(
    ("call", "text"),
    [
        pytest.param(
            lambda: k.book_builder_from_game_record(record(), 0, -1),
            "out of range integral type conversion attempted",
            id="walk-depth",
        ),
        pytest.param(lambda: k.TimeControl(-1, 0, 0), "out of range integral type conversion attempted", id="seconds"),
        pytest.param(
            lambda: k.RecordEditor("startpos").go_forward(-1),
            "can't convert negative int to unsigned",
            id="child-index",
        ),
    ],
)
def test_overflow_passes_unchanged(call, text):
    with pytest.raises(OverflowError) as raised:
        call()
    assert str(raised.value) == text
