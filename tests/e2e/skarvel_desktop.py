"""Drives the real desktop program as a user would, on a virtual display.

A DesktopSession starts a private X server (Xvfb on a display it picks itself),
a D-Bus session bus with the accessibility bus on it, and the program with a
temporary HOME and XDG_CONFIG_HOME, so that the registry files it writes
($XDG_CONFIG_HOME/skarvel/*.reg) are the session's own. Controls are found
through the accessibility tree by their names (buttons by caption, edits by
their label) and driven with key strokes sent by xdotool. Everything started is
stopped again, by its process id, whatever happens.

    with DesktopSession(program) as session:
        session.start_program()
        session.type_text("Select one of the GP4's wad to patch or the wad to extract", path)
        session.press("Update wad")
        session.wait_for_status(lambda caption: caption.startswith("Update done in "))

Scenarios live in files of their own beside this one (test_*.py); each runs in
its own process, because the accessibility library binds to one bus per process.
"""

import os
import shutil
import signal
import socket
import subprocess
import tempfile
import time

STARTUP_TIMEOUT = 90
DEFAULT_TIMEOUT = 20.0


class DesktopError(AssertionError):
    """A step of a scenario that did not happen in time, with what was seen."""


def build_tool(environment_name, default_relative):
    """The path of a built program: from the environment (set by ctest), else the dev build."""
    path = os.environ.get(environment_name)
    if path:
        return path
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    return os.path.join(root, "build", "dev", default_relative)


def program_path():
    return build_tool("SKARVEL_APP", os.path.join("app", "Skarvel"))


def cli_path():
    return build_tool("SKARVEL_CLI", os.path.join("cli", "skarvel-cli"))


def run_cli(*arguments, check=True):
    """Runs skarvel-cli; its completed process (text output)."""
    # An update by the command line records its patch in the user's history;
    # the expected archives the scenarios make need none.
    if arguments and arguments[0] in ("update", "update-tracks"):
        arguments = (*arguments, "--no-history")
    result = subprocess.run([cli_path(), *arguments], capture_output=True, text=True, timeout=60)
    if check and result.returncode != 0:
        raise DesktopError("skarvel-cli %s failed (%d): %s" % (" ".join(arguments), result.returncode, result.stderr))
    return result


def wait_until(condition, timeout=DEFAULT_TIMEOUT, interval=0.1, what="condition"):
    """Polls condition() until it gives a true value, which it returns."""
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            value = condition()
            if value:
                return value
        except Exception as error:  # the tree changes under us while the program works
            last_error = error
        if time.monotonic() >= deadline:
            detail = " (last error: %r)" % (last_error,) if last_error else ""
            raise DesktopError("timed out after %.0f s waiting for %s%s" % (timeout, what, detail))
        time.sleep(interval)


