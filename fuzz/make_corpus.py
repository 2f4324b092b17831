#!/usr/bin/env python3
"""Writes the seeds of fuzz/corpus/<target>/: for the archive targets small valid
archives in the layouts the program writes, and malformed ones that each break
one rule; for the registry target registry files as the program writes them and
as people and Windows' regedit do; for the command-line target command lines as
add-on packages and shortcuts give them."""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def record(name, offset, size):
    field = name[:128] + b"\0" * (128 - min(len(name), 128))
    return field + struct.pack("<ii", offset, size)


def raw(count, records, tail=b""):
    return struct.pack("<i", count) + b"".join(records) + tail


def packed(entries):
    offset = 4 + 136 * len(entries)
    records, data = [], b""
    for name, payload in entries:
        records.append(record(name, offset, len(payload)))
        data += payload
        offset += len(payload)
    return raw(len(entries), records, data)


D1, D2, D3 = 4 + 136, 4 + 2 * 136, 4 + 3 * 136

COMMON = {
    "empty": raw(0, []),
    "packed": packed([(b"maps\\monza2001\\a.bin", b"aaaa"), (b"cars\\x.tex", b"xx"), (b"readme.txt", b"")]),
    "appended-in-front": raw(2, [record(b"old", D2 + 3, 2), record(b"new", D2, 3)], b"NNNoo"),
    "gaps-trailing": raw(2, [record(b"a", D2 + 3, 2), record(b"b", D2 + 7, 1)], b"...aa..b!!"),
    "overlap": raw(3, [record(b"long", D3, 10), record(b"in", D3 + 2, 2), record(b"same", D3, 10)], b"0123456789"),
    "into-directory": raw(1, [record(b"head", 0, 8)]),
    "outside": raw(2, [record(b"in", D2, 2), record(b"out", D2 + 1, 2)], b"ab"),
    "negative": raw(2, [record(b"neg-offset", -1, 1), record(b"neg-size", D2, -1)], b"a"),
    "negative-count": raw(-1, [record(b"a", D1, 0)]),
    "huge-count": raw(0x7FFFFFFF, [record(b"a", 0, 0)], b"xy"),
    "cut-record": raw(2, [record(b"a", D1, 0)], b"\0" * 60),
    "short": b"\x01\x00",
    "duplicates": packed([(b"Maps\\A.bin", b"1"), (b"maps\\a.BIN", b"2"), (b"caf\xc9", b"3"), (b"CAF\xe9", b"4")]),
    "unsafe-names": packed([(b"..\\evil", b"1"), (b"\\root", b"2"), (b"c:x", b"3"), (b"a/b", b"4"), (b"", b"5")]),
    "long-name": packed([(b"n" * 128, b"full field"), (b"abc\0junk after the end", b"z")]),
    "file-and-folder": packed([(b"x", b"file"), (b"x\\y", b"below a file")]),
}

UPDATE = {
    "update-matches": packed([
        (b"maps\\monza2001\\a.bin", b"old a"),
        (b"b.txt", b"old b"),
        (b"cars\\x.tex", b"old car"),
        (b"maps\\monza2001\\race\\r.bin", b"old race"),
        (b"maps\\monza2001\\qualifying\\q.bin", b"old qualifying"),
        (b"maps\\monza2001\\r.bin", b"not in race"),
    ]),
    "update-long-names": packed([(b"maps\\monza2001\\" + b"d" * 100 + b"\\a.bin", b"1")]),
}


SETTINGS = "[HKEY_CURRENT_USER\\Software\\Vintrel's Tools\\Skarvel]\n"
REGISTRY = {
    "written": ("REGEDIT4\n\n" + SETTINGS +
                '"FileName"="\\\\home\\\\me\\\\mods"\n"WadName"="\\\\home\\\\me\\\\gp4\\\\cars.wad"\n\n'
                "[HKEY_CURRENT_USER\\Software\\Vintrel's Skarvel]\n\"Continue\"=\"1\"\n").encode(),
    "value-kinds": ("REGEDIT4\n\n" + SETTINGS + '@="default"\n"Count"=dword:0000002a\n'
                    '"Raw"=hex:00,01,ff\n"Path"=hex(2):25,00,41,00,00,00\n"None"=hex(0):\n'
                    '"Long"=hex(7):61,00,62,00,63,00,64,00,65,00,66,00,67,00,68,00,69,00,6a,00,6b,00,\\\n'
                    '  6c,00,6d,00,00,00,00,00\n').encode(),
    "hand-edited": ("\ufeffREGEDIT4\r\n; kept by hand\r\n\r\n  [hkey_current_user\\software\\a b]  \r\n"
                    '"Quote"  =  "say \\"hi\\" \\\\ bye"\r\n[HKEY_CURRENT_USER\\Software\\A B]\r\n'
                    '"quote"="again"\r\n[HKEY_CURRENT_USER]\r\n"Top"=""\r\n').encode("utf-8"),
    "cp1252-export": b"REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Caf\xe9]\n\"Na\xefve\"=\"\x80 \xff\"\n",
    "utf8": "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Café]\n\"Name\"=\"€ ÿ\"\n".encode("utf-8"),
    "damaged": b"REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\n\"a\"=hex:0g\n",
}

COMMAND_LINES = {
    "installer": b'"C:\\GP4 mods\\Skarvel.exe" \x01wad cars.wad',
    "quoted-folder": b'Skarvel.exe \x01wad "C:\\Program Files\\GP4\\" sub',
    "empty-quotes": b'"" prog  ""a"" "b c"d  "',
    "tabs": b"prog\tone\t\ttwo\x01three",
    "unbalanced": b'prog "open to the end',
}


def write_seeds(target, seeds, suffix):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(folder, name + suffix), "wb") as out:
            out.write(data)


def main():
    for target in ("list", "verify", "extract", "update"):
        seeds = dict(COMMON)
        if target == "update":
            seeds.update(UPDATE)
        write_seeds(target, seeds, ".wad")
    write_seeds("registry", REGISTRY, ".reg")
    write_seeds("command_line", COMMAND_LINES, ".txt")
    return 0


if __name__ == "__main__":
    sys.exit(main())
