"""Calls per second of the common Board methods, and a Python perft(4).

    python bench/board.py [--number N]

Prints nanoseconds per call; asserts nothing.
"""

import argparse
import time
import timeit

import korvan as k

MATSURI = "l6nl/5+P1gk/2np1S3/p1p4Pp/3P2Sp1/1PPb2P1P/P5GS1/R8/LN4bKL w GR5pnsg 1"


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
        "mv": k.Move.from_usi("7g7f"),
        "k": k,
    }
    cases = [
        ("push_usi + pop", "b.push_usi('7g7f'); b.pop()"),
        ("push_move + pop", "b.push_move(mv); b.pop()"),
        ("legal_moves() start (30)", "b.legal_moves()"),
        ("legal_moves() matsuri (207)", "m.legal_moves()"),
        ("is_legal_move", "b.is_legal_move(mv)"),
        ("is_in_check", "b.is_in_check()"),
        ("zobrist_hash", "b.zobrist_hash()"),
        ("copy (no history)", "b.copy()"),
        ("copy (100-ply history)", "g.copy()"),
        ("Board()", "k.Board()"),
    ]
    print(f"{'operation':32} {'ns/call':>10}")
    for name, stmt in cases:
        seconds = min(timeit.repeat(stmt, globals=env, number=n, repeat=3))
        print(f"{name:32} {seconds / n * 1e9:10.0f}")
    t0 = time.perf_counter()
    nodes = perft(k.Board(), 4)
    print(f"perft(4) from the start through Python: {nodes} nodes in {time.perf_counter() - t0:.3f} s")


if __name__ == "__main__":
    main()
