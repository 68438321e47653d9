"""The type stub python/korvan/_korvan.pyi against the module it describes: the same
public names, per class the same methods and attributes, and per callable the same
parameters (names, kinds, defaults) as the module's text signatures give."""

import ast
import inspect
from pathlib import Path

import pytest

import korvan._korvan as native

STUB = Path(__file__).resolve().parents[2] / "python" / "korvan" / "_korvan.pyi"
TREE = ast.parse(STUB.read_text(encoding="utf-8"))

# Members every heap type has, which the stub lists only where it means to.
IMPLICIT = set(vars(type("Plain", (), {})))


def stub_classes():
    return {node.name: node for node in TREE.body if isinstance(node, ast.ClassDef)}


CLASSES = stub_classes()


def public_stub_names():
    names = set()
    for node in TREE.body:
        if isinstance(node, ast.ClassDef | ast.FunctionDef):
            names.add(node.name)
        elif isinstance(node, ast.AnnAssign) and isinstance(node.target, ast.Name):
            names.add(node.target.id)
    return {name for name in names if not name.startswith("_")}


def stub_members(node):
    """Methods by name (FunctionDef) and attribute names of a stub class, its stub bases first."""
    methods, attributes = {}, set()
    for base in node.bases:
        if isinstance(base, ast.Name) and base.id in CLASSES:
            base_methods, base_attributes = stub_members(CLASSES[base.id])
            methods.update(base_methods)
            attributes |= base_attributes
    for item in node.body:
        if isinstance(item, ast.FunctionDef):
            decorators = {d.id for d in item.decorator_list if isinstance(d, ast.Name)}
            decorators |= {d.attr for d in item.decorator_list if isinstance(d, ast.Attribute)}
            if decorators & {"property", "setter", "deleter"}:
                attributes.add(item.name)
            else:
                methods[item.name] = item
        elif isinstance(item, ast.AnnAssign) and isinstance(item.target, ast.Name):
            attributes.add(item.target.id)
    return methods, attributes


def stub_parameters(function, skip_first):
    """(name, kind, default) of each parameter; a default as its Python value."""
    args = function.args
    positional = args.posonlyargs + args.args
    defaults = [None] * (len(positional) - len(args.defaults)) + list(args.defaults)
    out = []
    for arg, default in zip(positional, defaults):
        kind = "POSITIONAL_ONLY" if arg in args.posonlyargs else "POSITIONAL_OR_KEYWORD"
        out.append((arg.arg, kind, ast.literal_eval(default) if default else inspect.Parameter.empty))
    if args.vararg:
        out.append((args.vararg.arg, "VAR_POSITIONAL", inspect.Parameter.empty))
    for arg, default in zip(args.kwonlyargs, args.kw_defaults):
        out.append((arg.arg, "KEYWORD_ONLY", ast.literal_eval(default) if default else inspect.Parameter.empty))
    if args.kwarg:
        out.append((args.kwarg.arg, "VAR_KEYWORD", inspect.Parameter.empty))
    return out[1:] if skip_first else out


def runtime_parameters(obj):
    signature = inspect.signature(obj)
    return [(p.name, p.kind.name, p.default) for p in signature.parameters.values()]


def constructor_parameters(cls):
    # The class doc starts with "Name(a, b)\n--\n\n"; without it the class takes no call.
    text = cls.__text_signature__
    if text is None:
        return None
    scope = {}
    exec(f"def constructor{text}: pass", scope)
    return runtime_parameters(scope["constructor"])


def same_parameters(stub, runtime):
    # Compares defaults by value and type, so that 0, False and 0.0 stay apart.
    return [(n, k, d, type(d)) for n, k, d in stub] == [(n, k, d, type(d)) for n, k, d in runtime]


def test_public_names_match_the_module():
    assert public_stub_names() == set(native.__all__) | {"PanicException"}


@pytest.mark.parametrize("name", sorted(n for n in CLASSES if not n.startswith("_") and n != "PanicException"))
def test_class_members_and_signatures(name):
    cls = getattr(native, name)
    assert isinstance(cls, type)
    methods, attributes = stub_members(CLASSES[name])
    own = {member for member in vars(cls) if not (member.startswith("__") and member.endswith("__"))}
    stubbed = {member for member in set(methods) | attributes if not member.startswith("__")}
    assert stubbed == own
    for dunder in (m for m in set(methods) | attributes if m.startswith("__")):
        assert hasattr(cls, dunder), dunder

    for method_name, function in methods.items():
        if method_name == "__new__":
            assert same_parameters(stub_parameters(function, skip_first=True), constructor_parameters(cls) or []), method_name
        elif not method_name.startswith("__") or method_name in {"__copy__", "__deepcopy__"}:
            member = vars(cls).get(method_name)
            runtime = runtime_parameters(getattr(cls, method_name))
            decorators = {d.id for d in function.decorator_list if isinstance(d, ast.Name)}
            assert ("classmethod" in decorators) == isinstance(member, classmethod | type(vars(dict)["fromkeys"])), method_name
            # An unbound method's signature keeps self; a class method's drops cls.
            skip_runtime = "classmethod" not in decorators
            assert same_parameters(stub_parameters(function, skip_first=True), runtime[1:] if skip_runtime else runtime), (
                method_name
            )
    if "__new__" not in methods:
        assert constructor_parameters(cls) in (None, []), "the stub lacks __new__"


@pytest.mark.parametrize(
    "name", sorted(node.name for node in TREE.body if isinstance(node, ast.FunctionDef) and not node.name.startswith("_"))
)
def test_function_signatures(name):
    function = next(node for node in TREE.body if isinstance(node, ast.FunctionDef) and node.name == name)
    assert same_parameters(stub_parameters(function, skip_first=False), runtime_parameters(getattr(native, name)))
