"""Container file functions refuse a path holding a NUL byte before any file is touched:
the system would otherwise take the path up to the NUL, a different file."""

import pytest

import korvan
from container_records import random_record

RECORDS = [random_record(5, 12)]

# Each writer with content it accepts, and its reader.
FORMATS = [
    pytest.param(korvan.write_sazpack_file, [], korvan.decode_sazpack_file, id="sazpack"),
    pytest.param(korvan.write_pack_file, RECORDS, korvan.decode_pack_file, id="pack"),
    pytest.param(korvan.write_sbinpack_file, RECORDS, korvan.decode_sbinpack_file, id="sbinpack"),
]


@pytest.mark.parametrize(("write", "content", "read"), FORMATS)
def test_writers_create_no_file(tmp_path, write, content, read):
    stem = tmp_path / "a.saz"
    with pytest.raises(ValueError):
        write(str(stem) + "\0x", content)
    assert not stem.exists()


@pytest.mark.parametrize(("write", "content", "read"), FORMATS)
def test_readers_read_no_file(tmp_path, write, content, read):
    stem = tmp_path / "a.saz"
    write(str(stem), content)
    assert len(read(str(stem))) == len(content)
    with pytest.raises(ValueError):
        read(str(stem) + "\0x")
