#!/usr/bin/python3
"""End to end: a user chooses folders in the two folder dialogs.

Starts the desktop program on a virtual display with a desktop folder that
holds a folder of replacement files, a Wine prefix whose C: drive holds the
game's folder, and a remembered archive. In "Select Files..." the user types
the folder's name (the tree selects it) and presses Enter: the source edit
shows the folder. In "Manual Path Entry" the user walks down the Wine drive
with the keyboard to the game's folder and presses Enter: the game's key now
names it, and the main window, initialised again, shows the remembered archive
in the archive edit and lists it.
"""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from skarvel_desktop import DesktopError, DesktopSession, run_cli, wait_until  # noqa: E402

ARCHIVE_LABEL = "Select one of the GP4's wad to patch or the wad to extract"
SOURCE_LABEL = "Select file(s) to replace in wad(s)"
# The tree selects the next item whose label begins with what is typed within
# this long; a pause longer than it starts a new search.
TYPE_AHEAD_PAUSE = 0.8


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as file:
        file.write(data)


def internal(path):
    return path.replace("/", "\\")


def remember_archive(session, archive):
    """The settings key as an earlier run left it: the archive last patched."""
    text = ("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vintrel's Tools\\Skarvel]\r\n"
            "\"WadName\"=\"%s\"\r\n\r\n" % internal(archive).replace("\\", "\\\\"))
    write(os.path.join(session.config_home, "skarvel", "HKEY_CURRENT_USER.reg"), text.encode("cp1252"))


def edit_named(session, label):
    """The edit that a label names (the label itself has the same name)."""
    return wait_until(lambda: next(iter(session.find_all(
        lambda node: node.name == label and node.getRoleName() not in ("label", "static")
    )), None), what="the edit %r" % label)


def listed_names(session):
    """The file names that the contents list shows, in its order."""
    contents = session.find("Files in the wad", showing=False)
    cells = session._atspi_module().findAllDescendants(
        contents, lambda node: node.getRoleName() in ("table cell", "tree item", "list item"))
    return [cell.name for cell in cells if cell.name.endswith(".txt")]  # the name column


def select_by_typing(session, label):
    """Types the start of an item's label into the focused tree, as a user does."""
    time.sleep(TYPE_AHEAD_PAUSE)
    session.xdotool("type", "--delay", "20", "--clearmodifiers", label)


def wait_for_window(session, title):
    wait_until(lambda: session.find(title, timeout=0), what="the window %r" % title)


def choose_source_folder(session, mods):
    session.press("Select a Folder")
    wait_for_window(session, "Select Files...")
    session.focus("Folders")
    select_by_typing(session, "mods")
    session.screenshot(os.path.join(session.shots, "select-files.png"), "Select Files...")
    session.key("Return")
    source = edit_named(session, SOURCE_LABEL)
    wait_until(lambda: session.text_of(source) == mods, what="the source edit to read %r" % mods)
    wait_until(lambda: not session.find("Select Files...", timeout=0), what="the dialog to hide")


def choose_game_folder(session, archive):
    session.press("Change GP4 Path")
    wait_for_window(session, "Manual Path Entry")
    session.focus("Folders")
    for label in ("drive_c", "Program Files", "Infogrames", "Grand Prix 4"):
        select_by_typing(session, label)
        if label != "Grand Prix 4":
            session.key("Right")  # expands the selected folder
    session.screenshot(os.path.join(session.shots, "manual-path-entry.png"), "Manual Path Entry")
    session.key("Return")
    edit = edit_named(session, ARCHIVE_LABEL)
    wait_until(lambda: session.text_of(edit) == archive, what="the archive edit to read %r" % archive)
    session.press("Show/Hide files in the wad")  # the list is out of sight after the initialisation
    wait_until(lambda: listed_names(session) == ["a.txt", "b.txt"], what="the remembered archive's rows")


def main():
    with DesktopSession() as session:
        session.shots = os.environ.get("SKARVEL_E2E_SHOTS", session.work)
        os.makedirs(session.shots, exist_ok=True)
        mods = os.path.join(session.home, "Desktop", "mods")
        write(os.path.join(mods, "car01.tex"), b"texture")
        write(os.path.join(mods, "cars", "car02.tex"), b"texture")
        os.makedirs(os.path.join(session.home, "Desktop", "music"))
        prefix = os.path.join(session.work, "wine-gp4")
        game = os.path.join(prefix, "drive_c", "Program Files", "Infogrames", "Grand Prix 4")
        write(os.path.join(game, "GP4.exe"), b"MZ")
        sample = os.path.join(session.work, "sample")
        write(os.path.join(sample, "a.txt"), b"a")
        write(os.path.join(sample, "b.txt"), b"b")
        archive = os.path.join(game, "cars.wad")
        run_cli("create", sample, archive)
        remember_archive(session, archive)

        session.start_program(extra_environment={"WINEPREFIX": prefix})
        try:
            # No game folder yet: the remembered archive is not in the edit.
            assert session.text_of(edit_named(session, ARCHIVE_LABEL)) == ""
            choose_source_folder(session, mods)
            choose_game_folder(session, archive)
        except (DesktopError, AssertionError) as error:
            session.screenshot(os.path.join(session.shots, "failure.png"))
            raise DesktopError("%s\nprogram output:\n%s" % (error, session.program_log())) from None
        session.stop_program()

        with open(os.path.join(session.config_home, "skarvel", "HKEY_LOCAL_MACHINE.reg"), encoding="cp1252") as reg:
            registry = reg.read()
        assert internal(game).replace("\\", "\\\\") in registry, registry
    print("e2e folder dialogs: passed")


if __name__ == "__main__":
    main()
