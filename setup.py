"""Compiles the module fclimits._core for pip: the limit computation
(limits/), the library (fclimits/) and the bindings (python/src/), with the
floating-point flags of the CMake build, so that every value is the
library's double. The metadata is in pyproject.toml."""

import re
from pathlib import Path

from pybind11.setup_helpers import ParallelCompile, Pybind11Extension, build_ext
from setuptools import setup

root = Path(__file__).resolve().parent


def project_version():
    cmake = (root / "CMakeLists.txt").read_text()
    return re.search(r"project\(fclimits VERSION ([0-9.]+)", cmake).group(1)


def sources():
    return sorted(str(path.relative_to(root))
                  for folder in ("limits", "fclimits", "python/src")
                  for path in (root / folder).glob("*.cpp"))


ParallelCompile("NPY_NUM_BUILD_JOBS").install()  # all cores unless told
version = project_version()
core = Pybind11Extension(
    "fclimits._core",
    sources(),
    include_dirs=[str(root)],
    define_macros=[("FCLIMITS_VERSION", f'"{version}"')],
    cxx_std=20,
    # No contraction into fused multiply-adds, never fast-math: each product
    # and sum is rounded to double where it is written.
    extra_compile_args=["-O2", "-ffp-contract=off"],
)
# setuptools' scratch files away from the CMake build (build/) and the sources.
scratch = root / "build-pip"
scratch.mkdir(exist_ok=True)
setup(version=version, ext_modules=[core], cmdclass={"build_ext": build_ext},
      options={"build": {"build_base": str(scratch)}, "egg_info": {"egg_base": str(scratch)}})
