#!/usr/bin/python3
"""End to end: an add-on package runs the program as its auto install program.

A game folder with "GP4.exe" and an archive, recorded in the game's key; a
package folder holding "UpdateFolder\\sub". The program is started with
"\\1wad ARCHIVE sub" from the package folder, as a package does. Answered
"Annuler", nothing changes and the exit code is 0; answered "Oui", the success
box follows, the exit code is 0 and the archive holds exactly what skarvel-cli
makes of the same patch. The main window never shows.
"""

import filecmp
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from skarvel_desktop import DesktopError, DesktopSession, run_cli, wait_until  # noqa: E402

SUCCESS = "Your GP4 installation has been succesfully patched"


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as file:
        file.write(data)


def record_game_folder(session, game):
    internal = game.replace("/", "\\").replace("\\", "\\\\")
    text = ("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Infogrames\\Grand Prix 4\\1.00\\Install Dir]\r\n"
            '"Directory"="%s"\r\n\r\n' % internal)
    write(os.path.join(session.config_home, "skarvel", "HKEY_LOCAL_MACHINE.reg"), text.encode("cp1252"))


def answer(session, button, arguments, cwd):
    """Runs the program with arguments, answers the welcome box with button; the exit code."""
    session.start_program(*arguments, cwd=cwd, window="Annuler")
    assert session.find("Update wad", timeout=0) is None, "the main window shows in command-line mode"
    welcome = " ".join(session.alerts())
    assert "Welcome to Skarvel's auto install program." in welcome, welcome
    session.press(button)
    if button == "Oui":
        wait_until(lambda: any(SUCCESS in text for text in session.alerts()), what="the success message")
        session.press("OK")
    return session.program_exit_code()


def main():
    with DesktopSession() as session:
        data = os.path.join(session.work, "data")
        game = os.path.join(data, "gp4")
        write(os.path.join(game, "GP4.exe"), b"MZ")
        sample = os.path.join(data, "sample")
        write(os.path.join(sample, "readme.txt"), b"Skarvel installer archive\n")
        write(os.path.join(sample, "cars", "car01.tex"), b"car texture " * 40)
        archive = os.path.join(game, "cars.wad")
        run_cli("create", sample, archive)
        original = os.path.join(data, "original.wad")
        shutil.copyfile(archive, original)

        package = os.path.join(data, "package")
        patch = os.path.join(package, "UpdateFolder", "sub")
        write(os.path.join(patch, "readme.txt"), b"Skarvel installer archive, patched by a package\n")
        write(os.path.join(patch, "extras", "new.txt"), b"a file the archive did not hold\n")
        # The same file name: an appended entry's name depends on the archive's.
        expected = os.path.join(data, "expected", "cars.wad")
        os.makedirs(os.path.dirname(expected))
        shutil.copyfile(archive, expected)
        run_cli("update", expected, patch)
        record_game_folder(session, game)

        arguments = ("\\1wad", "cars.wad", "sub")
        try:
            code = answer(session, "Annuler", arguments, package)
            assert code == 0, "declined: exit code %d" % code
            assert filecmp.cmp(archive, original, shallow=False), "a declined install changed the archive"
            code = answer(session, "Oui", arguments, package)
            assert code == 0, "patched: exit code %d" % code
        except DesktopError as error:
            session.screenshot(os.path.join(session.work, "failure.png"))
            raise DesktopError("%s\nprogram output:\n%s" % (error, session.program_log())) from None
        assert filecmp.cmp(archive, expected, shallow=False), "the archive differs from skarvel-cli's patch"
    print("e2e installer: passed")


if __name__ == "__main__":
    main()
