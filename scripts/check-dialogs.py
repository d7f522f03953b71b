#!/usr/bin/env python3
"""Checks that every modal dialog of the desktop program runs through its hold.

A HotSync reload can arrive inside any modal loop. Only a dialog run through
ui/ModalDialog (and the message boxes and file dialogs of ui/MessageBox and
ui/FileDialog, which use it) is closed as cancelled when the document is
emptied or replaced, so nothing typed into it reaches the data read since.
This fails on a modal loop started any other way: a call of exec() without
arguments (QDialog::exec, QEventLoop::exec) and the static message box and
file, input, colour and font dialogs of Qt, outside those three files.

The uninstaller is a program of its own without a document; tests, benchmarks,
fuzzers and tools are not part of the program.

Usage: scripts/check-dialogs.py [SOURCE_ROOT]
"""

import os
import re
import sys

FOLDERS = ("app", "core", "export", "import", "logs", "notifier", "palmdesktop", "sample", "ui",
           "cli")
ALLOWED_FILES = {"ui/ModalDialog.cpp", "ui/MessageBox.cpp", "ui/FileDialog.cpp"}
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")

MODAL_CALLS = [
    (re.compile(r"(?<!Application::)\bexec\s*\(\s*\)"), "exec()"),
    (re.compile(r"\bQMessageBox::(information|warning|critical|question|about|aboutQt)\s*\("),
     "a static QMessageBox"),
    (re.compile(r"\bQFileDialog::get\w+\s*\("), "a static QFileDialog"),
    (re.compile(r"\bQ(Input|Color|Font)Dialog::get\w+\s*\("), "a static Qt dialog"),
]
LINE_COMMENT = re.compile(r"//.*$")
STRING = re.compile(r'"(?:\\.|[^"\\])*"')


def sources(root):
    for folder in FOLDERS:
        for directory, subfolders, files in os.walk(os.path.join(root, folder)):
            subfolders.sort()
            for name in sorted(files):
                if name.endswith(SOURCE_SUFFIXES):
                    yield os.path.relpath(os.path.join(directory, name), root)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    faults = []
    for source in sources(root):
        if source in ALLOWED_FILES:
            continue
        with open(os.path.join(root, source), encoding="utf-8", errors="replace") as file:
            for number, line in enumerate(file, 1):
                code = LINE_COMMENT.sub("", STRING.sub('""', line))
                for pattern, what in MODAL_CALLS:
                    if pattern.search(code):
                        faults.append(f"{source}:{number}: {what} outside the dialog hold; run "
                                      "it through ModalDialog::exec, MessageBox or FileDialog")
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
