#!/usr/bin/python3
"""End to end: a user undoes a patch from the "Patch history..." window.

Patches an archive from the main window, opens the history with Ctrl+H while
the archive edit has the focus (the edit must not take it for a backspace),
restores the archive to before the patch after the confirmation box, and checks
the archive's bytes against the copy kept before, the status caption and the
list of the window; then opens the window again from the contents list's menu.
"""

import filecmp
import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from skarvel_desktop import DesktopError, DesktopSession, wait_until  # noqa: E402
from test_update import ARCHIVE_LABEL, SOURCE_LABEL, make_archive  # noqa: E402

RESTORE = "Restore to before this patch"


def main():
    with DesktopSession() as session:
        _, _, patch, archive, original = make_archive(session, "original.wad")

        session.start_program()
        try:
            session.type_text(SOURCE_LABEL, patch)
            session.type_text(ARCHIVE_LABEL, archive)
            session.press("Update wad")
            session.wait_for_status(lambda text: text.startswith("Update done in "))
            assert not filecmp.cmp(archive, original, shallow=False), "the update changed nothing"

            edit = session.focus(ARCHIVE_LABEL, role="text")
            session.key("ctrl+h")
            session.find(RESTORE, role="push button")
            assert session.text_of(edit) == archive, "the edit took Ctrl+H: %r" % session.text_of(edit)
            patches = session.find("Patches", showing=False).queryTable()
            wait_until(lambda: patches.nRows == 1, what="one patch in the history")
            assert patches.getAccessibleAt(0, 1).name == "window", patches.getAccessibleAt(0, 1).name
            assert patches.getAccessibleAt(0, 3).name == "1 replaced, 1 appended", patches.getAccessibleAt(0, 3).name

            session.press(RESTORE)
            wait_until(lambda: any("before patch 1?" in text for text in session.alerts()), what="the confirmation")
            session.press("Oui")
            # The history window stays open over the main window (wait_for_status would take it for a box).
            caption = wait_until(lambda: session.status_caption().startswith("Restore done in ")
                                 and session.status_caption(), what="the restore's caption")
            assert re.fullmatch(r"Restore done in [0-9]+([.,][0-9]+)?s", caption), caption
            assert filecmp.cmp(archive, original, shallow=False), "the restored archive differs from the original"
            wait_until(lambda: patches.nRows == 0, what="the history listed again, empty")
            session.find("No patch of this archive is recorded.", role="label")
            session.press("Close")
            wait_until(lambda: session.find(RESTORE, timeout=0) is None, what="the window to close")

            # The contents list's menu opens the window too.
            session.press("Show/Hide files in the wad")
            wait_until(lambda: session.row_count() == 3, what="the original three rows")
            session.click(session.contents_list(), "3")
            time.sleep(0.5)
            # Qt's menus are not in the accessibility tree: its one item is chosen by key.
            session.key("Down", "Return")
            session.find(RESTORE, role="push button")
            session.press("Close")
        except DesktopError as error:
            session.screenshot(os.path.join(session.work, "failure.png"))
            raise DesktopError("%s\nprogram output:\n%s" % (error, session.program_log())) from None


if __name__ == "__main__":
    main()
