#!/usr/bin/env python3
"""Writes the release package: <dist>/dorimo-<version>.zip holding dorimo.exe
and readme.txt, and <dist>/dorimo-<version>.zip.sha256.

readme.txt comes from a UTF-8 template with @VERSION@ in it and is written in
Shift-JIS (code page 932) with CRLF line ends. The zip's entries carry the
date of the sources (SOURCE_DATE_EPOCH, in UTC; the earliest date a zip can
hold when it is not set) and fixed attributes, so the same inputs give the
same bytes.

  make_package.py <version> <dorimo.exe> <readme template> <dist folder>
"""
import hashlib
import os
import sys
import time
import zipfile


def source_date():
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        return (1980, 1, 1, 0, 0, 0)
    return time.gmtime(max(int(epoch), 315532800))[:6]  # not before 1980


def readme_bytes(template, version):
    with open(template, encoding="utf-8") as f:
        text = f.read().replace("@VERSION@", version)
    return text.replace("\n", "\r\n").encode("cp932")


def entry(name):
    info = zipfile.ZipInfo(name, source_date())
    info.compress_type = zipfile.ZIP_DEFLATED
    info.create_system = 0  # MS-DOS: no Unix permissions in the entry
    info.external_attr = 0
    return info


def main(version, exe, template, dist):
    os.makedirs(dist, exist_ok=True)
    name = "dorimo-%s.zip" % version
    path = os.path.join(dist, name)
    with open(exe, "rb") as f:
        program = f.read()
    with zipfile.ZipFile(path, "w") as z:
        z.writestr(entry("dorimo.exe"), program, compresslevel=9)
        z.writestr(entry("readme.txt"), readme_bytes(template, version), compresslevel=9)
    with open(path, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    with open(path + ".sha256", "w") as f:
        f.write("%s  %s\n" % (digest, name))  # the form sha256sum -c reads
    print("%s  %d bytes  sha256 %s" % (path, os.path.getsize(path), digest))


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    main(*sys.argv[1:])