class DesktopSession:
    """A virtual display, a session bus with accessibility, and the program on them."""

    def __init__(self, program=None, screen="1024x768x24"):
        self.program = program or program_path()
        self.screen = screen
        self.work = tempfile.mkdtemp(prefix="skarvel-e2e-")
        self.home = os.path.join(self.work, "home")
        self.config_home = os.path.join(self.home, ".config")
        os.makedirs(self.config_home)
        self.display = None
        self.environment = None
        self._xvfb = None
        self._bus_pid = None
        self._atspi = None
        self._program = None
        self._pyatspi = None

    # --- life -------------------------------------------------------------

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc_info):
        self.stop()
        return False

    def start(self):
        try:
            self._start_display()
            self._start_buses()
        except BaseException:
            self.stop()
            raise

    def _start_display(self):
        # Xvfb picks a free display and writes its number on the pipe, so that
        # sessions running side by side never share one.
        read_end, write_end = os.pipe()
        self._xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen, "-dpi", "96", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + DEFAULT_TIMEOUT
        while not number.endswith(b"\n"):
            if time.monotonic() > deadline or self._xvfb.poll() is not None:
                os.close(read_end)
                raise DesktopError("Xvfb did not start")
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        # On a loaded machine the program has been seen to find no server at
        # the number given: it starts only once the server takes connections.
        wait_until(self._display_ready, what="the virtual display " + self.display)

    def _display_ready(self):
        if self._xvfb.poll() is not None:
            raise DesktopError("Xvfb ended on " + self.display)
        probe = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        try:
            probe.connect("/tmp/.X11-unix/X" + self.display[1:])
            return True
        except OSError:
            return False
        finally:
            probe.close()

    def _start_buses(self):
        environment = dict(os.environ)
        for name in ("DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
            environment.pop(name, None)
        environment.update({
            "DISPLAY": self.display,
            "HOME": self.home,
            "XDG_CONFIG_HOME": self.config_home,
            "XDG_RUNTIME_DIR": self._runtime_dir(),
            "NO_AT_BRIDGE": "0",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "QT_ACCESSIBILITY": "1",
        })
        output = subprocess.run(["dbus-launch", "--sh-syntax"], env=environment, capture_output=True, text=True,
                                timeout=DEFAULT_TIMEOUT, check=True).stdout
        for line in output.splitlines():
            if "=" not in line:
                continue
            name, value = line.rstrip(";").split("=", 1)
            value = value.strip("'")
            if name == "DBUS_SESSION_BUS_ADDRESS":
                environment[name] = value
            elif name == "DBUS_SESSION_BUS_PID":
                self._bus_pid = int(value)
        self._atspi = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], env=environment,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        self.environment = environment
        # The accessibility library reads the bus address when it is imported.
        os.environ.update({name: environment[name] for name in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS")})
        wait_until(self._accessibility_bus_ready, what="the accessibility bus")

    def _runtime_dir(self):
        path = os.path.join(self.work, "runtime")
        os.makedirs(path, mode=0o700, exist_ok=True)
        return path

    def _accessibility_bus_ready(self):
        result = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                                 "org.a11y.Bus.GetAddress"], env=self.environment, capture_output=True, timeout=5)
        return result.returncode == 0

    def start_program(self, *arguments, cwd=None, extra_environment=None, window="Update wad"):
        """Starts the program; returns once a control named window is in the
        accessibility tree (the main window's "Update wad" unless told otherwise)."""
        environment = dict(self.environment)
        environment["QT_QPA_PLATFORM"] = "xcb"
        environment.update(extra_environment or {})
        # A program that the new display turned away, as happens now and then
        # right after the display of the scenario before ended, is started once more.
        for attempt in (1, 2):
            self._log = open(os.path.join(self.work, "program.log"), "wb")
            self._program = subprocess.Popen([self.program, *arguments], cwd=cwd or self.work, env=environment,
                                             stdout=self._log, stderr=subprocess.STDOUT, start_new_session=True)
            if self._wait_for_start(window):
                return
            if attempt == 2 or "could not connect to display" not in self.program_log():
                raise DesktopError("the program ended at start (exit code %s):\n%s"
                                   % (self._program.returncode, self.program_log()))
            time.sleep(1)

    def _wait_for_start(self, window):
        """True once the control named window shows; False when the program ended first."""
        # The first start of a sanitized build on a busy machine (the test run
        # goes on beside it) can take well beyond the usual wait.
        deadline = time.monotonic() + STARTUP_TIMEOUT
        while self._program.poll() is None:
            if self.find(window, timeout=0):
                return True
            if time.monotonic() >= deadline:
                raise DesktopError("timed out after %.0f s waiting for the control %r" % (STARTUP_TIMEOUT, window))
            time.sleep(0.1)
        return False

    def program_exit_code(self, timeout=DEFAULT_TIMEOUT):
        """Waits for the program to end by itself; its exit code."""
        try:
            return self._program.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise DesktopError("the program did not end within %.0f s" % timeout)

    def program_log(self):
        path = os.path.join(self.work, "program.log")
        if not os.path.exists(path):
            return ""
        with open(path, "rb") as log:
            return log.read().decode(errors="replace")

    def stop_program(self):
        if self._program is not None and self._program.poll() is None:
            _end(self._program)
        self._program = None

    def stop(self):
        self.stop_program()
        if self._atspi is not None:
            _end(self._atspi)
            self._atspi = None
        if self._bus_pid is not None:
            try:
                os.kill(self._bus_pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            self._bus_pid = None
        if self._xvfb is not None:
            _end(self._xvfb)
            self._xvfb = None
        if os.environ.get("SKARVEL_E2E_KEEP"):
            print("e2e files kept in", self.work)
        else:
            shutil.rmtree(self.work, ignore_errors=True)

    # --- the accessibility tree --------------------------------------------

    def _atspi_module(self):
        if self._pyatspi is None:
            import pyatspi  # only now: it binds to the session's bus
            self._pyatspi = pyatspi
        return self._pyatspi

    def application(self):
        """The program's root in the accessibility tree, or None."""
        pyatspi = self._atspi_module()
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            try:
                if app is not None and app.get_process_id() == self._program.pid:
                    return app
            except Exception:
                continue
        return None

    def find(self, name, role=None, timeout=DEFAULT_TIMEOUT, showing=True):
        """The first control named name (and of role, a pyatspi role name such
        as "push button"), waiting for it up to timeout seconds."""

        def matches(node):
            try:
                if node.name != name:
                    return False
                if role is not None and node.getRoleName() != role:
                    return False
                return not showing or node.getState().contains(self._atspi_module().STATE_SHOWING)
            except Exception:
                return False

        def search():
            app = self.application()
            return self._atspi_module().findDescendant(app, matches) if app is not None else None

        if timeout == 0:
            return search()
        return wait_until(search, timeout=timeout, what="a control named %r" % name)

    def find_all(self, predicate):
        app = self.application()
        return self._atspi_module().findAllDescendants(app, predicate) if app is not None else []

    def find_by_role(self, role, timeout=DEFAULT_TIMEOUT):
        def search():
            found = self.find_all(lambda node: node.getRoleName() == role)
            return found[0] if found else None
        return wait_until(search, timeout=timeout, what="a control of role %r" % role)

    def alerts(self):
        """The texts of the message boxes that are open."""
        texts = []
        for box in self.find_all(lambda node: node.getRoleName() in ("alert", "dialog")):
            labels = self._atspi_module().findAllDescendants(box, lambda node: node.getRoleName() == "label")
            texts.append(" | ".join(label.name for label in labels if label.name))
        return texts

    # --- acting as the user -------------------------------------------------

    def press(self, name):
        """Presses the button with this caption."""
        button = self.find(name, role="push button")
        action = button.queryAction()
        for index in range(action.nActions):
            if action.getName(index) in ("Press", "press", "click"):
                action.doAction(index)
                return
        action.doAction(0)

    def click(self, control, button="1"):
        """Clicks the middle of a control with the mouse (button 3: the right one)."""
        pyatspi = self._atspi_module()
        extents = control.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        self.xdotool("mousemove", "--sync", str(extents.x + extents.width // 2), str(extents.y + extents.height // 2),
                     "click", button)

    def focus(self, name, role=None):
        """Gives the keyboard focus to the control named name, by clicking on it."""
        control = self.find(name, role=role)
        focused = lambda: control.getState().contains(self._atspi_module().STATE_FOCUSED)
        if not focused():
            self.click(control)
        wait_until(focused, timeout=5, what="focus on %r" % name)
        return control

    def xdotool(self, *arguments):
        subprocess.run(["xdotool", *arguments], env=self.environment, check=True, timeout=DEFAULT_TIMEOUT)

    def type_text(self, name, text, replace=True):
        """Types text into the edit named name, key by key, as a user would."""
        # An edit is named by its label: the label itself has the same name.
        control = self.focus(name, role="text")
        if replace:
            self.xdotool("key", "--clearmodifiers", "ctrl+a", "BackSpace")
        self.xdotool("type", "--delay", "2", "--clearmodifiers", text)
        wait_until(lambda: self.text_of(control) == text, timeout=10, what="%r to read %r" % (name, text))

    def key(self, *keys):
        self.xdotool("key", "--clearmodifiers", *keys)

    def text_of(self, control):
        text = control.queryText()
        return text.getText(0, text.characterCount)

    def status_caption(self):
        """The status line's caption, which is its accessible name."""
        return self.find_by_role("status bar").name

    def wait_for_status(self, condition, timeout=60):
        def ready():
            alerts = self.alerts()
            if alerts:
                raise DesktopError("a message box is open: %s" % "; ".join(alerts))
            caption = self.status_caption()
            return caption if condition(caption) else None
        try:
            return wait_until(ready, timeout=timeout, what="the status caption")
        except DesktopError as error:
            raise DesktopError("%s; the status line reads %r" % (error, self.status_caption())) from None

    def contents_list(self):
        """The contents list (a tree of rows in Qt's accessibility tree)."""
        return self.find("Files in the wad", showing=False)

    def row_count(self):
        """The rows of the contents list, read from its table interface."""
        return self.contents_list().queryTable().nRows

    def cell_text(self, row, column):
        return self.contents_list().queryTable().getAccessibleAt(row, column).name

    def screenshot(self, path, window_name=None):
        """Saves the screen, or one window found by its title, as an image."""
        target = "root"
        if window_name is not None:
            ids = subprocess.run(["xdotool", "search", "--name", "^%s$" % window_name], env=self.environment,
                                 capture_output=True, text=True, timeout=10).stdout.split()
            if ids:
                target = ids[-1]
        subprocess.run(["import", "-window", target, path], env=self.environment, check=True, timeout=30)


def _end(process):
    """Ends a process that this module started, and its children, by its group id."""
    try:
        os.killpg(process.pid, signal.SIGTERM)
    except (ProcessLookupError, PermissionError):
        pass
    try:
        process.wait(timeout=5)
    except subprocess.TimeoutExpired:
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except (ProcessLookupError, PermissionError):
            pass
        process.wait(timeout=5)
