"""The atheris harnesses' saved inputs, replayed in process: each corpus file goes
through the harness's TestOneInput as under the fuzzer (without its coverage
instrumentation, which only guides the search), so a mended fault stays mended. The C++
harnesses' corpora are replayed by ctest (korvan_fuzz_replay)."""

import contextlib
import importlib.util
import pathlib

import pytest

atheris = pytest.importorskip("atheris")

FUZZ = pathlib.Path(__file__).resolve().parents[2] / "fuzz"


def load_harness(name, monkeypatch):
    monkeypatch.setattr(atheris, "instrument_imports", contextlib.nullcontext)
    monkeypatch.setattr(atheris, "instrument_func", lambda f: f)
    spec = importlib.util.spec_from_file_location(f"fuzz_{name}", FUZZ / f"{name}.py")
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


@pytest.mark.parametrize("name", ["py_board", "py_values"])
def test_every_saved_input_keeps_its_properties(name, monkeypatch):
    harness = load_harness(name, monkeypatch)
    folders = [FUZZ / "corpus" / name, FUZZ / "crashes" / name]
    files = sorted(f for folder in folders if folder.is_dir() for f in folder.iterdir() if f.is_file())
    assert files, f"no saved inputs for {name}"
    for file in files:
        try:
            harness.TestOneInput(file.read_bytes())
        except BaseException as e:  # noqa: BLE001 - name the input that broke
            raise AssertionError(f"{file.name}: {type(e).__name__}: {e}") from e
