"""MoveType, RepetitionState and GameResult."""

import pytest

from korvan import GameResult, MoveType, RepetitionState

MEMBERS = {
    "BLACK_WIN": 0, "WHITE_WIN": 1, "DRAW_BY_REPETITION": 2, "ERROR": 3, "BLACK_WIN_BY_DECLARATION": 4,
    "WHITE_WIN_BY_DECLARATION": 5, "DRAW_BY_MAX_PLIES": 6, "INVALID": 7, "BLACK_WIN_BY_FORFEIT": 8,
    "WHITE_WIN_BY_FORFEIT": 9, "DRAW_BY_IMPASSE": 10, "PAUSED": 11, "BLACK_WIN_BY_ILLEGAL_MOVE": 12,
    "WHITE_WIN_BY_ILLEGAL_MOVE": 13, "BLACK_WIN_BY_TIMEOUT": 16, "WHITE_WIN_BY_TIMEOUT": 17,
    "BLACK_WIN_BY_TRY_RULE": 20, "WHITE_WIN_BY_TRY_RULE": 21,
}


def test_move_type():
    assert MoveType() == MoveType.NORMAL
    assert [str(t) for t in (MoveType.NORMAL, MoveType.PROMOTION, MoveType.DROP)] == ["normal", "promotion", "drop"]
    assert repr(MoveType.PROMOTION) == "MoveType.PROMOTION"
    assert MoveType.DROP.is_drop() and not MoveType.DROP.is_normal() and MoveType.PROMOTION.is_promotion()


def test_repetition_state():
    states = [RepetitionState.NONE, RepetitionState.WIN, RepetitionState.LOSE, RepetitionState.DRAW,
              RepetitionState.SUPERIOR, RepetitionState.INFERIOR]
    assert [s.to_usi() for s in states] == ["rep_none", "rep_win", "rep_lose", "rep_draw", "rep_sup", "rep_inf"]
    assert str(RepetitionState.SUPERIOR) == "rep_sup" and repr(RepetitionState.WIN) == "RepetitionState(rep_win)"
    assert RepetitionState() == RepetitionState.NONE and len(set(states)) == 6


@pytest.mark.parametrize("name, value", MEMBERS.items())
def test_game_result_members(name, value):
    member = getattr(GameResult, name)
    assert member.value == value and member.name == name and str(member) == name
    assert repr(member) == "GameResult." + name
    assert GameResult(value) == member and GameResult.from_str(name.lower()) == member


@pytest.mark.parametrize("value", [14, 15, 18, 19, 22, 255])
def test_game_result_holes(value):
    with pytest.raises(ValueError, match="^invalid GameResult value$"):
        GameResult(value)


@pytest.mark.parametrize("name", ["", "draw", " DRAW_BY_IMPASSE", "DRAW_BY_IMPASSE ", "BLACK_WIN_BY_ILLEGAL_MOVES",
                                  "Black-Win"])
def test_game_result_bad_names(name):
    with pytest.raises(ValueError) as info:
        GameResult.from_str(name)
    assert str(info.value) == "invalid GameResult name: " + name


def test_game_result_member_order():
    names = list(GameResult.__members__)
    assert names == ["BLACK_WIN", "WHITE_WIN", "DRAW_BY_REPETITION", "ERROR", "BLACK_WIN_BY_DECLARATION",
                     "WHITE_WIN_BY_DECLARATION", "DRAW_BY_MAX_PLIES", "INVALID", "BLACK_WIN_BY_FORFEIT",
                     "WHITE_WIN_BY_FORFEIT", "DRAW_BY_IMPASSE", "BLACK_WIN_BY_TRY_RULE", "WHITE_WIN_BY_TRY_RULE",
                     "BLACK_WIN_BY_ILLEGAL_MOVE", "WHITE_WIN_BY_ILLEGAL_MOVE", "PAUSED", "BLACK_WIN_BY_TIMEOUT",
                     "WHITE_WIN_BY_TIMEOUT"]
    assert all(GameResult.__members__[n] is getattr(GameResult, n) for n in names)


@pytest.mark.parametrize("name, value", MEMBERS.items())
def test_game_result_predicates(name, value):
    r = GameResult(value)
    black = value in (0, 4, 8, 12, 16, 20)
    white = value in (1, 5, 9, 13, 17, 21)
    assert r.is_black_win() == black and r.is_white_win() == white and r.is_win() == (black or white)
    assert r.is_draw() == (value in (2, 6, 10))
    assert r.is_win_by_declaration() == (value in (4, 5))
    assert r.is_win_by_try_rule() == (value in (20, 21))


def test_game_result_int_comparisons():
    assert GameResult.DRAW_BY_REPETITION == 2
    assert GameResult.BLACK_WIN != 256 and not (GameResult.BLACK_WIN == 256)
