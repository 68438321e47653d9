"""Board set-up, move and byte methods with arbitrary strings, bytes and integers.

Run through fuzz/run (atheris on the sanitized module). Refusals are ValueError,
TypeError, OverflowError or IndexError; anything else (PanicException, SystemError, a
crash, a sanitizer report) is a finding. Properties checked on the way:
  - a move the board accepts is in its legal list, and the list's moves are accepted;
  - the SFEN a board writes sets up a board that writes the same SFEN;
  - packed positions written by a board set up the same board again.
"""

import sys

import atheris

with atheris.instrument_imports():
    import korvan as k

import numpy as np

REFUSALS = (ValueError, TypeError, OverflowError, IndexError)
SEEDS = [
    "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1",
    "l6nl/5+P1gk/2np1S3/p1p4Pp/3P2Sp1/1PPb2P1P/P5GS1/R8/LN4bKL w GR5pnsg 1",
    "4k4/9/9/9/8b/9/9/9/4K4 w - 1",
    "r7k/1K7/9/9/9/9/9/9/K8 b - 1",
    "9/9/9/9/9/9/9/9/9 b - 1",
]


def legal16(board):
    return {int(m) for m in board.legal_moves()}


def judged(value):
    # A drop's promotion flag means nothing; the move is judged without it.
    value &= 0xFFFF
    return value & ~0x8000 if value & 0x4000 else value


@atheris.instrument_func
def check_round_trip(board):
    sfen = board.to_sfen()
    again = k.Board(sfen)
    assert again.to_sfen() == sfen, sfen
    assert again.zobrist_hash() == board.zobrist_hash(), sfen


@atheris.instrument_func
def check_accepted(board, legal_before, played):
    assert played is not None
    assert judged(int(played)) in legal_before, (board.to_sfen(), int(played))


def text(fdp):
    return fdp.ConsumeUnicodeNoSurrogates(fdp.ConsumeIntInRange(0, 96))


@atheris.instrument_func
def byte_source(fdp):
    raw = fdp.ConsumeBytes(fdp.ConsumeIntInRange(0, 40))
    kind = fdp.ConsumeIntInRange(0, 4)
    if kind == 0:
        return raw
    if kind == 1:
        return bytearray(raw)
    if kind == 2:
        return list(raw) + [fdp.ConsumeIntInRange(-300, 300)]
    if kind == 3:
        return np.frombuffer(raw, dtype=np.uint8)
    return memoryview(raw)


@atheris.instrument_func
def move_arg(fdp):
    kind = fdp.ConsumeIntInRange(0, 3)
    if kind == 0:
        return k.Move(fdp.ConsumeIntInRange(0, 0xFFFF))
    if kind == 1:
        return k.Move32(fdp.ConsumeIntInRange(0, 0xFFFFFFFF))
    if kind == 2:
        return fdp.ConsumeIntInRange(-(1 << 33), 1 << 33)
    return None


