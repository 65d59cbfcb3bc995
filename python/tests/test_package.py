"""The package as a whole: its status table is the C headers', and its type stubs describe
exactly what the module offers."""

import ast
import re
from pathlib import Path

import pytest

import orbmath as om

ROOT = Path(__file__).resolve().parents[2]
PACKAGE = Path(om.__file__).parent


def test_status_table_is_the_headers():
    header = (ROOT / "include" / "orbmath" / "common.h").read_text()
    defined = {
        name: int(code, 16) - (1 << 32)
        for name, code in re.findall(r"#define (\w+)\s+ORBMATH_STATUS_\((0x[0-9A-Fa-f]+)u\)", header)
    }
    assert {name: code for code, name in om.status_names().items()} == defined


@pytest.mark.parametrize("cls", [om.GeometryError, om.TransformError, om.RangeError, om.StatisticsError, om.MatrixError])
def test_every_family_error_is_an_orbmath_error(cls):
    assert issubclass(cls, om.Error)


def public(node):
    return [n for n in node.body if isinstance(n, (ast.FunctionDef, ast.ClassDef)) and not n.name.startswith("_")]


@pytest.mark.parametrize("stub, module", [("__init__.pyi", om), ("angle.pyi", om.angle), ("linalg.pyi", om.linalg)])
def test_stubs_describe_the_module(stub, module):
    tree = ast.parse((PACKAGE / stub).read_text())
    declared = set()
    for node in public(tree):
        declared.add(node.name)
        assert hasattr(module, node.name), f"{stub}: {node.name} is not in the module"
        if isinstance(node, ast.ClassDef):
            runtime = getattr(module, node.name)
            members = {n.name for n in node.body if isinstance(n, ast.FunctionDef)}
            offered = {n for n in vars(runtime) if not n.startswith("_") or n in ("__matmul__", "__rmatmul__")}
            assert members - {"__init__", "__eq__", "__copy__"} == offered - {"__eq__"} - {"__copy__"}, node.name
    runtime_names = {n for n in getattr(module, "__all__", dir(module)) if not n.startswith("_")}
    runtime_names -= {"Error", "GeometryError", "TransformError", "RangeError", "StatisticsError", "MatrixError",
                      "angle", "linalg"}
    assert runtime_names <= declared, f"{stub} lacks {sorted(runtime_names - declared)}"
