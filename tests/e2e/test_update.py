#!/usr/bin/python3
"""End to end: a user patches an archive from the main window.

Makes an archive with skarvel-cli, starts the desktop program on a virtual
display, types the archive's path (the list fills) and a source folder, presses
"Update wad", and checks the status caption, the archive's bytes against the
same patch made by skarvel-cli, and the paths the program remembered.
"""

import filecmp
import os
import re
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from skarvel_desktop import DesktopError, DesktopSession, run_cli, wait_until  # noqa: E402

ARCHIVE_LABEL = "Select one of the GP4's wad to patch or the wad to extract"
SOURCE_LABEL = "Select file(s) to replace in wad(s)"


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as file:
        file.write(data)


def make_folders(root):
    sample = os.path.join(root, "sample")
    write(os.path.join(sample, "readme.txt"), b"Skarvel end-to-end archive\n")
    write(os.path.join(sample, "cars", "car01.tex"), b"car texture " * 40)
    write(os.path.join(sample, "maps", "monza", "track.dat"), b"track data " * 25)
    patch = os.path.join(root, "patch")
    write(os.path.join(patch, "readme.txt"), b"Skarvel end-to-end archive, patched from the window\n")
    write(os.path.join(patch, "extras", "new.txt"), b"a file the archive did not hold\n")
    return sample, patch


def make_archive(session, copy_name):
    """The folders above, the archive demo.wad made from the sample, and a copy of it by another name."""
    data = os.path.join(session.work, "data")
    sample, patch = make_folders(data)
    archive = os.path.join(data, "demo.wad")
    run_cli("create", sample, archive)
    copy = os.path.join(data, copy_name)
    shutil.copyfile(archive, copy)
    return data, sample, patch, archive, copy


def main():
    with DesktopSession() as session:
        data, sample, patch, archive, expected = make_archive(session, "expected.wad")
        run_cli("update", expected, patch)

        session.start_program()
        try:
            assert session.status_caption() == "", session.status_caption()
            session.type_text(ARCHIVE_LABEL, archive)
            session.press("Show/Hide files in the wad")
            wait_until(lambda: session.cell_text(0, 0) == "car01.tex", what="the first row, by file name")
            wait_until(lambda: session.row_count() == 3, what="the three rows of the archive")
            session.type_text(SOURCE_LABEL, patch)
            session.press("Update wad")
            caption = session.wait_for_status(lambda text: text.startswith("Update done in "))
            assert re.fullmatch(r"Update done in [0-9]+([.,][0-9]+)?s", caption), caption
            # The archive is listed again after the update: one entry more.
            wait_until(lambda: session.row_count() == 4, what="the appended entry in the list")
        except DesktopError as error:
            session.screenshot(os.path.join(session.work, "failure.png"))
            raise DesktopError("%s\nprogram output:\n%s" % (error, session.program_log())) from None
        session.stop_program()

        assert filecmp.cmp(archive, expected, shallow=False), "the archive differs from skarvel-cli's patch"
        extracted = os.path.join(data, "extracted")
        run_cli("extract", archive, extracted)
        assert filecmp.cmp(os.path.join(extracted, "readme.txt"), os.path.join(patch, "readme.txt"), shallow=False)
        assert filecmp.cmp(os.path.join(extracted, "cars", "car01.tex"), os.path.join(sample, "cars", "car01.tex"),
                           shallow=False)

        # The paths the window remembers, in the registry file of the session's user.
        with open(os.path.join(session.config_home, "skarvel", "HKEY_CURRENT_USER.reg"), encoding="cp1252") as reg:
            registry = reg.read()
        # The file doubles every backslash of the internal paths.
        escaped = lambda path: path.replace("/", "\\\\")
        assert '"WadName"="%s"' % escaped(archive) in registry, registry
        assert '"FileName"="%s"' % escaped(patch) in registry, registry
    print("e2e update: passed (%s)" % caption)


if __name__ == "__main__":
    main()
