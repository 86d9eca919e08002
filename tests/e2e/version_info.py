#!/usr/bin/env python3
"""Prints the version information of a Windows program as its file properties show it:
one line "version A.B.C.D" from the fixed part, then "Key=Value" for each string of every
language block, in file order.  Usage: version_info.py PROGRAM.exe"""
import struct
import sys

RT_VERSION = 16


def resource_version(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit("not a Windows program")
    sections, opt_size = struct.unpack_from("<H12xH", data, pe + 6)
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    dirs = opt + (112 if magic == 0x20B else 96)
    rsrc_rva = struct.unpack_from("<I", data, dirs + 2 * 8)[0]
    table = []
    for i in range(sections):
        s = opt + opt_size + 40 * i
        vsize, va, rsize, raw = struct.unpack_from("<IIII", data, s + 8)
        table.append((va, max(vsize, rsize), raw))

    def offset(rva):
        for va, size, raw in table:
            if va <= rva < va + size:
                return rva - va + raw
        sys.exit("address outside every section")

    base = offset(rsrc_rva)

    def entries(at):
        named, ids = struct.unpack_from("<HH", data, at + 12)
        for i in range(named + ids):
            yield struct.unpack_from("<II", data, at + 16 + 8 * i)

    def first_under(at, wanted=None):
        for name, target in entries(at):
            if wanted is None or name == wanted:
                return target
        sys.exit("the program has no version information")

    names = first_under(base, RT_VERSION) & 0x7FFFFFFF
    langs = first_under(base + names) & 0x7FFFFFFF
    leaf = first_under(base + langs)
    rva, size = struct.unpack_from("<II", data, base + leaf)
    start = offset(rva)
    return data[start:start + size]


def node(block, at):
    """One node of the version tree: its end, key, value bytes, value type and children's start."""
    length, value_length, kind = struct.unpack_from("<HHH", block, at)
    key_end = at + 6
    while block[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = block[at + 6:key_end].decode("utf-16-le")
    value = (key_end + 2 + 3) & ~3
    value_bytes = value_length * (2 if kind == 1 else 1)
    children = (value + value_bytes + 3) & ~3
    return at + length, key, block[value:value + value_bytes], kind, children


def main():
    block = resource_version(open(sys.argv[1], "rb").read())
    end, key, fixed, _, child = node(block, 0)
    if key != "VS_VERSION_INFO":
        sys.exit("no VS_VERSION_INFO")
    signature, _, ms, ls = struct.unpack_from("<IIII", fixed, 0)
    if signature != 0xFEEF04BD:
        sys.exit("no fixed version part")
    print(f"version {ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}")
    while child < end:
        child_end, child_key, _, _, tables = node(block, child)
        if child_key == "StringFileInfo":
            while tables < child_end:
                table_end, _, _, _, strings = node(block, tables)
                while strings < table_end:
                    string_end, name, value, _, _ = node(block, strings)
                    print(f"{name}={value.decode('utf-16-le').rstrip(chr(0))}")
                    strings = (string_end + 3) & ~3
                tables = (table_end + 3) & ~3
        child = (child_end + 3) & ~3


if __name__ == "__main__":
    main()
