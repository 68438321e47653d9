"""Records for the container tests: seeded random games with evaluations, variations
added through the editor, and plain descriptions of records to compare."""

import random

import korvan as k

START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"

# Results each container carries back unchanged, with the terminal kind a chain gives.
SBINPACK_RESULTS = [
    ("BLACK_WIN", "RESIGN"),
    ("WHITE_WIN", "RESIGN"),
    ("DRAW_BY_REPETITION", "REPETITION_DRAW"),
    ("BLACK_WIN_BY_DECLARATION", "WIN_BY_DECLARATION"),
    ("DRAW_BY_MAX_PLIES", "MAX_MOVES"),
    ("DRAW_BY_IMPASSE", "IMPASSE"),
    ("WHITE_WIN_BY_ILLEGAL_MOVE", "WIN_BY_ILLEGAL_MOVE"),
    ("BLACK_WIN_BY_TIMEOUT", "TIMEOUT"),
]


def random_moves(rng, board, plies):
    """USI texts of a random legal playout of `plies` moves, played on `board`; moves
    that would leave the other side without a move are passed over, so a game is as
    long as asked unless a side runs out of moves that do not mate."""
    moves = []
    for _ in range(plies):
        legal = board.legal_moves()
        rng.shuffle(legal)
        for move in legal:
            board.push_move(move)
            if board.legal_moves():
                break
            board.pop()
        else:
            break
        moves.append(str(move))
    return moves


def random_eval(rng):
    # Mostly ordinary scores, now and then the extremes and the mate range.
    return rng.choice([rng.randint(-3000, 3000)] * 6 + [-32768, 32767, rng.randint(32001, 32767)])


def random_record(seed, plies, result="BLACK_WIN", start="startpos"):
    rng = random.Random(seed)
    board = k.Board() if start == "startpos" else k.Board(start)
    moves = random_moves(rng, board, plies)
    evals = [random_eval(rng) for _ in moves]
    return k.Record.from_usi_main_line(start, moves, result=result, evals=evals)


def all_move_nodes(record):
    """Every move node's number, parents before children."""
    out, stack = [], [record.root_node_id()]
    while stack:
        node = stack.pop()
        for child in record.children(node):
            if record.node_move(child) is not None:
                out.append(child)
                stack.append(child)
    return out


def with_variations(record, seed, count, length):
    """The record with `count` random lines of up to `length` moves (each with an
    evaluation) added under random nodes, earlier variations included."""
    rng = random.Random(seed)
    editor = k.RecordEditor.from_record(record)
    for _ in range(count):
        current = editor.record()
        editor.go_to(rng.choice([0] + all_move_nodes(current)))
        for move in random_moves(rng, editor.position, length):
            editor.append_move(k.MoveEntry(move, engine_info=k.EngineInfo(eval=random_eval(rng))))
    return editor.into_record()


def line_from(record, node):
    """(USI, eval) of the moves from `node` along first children."""
    out = []
    while node is not None:
        entry = record.node_move(node)
        if entry is None:
            break
        out.append((str(entry.move), entry.engine_info.eval if entry.engine_info else None))
        children = record.children(node)
        node = children[0] if children else None
    return out


def main_line(record):
    children = record.children(record.root_node_id())
    return line_from(record, children[0]) if children else []


def board_at(record, node):
    """A board at the node, replayed from the record's initial position."""
    path = []
    while node != record.root_node_id():
        path.append(str(record.node_move(node).move))
        node = record.node_parent(node)
    board = k.Board(record.init_position_sfen)
    for move in reversed(path):
        board.push_usi(move)
    return board


def variation_stems(record):
    """(stem SFEN, line) of every child that is not a first child (a terminal's line
    is empty)."""
    out = []
    for node in [record.root_node_id()] + all_move_nodes(record):
        for child in record.children(node)[1:]:
            out.append((board_at(record, node).to_sfen(), line_from(record, child)))
    return out


def with_evals(record, seed):
    """A copy of the whole tree (terminals included, children in order) with a random
    evaluation on every move."""
    rng = random.Random(seed)
    editor = k.RecordEditor(record.init_position_sfen)
    copied = {record.root_node_id(): 0}
    stack = [record.root_node_id()]
    while stack:
        node = stack.pop()
        for child in record.children(node):
            editor.go_to(copied[node])
            move = record.node_move(child)
            if move is None:
                editor.append_special(record.node_terminal(child))
                continue
            info = k.EngineInfo(eval=random_eval(rng))
            copied[child] = editor.append_move(k.MoveEntry(move.move, engine_info=info))
            stack.append(child)
    return editor.into_record()
