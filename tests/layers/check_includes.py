#!/usr/bin/python3
"""Includes point one way.

Reads every #include "..." line of the .h and .cpp files under a source tree
and fails when a file includes a header of a folder to its right:

    common (engine) -> data (schema) -> core -> subsystems -> app, cli, upd

The subsystems come in this order; each may include the ones before it:

    masters < invoicing < printing < cash < exports < analyses < exchange < warranty

(the invoicing documents use the masters, the printouts print documents, the
cash book, the exports and the analyses read documents, the warranty card is
printed). The maintenance tool's folder stands apart: it may include only
common and data, and only the maintenance executable (upd) includes it; upd
itself includes nothing else. app and cli include anything but maintenance,
and no executable includes another.

Besides, the logic (files outside a ui/ folder) never includes a window
header (a ui/ folder): the command line and the logic tests link the logic
library alone. The GUI executables (app, upd) are exempt.

A folder under src/ that is not named here fails too, so that a new folder
is given its place in the order.

    check_includes.py SRC_DIR     check a tree; exit 1 and one line per fault
    check_includes.py --self-test plant wrong includes in a temporary tree
                                  and check that each one is caught
"""

import os
import re
import sys
import tempfile

ENGINE = ["common", "data", "core"]
SUBSYSTEMS = ["masters", "invoicing", "printing", "cash", "exports", "analyses", "exchange", "warranty"]
MAINTENANCE = "maintenance"
EXECUTABLES = ["app", "cli", "upd"]
GUI_EXECUTABLES = {"app", "upd"}

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def allowed(folder):
    """The folders a file of `folder` may include (itself included)."""
    if folder in ENGINE:
        return set(ENGINE[: ENGINE.index(folder) + 1])
    if folder in SUBSYSTEMS:
        return set(ENGINE) | set(SUBSYSTEMS[: SUBSYSTEMS.index(folder) + 1])
    if folder == MAINTENANCE:
        return {"common", "data", MAINTENANCE}
    if folder == "upd":
        return {"common", "data", MAINTENANCE, "upd"}
    if folder in EXECUTABLES:
        return set(ENGINE) | set(SUBSYSTEMS) | {folder}
    return None


def check(src):
    faults = []
    for root, _dirs, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(root, name)
            rel = os.path.relpath(path, src).replace(os.sep, "/")
            parts = rel.split("/")
            if len(parts) < 2:
                faults.append(f"{rel}: a file directly under src/ belongs to no folder")
                continue
            folder = parts[0]
            may = allowed(folder)
            if may is None:
                faults.append(f"{rel}: the folder {folder}/ has no place in the include order")
                continue
            is_window = "ui" in parts[1:-1]
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    target = m.group(1)
                    if target.endswith(".moc") or target.startswith("moc_"):
                        continue
                    # A path without a folder (or with ../) is relative to the file.
                    if "/" not in target or target.startswith("."):
                        resolved = os.path.normpath(os.path.join(os.path.dirname(rel), target))
                    else:
                        resolved = os.path.normpath(target)
                    resolved = resolved.replace(os.sep, "/")
                    tparts = resolved.split("/")
                    where = f"{rel}:{number}: #include \"{target}\""
                    if resolved.startswith("..") or len(tparts) < 2:
                        faults.append(f"{where} points outside the source folders")
                        continue
                    tfolder = tparts[0]
                    if allowed(tfolder) is None:
                        faults.append(f"{where}: the folder {tfolder}/ has no place in the include order")
                    elif tfolder not in may:
                        faults.append(f"{where}: {folder}/ may not include {tfolder}/ (a folder to its right)")
                    elif "ui" in tparts[1:-1] and not is_window and folder not in GUI_EXECUTABLES:
                        faults.append(f"{where}: the logic may not include a window header")
    return faults


def self_test():
    """Each planted wrong include must be caught, and a sound tree must pass."""
    sound = {
        "common/Database.h": [],
        "common/Database.cpp": ["common/Database.h", "Database.h"],
        "data/Schema.cpp": ["common/Database.h"],
        "core/Settings.cpp": ["data/Schema.h", "common/Database.h"],
        "core/ui/Window.cpp": ["core/Settings.h", "common/Database.h"],
        "masters/Customers.cpp": ["core/Settings.h"],
        "invoicing/Documents.cpp": ["masters/Customers.h", "core/Settings.h"],
        "invoicing/ui/Tfrm_Main.cpp": ["masters/ui/Tfrm_Ugyfel.h", "core/ui/Window.h"],
        "printing/Report.cpp": ["invoicing/Documents.h"],
        "warranty/Card.cpp": ["printing/Report.h", "masters/Customers.h"],
        "maintenance/Upgrade.cpp": ["data/Schema.h", "common/Database.h"],
        "upd/main.cpp": ["maintenance/Upgrade.h", "common/Database.h"],
        "app/main.cpp": ["invoicing/ui/Tfrm_Main.h", "core/ui/Window.h"],
        "cli/main.cpp": ["core/CommandLine.h", "invoicing/DocumentCommands.h", "masters/MasterCommands.h"],
    }
    planted = {
        "core/CommandLine.cpp": "invoicing/Documents.h",
        "common/ui/Chooser.cpp": "core/ui/Window.h",
        "data/Catalogue.cpp": "core/Settings.h",
        "masters/Products.cpp": "invoicing/Documents.h",
        "invoicing/Register.cpp": "printing/Report.h",
        "maintenance/Reindex.cpp": "core/Settings.h",
        "upd/window.cpp": "invoicing/Documents.h",
        "cli/tool.cpp": "app/main.h",
        "app/tool.cpp": "maintenance/Upgrade.h",
        "invoicing/Editor.cpp": "masters/ui/Tfrm_Ugyfel.h",
        "cli/other.cpp": "core/ui/Window.h",
        "core/Relative.cpp": "../invoicing/Documents.h",
        "masters/Unknown.cpp": "reports/Report.h",
        "reports/Report.cpp": "core/Settings.h",
    }

    def write(root, rel, includes):
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as f:
            f.write("// test file\n#include <QString>\n")
            for inc in includes:
                f.write(f'#include "{inc}"\n')

    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, "sound")
        for rel, includes in sound.items():
            write(src, rel, includes)
        faults = check(src)
        if faults:
            failures.append("a sound tree was refused: " + "; ".join(faults))
        for n, (rel, inc) in enumerate(planted.items()):
            src = os.path.join(tmp, f"planted{n}")
            for srel, includes in sound.items():
                write(src, srel, includes)
            write(src, rel, [inc])
            faults = check(src)
            if not any(f.startswith(rel) for f in faults):
                failures.append(f"{rel} including {inc} was not caught")
    for f in failures:
        print("FAIL:", f)
    if not failures:
        print(f"ok: a sound tree passes, {len(planted)} planted wrong includes are caught")
    return 1 if failures else 0


def main(argv):
    if len(argv) == 2 and argv[1] == "--self-test":
        return self_test()
    if len(argv) != 2 or not os.path.isdir(argv[1]):
        print("usage: check_includes.py SRC_DIR | --self-test", file=sys.stderr)
        return 2
    faults = check(argv[1])
    for f in faults:
        print(f)
    if not faults:
        print("ok: every include points one way")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
