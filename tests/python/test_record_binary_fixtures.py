"""The binary formats over real records written by other programs (handicaps, set-up
positions, variations, every kind of ending), each given an evaluation on every move."""

import pathlib

import pytest

import korvan as k
from container_records import all_move_nodes, board_at, main_line, variation_stems, with_evals

FIXTURES = pathlib.Path(__file__).resolve().parents[1] / "fixtures" / "records"
READERS = {
    ".csa": k.Record.from_csa_file,
    ".jkf": k.Record.from_jkf_file,
    ".kif": k.Record.from_kif_file,
    ".kifu": k.Record.from_kif_file,
    ".ki2": k.Record.from_ki2_file,
}
PATHS = sorted(p for p in FIXTURES.glob("*/*") if p.suffix in READERS)


def fixture(path, seed):
    return with_evals(READERS[path.suffix](path), seed)


def holds_kings(record):
    sfen = record.init_position_sfen.split()[0]
    return "K" in sfen and "k" in sfen


@pytest.mark.parametrize("path", PATHS, ids=lambda p: p.name)
def test_pack(path):
    record = fixture(path, 1)
    if record.main_terminal is None:
        with pytest.raises(ValueError, match="^pack: pack export requires a terminal result$"):
            record.to_pack()
        return
    if not holds_kings(record):
        with pytest.raises(ValueError, match="^pack: position cannot be encoded: a king is missing$"):
            record.to_pack()
        return
    back = k.Record.from_pack(record.to_pack())
    assert main_line(back) == [(m, max(-32000, min(32000, e))) for m, e in main_line(record)]
    assert back.result == record.result
    assert back.init_position_sfen == record.init_position_sfen


@pytest.mark.parametrize("path", PATHS, ids=lambda p: p.name)
def test_sbinpack_with_variations(path):
    record = fixture(path, 2)
    if not holds_kings(record):
        with pytest.raises(ValueError, match=r'^sbinpack: UnencodablePosition\("position cannot be encoded'):
            record.to_sbinpack(include_variations=True)
        return
    chains = k.decode_sbinpack(record.to_sbinpack(include_variations=True, metadata=path.name.encode()))
    assert all(m == path.name.encode() for _, m in chains)
    main, variations = chains[0][0], [r for r, _ in chains[1:]]
    assert main_line(main) == main_line(record)
    assert main.init_position_sfen == record.init_position_sfen
    assert sorted((r.init_position_sfen, main_line(r)) for r in variations) == sorted(variation_stems(record))
    expected_result = record.result if int(record.result) not in (20, 21) else k.GameResult.INVALID
    assert all(r.result == expected_result for r, _ in chains)


@pytest.mark.parametrize("path", PATHS, ids=lambda p: p.name)
def test_psv_rows_of_the_whole_tree(path):
    record = fixture(path, 3)
    if not holds_kings(record):
        with pytest.raises(ValueError, match=r"^to_psv: unencodable position at node_id=1 \(move="):
            record.to_psv()
        return
    rows = record.to_psv(include_variations=True)
    # Depth-first, children in order: the order all_move_nodes gives is another
    # depth-first order, so compare as sets of rows, then the main line in order.
    expected = {}
    for node in all_move_nodes(record):
        board = board_at(record, record.node_parent(node))
        entry = record.node_move(node)
        expected[node] = board.to_psv(entry.move, entry.engine_info.eval, record.result, board.game_ply)
    assert sorted(rows) == sorted(expected.values())
    assert record.to_psv() == [expected[n] for n in record.main_line_ids()]
