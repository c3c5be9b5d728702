#!/usr/bin/env python3
"""Runs tools/check-layers on small source trees built in a temporary folder.

    check_layers_test.py PATH_TO_CHECK_LAYERS
"""
import os
import subprocess
import sys
import tempfile
import unittest

CHECKER = None

# (file, its text, expected report lines). Every case also holds the files in
# BASE, so includes of them resolve.
BASE = {
    "os/window/Window.h": "",
    "os/gfx/Gfx.h": "",
    "platform/Log.h": '#include "os/system/Time.h"\n',
    "render/Renderer.h": "",
    "script/LuaState.h": "",
    "sound/Sound.h": "",
    "ui/Window.h": "",
    "app/App.h": "",
    "game/show/Game.h": "",
}

CASES = [
    # Allowed: own layer, lower layers, beside the file, generated headers.
    ("os/gfx/Gfx.cpp", '#include "os/window/Window.h"\n#include "Gfx.h"\n', []),
    ("platform/Store.cpp", '#include "platform/Version.h"\n#include "Log.h"\n', []),
    ("script/LuaState.cpp", '#include "lua.h"\n#include "lstate.h"\n', []),
    ("ui/Manager.cpp", '#include "render/Renderer.h"\n#include "script/LuaState.h"\n', []),
    ("ui/Button.cpp", '#include "sound/Sound.h"\n', []),
    ("app/Shell.cpp", '#include "sound/Sound.h"\n#include "ui/Window.h"\n', []),
    ("game/show/Main.cpp", '#include "app/App.h"\n#include "os/window/Window.h"\n', []),
    ("game/stage/Stage.cpp", '#include "game/show/Game.h"\n', []),
    ("main.cpp", '#include "game/show/Game.h"\n', []),
    ("script/lua/lapi.c", '#include "ui/Window.h"\n', []),
    ("ui/Quoted.cpp", '// #include "app/App.h"\n#include <app/App.h>\n', []),
    # Upward and sideways includes.
    ("os/window/Bad.cpp", '#include "os/window/Window.h"\n#include "platform/Log.h"\n',
     ["src/os/window/Bad.cpp:2: layer os includes layer platform"]),
    ("sound/Up.cpp", '#include "ui/Window.h"\n',
     ["src/sound/Up.cpp:1: layer sound includes layer ui"]),
    ("ui/Bad.h", '  #  include "app/App.h"\n',
     ["src/ui/Bad.h:1: layer ui includes layer app"]),
    ("render/Bad.cpp", '#include "lua.h"\n#include "script/LuaState.h"\n',
     ["src/render/Bad.cpp:1: layer render includes layer script",
      "src/render/Bad.cpp:2: layer render includes layer script"]),
    ("sound/Bad.cpp", '#include "../render/Renderer.h"\n',
     ["src/sound/Bad.cpp:1: layer sound includes layer render"]),
    ("app/Bad.cpp", '#include "game/show/Game.h"\n',
     ["src/app/Bad.cpp:1: layer app includes layer game"]),
    ("platform/Bad.cpp", '#include "SDL.h"\n',
     ['src/platform/Bad.cpp:1: layer platform includes "SDL.h", which is in no layer']),
    ("tools/Stray.cpp", "", ["src/tools/Stray.cpp: not in any layer"]),
]


def write(root, rel, text):
    path = os.path.join(root, "src", rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def run(root):
    done = subprocess.run([sys.executable, CHECKER, os.path.join(root, "src")],
                          capture_output=True, text=True, check=False)
    return done.returncode, done.stdout.splitlines(), done.stderr


class CheckLayersTest(unittest.TestCase):
    def test_cases(self):
        for rel, text, expected in CASES:
            with self.subTest(file=rel), tempfile.TemporaryDirectory() as root:
                for base_rel, base_text in BASE.items():
                    write(root, base_rel, base_text)
                write(root, rel, text)
                code, lines, err = run(root)
                self.assertEqual(lines, expected, err)
                self.assertEqual(code, 1 if expected else 0, err)

    def test_reports_every_offence_in_a_tree(self):
        with tempfile.TemporaryDirectory() as root:
            for rel, text, _ in CASES:
                write(root, rel, text)
            for base_rel, base_text in BASE.items():
                write(root, base_rel, base_text)
            code, lines, err = run(root)
            expected = sorted(line for _, _, lines_ in CASES for line in lines_)
            self.assertEqual(sorted(lines), expected, err)
            self.assertEqual(code, 1)

    def test_missing_folder(self):
        with tempfile.TemporaryDirectory() as root:
            code, lines, err = run(os.path.join(root, "nothing"))
            self.assertEqual(code, 2)
            self.assertEqual(lines, [])
            self.assertIn("no folder", err)


if __name__ == "__main__":
    CHECKER = sys.argv.pop(1)
    unittest.main()
