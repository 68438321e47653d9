"""Calls per second of the opening-book functions and classes through the module.

    python bench/books.py [--games N] [--repeat R]

book_key_after over every legal move of the positions of seeded games;
MemoryBook.insert_move of a million moves; book_builder_from_game_record and
BookBuilder.extend_from_game_record over seeded 150-move games with three 10-move
variations each; StaticBook contains and get on a book of a million keys and three
million moves, half the probes present. Prints figures; asserts nothing.
"""

import argparse
import array
import random
import time

import korvan as k


def best_of(repeat, call):
    best = float("inf")
    for _ in range(repeat):
        start = time.perf_counter()
        call()
        best = min(best, time.perf_counter() - start)
    return best


def game_record(rng, plies=150, variations=3, length=10):
    editor = k.RecordEditor("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1")
    for _ in range(plies):
        legal = editor.position.legal_moves()
        if not legal:
            break
        editor.append_move(k.MoveEntry(rng.choice(legal), engine_info=k.EngineInfo(eval=rng.randint(-3000, 3000))))
    main = editor.record().main_line_ids()
    for _ in range(variations):
        editor.go_to(rng.choice([0] + main[:-1]))
        for _ in range(length):
            legal = editor.position.legal_moves()
            if not legal:
                break
            editor.append_move(k.MoveEntry(rng.choice(legal)))
    return editor.into_record()


def positions_of(rng, games, plies):
    boards = []
    for _ in range(games):
        board = k.Board()
        for _ in range(plies):
            legal = board.legal_moves()
            if not legal:
                break
            board.push_move(rng.choice(legal))
            boards.append(board.copy())
    return boards


def report(name, count, seconds, unit, goal=None):
    rate = count / seconds
    text = f"{name:<44} {rate / 1e6:7.2f} M {unit}/s ({seconds / count * 1e9:7.1f} ns)"
    if goal:
        text += f"   goal {goal / 1e6:g} M/s"
    print(text)


def bench_keys(rng, repeat):
    pairs = [(board, board.legal_moves()) for board in positions_of(rng, 4, 100)]
    calls = sum(len(moves) for _, moves in pairs)
    after = k.book_key_after

    def run():
        for board, moves in pairs:
            for move in moves:
                after(board, move)

    report("book_key_after", calls, best_of(repeat, run), "calls", 4e6)
    return [after(board, move) for board, moves in pairs for move in moves]


def bench_insert(rng, keys, repeat):
    legal = k.Board().legal_moves()
    moves = [k.BookMove(rng.choice(legal), rng.randint(-500, 500), rng.randint(0, 40)) for _ in range(1000)]
    rows = [(rng.choice(keys), moves[i % len(moves)]) for i in range(1_000_000)]

    def run():
        insert = k.MemoryBook().insert_move
        for key, move in rows:
            insert(key, move)

    report("MemoryBook.insert_move", len(rows), best_of(repeat, run), "moves", 2e6)


def move_nodes(record):
    """The moves a walk files: every move node of the tree."""
    count, stack = 0, [record.root_node_id()]
    while stack:
        children = record.children(stack.pop())
        count += sum(record.node_move(child) is not None for child in children)
        stack.extend(children)
    return count


def bench_builder(rng, games, repeat):
    records = [game_record(rng) for _ in range(games)]
    positions = sum(move_nodes(record) for record in records)
    build = k.book_builder_from_game_record

    def run_function():
        for record in records:
            build(record)

    def run_builder():
        builder = k.BookBuilder()
        for record in records:
            builder.extend_from_game_record(record)
        builder.into_memory()

    print(f"{games} games with variations, {positions:,} positions (moves filed)")
    report("book_builder_from_game_record", positions, best_of(repeat, run_function), "positions", 2e6)
    report("BookBuilder.extend_from_game_record", positions, best_of(repeat, run_builder), "positions")


def bench_static(rng, keys, repeat):
    present = keys[: len(keys) // 2]
    absent = keys[len(keys) // 2:]
    lows = {key.low for key in present}
    while len(lows) < 1_000_000:
        lows.add(rng.getrandbits(64))
    absent = [key for key in absent if key.low not in lows]
    ordered = sorted(lows)
    count = len(ordered)
    data = (b"KORVANBK" + (1).to_bytes(2, "little") + (3).to_bytes(2, "little") + bytes([8, 0])
            + count.to_bytes(4, "little") + (3 * count).to_bytes(4, "little")
            + array.array("Q", ordered).tobytes() + array.array("I", range(0, 3 * count + 1, 3)).tobytes()
            + rng.randbytes(18 * count))
    start = time.perf_counter()
    static = k.StaticBook.from_bytes(data)
    print(f"StaticBook.from_bytes of {len(data):,} bytes: {(time.perf_counter() - start) * 1e3:.0f} ms")
    probes = [key for pair in zip(present, absent) for key in pair]
    contains, get = static.contains, static.get

    def run_contains():
        for key in probes:
            contains(key)

    def run_get():
        for key in probes:
            get(key)

    report("StaticBook.contains (half present)", len(probes), best_of(repeat, run_contains), "calls", 3e6)
    report("StaticBook.get (half present)", len(probes), best_of(repeat, run_get), "calls", 1.5e6)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--games", type=int, default=300)
    parser.add_argument("--repeat", type=int, default=5)
    options = parser.parse_args()
    rng = random.Random(2024)
    keys = bench_keys(rng, options.repeat)
    bench_insert(rng, keys, options.repeat)
    bench_builder(rng, options.games, options.repeat)
    bench_static(rng, keys, options.repeat)


if __name__ == "__main__":
    main()
