"""Policy move labels through the module."""

import pytest

from korvan import (
    COMPACT_MOVE_LABEL_COUNT,
    COMPACT_TO_MOVE_LABEL,
    MOVE_LABEL_COUNT,
    MOVE_LABEL_TO_COMPACT,
    Color,
    Move,
    compact_move_label,
    compact_move_label_to_move_label,
    is_structurally_valid_move_label,
    move_label,
    move_label_to_compact,
)
from korvan import _korvan


def test_constants():
    assert (MOVE_LABEL_COUNT, COMPACT_MOVE_LABEL_COUNT) == (2187, 1496)
    assert len(MOVE_LABEL_TO_COMPACT) == 2187 and len(COMPACT_TO_MOVE_LABEL) == 1496
    assert sum(c is not None for c in MOVE_LABEL_TO_COMPACT) == 1496
    assert all(MOVE_LABEL_TO_COMPACT[label] == c for c, label in enumerate(COMPACT_TO_MOVE_LABEL))
    assert COMPACT_TO_MOVE_LABEL == sorted(set(COMPACT_TO_MOVE_LABEL))


@pytest.mark.parametrize("label, compact", [(0, 0), (7, 7), (8, None), (9, 8), (17, None), (26, None), (35, None),
                                            (44, None), (53, None), (62, None), (71, None), (80, None),
                                            (81, None), (1620, None), (1621, 965), (2186, 1495)])
def test_telling_rows(label, compact):
    assert MOVE_LABEL_TO_COMPACT[label] == compact == move_label_to_compact(label)
    assert is_structurally_valid_move_label(label) == (compact is not None)
    if compact is not None:
        assert compact_move_label_to_move_label(compact) == label


def test_functions_agree_with_the_lists_everywhere():
    for label in range(MOVE_LABEL_COUNT):
        assert move_label_to_compact(label) == MOVE_LABEL_TO_COMPACT[label]
    for compact in range(COMPACT_MOVE_LABEL_COUNT):
        assert compact_move_label_to_move_label(compact) == COMPACT_TO_MOVE_LABEL[compact]


def test_lists_are_fresh_copies():
    MOVE_LABEL_TO_COMPACT[0] = "changed"
    try:
        assert move_label_to_compact(0) == 0
        assert _korvan.MOVE_LABEL_TO_COMPACT is MOVE_LABEL_TO_COMPACT
    finally:
        MOVE_LABEL_TO_COMPACT[0] = 0


@pytest.mark.parametrize("usi, turn, label", [
    ("7g7f", Color.BLACK, 59), ("7g7f", Color.WHITE, 426), ("P*5e", Color.BLACK, 1660), ("P*5e", Color.WHITE, 1660),
    ("8h2b+", Color.BLACK, 12 * 81 + 10), ("5e5e", Color.BLACK, 7 * 81 + 40), ("5e5e+", Color.BLACK, 17 * 81 + 40),
])
def test_move_label(usi, turn, label):
    assert move_label(usi, turn) == label
    assert compact_move_label(usi, turn) == MOVE_LABEL_TO_COMPACT[label]


def test_drop_with_promotion_bit_gets_the_plain_drop_label():
    drop = Move.from_usi("P*5e").value
    assert move_label(drop | 0x8000, Color.BLACK) == move_label(drop, Color.BLACK)


def test_unpromoted_knight_onto_the_last_ranks():
    label = move_label("2c1a", Color.BLACK)
    assert label // 81 == 9 and compact_move_label("2c1a", Color.BLACK) is None
    assert not is_structurally_valid_move_label(label)


@pytest.mark.parametrize("call, kind, message", [
    (lambda: move_label_to_compact(2187), ValueError, "move label must be in 0..2187"),
    (lambda: is_structurally_valid_move_label(2187), ValueError, "move label must be in 0..2187"),
    (lambda: compact_move_label_to_move_label(1496), ValueError, "compact move label must be in 0..1496"),
    (lambda: move_label_to_compact(-1), OverflowError, "out of range integral type conversion attempted"),
    (lambda: move_label_to_compact(65536), OverflowError, "out of range integral type conversion attempted"),
    (lambda: move_label_to_compact("1"), TypeError, "argument 'label': 'str' object cannot be interpreted as an integer"),
    (lambda: move_label("7g7f", 0), TypeError, "argument 'turn': 'int' object cannot be cast as 'Color'"),
    (lambda: move_label("7g7x", 0), TypeError, "argument 'turn': 'int' object cannot be cast as 'Color'"),
])
def test_label_argument_failures(call, kind, message):
    with pytest.raises(kind) as info:
        call()
    assert str(info.value) == message


def test_signatures():
    assert move_label.__text_signature__ == "(move, turn)"
    assert is_structurally_valid_move_label.__text_signature__ == "(label)"
    assert move_label.__module__ == "korvan._korvan"
