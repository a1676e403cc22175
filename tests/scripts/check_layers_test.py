#!/usr/bin/env python3
"""The layer check on small source trees: what it lets through and what it names."""

import pathlib
import subprocess
import sys
import tempfile
import unittest

CHECK = pathlib.Path(__file__).resolve().parents[2] / "scripts" / "check-layers.py"

# A tree that follows the layers, one file a folder.
GOOD = {
    "platform/files.h": "",
    "platform/win32/files_win32.h": '#include "platform/files.h"\n',
    "base/texts.h": '#include "platform/files.h"\n',
    "scan/scan.h": '#include "base/texts.h"\n#include "scan/other.h"\n',
    "scan/other.h": "",
    "remedy/ops.h": '#include "platform/files.h"\n',
    "update/check.h": '#include "base/texts.h"\n',
    "agent/run.h": '#include "scan/scan.h"\n#include "remedy/ops.h"\n#include "update/check.h"\n'
    '#include "res/resource_ids.h"\n',
    "ui/window.cpp": '#include "agent/run.h"\n#include "platform/win32/files_win32.h"\n'
    '#include "res/resource_ids.h"\n#include <windows.h>\n',
    "app/main.cpp": '#include "ui/window.h"\n#include "res/resource_ids.h"\n',
}


def run_check(files):
    with tempfile.TemporaryDirectory() as root:
        src = pathlib.Path(root) / "src"
        for name, text in files.items():
            path = src / name
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text)
        done = subprocess.run([sys.executable, str(CHECK), str(src)], capture_output=True, text=True)
        return done.returncode, done.stdout.replace(str(src) + "/", "")


class CheckLayersTest(unittest.TestCase):
    def test_a_tree_that_follows_the_layers_passes(self):
        self.assertEqual(run_check(GOOD), (0, ""))

    def test_each_include_against_the_layers_is_named_with_its_file_and_line(self):
        cases = [
            # file, its text, what the report must say
            ("scan/scan.h", '#include "base/texts.h"\n#include "agent/run.h"\n',
             'scan/scan.h:2: #include "agent/run.h": scan may include only platform, base; '
             "agent is above it"),
            ("base/texts.h", '#include "update/check.h"\n',
             'base/texts.h:1: #include "update/check.h": base may include only platform; '
             "update is above it"),
            ("platform/files.h", '#  include "base/texts.h"\n',
             'platform/files.h:1: #include "base/texts.h": platform may include only nothing else'),
            ("update/check.h", '#include "scan/scan.h"\n',
             'update/check.h:1: #include "scan/scan.h": update and scan are side by side'),
            ("agent/run.h", '#include "ui/window.h"\n',
             'agent/run.h:1: #include "ui/window.h": agent may include only'),
            ("ui/window.cpp", '#include "app/main.h"\n',
             'ui/window.cpp:1: #include "app/main.h": ui may include only'),
            ("scan/scan.h", '#include "platform/win32/files_win32.h"\n',
             "only win32/ folders, ui and app may include a win32/ header"),
            ("update/check.h", '#include "res/resource_ids.h"\n',
             "the resource ids are for agent, ui and app only"),
            ("scan/scan.h", '#include "tools/thing.h"\n', "tools/ is not a layer"),
            ("scan/scan.h", '#include "other.h"\n', "name the header by its path from src/"),
            ("tools/thing.cpp", "", "tools/thing.cpp: tools/ is not a layer"),
        ]
        for name, text, expected in cases:
            with self.subTest(file=name, text=text):
                status, report = run_check({**GOOD, name: text})
                self.assertEqual(status, 1)
                self.assertEqual(len(report.splitlines()), 1, report)
                self.assertIn(expected, report)

if __name__ == "__main__":
    unittest.main()
