"""Calls per second of the Python record classes on a seeded 150-move game.

    python bench/records.py [--number N]

Prints microseconds per call; asserts nothing.
"""

import argparse
import pathlib
import random
import tempfile
import time
import timeit

import korvan as k

START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"


def random_game(plies, seed):
    rng = random.Random(seed)
    board = k.Board()
    moves = []
    for _ in range(plies):
        legal = board.legal_moves()
        if not legal:
            break
        m = rng.choice(legal)
        moves.append(m)
        board.push_move(m)
    return moves


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--number", type=int, default=2_000)
    n = parser.parse_args().number
    game = random_game(150, 3)
    entries = [k.MoveEntry(m, time_ms=1000) for m in game]
    record = k.Record(START, entries, terminal=k.SpecialMoveEntry("resign", 0))
    env = {"k": k, "START": START, "entries": entries, "r": record}
    cases = [
        ("Record(sfen, 150 MoveEntry, terminal)", "k.Record(START, entries)"),
        ("record.main_line_ids()", "r.main_line_ids()"),
        ("record.node_move(75)", "r.node_move(75)"),
        ("record.moves (150 copies)", "r.moves"),
        ("record.to_usi_position()", "r.to_usi_position()"),
        ("Record.from_usi_position(150 moves)", "k.Record.from_usi_position(usi)"),
        ("record.to_dict()", "r.to_dict()"),
        ("Record.from_dict(150 moves)", "k.Record.from_dict(d)"),
        ("Record.from_dict(150 moves, strict=True)", "k.Record.from_dict(d, strict=True)"),
        ("record.update_metadata(3 keys)", "r.update_metadata(patch)"),
    ]
    env["usi"] = record.to_usi_position()
    env["d"] = record.to_dict()
    env["patch"] = {"event": "e", "time_control": "600+30+0", "venue": "v"}
    print(f"game of {len(game)} plies")
    for name, stmt in cases:
        best = min(timeit.repeat(stmt, globals=env, number=n, repeat=5))
        print(f"{name:<44} {best / n * 1e6:9.2f} us")

    # The file readers on the game written by each writer in its default encoding, read
    # with the encoding named and with none (the bytes then choose it).
    named = k.Record.from_dict(record.to_dict())
    named.update_metadata({"black_player": "先手", "white_player": "後手"})
    with tempfile.TemporaryDirectory() as folder:
        files = []
        for fmt, name, encoding in [("kif", "game.kif", "shift_jis"), ("kif", "game.kifu", "utf-8"),
                                    ("ki2", "game.ki2", "shift_jis"), ("csa", "game.csa", "shift_jis"),
                                    ("jkf", "game.jkf", "utf-8")]:
            path = pathlib.Path(folder) / name
            getattr(named, "write_" + fmt)(path)
            files.append((fmt, path, encoding))
        for fmt, path, encoding in files:
            env["read"], env["path"], env["encoding"] = getattr(k.Record, f"from_{fmt}_file"), path, encoding
            for label, stmt in [("named", "read(path, encoding=encoding)"), ("none", "read(path)")]:
                best = min(timeit.repeat(stmt, globals=env, number=n // 10, repeat=5))
                call = f"Record.from_{fmt}_file({path.name}, encoding {label})"
                print(f"{call:<44} {best / (n // 10) * 1e6:9.2f} us")

    # Stepping a cursor one node at a time along a 1,000-ply line stays linear.
    long_game = random_game(1000, 5)
    for plies in (250, 500, len(long_game)):
        editor = k.RecordEditor("startpos")
        for m in long_game[:plies]:
            editor.append_move(k.MoveEntry(m))
        editor.go_to(0)
        t0 = time.perf_counter()
        while editor.go_forward():
            pass
        elapsed = time.perf_counter() - t0
        print(f"RecordEditor.go_forward along {plies:>4} plies          {elapsed / plies * 1e6:9.2f} us per step")


if __name__ == "__main__":
    main()
