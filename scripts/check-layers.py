#!/usr/bin/env python3
"""Checks that the folders of the program use one another in one direction.

For every folder it lists the folders whose headers its files include, then
fails on an arrow that the layering below does not allow, on two folders that
use each other (a circle), on Qt in a folder that must stay free of it, and
on Qt's widgets in a folder that may only draw.

The logs, the exports and the import are split in two: their pure rules (no
Qt, no widget kit), which tvtool may use, and their widgets, which only the
desktop program may use. A file of logs/, export/ or import/ counts as a
widget when it includes a Qt header, a header of ui/, or a widget header of
its own folder. The logs have a third part between the two: what draws the
reports with Qt Gui's painter ("logs render"), which tvtool may use too. A
file of logs/ counts as such when its Qt headers are all outside Qt's widgets
and print support, it includes no header of ui/ nor a widget header of its
own folder, and it includes Qt or a render header of its own folder.

Usage: scripts/check-layers.py [SOURCE_ROOT]
"""

import os
import re
import sys

# What each layer may include besides itself. A higher layer may use any layer
# below it; nothing below may use what is above.
ALLOWED = {
    "core": set(),
    "notifier": set(),
    "sample": {"core"},
    "palmdesktop": {"sample", "core"},
    "ui": {"core"},
    "logs rules": {"core"},
    "logs render": {"logs rules", "core"},
    "logs": {"logs render", "logs rules", "ui", "core"},
    "export rules": {"logs rules", "core"},
    "export": {"export rules", "logs rules", "ui", "core"},
    "import rules": {"logs rules", "core"},
    "import": {"import rules", "logs rules", "ui", "core"},
    "app": {"logs", "logs render", "logs rules", "export", "export rules", "import",
            "import rules", "ui", "core", "palmdesktop", "notifier"},
    "cli": {"logs render", "logs rules", "export rules", "import rules", "sample", "core"},
    "uninstall": {"palmdesktop", "ui", "core"},
}

# Layers that must not include Qt.
QT_FREE = {"core", "notifier", "sample", "logs rules", "export rules", "import rules"}

# Layers that may use Qt Core and Qt Gui but none of Qt's widgets.
WIDGET_FREE = {"cli", "logs render"}

# Qt's widgets: the classes of Qt Widgets and Qt Print Support the program
# uses (a header of those modules or of Qt Charts named by its folder counts
# too).
QT_WIDGET_HEADERS = {
    "QAbstractButton", "QAbstractItemView", "QAbstractPrintDialog", "QAbstractScrollArea",
    "QAbstractSpinBox", "QAction", "QApplication", "QButtonGroup", "QCheckBox", "QComboBox",
    "QDateEdit", "QDateTimeEdit", "QDialog", "QDialogButtonBox", "QFileDialog", "QFormLayout",
    "QFrame", "QGridLayout", "QGroupBox", "QHBoxLayout", "QHeaderView", "QLabel", "QLayout",
    "QLineEdit", "QListView", "QListWidget", "QMainWindow", "QMenu", "QMenuBar",
    "QMessageBox", "QPageSetupDialog", "QPlainTextEdit", "QPrintDialog", "QPrintPreviewDialog",
    "QPrintPreviewWidget", "QPrinter", "QPrinterInfo", "QProgressDialog", "QPushButton",
    "QRadioButton", "QScrollArea", "QSpinBox", "QSplitter", "QStatusBar", "QStyle",
    "QStyledItemDelegate", "QTabWidget", "QTableView", "QTextEdit", "QTimeEdit", "QToolBar",
    "QToolButton", "QTreeView", "QTreeWidget", "QVBoxLayout", "QWidget", "QtWidgets",
    "QtPrintSupport",
}

# Split folders that have a render part.
RENDER_SPLIT = {"logs"}

# Folders whose files are split into pure rules and widgets.
SPLIT = {"logs", "export", "import"}

