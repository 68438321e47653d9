"""Every python block of README.md runs in a fresh folder: a block written as an
interactive session is checked by doctest, any other block is run as a script whose
asserts state its outputs. A block is left out only when its first line is the
marker comment, and few may be."""

import doctest
import pathlib
import re

import pytest

README = pathlib.Path(__file__).resolve().parents[2] / "README.md"
NOT_RUN = "# not run:"
SECTIONS = ["Positions", "Game records", "Training data", "Opening books", "Errors"]


def python_blocks():
    """(section heading, first line number, code) of each python block, in order."""
    blocks, heading, fence, start, lines = [], None, None, 0, []
    for number, line in enumerate(README.read_text(encoding="utf-8").splitlines(keepends=True), 1):
        if fence is None and line.startswith("```"):
            fence, start, lines = line[3:].strip(), number + 1, []
        elif fence is not None and line.rstrip() == "```":
            if fence == "python":
                blocks.append((heading, start, "".join(lines)))
            fence = None
        elif fence is not None:
            lines.append(line)
        elif line.startswith("#"):
            heading = line.lstrip("#").strip()
    assert fence is None, "README.md ends inside a fence"
    return blocks


def block_ids(blocks):
    """Each block named by its section; a second block of a section gets a number."""
    ids, seen = [], {}
    for heading, _, _ in blocks:
        name = re.sub(r"[^a-z0-9]+", "-", (heading or "top").lower()).strip("-")
        seen[name] = seen.get(name, 0) + 1
        ids.append(name if seen[name] == 1 else f"{name}-{seen[name]}")
    return ids


BLOCKS = python_blocks()


def test_every_guide_section_has_examples_and_few_are_left_out():
    headings = [heading for heading, _, _ in BLOCKS]
    assert [s for s in SECTIONS if s not in headings] == []
    assert sum(code.startswith(NOT_RUN) for _, _, code in BLOCKS) <= 1


@pytest.mark.parametrize("heading, start, code", BLOCKS, ids=block_ids(BLOCKS))
def test_block(heading, start, code, tmp_path, monkeypatch):
    if code.startswith(NOT_RUN):
        pytest.skip(code.splitlines()[0])
    monkeypatch.chdir(tmp_path)
    name = f"README.md ({heading})"
    if any(line.lstrip().startswith(">>>") for line in code.splitlines()):
        test = doctest.DocTestParser().get_doctest(code, {}, name, str(README), start - 1)
        report = []
        runner = doctest.DocTestRunner(optionflags=doctest.ELLIPSIS)
        result = runner.run(test, out=report.append, clear_globs=True)
        assert result.failed == 0, "".join(report)
        assert result.attempted > 0
    else:
        # Blank lines in front keep the README's line numbers in a traceback.
        exec(compile("\n" * (start - 1) + code, str(README), "exec"), {"__name__": "__readme__"})
