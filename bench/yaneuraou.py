"""YaneuraOu db books from Python: the books `korvan_bench yaneuraou` writes to /tmp
(14,000 and 1,000,000 positions; run it first), opened, fully checked and looked up by
bisection (lookup_sfen, lookup_position) and by scan. Prints figures; asserts nothing.

    python3 bench/yaneuraou.py [PATH...]
"""

import sys
import time

import korvan

DEFAULT = ["/tmp/korvan-bench-yaneuraou-14000.db", "/tmp/korvan-bench-yaneuraou-1000000.db"]


def main():
    for path in sys.argv[1:] or DEFAULT:
        with open(path, "rb") as f:
            data = f.read()
        queries = [line[5:].decode() for line in data.splitlines() if line.startswith(b"sfen ")]
        queries = queries[:: max(1, len(queries) // 20000)]
        t0 = time.perf_counter()
        book = korvan.YaneuraOuBook.open(path)
        opened = time.perf_counter() - t0
        t0 = time.perf_counter()
        book.validate_full()
        full = time.perf_counter() - t0
        print(f"{path}: {len(data) / 1e6:.1f} MB; open {opened * 1e3:.1f} ms; "
              f"validate_full {full:.2f} s ({len(data) / 1e6 / full:.0f} MB/s)")
        t0 = time.perf_counter()
        found = sum(book.lookup_sfen(q) is not None for q in queries)
        s = time.perf_counter() - t0
        print(f"  lookup_sfen: {len(queries) / s:.0f} /s ({found} of {len(queries)} found)")
        boards = [korvan.Board(q) for q in queries[:2000]]
        t0 = time.perf_counter()
        for b in boards:
            book.lookup_position(b)
        s = time.perf_counter() - t0
        print(f"  lookup_position: {len(boards) / s:.0f} /s")
        scans = 3 if len(data) > 10e6 else 20
        t0 = time.perf_counter()
        for _ in range(scans):
            book.lookup_sfen_by_scan("9/9/9/9/9/9/9/9/9 b - 1")
        s = (time.perf_counter() - t0) / scans
        print(f"  lookup_sfen_by_scan (absent, whole file): {1 / s:.1f} /s ({len(data) / 1e6 / s:.0f} MB/s)")


if __name__ == "__main__":
    main()
