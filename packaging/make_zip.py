#!/usr/bin/env python3
"""Puts together what a user gets, and packs it into the zip.

  make_zip.py VERSION PROGRAM SOURCE_DIR STAGE_DIR ZIP

STAGE_DIR receives the four files the zip and the installer hold: the program, README.txt
(the README), LÄSMIG.txt (a short read-me in Swedish) and exempel.rtf (an example document).
The texts get Windows line ends and a UTF-8 mark, so every editor on Windows reads them right.
In the zip they lie in one folder, "Brevduva Daraduder", so unpacking makes nothing else.
"""
import os
import shutil
import sys
import zipfile

FOLDER = "Brevduva Daraduder"


def text_for_windows(text):
    return "\ufeff" + text.replace("\r\n", "\n").replace("\n", "\r\n")


def main():
    version, program, source, stage, zip_path = sys.argv[1:6]
    shutil.rmtree(stage, ignore_errors=True)
    os.makedirs(stage)
    shutil.copyfile(program, os.path.join(stage, "brevduva.exe"))
    shutil.copyfile(os.path.join(source, "docs", "exempel.rtf"), os.path.join(stage, "exempel.rtf"))
    texts = {
        "README.txt": os.path.join(source, "README.md"),
        "LÄSMIG.txt": os.path.join(source, "packaging", "LÄSMIG.txt"),
    }
    for name, src in texts.items():
        with open(src, encoding="utf-8") as f:
            text = f.read().replace("@VERSION@", version)
        with open(os.path.join(stage, name), "w", encoding="utf-8", newline="") as f:
            f.write(text_for_windows(text))

    # names that are not ASCII are stored as UTF-8 with its flag set, which Windows reads
    tmp = zip_path + ".tmp"
    with zipfile.ZipFile(tmp, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for name in ("brevduva.exe", "README.txt", "LÄSMIG.txt", "exempel.rtf"):
            z.write(os.path.join(stage, name), f"{FOLDER}/{name}")
    os.replace(tmp, zip_path)


if __name__ == "__main__":
    main()
