"""Calls per second of the value classes and label functions, beside a bare CPython
call with the same number of arguments measured in the same run.

    python bench/value_classes.py [--number N]

Prints one row per operation: nanoseconds per call for korvan and for the baseline,
and their ratio (korvan / baseline). Asserts nothing.
"""

import argparse
import timeit

from korvan import Color, Move, Square, compact_move_label, move_label, move_label_to_compact

SETUP = {
    "Color": Color,
    "Move": Move,
    "Square": Square,
    "move_label": move_label,
    "compact_move_label": compact_move_label,
    "move_label_to_compact": move_label_to_compact,
    "m": Move(7 << 7 | 6),
    "m2": Move(7 << 7 | 6),
    "c": Color.BLACK,
    "c2": Color.WHITE,
    "i": 1234,
    "j": 1234,
    "f": 1234.0,
    "s": 40,
    "label": 100,
}

# name, korvan statement, baseline statement: the same kind of call on a builtin with
# the same number of arguments (a class called with one int for the constructors, a
# builtin function for the functions, the int operator for comparisons)
CASES = [
    ("Move(int)", "Move(i)", "float(i)"),
    ("int(move)", "int(m)", "int(f)"),
    ("move == other", "m == m2", "i == j"),
    ("move == int", "m == i", "i == j"),
    ("Square(i)", "Square(s)", "float(s)"),
    ("Color == Color", "c == c2", "i == j"),
    ("Color.BLACK", "Color.BLACK", "int.real"),
    ("move.to_sq", "m.to_sq", "f.real"),
    ("move_label(move, turn)", "move_label(m, c)", "divmod(i, j)"),
    ("compact_move_label(move, turn)", "compact_move_label(m, c)", "divmod(i, j)"),
    ("move_label_to_compact(label)", "move_label_to_compact(label)", "abs(label)"),
]


def per_call_ns(statement: str, number: int) -> float:
    timer = timeit.Timer(statement, globals=SETUP)
    return min(timer.repeat(repeat=5, number=number)) / number * 1e9


def main() -> None:
    parser = argparse.ArgumentParser()
    parser.add_argument("--number", type=int, default=200_000)
    args = parser.parse_args()
    print(f"{'operation':34} {'korvan ns':>10} {'baseline ns':>12} {'ratio':>6}  baseline")
    for name, statement, baseline in CASES:
        ours = per_call_ns(statement, args.number)
        base = per_call_ns(baseline, args.number)
        print(f"{name:34} {ours:10.1f} {base:12.1f} {ours / base:6.2f}  {baseline}")


if __name__ == "__main__":
    main()
