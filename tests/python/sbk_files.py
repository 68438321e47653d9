"""A small SBK writer for the tests and the bench: protocol-buffer fields by hand, move
codes from USI moves, and books generated from seeded playouts merged by position."""

import random

import korvan

DROP_LETTERS = "PLNSGBR"


def varint(value):
    value &= (1 << 64) - 1
    out = bytearray()
    while value >= 0x80:
        out.append(value & 0x7F | 0x80)
        value >>= 7
    out.append(value)
    return bytes(out)


def key(field, wire_type):
    return varint(field << 3 | wire_type)


def int_field(field, value):
    """An int32 or int64 field; a negative value takes ten bytes."""
    return key(field, 0) + varint(value)


def bytes_field(field, data):
    if isinstance(data, str):
        data = data.encode()
    return key(field, 2) + varint(len(data)) + data


def move(raw_move=None, evaluation=None, weight=None, next_state_id=None):
    out = b""
    for field, value in ((1, raw_move), (2, evaluation), (3, weight), (4, next_state_id)):
        if value is not None:
            out += int_field(field, value)
    return out


def evaluation(value=None, depth=None, sel_depth=None, nodes=None, variation=None, engine_name=None):
    out = b""
    for field, v in ((1, value), (2, depth), (3, sel_depth), (4, nodes)):
        if v is not None:
            out += int_field(field, v)
    for field, v in ((5, variation), (6, engine_name)):
        if v is not None:
            out += bytes_field(field, v)
    return out


def state(state_id=None, moves=(), sfen=None, games=None, won_black=None, won_white=None, comment=None, evals=()):
    out = b""
    for field, value in ((1, state_id), (4, games), (5, won_black), (6, won_white)):
        if value is not None:
            out += int_field(field, value)
    for field, value in ((7, sfen), (8, comment)):
        if value is not None:
            out += bytes_field(field, value)
    out += b"".join(bytes_field(9, m) for m in moves)
    out += b"".join(bytes_field(10, e) for e in evals)
    return out


def book(states, author=None, description=None):
    out = b""
    if author is not None:
        out += bytes_field(1, author)
    if description is not None:
        out += bytes_field(2, description)
    return out + b"".join(bytes_field(3, s) for s in states)


def move_code(usi, white=False):
    """The code of a USI move played by the given side, with the side bit (a White move
    is negative) and, for a drop, the piece bits."""
    if usi[1] == "*":
        code = (DROP_LETTERS.index(usi[0]) + 1) << 24
        to = usi[2:4]
    else:
        code = int(usi[0]) << 4 | (ord(usi[1]) - ord("a") + 1)
        to = usi[2:4]
        if usi.endswith("+"):
            code |= 1 << 19
    code |= int(to[0]) << 12 | (ord(to[1]) - ord("a") + 1) << 8
    if white:
        code |= 16 << 24 | 1 << 31
        code -= 1 << 32
    return code


def generated_book(state_count, seed, max_plies=60):
    """Seeded playouts merged by position: (file bytes, [(SFEN board fields, id)] per state)."""
    rng = random.Random(seed)
    start = korvan.Board()
    states = [{"id": 1, "moves": [], "games": rng.randrange(1000)}]
    placements = [start.to_sfen().rsplit(" ", 1)[0]]
    by_key = {start.zobrist_hash(): 0}
    while len(states) < state_count:
        board = korvan.Board()
        current = 0
        for ply in range(max_plies):
            if len(states) >= state_count:
                break
            moves = board.legal_moves()
            if not moves:
                break
            choices = moves[:3] if ply < 6 else moves
            mv = rng.choice(choices)
            white = board.turn == korvan.Color.WHITE
            board.push_move(mv)
            place = by_key.setdefault(board.zobrist_hash(), len(states))
            if place == len(states):
                states.append({"id": place + 1, "moves": [], "games": rng.randrange(1000)})
                placements.append(board.to_sfen().rsplit(" ", 1)[0])
            code = move_code(mv.to_usi(), white)
            links = states[current]["moves"]
            if all(code != c for c, _ in links):
                links.append((code, place + 1))
            current = place
    data = book(
        state(s["id"], [move(c, 0, 1, n) for c, n in s["moves"]], games=s["games"]) for s in states
    )
    return data, placements
