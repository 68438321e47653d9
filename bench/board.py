"""Calls per second of the common Board methods, and a Python perft(4).

    python bench/board.py [--number N]

Prints nanoseconds per call, best of five timings of N calls each; asserts nothing.
The numpy rows are skipped when numpy is missing.
"""

import argparse
import time
import timeit

import korvan as k

MATSURI = "l6nl/5+P1gk/2np1S3/p1p4Pp/3P2Sp1/1PPb2P1P/P5GS1/R8/LN4bKL w GR5pnsg 1"
# White mates with 7g7h+ (found by a seeded random playout).
MATING = "l1rg3n1/7sl/p1n1p1gkp/1p3Gp2/2Ps3p1/3PPPB1P/Pbp3PPS/L2SG2R1/1NK4NL w 3P 90"
# An opening 24 moves deep: no check, no mate in one, 33 legal moves.
QUIET = "ln3g1nl/1rksg4/p1pp1sbpp/4ppp2/1p5P1/2P1P1P2/PPBP1PN1P/2KGGS1R1/LNS5L b - 25"


def perft(board, depth):
    moves = board.legal_moves()
    if depth == 1:
        return len(moves)
    total = 0
    for m in moves:
        board.push_move(m)
        total += perft(board, depth - 1)
        board.pop()
    return total


def numpy_cases(env):
    try:
        import numpy as np
    except ImportError:
        return []
    from korvan import numpy as kn

    env.update(
        hcpe=np.zeros(16, kn.HuffmanCodedPosAndEval),
        psv=np.zeros(16, kn.PackedSfenValue),
        buf32=np.zeros(32, np.uint8),
        rows32=np.zeros((16, 32), np.uint8),
        i=7,
        win=k.GameResult.BLACK_WIN,
    )
    return [
        ("to_hcpe(..., out=hcpe[i]) (a record)", "q.to_hcpe(mv, 100, win, out=hcpe[i])"),
        ("to_hcpe(..., out=hcpe[i:i+1])", "q.to_hcpe(mv, 100, win, out=hcpe[i:i + 1])"),
        ("to_psv(..., out=psv[i]) (a record)", "q.to_psv(mv, 100, win, out=psv[i])"),
        ("to_hcpe(...) -> bytes", "q.to_hcpe(mv, 100, win)"),
        ("to_packed_sfen() -> bytes", "q.to_packed_sfen()"),
        ("to_packed_sfen(buf), uint8[32]", "q.to_packed_sfen(buf32)"),
        ("to_packed_sfen(rows[i]), uint8[n, 32]", "q.to_packed_sfen(rows32[i])"),
        ("to_hcp() -> bytes", "q.to_hcp()"),
        ("to_hcp(buf), uint8[32]", "q.to_hcp(buf32)"),
    ]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--number", type=int, default=200_000)
    n = parser.parse_args().number
    start = k.Board()
    matsuri = k.Board(MATSURI)
    long_game = k.Board()
    long_game.set_usi_position("startpos moves " + " ".join(["2h3h", "8b7b", "3h2h", "7b8b"] * 25))
    env = {
        "b": start,
        "m": matsuri,
        "g": long_game,
        "mate": k.Board(MATING),
        "q": k.Board(QUIET),
        "mv": k.Move.from_usi("7g7f"),
        "mv32": k.Move32.from_usi("7g7f"),
        "k": k,
    }
    cases = [
        ("push_move(mv) + pop()", "b.push_move(mv); b.pop()"),
        ("push_move32(mv32) + pop()", "b.push_move32(mv32); b.pop()"),
        ("push_usi('7g7f') + pop()", "b.push_usi('7g7f'); b.pop()"),
        ("is_in_check()", "b.is_in_check()"),
        ("solve_mate_in_one(), mate found", "mate.solve_mate_in_one()"),
        ("solve_mate_in_one(), quiet middle game", "q.solve_mate_in_one()"),
        ("legal_moves() start (30)", "b.legal_moves()"),
        ("legal_moves() matsuri (207)", "m.legal_moves()"),
        ("is_legal_move(mv)", "b.is_legal_move(mv)"),
        ("zobrist_hash()", "b.zobrist_hash()"),
        ("copy() (no history)", "b.copy()"),
        ("copy() (100-ply history)", "g.copy()"),
        ("Board()", "k.Board()"),
    ] + numpy_cases(env)
    print(f"{'operation':42} {'ns/call':>10}")
    for name, stmt in cases:
        seconds = min(timeit.repeat(stmt, globals=env, number=n, repeat=5))
        print(f"{name:42} {seconds / n * 1e9:10.0f}")
    t0 = time.perf_counter()
    nodes = perft(k.Board(), 4)
    print(f"perft(4) from the start through Python: {nodes} nodes in {time.perf_counter() - t0:.3f} s")


if __name__ == "__main__":
    main()
