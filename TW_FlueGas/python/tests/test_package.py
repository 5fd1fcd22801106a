"""The package as a user meets it: its help, its stubs, and where it finds its libraries."""

import ast
import inspect
import os
import pathlib
import subprocess
import sys

import twsuite
from conftest import BUILD_DIR

PACKAGE = pathlib.Path(twsuite.__file__).parent


def test_help_shows_each_commands_options():
    signature = inspect.signature(twsuite.pipe)
    assert list(signature.parameters)[0] == "function"
    assert "Isentropic_exponent_k" in signature.parameters
    assert signature.parameters["PipeID"].kind is inspect.Parameter.KEYWORD_ONLY
    assert list(inspect.signature(twsuite.convert).parameters) == [
        "key", "from_unit", "to_unit", "value", "lang"]
    assert inspect.signature(twsuite.dpcalc).parameters["pipe"].default is False
    assert "tref" in inspect.signature(twsuite.fluegas_batch).parameters
    doc = twsuite.steam_sat.__doc__
    assert "tp: Saturation temperature" in doc and "twcalc steam sat --json" in doc


def test_the_stubs_declare_every_function_with_its_options():
    stubs = ast.parse((PACKAGE / "__init__.pyi").read_text(encoding="utf-8"))
    functions = {node.name: node for node in stubs.body if isinstance(node, ast.FunctionDef)}
    classes = {node.name for node in stubs.body if isinstance(node, ast.ClassDef)}
    assert {"AutomationError", "InputRefused"} <= classes
    assert set(twsuite.__all__) - {"AutomationError", "InputRefused"} == set(functions)
    for command in twsuite.COMMANDS:
        node = functions["_".join(command["path"])]
        names = [a.arg for a in node.args.args + node.args.kwonlyargs]
        assert names == [a["keyword"] for a in command["positionals"] + command["options"]]
        assert ast.get_docstring(node) == inspect.cleandoc(
            getattr(twsuite, "_".join(command["path"])).__doc__)
    assert (PACKAGE / "py.typed").exists()


def run_python(code, path, cwd):
    """The system's Python with nothing but `path` added: no library or data paths."""
    env = {key: value for key, value in os.environ.items()
           if key not in ("LD_LIBRARY_PATH", "PYTHONPATH", "PYTHONHOME")}
    env["PYTHONPATH"] = str(path)
    return subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                          cwd=cwd, env=env, check=False)


# The steam table files are found beside libTWCommon.so: a saturation state that reads them.
STEAM_TABLE_CHECK = (
    "import twsuite; s = twsuite.steam_sat(tp=100); "
    "assert s['StableError'] == 0 and abs(s['PSAT'] - 1.0342) < 1e-3, s; print('ok')")


def test_the_build_tree_package_finds_its_libraries_and_data(tmp_path):
    result = run_python(STEAM_TABLE_CHECK, BUILD_DIR / "python", tmp_path)
    assert result.stdout == "ok\n", result.stderr


def test_the_installed_package_finds_its_libraries_and_data(tmp_path):
    prefix = tmp_path / "prefix"
    subprocess.run(["cmake", "--install", str(BUILD_DIR), "--prefix", str(prefix)],
                   capture_output=True, check=True)
    packages = prefix / "lib" / "python3" / "dist-packages"
    assert (packages / "twsuite" / "__init__.pyi").exists()
    result = run_python(STEAM_TABLE_CHECK, packages, tmp_path)
    assert result.stdout == "ok\n", result.stderr
