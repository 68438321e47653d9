"""The dtype submodule and its presentation as korvan.numpy."""

import subprocess
import sys
import textwrap

import numpy as np
import pytest

import korvan.numpy as knp
from korvan import _korvan

RECORDS = {
    "PackedSfen": (32, ["sfen"]),
    "PackedSfenValue": (40, ["sfen", "score", "move", "game_ply", "game_result", "padding"]),
    "HuffmanCodedPos": (32, ["hcp"]),
    "HuffmanCodedPosAndEval": (38, ["hcp", "eval", "bestMove16", "gameResult", "dummy"]),
}


@pytest.mark.parametrize("name, shape", RECORDS.items())
def test_record_types(name, shape):
    size, fields = shape
    dtype = getattr(_korvan.dtype, name)
    assert isinstance(dtype, np.dtype) and dtype.itemsize == size and list(dtype.names) == fields
    assert getattr(knp, name) is dtype
    fresh = _korvan.dtype.dtype_getattr(name)
    assert fresh == dtype and fresh is not dtype


def test_submodule_contents():
    dtype = _korvan.dtype
    assert dtype.__all__ == ["dtype_getattr", *RECORDS]
    assert dtype.__getattr__ is dtype.dtype_getattr
    assert knp.__all__ == list(RECORDS)


def test_unknown_names():
    with pytest.raises(AttributeError) as info:
        _korvan.dtype.dtype_getattr("packedsfen")
    assert str(info.value) == "module 'korvan.numpy' has no attribute 'packedsfen'"
    with pytest.raises(AttributeError, match="^module 'korvan.numpy' has no attribute 'Nothing'$"):
        knp.Nothing
    with pytest.raises(TypeError, match="^argument 'name': 'int' object cannot be cast as 'str'$"):
        _korvan.dtype.dtype_getattr(1)


BLOCKED = textwrap.dedent(
    """
    import sys

    class Blocker:
        def find_spec(self, name, path=None, target=None):
            if name == "numpy" or name.startswith("numpy."):
                raise ImportError("numpy blocked")

    sys.meta_path.insert(0, Blocker())
    import korvan
    import korvan.numpy
    from korvan import _korvan
    assert _korvan.dtype.__all__ == ["dtype_getattr"], _korvan.dtype.__all__
    for source in (korvan.numpy, _korvan.dtype):
        for name in ("HuffmanCodedPos", "PackedSfen", "anything"):
            try:
                getattr(source, name)
            except ImportError as e:
                print(e)
    print(len(korvan.__all__))
    """
)


def test_imports_without_numpy():
    out = subprocess.run([sys.executable, "-c", BLOCKED], capture_output=True, text=True, check=True).stdout
    expected = [f"numpy is required for korvan.numpy.{name}" for name in ("HuffmanCodedPos", "PackedSfen", "anything")]
    assert out.splitlines() == expected * 2 + [str(len(_korvan.__all__))]
