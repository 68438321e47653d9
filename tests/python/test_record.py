import random

import pytest

import korvan
from korvan import MoveEntry, Record, RecordEditor, RecordMetadata, RecordNodeId, SpecialMoveEntry

START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"


def entries(*usi):
    return [MoveEntry(m) for m in usi]


def three_and_resign():
    return Record(START, entries("7g7f", "3c3d", "8h2b+"), terminal=SpecialMoveEntry("resign", "WHITE_WIN"))


class TestConstruction:
    def test_unparsed_sfen_and_repr(self):
        r = Record("x")
        assert repr(r) == "Record(init_position_sfen='x', moves=0, result=INVALID)"
        assert Record(" ").init_position_sfen == " "

    def test_empty_sfen(self):
        with pytest.raises(ValueError, match="^initial position SFEN cannot be empty$"):
            Record("")

    @pytest.mark.parametrize(
        "call, message",
        [
            (lambda: Record(1), "argument 'init_position_sfen': 'int' object cannot be cast as 'str'"),
            (lambda: Record(START, ""), "argument 'moves': Can't extract `str` to `Vec`"),
            (lambda: Record(START, 3), "argument 'moves': 'int' object cannot be cast as 'Sequence'"),
            (lambda: Record(START, [1]), "argument 'moves': 'int' object cannot be cast as 'MoveEntry'"),
            (lambda: Record(START, [], {}), "argument 'metadata': 'dict' object cannot be cast as 'RecordMetadata'"),
            (lambda: Record(START, [], None, 1), "argument 'terminal': 'int' object cannot be cast as 'SpecialMoveEntry'"),
            (lambda: Record(START, initial_comment=1), "argument 'initial_comment': 'int' object cannot be cast as 'str'"),
            (lambda: Record.from_main_line(START, None), "argument 'moves': 'NoneType' object cannot be cast as 'Sequence'"),
        ],
    )
    def test_argument_errors(self, call, message):
        with pytest.raises(TypeError) as info:
            call()
        assert str(info.value) == message

    def test_first_failing_argument_wins(self):
        with pytest.raises(TypeError, match="init_position_sfen"):
            Record(1, "bad", {}, 2)

    def test_illegal_moves_are_stored(self):
        r = Record(START, entries("7g7f", "7g7f", "5a5b"))
        assert r.main_line_ids() == [1, 2, 3]

    def test_terminal_without_moves_and_tuple_moves(self):
        r = Record(START, (), terminal=SpecialMoveEntry("resign", 0))
        assert repr(r).endswith("moves=0, result=BLACK_WIN)")
        assert r.children(0) == [1]

    def test_positional_order_differs(self):
        md = RecordMetadata(event="e")
        t = SpecialMoveEntry("resign", 1)
        a = Record(START, [], md, t)
        b = Record.from_main_line(START, [], t, md)
        assert a.metadata.event == b.metadata.event == "e"
        assert a.result == b.result == korvan.GameResult.WHITE_WIN

    def test_subclass(self):
        class R(Record):
            pass

        assert type(R(START)) is R
        assert type(R.from_main_line(START, [])) is Record


class TestTree:
    def test_new_record(self):
        r = Record(START)
        assert r.root_node_id() == 0 and r.main_line_ids() == [] and r.children(0) == []
        assert r.node_parent(0) is r.node_move(0) is r.node_entry(0) is r.node_terminal(0) is None
        with pytest.raises(IndexError, match="^node_id out of range$"):
            r.node_move(1)

    def test_queries(self):
        r = three_and_resign()
        assert r.main_line_ids() == [1, 2, 3]
        assert r.children(3) == [4]
        assert r.node_terminal(4).kind == "RESIGN"
        assert r.node_move(4) is None and r.node_parent(1) == 0
        assert repr(r.node_entry(1)) == "RecordEntry(kind=move, move=7g7f)"
        assert repr(r.node_entry(4)) == "RecordEntry(kind=special, special=RESIGN)"
        assert r.node_entry(4).move is None and r.node_entry(1).special is None
        assert r.node_entry(1).kind == "move" and r.node_entry(4).kind == "special"

    @pytest.mark.parametrize("node_id", [RecordNodeId(2), 2, True])
    def test_node_id_forms(self, node_id):
        r = three_and_resign()
        expected = 2 if node_id is not True else 1
        assert r.node_move(node_id).move == r.node_move(expected).move

    @pytest.mark.parametrize("node_id, error", [(-1, OverflowError), (2**32 - 1, IndexError), (2**64, OverflowError), ("1", TypeError)])
    def test_bad_node_ids(self, node_id, error):
        with pytest.raises(error):
            three_and_resign().node_move(node_id)

    def test_numpy_node_id(self):
        np = pytest.importorskip("numpy")
        assert three_and_resign().node_parent(np.int64(2)) == 1

    def test_extend_and_terminal(self):
        r = Record(START, entries("7g7f"))
        assert r.extend_main_line(entries("3c3d", "8h2b+")) == [2, 3]
        assert r.extend_main_line([]) == []
        first = r.set_main_terminal(SpecialMoveEntry("resign", 1))
        assert r.set_main_terminal(SpecialMoveEntry("timeout", 16)) == first == 4
        assert r.main_terminal.kind == "TIMEOUT"
        with pytest.raises(ValueError, match="^cannot append a child under terminal node 4$"):
            r.extend_main_line(entries("2b3a"))
        assert r.main_line_ids() == [1, 2, 3]
        with pytest.raises(TypeError, match="argument 'terminal': 'NoneType' object cannot be cast as 'SpecialMoveEntry'"):
            r.set_main_terminal(None)

    def test_terminal_on_new_record(self):
        r = Record(START)
        assert r.set_main_terminal(SpecialMoveEntry("resign", 0)) == 1
        assert r.children(0) == [1]

    def test_returned_entries_are_copies(self):
        r = three_and_resign()
        entry = r.node_move(1)
        entry.comment = "changed"
        assert r.node_move(1).comment is None
        r.node_entry(1).move.comment = "x"
        assert r.node_move(1).comment is None


