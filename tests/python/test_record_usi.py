import pytest

import korvan
from korvan import GameResult, Record, RecordEditor, SpecialMoveEntry

START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"


class TestFromUsiPosition:
    @pytest.mark.parametrize("text", ["position startpos moves 7g7f 3c3d", "startpos moves 7g7f 3c3d"])
    def test_startpos(self, text):
        r = Record.from_usi_position(text)
        assert [str(e.move) for e in r.moves] == ["7g7f", "3c3d"]
        assert r.to_usi_position() == "position startpos moves 7g7f 3c3d"

    def test_bare_sfen(self):
        r = Record.from_usi_position(START + " moves 7g7f")
        assert r.init_position_sfen == START
        assert r.to_usi_position() == "position sfen " + START + " moves 7g7f"

    @pytest.mark.parametrize(
        "text, allow, message",
        [
            ("position", False, "invalid USI position token sequence: position"),
            ("   ", False, "USI position command must not be empty"),
            ("startpos 7g7f", False, "invalid USI position token sequence: startpos 7g7f"),
            ("startpos moves 7g7f resign", False, "special token is not allowed in strict USI position mode at index 1: resign"),
            ("startpos moves resign 7g7f", True, "move appears after terminal special token at index 1: 7g7f"),
            ("startpos moves resign win", True, "move appears after terminal special token at index 1: win"),
            ("startpos moves 7g7f 7g7f", False, "record construction failed: illegal move at current editor position"),
            ("startpos moves 7g7x", False, "invalid move token at index 0: 7g7x"),
            ("startpos moves none", False, "invalid move token at index 0: none"),
        ],
    )
    def test_errors(self, text, allow, message):
        with pytest.raises(ValueError) as info:
            Record.from_usi_position(text, allow_special_tokens=allow)
        assert str(info.value) == message

    def test_special_tokens(self):
        r = Record.from_usi_position("startpos moves 7g7f resign", allow_special_tokens=True)
        assert r.move_count == 1 and r.main_terminal.kind == "RESIGN" and r.result == GameResult.BLACK_WIN
        upper = Record.from_usi_position("startpos moves RESIGN", allow_special_tokens=True)
        assert upper.main_terminal.raw == "RESIGN"
        # The writer lower-cases a raw special token.
        assert upper.to_usi_position(include_special_tokens=True) == "position startpos moves resign"
        draw = Record.from_usi_position("startpos moves 7g7f draw", allow_special_tokens=True)
        assert draw.main_terminal.kind == "REPETITION_DRAW"

    def test_flag_types(self):
        np = pytest.importorskip("numpy")
        assert Record.from_usi_position("startpos moves resign", allow_special_tokens=np.bool_(True)).move_count == 0
        with pytest.raises(TypeError, match="^argument 'allow_special_tokens': 'int' object cannot be cast as 'bool'$"):
            Record.from_usi_position("startpos", allow_special_tokens=1)
        with pytest.raises(TypeError, match="^argument 'position': 'int' object cannot be cast as 'str'$"):
            Record.from_usi_position(1)


class TestToUsiPosition:
    @pytest.mark.parametrize(
        "kind, name, token",
        [("DRAW", None, " draw"), ("WIN_BY_DEFAULT", None, ""), ("TRY", None, " win"), ("UNKNOWN", "Foo", " foo"),
         ("UNKNOWN", "", ""), ("UNKNOWN", "a b", "")],
    )
    def test_terminal_tokens(self, kind, name, token):
        r = Record(START, terminal=SpecialMoveEntry(kind, 0, unknown_name=name))
        expected = "position sfen " + START + (" moves" + token if token else "")
        assert r.to_usi_position(include_special_tokens=True) == expected

    def test_errors(self):
        with pytest.raises(ValueError, match="^invalid USI position SFEN: "):
            Record("x").to_usi_position()
        e = RecordEditor("startpos")
        r = Record.from_usi_position("startpos moves 7g7f").into_editor().record()
        r.extend_main_line([korvan.MoveEntry("7g7f")])
        with pytest.raises(ValueError, match="^record construction failed: illegal move at current editor position$"):
            r.to_usi_position()
        assert e.current_node == 0