# Folders above every layer: they may use anything, nothing may use them.
TOP = {"tests", "bench", "fuzz", "tools"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")


def read_includes(path):
    """(line number, quoted?, name) for each #include of a file."""
    found = []
    with open(path, encoding="utf-8", errors="replace") as source:
        for number, line in enumerate(source, 1):
            match = INCLUDE.match(line)
            if match:
                found.append((number, match.group(1) == '"', match.group(2)))
    return found


def collect_sources(root):
    sources = []
    for folder in sorted(set(ALLOWED) | TOP | SPLIT):
        folder = folder.split(" ")[0]
        top = os.path.join(root, folder)
        for directory, subfolders, files in os.walk(top):
            subfolders.sort()
            for name in sorted(files):
                if name.endswith(SOURCE_SUFFIXES):
                    sources.append(os.path.relpath(os.path.join(directory, name), root))
    return sorted(set(sources))


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                           os.path.join(os.path.dirname(__file__), ".."))
    sources = collect_sources(root)
    by_name = {}
    for source in sources:
        by_name.setdefault(os.path.basename(source), []).append(source)

    problems = []
    folder_of = {source: source.split(os.sep)[0] for source in sources}
    includes = {source: read_includes(os.path.join(root, source)) for source in sources}

    def resolve(source, name):
        """The project file a quoted include names, or None for a system header."""
        beside = os.path.normpath(os.path.join(os.path.dirname(source), name))
        if beside in folder_of:
            return beside
        candidates = [c for c in by_name.get(os.path.basename(name), [])
                      if c.endswith(os.path.normpath(name))]
        # Headers of the top folders (test helpers) are only reachable from there.
        if folder_of[source] not in TOP:
            candidates = [c for c in candidates if folder_of[c] not in TOP] or candidates
        if len(candidates) > 1:
            same = [c for c in candidates if folder_of[c] == folder_of[source]]
            if len(same) == 1:
                return same[0]
            problems.append(f"{source}: \"{name}\" names several files: {', '.join(candidates)}")
            return None
        return candidates[0] if candidates else None

    targets = {source: [(line, resolve(source, name) if quoted else None, quoted, name)
                        for line, quoted, name in includes[source]] for source in sources}

    def uses_qt(source):
        return any(not quoted and re.match(r"Q[A-Za-z]", name)
                   for _, _, quoted, name in targets[source])

    def widget_includes(source):
        """The Qt widget headers a file includes, with their lines."""
        found = []
        for line, _, quoted, name in targets[source]:
            if quoted:
                continue
            parts = name.split("/")
            if (parts[0] in ("QtWidgets", "QtPrintSupport", "QtCharts")
                    or parts[-1] in QT_WIDGET_HEADERS):
                found.append((line, name))
        return found

    # Which files of the split folders are widgets: a fixpoint over their includes.
    # In a folder with a render part, Qt without widgets does not make a widget.
    widget = {s for s in sources if folder_of[s] in SPLIT and uses_qt(s)
              and (folder_of[s] not in RENDER_SPLIT or widget_includes(s))}
    # A header goes with its source file: what the source needs, the code
    # that includes the header links.
    def sources_of(header):
        stem, suffix = os.path.splitext(header)
        if suffix not in (".h", ".hpp"):
            return []
        return [stem + ending for ending in (".cpp", ".cc") if stem + ending in folder_of]

    changed = True
    while changed:
        changed = False
        for source in sources:
            if folder_of[source] not in SPLIT or source in widget:
                continue
            if any(partner in widget for partner in sources_of(source)):
                widget.add(source)
                changed = True
                continue
            for _, target, _, _ in targets[source]:
                if target and (folder_of[target] == "ui" or target in widget):
                    widget.add(source)
                    changed = True
                    break

    # Which of the other files draw with Qt Gui: Qt of their own, or a render
    # file of their folder included.
    render = {s for s in sources
              if folder_of[s] in RENDER_SPLIT and s not in widget and uses_qt(s)}
    changed = True
    while changed:
        changed = False
        for source in sources:
            if folder_of[source] not in RENDER_SPLIT or source in widget or source in render:
                continue
            if any(target in render for _, target, _, _ in targets[source]) or any(
                    partner in render for partner in sources_of(source)):
                render.add(source)
                changed = True

    def layer(source):
        folder = folder_of[source]
        if source in render:
            return folder + " render"
        if folder in SPLIT and source not in widget:
            return folder + " rules"
        return folder

    arrows = {}
    for source in sources:
        here = layer(source)
        if folder_of[source] in TOP:
            continue
        if here in QT_FREE and uses_qt(source):
            problems.append(f"{source}: includes Qt, but {here} must stay free of it")
        if here in WIDGET_FREE:
            for line, name in widget_includes(source):
                problems.append(f"{source}:{line}: includes <{name}>, but {here} may not use "
                                f"Qt's widgets")
        for line, target, _, name in targets[source]:
            if target is None:
                continue
            there = layer(target)
            if there == here:
                continue
            arrows.setdefault(here, {}).setdefault(there, []).append(f"{source}:{line}")
            if folder_of[target] in TOP:
                problems.append(f"{source}:{line}: includes \"{name}\" of {there}/, which "
                                f"only the tests and tools may use")
            elif there not in ALLOWED.get(here, set()):
                problems.append(f"{source}:{line}: {here} may not use {there} (\"{name}\")")

    # Circles among the folders, split halves counted as their folder.
    folder_arrows = {}
    for here, theirs in arrows.items():
        for there in theirs:
            a, b = here.split(" ")[0], there.split(" ")[0]
            if a != b:
                folder_arrows.setdefault(a, set()).add(b)

    def find_circle():
        state = {}
        stack = []

        def visit(node):
            state[node] = "open"
            stack.append(node)
            for following in sorted(folder_arrows.get(node, ())):
                if state.get(following) == "open":
                    return stack[stack.index(following):] + [following]
                if following not in state:
                    circle = visit(following)
                    if circle:
                        return circle
            stack.pop()
            state[node] = "done"
            return None

        for node in sorted(folder_arrows):
            if node not in state:
                circle = visit(node)
                if circle:
                    return circle
        return None

    circle = find_circle()
    if circle:
        problems.append("folders use one another in a circle: " + " -> ".join(circle))

    for here in sorted(arrows):
        print(f"{here + ':':<14} {', '.join(sorted(arrows[here]))}")
    if problems:
        print()
        for problem in problems:
            print("layering: " + problem, file=sys.stderr)
        return 1
    print("layering: every arrow points down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
