#!/usr/bin/env python3
"""Writes seeds for exports_fuzz: two tiny hand-made images (PE32+ and PE32) with three named
exports, one of them forwarded.

    make_exports_corpus.py OUTDIR

The seeds in the loader's layout (mapped_*) are written by the native test
ExportWalk.LoaderLayoutFuzzSeedsAreTheirFileSeedsMapped, which lays out the file seeds as the
other native tests do.
"""
import os
import struct
import sys


def tiny(pe32plus):
    hdr = bytearray(0x200)
    hdr[0:2] = b'MZ'
    struct.pack_into('<I', hdr, 0x3C, 0x40)
    nt = 0x40
    hdr[nt:nt + 4] = b'PE\0\0'
    optsize = 240 if pe32plus else 224
    struct.pack_into('<HHIIIHH', hdr, nt + 4, 0x8664 if pe32plus else 0x14C, 1, 0, 0, 0,
                     optsize, 0x2022)
    opt = nt + 24
    struct.pack_into('<H', hdr, opt, 0x20B if pe32plus else 0x10B)
    struct.pack_into('<II', hdr, opt + 32, 0x1000, 0x200)  # section and file alignment
    struct.pack_into('<II', hdr, opt + 56, 0x2000, 0x200)  # size of image and of headers
    count = opt + (108 if pe32plus else 92)
    struct.pack_into('<I', hdr, count, 16)
    struct.pack_into('<II', hdr, count + 4, 0x1000, 0xF8)  # export directory
    sec = bytearray(0x200)
    eat, npt, ot, strs = 0x1040, 0x1060, 0x1070, 0x1080
    struct.pack_into('<IIHHIIIIIII', sec, 0, 0, 0, 0, 0, 0x10F0, 1, 4, 3, eat, npt, ot)
    for i in range(3):
        struct.pack_into('<I', sec, eat - 0x1000 + 4 * i, 0x1100 + 0x10 * i)
    struct.pack_into('<I', sec, eat - 0x1000 + 12, 0x10E0)  # forwarder text below
    at = strs
    for i, name in enumerate([b'First', b'Second', b'Third']):
        struct.pack_into('<I', sec, npt - 0x1000 + 4 * i, at)
        struct.pack_into('<H', sec, ot - 0x1000 + 2 * i, [0, 1, 3][i])
        sec[at - 0x1000:at - 0x1000 + len(name)] = name
        at += len(name) + 1
    sec[0xE0:0xEB] = b'other.Third'
    sec[0xF0:0xF8] = b'tiny.dll'
    table = opt + optsize
    hdr[table:table + 8] = b'.edata\0\0'
    struct.pack_into('<IIII', hdr, table + 8, 0x200, 0x1000, 0x200, 0x200)
    struct.pack_into('<I', hdr, table + 36, 0x40000040)
    return bytes(hdr + sec)


def main():
    for name, data in {'tiny64.dll': tiny(True), 'tiny32.dll': tiny(False)}.items():
        with open(os.path.join(sys.argv[1], name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
