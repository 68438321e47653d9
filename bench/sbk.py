"""SBK books from Python: a book generated from seeded playouts merged by position, then
the open (best of 5), the open with a progress callback (the difference per state is
the callback's cost), and lookups by SFEN, by position and by state id per second.
Prints figures; asserts nothing.

    python3 bench/sbk.py [--states N]      (default 30000)
"""

import argparse
import os
import pathlib
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "tests" / "python"))

import korvan  # noqa: E402
import sbk_files  # noqa: E402


def best_of(rounds, fn):
    best = float("inf")
    for _ in range(rounds):
        t0 = time.perf_counter()
        fn()
        best = min(best, time.perf_counter() - t0)
    return best


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--states", type=int, default=30_000)
    args = parser.parse_args()

    t0 = time.perf_counter()
    data, placements = sbk_files.generated_book(args.states, seed=7)
    print(f"generated {args.states} states, {len(data) / 1e6:.2f} MB, in {time.perf_counter() - t0:.1f} s")
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "bench.sbk")
        pathlib.Path(path).write_bytes(data)

        plain = best_of(5, lambda: korvan.SbkBook.open(path))
        print(f"open: {plain * 1e3:.1f} ms ({plain / args.states * 1e6:.2f} us/state)")
        controlled = best_of(5, lambda: korvan.SbkBook.open_with_control(path, lambda progress: None))
        print(f"open_with_control, callback returning None: {controlled * 1e3:.1f} ms "
              f"(+{(controlled - plain) / args.states * 1e9:.0f} ns/state)")
        truthy = best_of(5, lambda: korvan.SbkBook.open_with_control(path, lambda progress: True))
        print(f"open_with_control, callback returning True: {truthy * 1e3:.1f} ms "
              f"(+{(truthy - plain) / args.states * 1e9:.0f} ns/state)")

        book = korvan.SbkBook.open(path)
        sfens = [p + " 1" for p in placements]
        s = best_of(3, lambda: [book.lookup_sfen(x) for x in sfens])
        print(f"lookup_sfen: {len(sfens) / s:,.0f} /s ({s / len(sfens) * 1e6:.1f} us)")
        boards = [korvan.Board(x) for x in sfens[:2000]]
        s = best_of(3, lambda: [book.lookup_position(b) for b in boards])
        print(f"lookup_position: {len(boards) / s:,.0f} /s ({s / len(boards) * 1e6:.1f} us)")
        ids = list(range(1, len(placements) + 1))
        s = best_of(3, lambda: [book.lookup_state_id(i) for i in ids])
        print(f"lookup_state_id: {len(ids) / s:,.0f} /s ({s / len(ids) * 1e6:.1f} us)")


if __name__ == "__main__":
    main()
