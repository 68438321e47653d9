"""Rows per second of the training-row and packed-position methods of a Board.

    python bench/board_rows.py [--rows N]

Writes N rows of PackedSfenValue and HuffmanCodedPosAndEval into preallocated numpy
record arrays, one call per row from a Python loop, through each kind of target a
caller is likely to hand over; then times to_packed_sfen / set_packed_sfen and
to_hcp / set_hcp round trips. Prints rows per second; asserts nothing.
"""

import argparse
import time

import numpy as np

import korvan as k
from korvan import numpy as kn

MATSURI = "l6nl/5+P1gk/2np1S3/p1p4Pp/3P2Sp1/1PPb2P1P/P5GS1/R8/LN4bKL w GR5pnsg 1"


def rate(n, seconds):
    return f"{n / seconds / 1e6:6.2f} M rows/s  ({seconds / n * 1e9:5.0f} ns/row)"


def timed(label, n, loop):
    best = min(_once(loop) for _ in range(3))
    print(f"{label:58} {rate(n, best)}")


def _once(loop):
    t0 = time.perf_counter()
    loop()
    return time.perf_counter() - t0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rows", type=int, default=500_000)
    n = parser.parse_args().rows
    board = k.Board(MATSURI)
    mv = k.Move.from_usi("8i7g")
    psv = np.zeros(n, kn.PackedSfenValue)
    hcpe = np.zeros(n, kn.HuffmanCodedPosAndEval)
    psv_bytes = psv.view(np.uint8).reshape(n, 40)
    hcpe_bytes = hcpe.view(np.uint8).reshape(n, 38)
    to_psv, to_hcpe = board.to_psv, board.to_hcpe
    result = k.GameResult.BLACK_WIN

    def psv_rows_of_bytes():
        for i in range(n):
            to_psv(mv, 100, result, None, psv_bytes[i])

    def psv_slices():
        for i in range(n):
            to_psv(mv, 100, result, None, psv[i:i + 1])

    def psv_records():
        for i in range(n):
            to_psv(mv, 100, result, None, psv[i])

    def hcpe_rows_of_bytes():
        for i in range(n):
            to_hcpe(mv, 100, result, hcpe_bytes[i])

    def hcpe_slices():
        for i in range(n):
            to_hcpe(mv, 100, result, hcpe[i:i + 1])

    def hcpe_records():
        for i in range(n):
            to_hcpe(mv, 100, result, hcpe[i])

    def psv_to_bytes():
        for _ in range(n):
            to_psv(mv, 100, result)

    print(f"{n} rows, position: matsuri; CPython {'.'.join(map(str, __import__('sys').version_info[:3]))}")
    timed("to_psv  -> bytes (no out)", n, psv_to_bytes)
    timed("to_psv  -> uint8[40] row view of the record array", n, psv_rows_of_bytes)
    timed("to_psv  -> record array slice psv[i:i+1]", n, psv_slices)
    timed("to_psv  -> single record psv[i]", n, psv_records)
    timed("to_hcpe -> uint8[38] row view of the record array", n, hcpe_rows_of_bytes)
    timed("to_hcpe -> record array slice hcpe[i:i+1]", n, hcpe_slices)
    timed("to_hcpe -> single record hcpe[i]", n, hcpe_records)

    other = k.Board()
    to_packed_sfen, set_packed_sfen = board.to_packed_sfen, other.set_packed_sfen
    to_hcp, set_hcp = board.to_hcp, other.set_hcp

    def packed_sfen_round_trips():
        for _ in range(n):
            set_packed_sfen(to_packed_sfen())

    def hcp_round_trips():
        for _ in range(n):
            set_hcp(to_hcp(), 1)

    packed_rows = np.zeros((n, 32), np.uint8)

    def packed_sfen_into_rows():
        for i in range(n):
            to_packed_sfen(packed_rows[i])

    timed("to_packed_sfen + set_packed_sfen round trip (bytes)", n, packed_sfen_round_trips)
    timed("to_hcp + set_hcp round trip (bytes)", n, hcp_round_trips)
    timed("to_packed_sfen -> uint8[32] row", n, packed_sfen_into_rows)


if __name__ == "__main__":
    main()
