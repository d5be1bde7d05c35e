#!/usr/bin/env python3
"""What a screen reader reads of the running tool, through a real AT-SPI client.

Starts the tool on an X server of its own (Xvfb) in a D-Bus session of its own, finds the tool's
window over AT-SPI by the program's name, and checks that a relay grid's cell says its value and
follows a change of it, that the log's lines are readable, and that every toolbar and panel has
its Russian name.

Usage: atspi_check.py PROGRAM [--checks cells,log,names]
"""

import argparse
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

# The accessible names of the main window's toolbar and panels, as a screen reader announces them.
PANEL_NAMES = [
    "Панель инструментов",
    "Страницы",
    "Журнал обмена",
    "Управление журналом",
    "Строка состояния",
]
# The grid cell checked: on the first relay page, with the tool's default reaction in it.
CELL_NAME = "Реле 1, Зоны, Тревоги, зона 1"
CELL_VALUE = "Включение"
PROGRAM_NAME = "tarnel-config"
SESSION_MARK = "TARNEL_ATSPI_SESSION"

START_TIMEOUT = 60.0  # the X server, the program and its window
CHECK_TIMEOUT = 60.0  # the tree until every check passes
STEP = 0.25


def fail(message):
    print("atspi_check: " + message, file=sys.stderr)
    sys.exit(1)


def in_own_session(argv):
    """Runs this script again inside a D-Bus session of its own; returns its exit status."""
    runner = shutil.which("dbus-run-session")
    if runner is None:
        fail("dbus-run-session is missing (package dbus); run scripts/install-deps.sh")
    env = dict(os.environ, **{SESSION_MARK: "1"})
    # The accessibility bus of the session starts on demand; nothing may reach the caller's.
    for name in ("AT_SPI_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY"):
        env.pop(name, None)
    return subprocess.call([runner, "--", sys.executable, os.path.abspath(__file__)] + argv,
                           env=env)


