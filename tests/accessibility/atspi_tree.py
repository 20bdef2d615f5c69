#!/usr/bin/python3
"""Reads the preview window's accessibility tree over AT-SPI, as a screen reader does.

Run as  atspi_tree.py KORVELLE PAGE...  inside a D-Bus session with an X server (see
run_atspi_test.sh). Starts the program on the pages, then checks that every bar button is
named, that each page in sight is one element "Page n of N" described by its text, that the
zoom list and the page label are named, and that a command chosen through the tree (the Page
menu's "2 Pages", "Find") acts as the mouse would. Exit status 0 when all hold, 1 otherwise,
77 when AT-SPI cannot be used here (the test is then skipped).
"""
import os
import subprocess
import sys
import tempfile
import time

try:
    import pyatspi
except ImportError:
    print("SKIP: python3-pyatspi is not installed")
    sys.exit(77)

BAR_BUTTONS = ["Go to first page", "Go to previous page", "Go to next page", "Go to last page", "Page zoom",
               "Preview on two pages", "Reduce [-]", "Enlarge [+]", "Save as", "Send to", "Print",
               "Print and exit", "Exit"]
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def wait_for(probe, seconds=20):
    end = time.time() + seconds
    while time.time() < end:
        value = probe()
        if value:
            return value
        time.sleep(0.2)
    return probe()


def find_app(process):
    def probe():
        for app in pyatspi.Registry.getDesktop(0):
            try:
                if app is not None and app.get_process_id() == process.pid:
                    return app
            except Exception:
                pass
        return None
    return wait_for(probe, 30)


def shown_pages(app):
    return [n for n in walk(app) if n.name.startswith("Page ") and " of " in n.name
            and n.getRoleName() != "list item" and showing(n)]


def labelled_by(node):
    return [relation.getTarget(i).name for relation in node.getRelationSet()
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY for i in range(relation.getNTargets())]


def invoke(app, role, name):
    for n in walk(app):
        if n.getRoleName() == role and n.name == name:
            action = n.queryAction()
            action.doAction(0)
            return True
    return False


def main():
    program, pages = sys.argv[1], sys.argv[2:]
    if not all(os.path.isfile(page) for page in pages):
        print("SKIP: no corpus beside the project (../shared/corpus)")
        return 77
    work = tempfile.mkdtemp()
    with open(os.path.join(work, "KORVELLE.INI"), "w") as ini:
        ini.write("[General]\r\nMaximize=0\r\n")
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1")
    process = subprocess.Popen([program] + pages, cwd=work, env=env)
    try:
        app = find_app(process)
        if app is None:
            print("SKIP: the program did not appear on the accessibility bus")
            return 77
        total = len(pages)
        first = wait_for(lambda: [p for p in shown_pages(app) if p.description])
        names = [n.name for n in walk(app) if n.getRoleName() == "push button"]
        for button in BAR_BUTTONS:
            check(button in names, "bar button named %r" % button)
        check([p.name for p in shown_pages(app)] == ["Page 1 of %d" % total], "one element for the page in sight")
        check(bool(first) and "Hello World" in first[0].description, "the page is described by its text")
        check(any(n.getRoleName() == "combo box" and labelled_by(n) == ["Factor:"] for n in walk(app)),
              "zoom list named by its label")
        check(any(n.getRoleName() == "label" and n.name.startswith("Page number: 1 / %d" % total) for n in walk(app)),
              "page label named by its text")

        check(invoke(app, "menu item", "2 Pages"), "the Page menu's 2 Pages reached through the tree")
        two = wait_for(lambda: len(shown_pages(app)) == 2 and all(p.description for p in shown_pages(app))
                       and shown_pages(app))
        check(bool(two) and sorted(p.name for p in two) == ["Page 1 of %d" % total, "Page 2 of %d" % total],
              "two elements for two pages in sight")
        check(bool(two) and any("Lindemann" in p.description for p in two), "the second page described by its text")

        check(invoke(app, "menu item", "Find"), "Find reached through the tree")
        field = wait_for(lambda: next((n for n in walk(app) if n.getRoleName() == "text" and n.name == "Find"
                                       and showing(n)), None))
        check(field is not None, "the find field shows, named")
        if field is not None:
            field.queryEditableText().setTextContents("Lindemann")
            status = wait_for(lambda: next((n for n in walk(app) if n.getRoleName() == "label"
                                            and n.name.startswith("1 of ") and showing(n)), None))
            check(status is not None, "the search result is read out from the bar")
            check(any(p.name == "Page 2 of %d" % total for p in shown_pages(app)), "the hit's page is in sight")
    finally:
        process.terminate()
        process.wait(10)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