@atheris.instrument_func
def step(board, fdp):
    op = fdp.ConsumeIntInRange(0, 16)
    legal = legal16(board)
    if op == 0:
        board.set_sfen(text(fdp) if fdp.ConsumeBool() else SEEDS[fdp.ConsumeIntInRange(0, len(SEEDS) - 1)])
    elif op == 1:
        board.set_usi_position(("position " if fdp.ConsumeBool() else "") + text(fdp))
    elif op == 2:
        check_accepted(board, legal, board.push_usi(text(fdp)))
    elif op == 3:
        value = fdp.ConsumeIntInRange(0, 0xFFFF)
        ok = board.is_legal_move(k.Move(value))
        assert ok == (judged(value) in legal), (board.to_sfen(), value)
        if fdp.ConsumeBool():
            check_accepted(board, legal, board.push_move(k.Move(value)))
    elif op == 4:
        value = fdp.ConsumeIntInRange(0, 0xFFFFFFFF)
        ok = board.is_legal_move32(k.Move32(value))
        if ok:
            assert judged(value) in legal, (board.to_sfen(), value)
        if fdp.ConsumeBool():
            check_accepted(board, legal, board.push_move32(k.Move32(value)))
    elif op == 5:
        csa = text(fdp)
        if fdp.ConsumeBool():
            board.move_from_csa(csa)
        else:
            board.apply_csa(csa)
            check_accepted(board, legal, board.last_move())
    elif op == 6:
        board.set_packed_sfen(byte_source(fdp))
    elif op == 7:
        board.set_hcp(byte_source(fdp), fdp.ConsumeIntInRange(-2, 70000))
    elif op == 8:
        out = np.zeros(fdp.ConsumeIntInRange(0, 48), dtype=np.uint8) if fdp.ConsumeBool() else None
        board.to_psv(
            mv=move_arg(fdp),
            score=fdp.ConsumeIntInRange(-70000, 70000),
            game_result=fdp.ConsumeIntInRange(-3, 20) if fdp.ConsumeBool() else text(fdp),
            game_ply=fdp.ConsumeIntInRange(-2, 70000) if fdp.ConsumeBool() else None,
            out=out,
        )
    elif op == 9:
        out = bytearray(fdp.ConsumeIntInRange(0, 48)) if fdp.ConsumeBool() else None
        board.to_hcpe(
            best_move=move_arg(fdp),
            score=fdp.ConsumeIntInRange(-70000, 70000),
            game_result=fdp.ConsumeIntInRange(-3, 20) if fdp.ConsumeBool() else text(fdp),
            out=out,
        )
    elif op == 10:
        last = board.last_move()
        if fdp.ConsumeBool() or last is None:
            board.pop()
        else:
            board.undo_move32(last)
    elif op == 11:
        value = fdp.ConsumeIntInRange(0, 0xFFFF)
        if fdp.ConsumeBool():
            board.undo_move(k.Move(value))
        else:
            board.undo_move32(k.Move32(value))
    elif op == 12:
        state = board.to_position_state()
        for _ in range(fdp.ConsumeIntInRange(0, 4)):
            state.set_piece(k.Square(fdp.ConsumeIntInRange(0, 80)), k.Piece(fdp.ConsumeIntInRange(0, 31)))
        state.validate_all()
        board.set_position_state(state)
    elif op == 13:
        board.push_usi_with_delta(text(fdp))
    elif op == 14:
        sq = k.Square(fdp.ConsumeIntInRange(0, 81))
        board.piece_on(sq) if sq.is_valid() else None
        board.attackers_to(sq, board.pieces()) if sq.is_valid() else None
        board.to_svg(last_move=move_arg(fdp) if fdp.ConsumeBool() else None, scale=fdp.ConsumeFloat())
    elif op == 15:
        board.solve_mate_in_one()
        board.evaluate_declaration()
        board.validate_all()
        board.to_bod()
        board.repetition_state()
        board.is_repetition(fdp.ConsumeIntInRange(-2, 10))
    else:
        for m in board.legal_moves_full():
            assert board.is_legal_move32(m), (board.to_sfen(), int(m))
        for m in board.legal_moves():
            assert board.is_legal_move(m), (board.to_sfen(), int(m))
            board.push_move(m)
            board.pop()


@atheris.instrument_func
def check_packed(board):
    try:
        psfen = board.to_packed_sfen()
    except ValueError:
        return  # more than the 256 bits can hold
    other = k.Board()
    other.set_packed_sfen(psfen)
    assert other.to_sfen().rsplit(" ", 1)[0] == board.to_sfen().rsplit(" ", 1)[0], board.to_sfen()
    other.set_hcp(board.to_hcp(), board.game_ply)
    assert other.to_sfen() == board.to_sfen(), board.to_sfen()


@atheris.instrument_func
def TestOneInput(data):
    fdp = atheris.FuzzedDataProvider(data)
    try:
        board = k.Board(SEEDS[fdp.ConsumeIntInRange(0, len(SEEDS) - 1)])
    except REFUSALS:
        return
    for _ in range(fdp.ConsumeIntInRange(1, 8)):
        try:
            step(board, fdp)
        except REFUSALS:
            pass
        check_round_trip(board)
    check_packed(board)


if __name__ == "__main__":
    atheris.Setup(sys.argv, TestOneInput)
    atheris.Fuzz()