def start_x_server(workdir):
    """Starts Xvfb on a display number it finds free itself; returns (process, ":N")."""
    xvfb = shutil.which("Xvfb")
    if xvfb is None:
        fail("Xvfb is missing (package xvfb); run scripts/install-deps.sh")
    for _ in range(3):
        read_end, write_end = os.pipe()
        log = open(os.path.join(workdir, "xvfb.log"), "ab")
        server = subprocess.Popen(
            [xvfb, "-displayfd", str(write_end), "-screen", "0", "1920x1080x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=log, stderr=log)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + START_TIMEOUT / 2
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            ready, _, _ = select.select([read_end], [], [], STEP)
            if ready:
                chunk = os.read(read_end, 16)
                if not chunk:
                    break
                number += chunk
        os.close(read_end)
        if number.strip().isdigit() and server.poll() is None:
            return server, ":" + number.strip().decode()
        stop(server)
    fail("Xvfb did not start; see " + os.path.join(workdir, "xvfb.log"))


def stop(process, grace=10.0):
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(grace)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def start_program(program, workdir, display):
    """A copy of the program in a folder of its own, so that its current.ini is made there."""
    folder = os.path.join(workdir, "program")
    os.mkdir(folder)
    copy = os.path.join(folder, os.path.basename(program))
    try:
        os.link(program, copy)
    except OSError:
        shutil.copy2(program, copy)
    # A settings file without the tool's settings: the tool says so in the log at start.
    with open(os.path.join(folder, "current.ini"), "w", encoding="utf-8") as ini:
        ini.write("not the tool's settings\n")
    env = dict(os.environ)
    env.update({
        "DISPLAY": display,
        "QT_QPA_PLATFORM": "xcb",
        "QT_ACCESSIBILITY": "1",
        "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
        "XDG_CONFIG_HOME": os.path.join(workdir, "config"),
    })
    env.pop("QT_SCALE_FACTOR", None)
    output = open(os.path.join(workdir, "program.log"), "wb")
    return subprocess.Popen([copy], cwd=folder, env=env, stdout=output, stderr=output)


def wait_for(probe, timeout, process=None):
    """Asks probe until it gives a result; None after the timeout."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if process is not None and process.poll() is not None:
            fail("the program ended with status %d" % process.returncode)
        try:
            result = probe()
            if result:
                return result
        except Exception as error:  # a D-Bus call into a program still starting may fail
            if os.environ.get("TARNEL_ATSPI_DEBUG"):
                print("atspi_check: %r" % error, file=sys.stderr)
        time.sleep(STEP)
    return None


def find_application(pyatspi, process):
    def probe():
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            if app is not None and app.name == PROGRAM_NAME and \
                    app.get_process_id() == process.pid and app.childCount > 0:
                return app
        return None
    app = wait_for(probe, START_TIMEOUT, process)
    if app is None:
        fail("no application %s of pid %d over AT-SPI" % (PROGRAM_NAME, process.pid))
    return app


def readable_texts(accessible):
    """Everything a screen reader may read of an object: name, description, text, value."""
    texts = [accessible.name or "", accessible.description or ""]
    try:
        text = accessible.queryText()
        texts.append(text.getText(0, -1))
    except NotImplementedError:
        pass
    try:
        texts.append(str(accessible.queryValue().currentValue))
    except NotImplementedError:
        pass
    return " ".join(t for t in texts if t)


def children(accessible):
    for index in range(accessible.childCount):
        child = accessible.getChildAtIndex(index)
        if child is not None:
            yield child


def walk(root, pyatspi):
    """The objects under root, breadth first; each table yields its cells, each list its items,
    but neither is walked below them."""
    queue = [root]
    while queue:
        accessible = queue.pop(0)
        yield accessible
        role = accessible.getRole()
        if role in (pyatspi.ROLE_TABLE, pyatspi.ROLE_LIST):
            yield from children(accessible)
        else:
            queue.extend(children(accessible))


def clear_cache(accessible):
    try:
        accessible.clearCache()
    except Exception:
        pass


class Checks:
    def __init__(self, pyatspi, app):
        self.pyatspi = pyatspi
        self.app = app

    def objects(self):
        clear_cache(self.app)
        return list(walk(self.app, self.pyatspi))

    def cell(self):
        for accessible in self.objects():
            if accessible.getRole() == self.pyatspi.ROLE_TABLE_CELL and \
                    (accessible.name or "").startswith(CELL_NAME):
                return accessible
        return None

    def cells(self):
        """The cell says its value, and a screen reader hears the new one when a press steps it."""
        cell = wait_for(self.cell, CHECK_TIMEOUT)
        if cell is None:
            return "no table cell named " + CELL_NAME
        before = readable_texts(cell)
        if CELL_VALUE not in before:
            return "the cell reads %r, without its value %r" % (before, CELL_VALUE)
        heard = []

        def on_name(event):
            if (event.source_name or "").startswith(CELL_NAME):
                heard.append(event.source_name)
        self.pyatspi.Registry.registerEventListener(on_name,
                                                    "object:property-change:accessible-name")
        try:
            cell.queryAction().doAction(0)
            context = GLib.MainContext.default()

            def announced():
                while context.iteration(False):
                    pass
                return heard
            wait_for(announced, CHECK_TIMEOUT)
        finally:
            self.pyatspi.Registry.deregisterEventListener(on_name,
                                                          "object:property-change:accessible-name")
        after = readable_texts(cell)
        if after == before or len(after) <= len(CELL_NAME) + 2:
            return "the cell reads %r after a press stepped its value" % after
        if not heard:
            return "no name change was announced when a press stepped the cell to %r" % after
        return None

    def log(self):
        """The log is a list whose items read as its lines."""
        def line():
            for accessible in self.objects():
                if accessible.getRole() == self.pyatspi.ROLE_LIST_ITEM and \
                        "current.ini" in readable_texts(accessible):
                    return True
            return False
        return None if wait_for(line, CHECK_TIMEOUT) else "no log line names current.ini"

    def names(self):
        missing = list(PANEL_NAMES)

        def all_named():
            names = {accessible.name for accessible in self.objects()}
            missing[:] = [name for name in PANEL_NAMES if name not in names]
            return not missing
        return None if wait_for(all_named, CHECK_TIMEOUT) else \
            "no object is named " + ", ".join(missing)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program")
    parser.add_argument("--checks", default="cells,log,names")
    args = parser.parse_args()
    if not os.environ.get(SESSION_MARK):
        sys.exit(in_own_session(sys.argv[1:]))
    try:
        global GLib
        from gi.repository import GLib
        import pyatspi
    except ImportError:
        fail("pyatspi is missing for %s (package python3-pyatspi); run scripts/install-deps.sh"
             % sys.executable)
    program = os.path.abspath(args.program)
    if not os.access(program, os.X_OK):
        fail("no program at " + program)

    workdir = tempfile.mkdtemp(prefix="tarnel-atspi-")
    server = None
    tool = None
    passed = False
    try:
        server, display = start_x_server(workdir)
        tool = start_program(program, workdir, display)
        os.environ["DISPLAY"] = display
        checks = Checks(pyatspi, find_application(pyatspi, tool))
        failures = 0
        for name in args.checks.split(","):
            problem = getattr(checks, name)()
            print("%-6s %s" % (name, "ok" if problem is None else "FAILED: " + problem))
            failures += problem is not None
        passed = failures == 0
    finally:
        stop(tool)
        stop(server)
        if not passed and os.path.exists(os.path.join(workdir, "program.log")):
            with open(os.path.join(workdir, "program.log"), "rb") as output:
                sys.stderr.write(output.read().decode(errors="replace"))
        shutil.rmtree(workdir, ignore_errors=True)
    sys.exit(0 if passed else 1)


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    main()
