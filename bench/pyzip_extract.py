#!/usr/bin/env python3
"""Extracts an archive with Python's zipfile. With --fsync every file is
written, flushed and fsync'd before the next one, the promise the launcher
makes. Usage: pyzip_extract.py [--fsync] ARCHIVE DEST"""
import os
import shutil
import sys
import zipfile

args = sys.argv[1:]
durable = args[0] == "--fsync"
if durable:
    args = args[1:]
archive_path, dest = args
with zipfile.ZipFile(archive_path) as archive:
    if not durable:
        archive.extractall(dest)
    else:
        for info in archive.infolist():
            target = os.path.join(dest, info.filename)
            if info.is_dir():
                os.makedirs(target, exist_ok=True)
                continue
            os.makedirs(os.path.dirname(target), exist_ok=True)
            with archive.open(info) as source, open(target, "wb") as out:
                shutil.copyfileobj(source, out, 1 << 16)
                out.flush()
                os.fsync(out.fileno())
