"""Builds the orbmath Python package: the pybind11 module orbmath._core against liborbmath.

Where the library comes from:

* ORBMATH_PREFIX=<prefix>: the copy installed under <prefix> (cmake --install ... --prefix
  <prefix>), found through its orbmath.pc. The module records <prefix>'s library directory
  as its run path.
* otherwise, an installed copy that pkg-config finds (PKG_CONFIG_PATH, or a system prefix)
  when its version is this package's version;
* otherwise the source tree this directory belongs to: the library is built there with CMake
  (Release, in python/build/liborbmath) and shipped inside the package next to the module.

Build offline with the build backend of the system:
    python3 -m pip install --no-build-isolation --no-index ./python
"""

from __future__ import annotations

import os
import re
import shutil
import subprocess
from pathlib import Path

from pybind11.setup_helpers import ParallelCompile, Pybind11Extension, build_ext
from setuptools import setup

HERE = Path(__file__).resolve().parent
SOURCE_ROOT = HERE.parent
SONAME_GLOB = "liborbmath.so.[0-9]*"


def project_version() -> str:
    """The version of the library's CMake project, the one version of the project."""
    cmake = SOURCE_ROOT / "CMakeLists.txt"
    if cmake.is_file():
        match = re.search(r"project\(orbmath\s+VERSION\s+([0-9.]+)", cmake.read_text())
        if match:
            return match.group(1)
    version = os.environ.get("ORBMATH_VERSION")
    if not version:
        raise RuntimeError("no orbmath source tree around python/: set ORBMATH_VERSION and ORBMATH_PREFIX")
    return version


VERSION = project_version()


def pkg_config(*args: str, env: dict | None = None) -> str:
    return subprocess.run(["pkg-config", *args], check=True, capture_output=True, text=True, env=env).stdout.strip()


def installed_library() -> dict | None:
    """Include and library directories of an installed copy, or None when there is none to use."""
    env = dict(os.environ)
    prefix = os.environ.get("ORBMATH_PREFIX")
    if prefix:
        dirs = [str(p) for p in sorted(Path(prefix).glob("lib*/**/pkgconfig")) + sorted(Path(prefix).glob("share/pkgconfig"))]
        env["PKG_CONFIG_PATH"] = os.pathsep.join(dirs + [env.get("PKG_CONFIG_PATH", "")])
    if shutil.which("pkg-config") is None:
        if prefix:
            raise RuntimeError("ORBMATH_PREFIX needs pkg-config (apt-get install pkg-config)")
        return None
    try:
        found = pkg_config("--modversion", "orbmath", env=env)
    except subprocess.CalledProcessError:
        if prefix:
            raise RuntimeError(f"no orbmath.pc under ORBMATH_PREFIX={prefix}") from None
        return None
    if not prefix and found != VERSION:
        print(f"orbmath: pkg-config finds version {found}, not {VERSION}; building the source tree's library")
        return None
    cflags = pkg_config("--cflags-only-I", "orbmath", env=env).split()
    libdir = str(Path(pkg_config("--variable=libdir", "orbmath", env=env)).resolve())
    return {"include": [str(Path(f[2:]).resolve()) for f in cflags], "libdir": libdir, "bundle": None}


def source_library(jobs: str) -> dict:
    """Builds liborbmath from the enclosing source tree; the module will carry a copy of it."""
    if not (SOURCE_ROOT / "include" / "orbmath" / "orbmath.h").is_file():
        raise RuntimeError("no installed orbmath (set ORBMATH_PREFIX) and no source tree around python/")
    build = HERE / "build" / "liborbmath"
    generator = ["-G", "Ninja"] if shutil.which("ninja") and not (build / "Makefile").exists() else []
    subprocess.run(
        ["cmake", "-S", str(SOURCE_ROOT), "-B", str(build), *generator, "-DCMAKE_BUILD_TYPE=Release",
         "-DORBMATH_BUILD_EXAMPLES=OFF", "-DORBMATH_BUILD_TESTS=OFF", "-DORBMATH_BUILD_PYTHON=OFF"],
        check=True)
    subprocess.run(["cmake", "--build", str(build), "--target", "orbmath", "--parallel", jobs], check=True)
    sonames = sorted(p for p in build.glob(SONAME_GLOB) if p.is_symlink() and p.name.count(".") == 2)
    if not sonames:
        raise RuntimeError(f"the library build left no {SONAME_GLOB} in {build}")
    return {"include": [str(SOURCE_ROOT / "include")], "libdir": str(build), "bundle": sonames[0]}


class BuildWithLibrary(build_ext):
    """build_ext that first locates (or builds) liborbmath and links the module to it."""

    def run(self) -> None:
        # setuptools judges up-to-date by file times alone; the library may have moved since
        self.force = True
        jobs = os.environ.get("ORBMATH_BUILD_JOBS", "2")
        lib = installed_library() or source_library(jobs)
        for ext in self.extensions:
            ext.include_dirs = lib["include"] + ext.include_dirs
            ext.library_dirs.append(lib["libdir"])
            # the bundled copy sits next to the module; an installed one stays where it is
            rpath = "$ORIGIN" if lib["bundle"] else lib["libdir"]
            ext.extra_link_args.append(f"-Wl,-rpath,{rpath}")
        for ext in self.extensions:  # no copy from an earlier build may ship with this one
            for stale in Path(self.get_ext_fullpath(ext.name)).parent.glob("liborbmath.so*"):
                stale.unlink()
        super().run()
        if lib["bundle"]:
            for ext in self.extensions:
                target = Path(self.get_ext_fullpath(ext.name)).parent / lib["bundle"].name
                target.parent.mkdir(parents=True, exist_ok=True)
                shutil.copyfile(lib["bundle"].resolve(), target)


ParallelCompile("ORBMATH_BUILD_JOBS", default=2).install()

module = Pybind11Extension(
    "orbmath._core",
    sorted(str(p.relative_to(HERE)) for p in (HERE / "src").glob("*.cpp")),
    cxx_std=20,
    libraries=["orbmath"],
    define_macros=[("ORBMATH_VERSION_STRING", f'"{VERSION}"')],
    # the library's floating-point contract holds for the module as well
    extra_compile_args=["-ffp-contract=off", "-fno-fast-math"],
)

setup(
    version=VERSION,
    packages=["orbmath"],
    package_data={"orbmath": ["py.typed", "*.pyi"]},
    ext_modules=[module],
    cmdclass={"build_ext": BuildWithLibrary},
    zip_safe=False,
)
