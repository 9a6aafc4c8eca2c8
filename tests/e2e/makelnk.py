#!/usr/bin/env python3
"""makelnk.py FILE TARGET [ARGUMENTS [WORKING_DIR]]: writes a shell link as the
published format lays it out: the header, LinkInfo with the target's local
path (ANSI and Unicode), the working folder and arguments in UTF-16, and the
terminal block."""
import struct
import sys

CLSID = bytes.fromhex("0114020000000000c000000000000046")
HAS_LINK_INFO, HAS_WORKING_DIR, HAS_ARGUMENTS, IS_UNICODE = 0x2, 0x10, 0x20, 0x80


def link_info(target):
    header = 0x24
    volume = struct.pack("<IIII", 0x11, 3, 0x12345678, 0x10) + b"\0"
    local = target.encode("cp1252") + b"\0"
    suffix = b"\0"
    local_w = target.encode("utf-16-le") + b"\0\0"
    suffix_w = b"\0\0"
    volume_at = header
    local_at = volume_at + len(volume)
    suffix_at = local_at + len(local)
    local_w_at = suffix_at + len(suffix)
    suffix_w_at = local_w_at + len(local_w)
    body = volume + local + suffix + local_w + suffix_w
    return struct.pack("<IIIIIIIII", header + len(body), header, 1, volume_at, local_at, 0, suffix_at,
                       local_w_at, suffix_w_at) + body


def counted(text):
    return struct.pack("<H", len(text)) + text.encode("utf-16-le")


def main():
    path, target = sys.argv[1], sys.argv[2]
    arguments = sys.argv[3] if len(sys.argv) > 3 else ""
    working = sys.argv[4] if len(sys.argv) > 4 else ""
    flags = HAS_LINK_INFO | IS_UNICODE | (HAS_WORKING_DIR if working else 0) | (HAS_ARGUMENTS if arguments else 0)
    data = struct.pack("<I", 0x4C) + CLSID + struct.pack("<II", flags, 0x20) + bytes(24)
    data += struct.pack("<IiI", 0, 0, 1) + bytes(12)
    data += link_info(target)
    if working:
        data += counted(working)
    if arguments:
        data += counted(arguments)
    data += struct.pack("<I", 0)
    with open(path, "wb") as out:
        out.write(data)


main()