class TestFromUsiMainLine:
    def test_lists(self):
        r = Record.from_usi_main_line("startpos", ["7g7f", "3c3d", "2g2f"], evals=[10, None], move_times_ms=[1500],
                                      wall_times_ms=[None, 7], nodes=[None, None, 2**64 - 1])
        first, second, third = r.moves
        assert first.engine_info.eval == 10 and first.time_ms == 1500
        assert second.engine_info.wall_time_ms == 7 and second.engine_info.eval is None
        assert third.engine_info.nodes == 2**64 - 1 and third.time_ms is None
        assert r.init_position_sfen == START
        assert r.to_usi_position() == "position sfen " + START + " moves 7g7f 3c3d 2g2f"

    def test_no_engine_information_when_nothing_given(self):
        r = Record.from_usi_main_line("startpos", ["7g7f", "3c3d"], evals=[10], depths=[])
        assert r.moves[1].engine_info is None

    @pytest.mark.parametrize("value, stored", [(40000, 32767), (-40000, -32768), (100000, 32767)])
    def test_eval_clamp(self, value, stored):
        assert Record.from_usi_main_line("startpos", ["7g7f"], evals=[value]).moves[0].engine_info.eval == stored

    @pytest.mark.parametrize("result", [GameResult.BLACK_WIN, 0, "BLACK_WIN", "black_win"])
    def test_result(self, result):
        r = Record.from_usi_main_line("startpos", [], result=result)
        assert r.result == GameResult.BLACK_WIN and r.main_terminal.kind == "RESIGN" and r.children(0) == [1]

    @pytest.mark.parametrize(
        "moves, message",
        [
            (["7g7f", "3c3d", "resign"], "invalid move value at index 2: resign"),
            (["7g7f", "7g7f"], "invalid move value at index 1: 7g7f"),
            (["5e5d"], "invalid move value at index 0: 5e5d"),
            (["xx"], "invalid USI move at index 0: xx"),
            (["7g7f", "3c3d", "8h2b", "4a3b", "2b3a+", "5a4b"], "illegal move at index 5: 5a4b"),
        ],
    )
    def test_move_errors(self, moves, message):
        with pytest.raises(ValueError) as info:
            Record.from_usi_main_line("startpos", moves, result="no such result")
        assert str(info.value) == message

    def test_init_position_forms(self):
        for text in ["startpos", "position startpos", "sfen " + START, START, "startpos moves"]:
            assert Record.from_usi_main_line(text, []).init_position_sfen == START
        with pytest.raises(ValueError, match="^init_position_sfen must not include moves; pass moves via usi_moves$"):
            Record.from_usi_main_line("startpos moves 7g7f", [])

    @pytest.mark.parametrize(
        "kwargs, error, message",
        [
            ({"usi_moves": "7g7f"}, TypeError, "argument 'usi_moves': Can't extract `str` to `Vec`"),
            ({"usi_moves": [1]}, TypeError, "argument 'usi_moves': 'int' object cannot be cast as 'str'"),
            ({"evals": ["x"]}, TypeError, "argument 'evals': 'str' object cannot be interpreted as an integer"),
            ({"evals": [2**40]}, OverflowError, "out of range integral type conversion attempted"),
            ({"move_times_ms": [-1]}, OverflowError, "out of range integral type conversion attempted"),
            ({"depths": [65536]}, OverflowError, "out of range integral type conversion attempted"),
            ({"metadata": {}}, TypeError, "argument 'metadata': 'dict' object cannot be cast as 'RecordMetadata'"),
        ],
    )
    def test_argument_errors(self, kwargs, error, message):
        args = {"init_position_sfen": "startpos", "usi_moves": ["7g7f"], **kwargs}
        with pytest.raises(error) as info:
            Record.from_usi_main_line(**args)
        assert str(info.value) == message

    def test_lists_are_converted_before_moves(self):
        with pytest.raises(OverflowError):
            Record.from_usi_main_line("startpos", ["xx"], evals=[None, 2**40])
        with pytest.raises(OverflowError):
            Record.from_usi_main_line("startpos", [], nodes=[-1])


class TestUsiPositionFunctions:
    @pytest.mark.parametrize("text", ["", "   ", "startpos", "position startpos", "sfen " + START])
    def test_normalize_to_startpos(self, text):
        assert korvan.normalize_usi_position(text) == "startpos"

    def test_normalize_forms(self):
        assert korvan.normalize_usi_position("position startpos moves") == START
        after = "lnsgkgsnl/1r5b1/pppppp1pp/6p2/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL b - 3"
        assert korvan.normalize_usi_position("startpos moves 7g7f 3c3d") == after
        assert korvan.normalize_usi_position("sfen " + START[:-1] + "5") == START[:-1] + "5"

    def test_parts(self):
        p = korvan.parse_usi_position_parts("startpos")
        assert len(p.initial_sfen) == 63 and p.moves == [] and p.move_usi == [] and p.final_sfen == p.initial_sfen
        q = korvan.parse_usi_position_parts("sfen 4k4/9/9/9/9/9/9/9/4K4 b P 1 moves P*5e")
        assert q.initial_sfen == "4k4/9/9/9/9/9/9/9/4K4 b P 1"
        assert q.move_usi == ["P*5e"] and [str(m) for m in q.moves] == ["P*5e"]
        assert list(q.to_dict()) == ["initial_sfen", "moves", "move_usi", "final_sfen"]
        assert repr(q).startswith('UsiPositionParts(initial_sfen="4k4/9/9/9/9/9/9/9/4K4 b P 1", moves=1, final_sfen="')
        with pytest.raises(TypeError):
            korvan.UsiPositionParts()

    def test_parse_board_and_errors(self):
        board = korvan.parse_usi_position("startpos moves 7g7f")
        assert board.to_sfen() == korvan.parse_usi_position_parts("startpos moves 7g7f").final_sfen
        for f in [korvan.parse_usi_position, korvan.parse_usi_position_parts, korvan.normalize_usi_position]:
            with pytest.raises(ValueError):
                f("startpos moves 7g7f 7g7f")
            with pytest.raises(TypeError, match="^argument 'position': "):
                f(3)
