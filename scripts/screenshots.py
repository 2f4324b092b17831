#!/usr/bin/python3
"""Takes the README's pictures of the main window, collapsed and shown, with a
small archive listed, and of its patch history. Run by scripts/screenshots.sh, which builds the programs."""

import os
import sys
import time

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
from skarvel_desktop import DesktopSession, run_cli, wait_until  # noqa: E402

ARCHIVE_LABEL = "Select one of the GP4's wad to patch or the wad to extract"
SOURCE_LABEL = "Select file(s) to replace in wad(s)"
FILES = {
    "readme.txt": b"Skarvel sample archive\n",
    "cars/car01.tex": b"car texture " * 40,
    "cars/car02.tex": b"car texture " * 44,
    "cars/helmet01.tex": b"helmet " * 30,
    "maps/monza2001/track.dat": b"track data " * 250,
    "maps/monza2001/race/setup.txt": b"race setup\n",
    "sounds/engine.wav": b"engine " * 600,
}


def main(output):
    os.makedirs(output, exist_ok=True)
    with DesktopSession(screen="800x1000x24") as session:
        sample = os.path.join(session.work, "sample")
        for name, data in FILES.items():
            path = os.path.join(sample, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as file:
                file.write(data)
        archive = os.path.join(session.work, "sample.wad")
        run_cli("create", sample, archive)
        session.start_program()
        session.type_text(ARCHIVE_LABEL, archive)
        session.type_text(SOURCE_LABEL, sample)
        session.press("Update wad")
        session.wait_for_status(lambda caption: caption.startswith("Update done in "))
        session.focus("Update wad", role="push button")
        session.screenshot(os.path.join(output, "window-collapsed.png"), window_name="Skarvel 3.3")
        session.press("Show/Hide files in the wad")
        wait_until(lambda: session.row_count() == len(FILES), what="the rows")
        session.screenshot(os.path.join(output, "window-shown.png"), window_name="Skarvel 3.3")
        # A second patch, of one entry, for the history.
        session.type_text(SOURCE_LABEL, os.path.join(sample, "cars", "car02.tex"))
        session.press("Update wad")
        time.sleep(1)  # the caption of the update before reads the same
        session.wait_for_status(lambda caption: caption.startswith("Update done in "))
        session.key("ctrl+h")
        session.find("Restore to before this patch", role="push button")
        session.screenshot(os.path.join(output, "window-patch-history.png"), window_name="Patch history - sample.wad")
        session.press("Close")
    print("pictures written to", output)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "docs"))
