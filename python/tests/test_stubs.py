"""The type stubs that editors read name every public function's parameters
as the functions do, so that completion and checking never mislead."""

import ast
import inspect
from pathlib import Path

import pytest

import fclimits
import fclimits.plot


@pytest.mark.parametrize("module, stub_name", [(fclimits, "__init__.pyi"),
                                               (fclimits.plot, "plot.pyi")])
def test_stubs_match_the_functions(module, stub_name):
    stub = Path(fclimits.__file__).with_name(stub_name)
    functions = [node for node in ast.parse(stub.read_text()).body
                 if isinstance(node, ast.FunctionDef)]
    public = {name for name, value in vars(module).items()
              if inspect.isfunction(value) and not name.startswith("_")
              and value.__module__ == module.__name__}
    assert {f.name for f in functions} == public
    for f in functions:
        parameters = inspect.signature(getattr(module, f.name)).parameters.values()
        positional = [p.name for p in parameters if p.kind == p.POSITIONAL_OR_KEYWORD]
        keyword = [p.name for p in parameters if p.kind == p.KEYWORD_ONLY]
        assert [a.arg for a in f.args.args] == positional, f.name
        assert [a.arg for a in f.args.kwonlyargs] == keyword, f.name
    assert stub.with_name("py.typed").exists()
