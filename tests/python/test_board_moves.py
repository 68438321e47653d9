"""Making, testing and taking back moves on a Board; move lists and perft."""

import random

import pytest

import korvan as k

START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"
MATSURI = "l6nl/5+P1gk/2np1S3/p1p4Pp/3P2Sp1/1PPb2P1P/P5GS1/R8/LN4bKL w GR5pnsg 1"


def perft(board, depth, push):
    moves = board.legal_moves()
    if depth == 1:
        return len(moves)
    total = 0
    for m in moves:
        push(board, m)
        total += perft(board, depth - 1, push)
        board.pop()
    return total


@pytest.mark.parametrize("depth, nodes", [(1, 30), (2, 900), (3, 25470), (4, 719731)])
def test_perft_with_push_move(depth, nodes):
    board = k.Board()
    assert perft(board, depth, lambda b, m: b.push_move(m)) == nodes
    assert board.to_sfen() == START


def test_perft_with_push_usi():
    board = k.Board()
    assert perft(board, 3, lambda b, m: b.push_usi(m.to_usi())) == 25470


def test_matsuri_counts():
    board = k.Board(MATSURI)
    assert len(board.legal_moves()) == 207
    assert perft(board, 2, lambda b, m: b.push_move(m)) == 28684


def test_push_usi_returns_the_widened_move():
    board = k.Board()
    m = board.push_usi("7g7f")
    assert isinstance(m, k.Move32)
    assert m.piece_after_move == k.Piece(1)
    assert board.turn == k.Color.WHITE
    assert board.last_move() == m


@pytest.mark.parametrize(
    "method, usi, message",
    [
        ("push_usi", "7g7e", "illegal move"),
        ("push_usi", "5e5d", "invalid move value"),
        ("push_usi", "resign", "invalid move value"),
        ("push_usi", "0000", "invalid move value"),
        ("push_usi", "xx", "invalid USI move"),
        ("apply_usi", "7g7f+", "illegal move"),
        ("push_usi_with_delta", "7g7e", "illegal move"),
        ("push_usi_with_delta", "win", "invalid move value"),
        ("apply_csa", "+3334FU", "invalid CSA move"),
        ("apply_csa", "7776fu", "invalid CSA move"),
        ("apply_csa", "+7775FU", "illegal move"),
    ],
)
def test_refused_moves_leave_the_board(method, usi, message):
    board = k.Board()
    with pytest.raises(ValueError) as e:
        getattr(board, method)(usi)
    assert str(e.value) == message
    assert board.to_sfen() == START
    assert board.pop() is None


def test_move_objects():
    board = k.Board()
    with pytest.raises(ValueError, match="^illegal move$"):
        board.push_move(k.Move(0))
    assert board.is_legal_move(k.Move(0)) is False
    with pytest.raises(ValueError, match="^invalid move value$"):
        board.push_move32(k.Move32(258))
    # A piece field that disagrees with the board is refused; the bare move is not.
    good = board.move32_from_move(k.Move.from_usi("7g7f"))
    wrong = k.Move32(int(good) & 0xFFFF | 2 << 16)
    assert board.is_legal_move32(wrong) is False
    with pytest.raises(ValueError, match="^illegal move$"):
        board.push_move32(wrong)
    assert board.push_move(k.Move.from_usi("7g7f")) == good
    board.pop()
    assert board.push_move32(good) == good
    assert board.pop() == good
    board.apply_move(k.Move.from_usi("7g7f"))
    board.apply_move32(board.move32_from_move(k.Move.from_usi("3c3d")))
    board.apply_usi("2g2f")
    board.apply_csa("-4132KI")
    assert board.to_sfen() == "lnsgk1snl/1r4gb1/pppppp1pp/6p2/9/2P4P1/PP1PPPP1P/1B5R1/LNSGKGSNL b - 5"


def test_move32_with_an_empty_piece_field_plays_the_piece_on_the_board():
    board = k.Board()
    bare = k.Move32(int(k.Move.from_usi("7g7f")))
    assert board.is_legal_move32(bare)
    played = board.push_move32(bare)
    assert played.piece_after_move == k.Piece(1)
    assert board.pop() == played
    assert board.to_sfen() == START


def test_promotion_zone_rule():
    board = k.Board("4k4/9/9/9/9/2P6/9/9/4K4 b - 1")
    assert not board.is_legal_move(k.Move.from_usi("7f7e+"))
    board = k.Board("4k4/9/2B6/9/9/9/9/9/4K4 b - 1")
    assert board.is_legal_move(k.Move.from_usi("7c4f+"))  # leaves the zone


def test_king_and_pin_rules():
    # The king cannot step back along the rook's line through its own square.
    board = k.Board("4r4/9/9/9/9/9/9/4K4/9 b - 1")
    assert not board.is_legal_move(k.Move.from_usi("5h5i"))
    # A pinned rook moves along the pin line, capturing the pinner included.
    board = k.Board("4r4/9/9/9/9/9/9/4R4/4K4 b - 1")
    assert board.is_legal_move(k.Move.from_usi("5h5a"))
    assert board.is_legal_move(k.Move.from_usi("5h5c"))
    assert not board.is_legal_move(k.Move.from_usi("5h4h"))


