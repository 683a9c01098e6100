"""The type stubs that editors read name every public function's parameters
as the functions do, so that completion and checking never mislead."""

import ast
import inspect
from pathlib import Path

import fclimits


def test_stubs_match_the_functions():
    stub = Path(fclimits.__file__).with_name("__init__.pyi")
    functions = [node for node in ast.parse(stub.read_text()).body
                 if isinstance(node, ast.FunctionDef)]
    assert {f.name for f in functions} == {"limits", "acceptance_region", "sensitivity",
                                           "coverage"}
    for f in functions:
        parameters = inspect.signature(getattr(fclimits, f.name)).parameters.values()
        positional = [p.name for p in parameters if p.kind == p.POSITIONAL_OR_KEYWORD]
        keyword = [p.name for p in parameters if p.kind == p.KEYWORD_ONLY]
        assert [a.arg for a in f.args.args] == positional, f.name
        assert [a.arg for a in f.args.kwonlyargs] == keyword, f.name
    assert stub.with_name("py.typed").exists()
