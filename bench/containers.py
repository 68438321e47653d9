"""Records and positions per second through the Python pack, sbinpack and
PackedSfenValue calls, on seeded random games with an evaluation on every move.

    python bench/containers.py [--games N] [--plies P]

One position is one move. Prints figures; asserts nothing.
"""

import argparse
import os
import random
import tempfile
import time

import korvan as k


def random_game(rng, plies):
    board = k.Board()
    moves = []
    for _ in range(plies):
        legal = board.legal_moves()
        if not legal:
            break
        move = rng.choice(legal)
        board.push_move(move)
        moves.append(str(move))
    evals = [rng.randint(-3000, 3000) for _ in moves]
    result = rng.choice(["BLACK_WIN", "WHITE_WIN", "DRAW_BY_REPETITION"])
    return k.Record.from_usi_main_line("startpos", moves, result=result, evals=evals)


def best_of(repeat, call):
    best = float("inf")
    for _ in range(repeat):
        start = time.perf_counter()
        call()
        best = min(best, time.perf_counter() - start)
    return best


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--games", type=int, default=300)
    parser.add_argument("--plies", type=int, default=320)
    parser.add_argument("--repeat", type=int, default=5)
    options = parser.parse_args()
    rng = random.Random(2024)
    games = [random_game(rng, rng.randint(options.plies // 2, options.plies)) for _ in range(options.games)]
    positions = sum(g.move_count for g in games)
    pack = k.write_pack(games)
    sbinpack = k.write_sbinpack(games)
    one = games[0]
    one_pack, one_sbinpack = one.to_pack(), one.to_sbinpack()
    directory = tempfile.mkdtemp()
    pack_path = os.path.join(directory, "games.pack")
    sbin_path = os.path.join(directory, "games.sbin")
    k.write_pack_file(pack_path, games)
    k.write_sbinpack_file(sbin_path, games)

    print(f"{len(games)} games, {positions} positions; pack {len(pack)} bytes, sbinpack {len(sbinpack)} bytes")
    batch = [
        ("write_pack", lambda: k.write_pack(games)),
        ("decode_pack", lambda: k.decode_pack(pack)),
        ("write_pack_file", lambda: k.write_pack_file(pack_path, games)),
        ("decode_pack_file", lambda: k.decode_pack_file(pack_path)),
        ("write_sbinpack", lambda: k.write_sbinpack(games)),
        ("decode_sbinpack", lambda: k.decode_sbinpack(sbinpack)),
        ("write_sbinpack_file", lambda: k.write_sbinpack_file(sbin_path, games)),
        ("decode_sbinpack_file", lambda: k.decode_sbinpack_file(sbin_path)),
        ("Record.to_psv (every record)", lambda: [g.to_psv() for g in games]),
    ]
    print(f"{'call':<32} {'records/s':>12} {'positions/s':>14} {'ns/position':>12}")
    for name, call in batch:
        seconds = best_of(options.repeat, call)
        print(f"{name:<32} {len(games) / seconds:12,.0f} {positions / seconds:14,.0f} {seconds / positions * 1e9:12.0f}")

    single = [
        ("Record.to_pack", lambda: one.to_pack()),
        ("Record.from_pack", lambda: k.Record.from_pack(one_pack)),
        ("Record.to_sbinpack", lambda: one.to_sbinpack()),
        ("Record.from_sbinpack", lambda: k.Record.from_sbinpack(one_sbinpack)),
        ("Record.to_psv", lambda: one.to_psv()),
    ]
    n = 200
    print(f"one record of {one.move_count} moves:")
    for name, call in single:
        seconds = best_of(options.repeat, lambda: [call() for _ in range(n)]) / n
        print(f"{name:<32} {1 / seconds:12,.0f} {one.move_count / seconds:14,.0f} {seconds / one.move_count * 1e9:12.0f}")


if __name__ == "__main__":
    main()