class TestProperties:
    def test_root_only(self):
        r = Record(START)
        assert r.moves == [] and r.move_count == 0 and r.result == korvan.GameResult.INVALID
        assert r.main_terminal is None and r.end_comment is None and r.end_time_ms is None
        info = r.result_info
        assert (int(info.result), info.ply_count, info.reason, info.end_time_ms, info.end_comment) == (7, 0, None, None, None)

    def test_values(self):
        r = Record(START, entries("7g7f", "3c3d"), terminal=SpecialMoveEntry("resign", 1, comment="gg", time_ms=3000, raw="%TORYO"))
        assert [str(e.move) for e in r.moves] == ["7g7f", "3c3d"]
        assert r.end_comment == "gg" and r.end_time_ms == 3000
        info = r.result_info
        assert repr(info) == "GameResultInfo(result=WHITE_WIN, ply_count=2, end_time_ms=Some(3000))"
        assert info.reason == "%TORYO"

    def test_time_limits(self):
        r = Record(START, terminal=SpecialMoveEntry("resign", 1, time_ms=4294967295))
        assert r.end_time_ms == 4294967295

    def test_metadata_copy_semantics(self):
        r = Record(START)
        md = r.metadata
        md.game_name = "name"
        assert r.game_name is None
        r.metadata = md
        assert r.game_name == "name"
        with pytest.raises(TypeError, match="argument 'metadata'"):
            r.metadata = None

    def test_main_terminal_setter(self):
        r = Record(START, entries("7g7f"))
        r.main_terminal = SpecialMoveEntry("resign", 0)
        nodes = r.children(1)
        r.main_terminal = SpecialMoveEntry("draw", 2)
        assert r.children(1) == nodes and r.move_count == 1 and r.result == korvan.GameResult.DRAW_BY_REPETITION
        with pytest.raises(ValueError, match=r"^main_terminal cannot be cleared \(set a SpecialMoveEntry\)$"):
            r.main_terminal = None
        with pytest.raises(TypeError, match="argument 'terminal'"):
            r.main_terminal = 3

    def test_initial_comment(self):
        r = Record(START, initial_comment="hello")
        assert r.initial_comment == "hello"
        with pytest.raises(AttributeError, match="can't delete attribute"):
            del r.initial_comment
        assert r.initial_comment == "hello"
        r.initial_comment = None
        assert r.initial_comment is None

    def test_variation_terminal_is_not_the_main_terminal(self):
        e = RecordEditor("startpos")
        e.append_move(MoveEntry("7g7f"))
        e.go_back()
        e.append_move(MoveEntry("2g2f"))
        e.append_special(SpecialMoveEntry("resign", 0))
        r = e.into_record()
        assert r.main_terminal is None and r.result == korvan.GameResult.INVALID


class TestNodeId:
    def test_values(self):
        i = RecordNodeId(0)
        assert (i.raw, repr(i), int(i)) == (0, "RecordNodeId(0)", 0)
        assert RecordNodeId(RecordNodeId(5)).raw == 5
        assert RecordNodeId(4294967294).raw == 4294967294
        with pytest.raises(IndexError, match="^node_id out of range$"):
            RecordNodeId(4294967295)
        with pytest.raises(OverflowError):
            RecordNodeId(-1)
        with pytest.raises(TypeError, match="^argument 'raw': "):
            RecordNodeId("1")

    def test_comparisons(self):
        a, b = RecordNodeId(1), RecordNodeId(2)
        assert not (a < b) and not (b > a) and not (a <= b) and not (a >= a)
        assert a == 1 and 1 == a and a == True and a != b  # noqa: E712
        assert not (a == "1") and a != "1"
        assert [10, 11, 12][a] == 11
        with pytest.raises(TypeError):
            hash(a)


