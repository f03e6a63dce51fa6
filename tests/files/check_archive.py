#!/usr/bin/env python3
"""check_archive.py ARCHIVE BASE: "<name>\t<verdict>" per entry after one line for the archive; "ok" when
MS-DOS made, deflated, without extra field or comment, with the source's local time (two-second grain),
Windows attribute word and bytes (none for a folder)."""
import os
import stat
import sys
import time
import zipfile

archive, base = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(archive) as z:
    print("archive\t" + ("ok" if z.comment == b"" and z.testzip() is None else "comment or damaged data"))
    for entry in z.infolist():
        wrong = []
        path = os.path.join(base, entry.filename.replace("\\", "/"))
        st = os.lstat(path)
        is_dir = stat.S_ISDIR(st.st_mode)
        attributes = 0x10 if is_dir else 0x20
        if not st.st_mode & 0o222:
            attributes |= 0x01
        local = time.localtime(st.st_mtime)
        expected_time = local[:5] + (local.tm_sec // 2 * 2,)
        if entry.create_system != 0: wrong.append(f"made by {entry.create_system}")
        if entry.compress_type != zipfile.ZIP_DEFLATED: wrong.append(f"method {entry.compress_type}")
        if entry.extra or entry.comment: wrong.append("extra field or comment")
        if entry.date_time != expected_time: wrong.append(f"time {entry.date_time} != {expected_time}")
        if entry.external_attr != attributes: wrong.append(f"attributes {entry.external_attr:#x} != {attributes:#x}")
        if entry.filename.endswith(("\\", "/")): wrong.append("trailing separator")
        expected = b"" if is_dir else open(path, "rb").read()
        if z.read(entry) != expected: wrong.append("data")
        print(entry.filename + "\t" + ("ok" if not wrong else "; ".join(wrong)))
