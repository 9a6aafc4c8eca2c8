#!/usr/bin/env python3
"""makelnk.py FILE TARGET [ARGUMENTS [WORKING_DIR]] [options]: writes a shell
link as the published format lays it out: the header, the target (by
default LinkInfo with its local path, ANSI and Unicode), the working folder
and arguments in UTF-16, and the terminal block.
  --target-in idlist    the target only in the ID list, as the shell writes
                        it (the computer, the drive, a file entry a part with
                        its long name in an extension block)
  --target-in env       the target only in the environment block (%COMSPEC%)
  --pad-working N       N NULs after the working folder, inside its count
  --trailing N          N bytes after the terminal block"""
import argparse
import struct

CLSID = bytes.fromhex("0114020000000000c000000000000046")
MY_COMPUTER = bytes.fromhex("e04fd020ea3a6910a2d808002b30309d")
HAS_ID_LIST, HAS_LINK_INFO, HAS_WORKING_DIR, HAS_ARGUMENTS, IS_UNICODE = 0x1, 0x2, 0x10, 0x20, 0x80


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


def file_entry(name, folder):
    """A file entry item: an upper-case short name, the long name in a
    version 9 extension block."""
    short = (name[:6] + "~1").upper().encode("cp1252") + b"\0"
    item = bytes([0x31 if folder else 0x32, 0]) + struct.pack("<IIH", 0, 0x5A215A21, 0x10 if folder else 0x20)
    item += short
    if len(item) % 2:
        item += b"\0"
    block_at = len(item) + 2
    block = struct.pack("<HIIIH", 9, 0xBEEF0004, 0x5A215A21, 0x5A215A21, 0x2E) + bytes(18)
    block += struct.pack("<H", 0) + bytes(8) + name.encode("utf-16-le") + b"\0\0" + struct.pack("<H", block_at)
    item += struct.pack("<H", len(block) + 2) + block
    return struct.pack("<H", len(item) + 2) + item


def id_list(target):
    items = struct.pack("<H", 20) + b"\x1f\x50" + MY_COMPUTER
    items += struct.pack("<H", 25) + b"\x2f" + target[:3].encode("ascii").ljust(20, b"\0") + b"\0\0"
    parts = [p for p in target[3:].split("\\") if p]
    for i, part in enumerate(parts):
        items += file_entry(part, i + 1 < len(parts))
    items += b"\0\0"
    return struct.pack("<H", len(items)) + items


def environment_block(target):
    return (struct.pack("<II", 0x314, 0xA0000001) + target.encode("cp1252").ljust(260, b"\0") +
            target.encode("utf-16-le").ljust(520, b"\0"))


def counted(text, padding=0):
    return struct.pack("<H", len(text) + padding) + text.encode("utf-16-le") + bytes(2 * padding)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("file")
    parser.add_argument("target")
    parser.add_argument("arguments", nargs="?", default="")
    parser.add_argument("working", nargs="?", default="")
    parser.add_argument("--target-in", choices=["linkinfo", "idlist", "env"], default="linkinfo")
    parser.add_argument("--pad-working", type=int, default=0)
    parser.add_argument("--trailing", type=int, default=0)
    a = parser.parse_intermixed_args()
    flags = IS_UNICODE | (HAS_WORKING_DIR if a.working else 0) | (HAS_ARGUMENTS if a.arguments else 0)
    flags |= {"linkinfo": HAS_LINK_INFO, "idlist": HAS_ID_LIST, "env": 0}[a.target_in]
    data = struct.pack("<I", 0x4C) + CLSID + struct.pack("<II", flags, 0x20) + bytes(24)
    data += struct.pack("<IiI", 0, 0, 1) + bytes(12)
    if a.target_in == "idlist":
        data += id_list(a.target)
    elif a.target_in == "linkinfo":
        data += link_info(a.target)
    if a.working:
        data += counted(a.working, a.pad_working)
    if a.arguments:
        data += counted(a.arguments)
    if a.target_in == "env":
        data += environment_block(a.target)
    data += struct.pack("<I", 0) + bytes(range(1, a.trailing + 1))
    with open(a.file, "wb") as out:
        out.write(data)


main()