class TestEditor:
    def test_new(self):
        for text in ["startpos", "  startpos ", "startpos\n"]:
            e = RecordEditor(text)
            assert e.current_node == 0 and e.position_sfen == START and not e.go_back()
            assert repr(e) == "RecordEditor(current_node=0)"
        for text in ["", "   "]:
            with pytest.raises(ValueError, match="^initial position SFEN cannot be empty$"):
                RecordEditor(text)
        with pytest.raises(ValueError, match="^invalid initial position SFEN: "):
            RecordEditor("not sfen")

    def test_append_and_walk(self):
        e = RecordEditor("startpos")
        a = e.append_move(MoveEntry("7g7f", comment="c"))
        assert e.go_back()
        b = e.append_move(MoveEntry("7g7f"))
        assert a != b and e.record().children(0) == [a, b]
        before = (e.current_node, e.position_sfen)
        with pytest.raises(ValueError, match="^illegal move at current editor position$"):
            e.append_move(MoveEntry("7g7f"))
        assert (e.current_node, e.position_sfen) == before
        t = e.append_special(SpecialMoveEntry("resign", 0))
        assert e.current_node == t and e.position_sfen == before[1]
        with pytest.raises(ValueError, match=f"^cannot append a child under terminal node {t}$"):
            e.append_move(MoveEntry("3c3d"))
        assert e.go_back() and e.current_node == b
        assert e.record().node_move(a).comment == "c"

    def test_forward_and_branch(self):
        e = RecordEditor("startpos")
        kids = []
        for m in ["7g7f", "2g2f", "5g5f"]:
            kids.append(e.append_move(MoveEntry(m)))
            assert e.go_back()
        assert e.record().children(0) == kids
        assert not e.go_forward(5)
        with pytest.raises(OverflowError):
            e.go_forward(-1)
        with pytest.raises(TypeError):
            e.go_forward(None)
        assert e.branch_to(2) and e.current_node == kids[2]
        assert e.record().children(0) == [kids[2], kids[0], kids[1]]
        assert e.go_back() and e.go_forward() and e.current_node == kids[2]

    def test_go_to_errors(self):
        e = RecordEditor("startpos")
        e.append_move(MoveEntry("7g7f"))
        with pytest.raises(IndexError, match="^node_id out of range$"):
            e.go_to(4294967295)
        with pytest.raises(ValueError, match="^invalid record node id 2$"):
            e.go_to(2)
        e.go_to(RecordNodeId(0))
        assert e.current_node == 0

    def test_terminal_target_and_illegal_path(self):
        r = Record(START, entries("7g7f", "2g2f", "3c3d"))
        e = r.into_editor()
        e.go_to(1)
        with pytest.raises(ValueError, match="^illegal move at current editor position$"):
            e.go_to(3)
        assert e.current_node == 1
        r2 = three_and_resign()
        e2 = RecordEditor.from_record(r2)
        e2.go_to(4)
        assert e2.current_node == 4 and e2.position_sfen.startswith("lnsgkgsnl/1r5+B1/pppppp1pp/6p2")

    def test_into_record_consumes(self):
        e = RecordEditor("startpos")
        r = e.into_record()
        assert isinstance(r, Record)
        for call in [e.into_record, e.record, e.go_back, lambda: e.current_node]:
            with pytest.raises(ValueError, match="^RecordEditor has already been consumed$"):
                call()
        assert repr(e) == "RecordEditor(consumed)"
        with pytest.raises(TypeError):
            e.go_to("x")

    def test_copies_keep_ids_and_independence(self):
        r = three_and_resign()
        e = r.into_editor()
        assert e.record().node_move(2).move == r.node_move(2).move
        e.go_to(3)
        e.go_back()
        e.append_move(MoveEntry("2g2f"))
        assert r.children(2) == [3] and e.record().children(2) == [3, 5]
        copy1, copy2 = e.record(), e.record()
        copy1.initial_comment = "x"
        assert copy2.initial_comment is None

    def test_position_history(self):
        e = RecordEditor("startpos")
        for m in ["5i5h", "5a5b", "5h5i", "5b5a"] * 2:
            e.append_move(MoveEntry(m))
        board = e.position
        assert board.to_sfen() == e.position_sfen
        board.pop()
        assert e.position_sfen != board.to_sfen()

    def test_random_walks_match_a_replay(self):
        rng = random.Random(5)
        e = RecordEditor("startpos")
        for _ in range(300):
            action = rng.random()
            if action < 0.6:
                moves = e.position.legal_moves()
                if moves:
                    e.append_move(MoveEntry(rng.choice(moves)))
            elif action < 0.8:
                e.go_back()
            else:
                e.go_to(rng.randrange(len(e.record().main_line_ids()) + 1))
            record = e.record()
            path = []
            node = e.current_node
            while node:
                path.append(node)
                node = record.node_parent(node)
            board = korvan.Board()
            for node in reversed(path):
                board.push_move(record.node_move(node).move)
            assert board.to_sfen() == e.position_sfen
