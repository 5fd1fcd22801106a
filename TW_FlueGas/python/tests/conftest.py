"""The twsuite package of the build tree, and twcalc beside it for comparisons."""

import json
import os
import pathlib
import subprocess
import sys

import pytest

BUILD_DIR = pathlib.Path(
    os.environ.get("TWSUITE_BUILD_DIR", pathlib.Path(__file__).parents[3] / "build"))
sys.path.insert(0, str(BUILD_DIR / "python"))
TWCALC = BUILD_DIR / "bin" / "twcalc"


class TwcalcRun:
    def __init__(self, completed):
        self.status = completed.returncode
        self.out = completed.stdout
        self.err = completed.stderr

    def json(self):
        return json.loads(self.out)

    def error_text(self):
        """The usage or file error as twcalc prints it, without "twcalc: " and the usage hint."""
        text = self.err.removeprefix("twcalc: ")
        return text.split("\nRun 'twcalc --help'")[0].rstrip("\n")


def run_twcalc(*args):
    completed = subprocess.run([str(TWCALC), *map(str, args)], capture_output=True,
                               text=True, check=False)
    return TwcalcRun(completed)


@pytest.fixture(name="twcalc")
def twcalc_fixture():
    return run_twcalc
