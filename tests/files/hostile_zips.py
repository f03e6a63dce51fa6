#!/usr/bin/env python3
"""hostile_zips.py FOLDER OUTSIDE: writes one damaged or hostile archive per reader case into FOLDER;
OUTSIDE is the absolute folder that the absolute-path case names and no archive may write into."""
import struct
import sys
import zipfile
import zlib

folder, outside = sys.argv[1], sys.argv[2]


def plain(name, entries):  # entries: (ZipInfo or name, bytes)
    with zipfile.ZipFile(f"{folder}/{name}", "w", zipfile.ZIP_DEFLATED) as z:
        for entry, data in entries:
            z.writestr(entry, data)


def raw_archive(name, entries):
    """entries: (name, local header offset or None for a new one, method, crc, csize, usize, data, flags)."""
    body = central = b""
    for ename, offset, method, crc, csize, usize, data, flags in entries:
        encoded = ename.encode()
        if offset is None:
            offset = len(body)
            body += struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, flags, method, 0, 0x5021, crc, csize, usize,
                                len(encoded), 0) + encoded + data
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 0, 20, flags, method, 0, 0x5021, crc, csize,
                               usize, len(encoded), 0, 0, 0, 0, 0x20, offset) + encoded
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(entries), len(entries), len(central), len(body), 0)
    with open(f"{folder}/{name}", "wb") as f:
        f.write(body + central + end)


def deflate(data):
    c = zlib.compressobj(6, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


good = b"good data\n"
plain("dotdot.zip", [("ok.txt", good), ("..\\..\\x.txt", b"evil")])
plain("absolute.zip", [("ok.txt", good), (outside + "/abs.txt", b"evil")])
plain("backslash_root.zip", [("\\abs.txt", b"evil")])
plain("drive.zip", [("C:\\x.txt", b"evil")])
plain("sibling.zip", [("..\\target_evil\\x.txt", b"evil")])
plain("through_link.zip", [("ok.txt", good), ("link\\x.txt", b"evil")])
plain("onto_link.zip", [("link", b"evil")])
plain("long_name.zip", [("a" * 65535, b"evil")])
plain("name_past_limit.zip", [("d\\" + "b" * 4094, b"evil")])
huge_extra = zipfile.ZipInfo("extra.txt", date_time=(2020, 5, 17, 12, 30, 44))
huge_extra.compress_type, huge_extra.extra = zipfile.ZIP_DEFLATED, struct.pack("<HH", 0xCAFE, 65531) + b"e" * 65531
plain("huge_extra.zip", [(huge_extra, good)])
plain("empty.zip", [])

# Deflated data that goes on far past the declared size: 64 MB of zeros declared as 1000 bytes,
# once with the CRC of all the data and once with the CRC of the first 1000 bytes.
zeros = bytes(64 * 1024 * 1024)
packed = deflate(zeros)
raw_archive("bomb.zip", [("bomb.bin", None, 8, zlib.crc32(zeros), len(packed), 1000, packed, 0)])
raw_archive("bomb_prefix_crc.zip", [("bomb.bin", None, 8, zlib.crc32(zeros[:1000]), len(packed), 1000, packed, 0)])

# Two central entries sharing one local header and its data: a small archive, any amount of output.
data = bytes(range(256)) * 64
packed = deflate(data)
shared = (8, zlib.crc32(data), len(packed), len(data), packed, 0)
raw_archive("overlap.zip", [("a.bin", None, *shared), ("b.bin", 0, *shared)])

raw_archive("wrong_crc.zip", [("ok.txt", None, 8, zlib.crc32(good), len(deflate(good)), len(good), deflate(good), 0),
                              ("bad.txt", None, 8, zlib.crc32(good) ^ 1, len(deflate(good)), len(good), deflate(good), 0)])
raw_archive("short_data.zip", [("short.txt", None, 0, zlib.crc32(good), len(good), len(good) + 5, good, 0)])
raw_archive("encrypted.zip", [("secret.txt", None, 0, zlib.crc32(good), len(good), len(good), good, 1)])
raw_archive("method.zip", [("bzip.txt", None, 12, zlib.crc32(good), len(good), len(good), good, 0)])

# A real archive whose end record claims more entries than its central directory holds, and one
# ending inside its central directory.
plain("three.zip", [("a.txt", good), ("b.txt", good), ("c.txt", good)])
with open(f"{folder}/three.zip", "rb") as f:
    whole = f.read()
end = whole.rfind(b"PK\x05\x06")
claims = whole[:end + 8] + struct.pack("<HH", 5, 5) + whole[end + 12:]
with open(f"{folder}/count_too_high.zip", "wb") as f:
    f.write(claims)
central = whole.find(b"PK\x01\x02")
with open(f"{folder}/truncated_central.zip", "wb") as f:
    f.write(whole[:central + 30])