def test_csa_conversion():
    board = k.Board()
    m = board.move_from_csa("+7776FU")
    assert m.to_usi() == "7g7f" and m.piece_after_move == k.Piece(1)
    assert board.to_sfen() == START
    white = k.Board(START.replace(" b ", " w "))
    with pytest.raises(ValueError, match="^invalid CSA move$"):
        white.move_from_csa("+7776FU")
    assert white.move_from_csa("3334FU").to_usi() == "3c3d"


def test_undo():
    board = k.Board()
    with pytest.raises(ValueError, match="^can only undo the last move$"):
        board.undo_move(k.Move.from_usi("7g7f"))
    m = board.push_usi("7g7f")
    with pytest.raises(ValueError, match="^can only undo the last move$"):
        board.undo_move(k.Move.from_usi("2g2f"))
    with pytest.raises(ValueError, match="^can only undo the last move$"):
        board.undo_move32(k.Move32(int(m) & 0xFFFF))
    board.undo_move32(m)
    assert board.to_sfen() == START
    board.push_usi("7g7f")
    board.undo_move(k.Move.from_usi("7g7f"))
    assert board.to_sfen() == START


def test_pop_restores_captures_and_promotions():
    board = k.Board()
    for usi in ["7g7f", "3c3d", "8h2b+"]:
        board.push_usi(usi)
    assert board.hand(k.Color.BLACK).count(k.PieceType.BISHOP) == 1
    m = board.pop()
    assert m.to_usi() == "8h2b+" and m.piece_after_move == k.Piece(13)
    assert board.piece_on(k.Square.from_usi("2b")) == k.Piece(16 + 5)
    assert board.piece_on(k.Square.from_usi("8h")) == k.Piece(5)
    assert board.hand(k.Color.BLACK).count(k.PieceType.BISHOP) == 0


def test_move_delta():
    board = k.Board()
    d = board.push_usi_with_delta("7g7f")
    assert list(d) == ["move", "move_usi", "kind", "color", "from", "to", "moved_piece_before",
                       "moved_piece_after", "captured"]
    assert d["kind"] == "BOARD" and d["move_usi"] == "7g7f" and d["captured"] is None
    assert d["color"] == k.Color.BLACK and d["from"] == k.Square.from_usi("7g") and d["to"] == k.Square.from_usi("7f")
    assert d["moved_piece_before"] == d["moved_piece_after"] == k.Piece(1)
    board.push_usi("3c3d")
    d = board.push_usi_with_delta("8h2b+")
    assert d["moved_piece_before"] == k.Piece(5) and d["moved_piece_after"] == k.Piece(13)
    assert d["captured"] == {"piece": k.Piece(21), "hand_count_before": 0}
    assert board.pop() == d["move"]
    board.push_usi("8h2b+")
    board.push_usi("3a2b")
    d = board.push_usi_with_delta("B*5e")
    assert list(d) == ["move", "move_usi", "kind", "color", "piece_type", "to", "hand_count_before"]
    assert d["kind"] == "DROP" and d["piece_type"] == k.PieceType.BISHOP and d["hand_count_before"] == 1
    # Capturing a promoted piece counts it under its unpromoted kind.
    board = k.Board("4k4/9/9/9/4+r4/9/4P4/9/4K3R b R 1")
    board.push_usi("1i1e")
    board.push_usi("5a4a")
    d = board.push_usi_with_delta("1e5e")
    assert d["captured"] == {"piece": k.Piece(16 + 14), "hand_count_before": 1}


def test_move_lists():
    board = k.Board()
    legal = board.legal_moves()
    full = board.legal_moves_full()
    assert len(legal) == 30
    assert [m.to_usi() for m in legal] == [m.to_usi() for m in full]
    assert all(m.piece_after_move != k.Piece(0) for m in full)
    assert legal[0].to_usi() == "1g1f"
    # In check: the legal moves are a subset of the pseudo-legal evasions.
    check = k.Board("4k4/9/9/9/9/9/9/4r4/4K4 b G 1")
    pseudo = {int(m) for m in check.pseudo_legal_moves()}
    assert {int(m) for m in check.legal_moves()} <= pseudo
    assert len(check.pseudo_legal_moves_full()) == len(pseudo)
    mated = k.Board("4k4/4G4/4P4/9/9/9/9/9/4K4 w - 1")
    assert mated.legal_moves() == []
    assert mated.is_mated()


def test_legal_list_agrees_with_the_legality_test():
    rng = random.Random(7)
    for start in [START, MATSURI, "4k4/9/9/9/9/9/9/9/4K4 b RBGSNLPrbgsnlp 1"]:
        board = k.Board(start)
        for _ in range(80):
            legal = {int(m) for m in board.legal_moves()}
            candidates = {int(m) for m in board.pseudo_legal_moves()} | {rng.randrange(65536) for _ in range(200)}
            for value in candidates | legal:
                # A drop's promotion bit means nothing and is dropped when the move is
                # completed on the board; the move is judged in that form.
                judged = value & ~0x8000 if value & 0x4000 else value
                assert board.is_legal_move(k.Move(value)) == (judged in legal), (board.to_sfen(), value)
            for m in board.legal_moves():
                board.push_move(m)
                board.pop()
            if not legal:
                break
            board.push_move(k.Move(rng.choice(sorted(legal))))
