#!/usr/bin/env python3
"""Writes the release package: <dist>/dorimo-<version>.zip holding dorimo.exe
and readme.txt, and <dist>/dorimo-<version>.zip.sha256. With --tests, the
test bundle instead: <dist>/dorimo-<version>-tests.zip (and its .sha256)
holding the runner run-tests.cmd (CRLF line ends), the test programs its parts
run and the programs it names beside them, all taken from the build folder.

readme.txt comes from a UTF-8 template with @VERSION@ in it and is written in
Shift-JIS (code page 932) with CRLF line ends. The zip's entries carry the
date of the sources (SOURCE_DATE_EPOCH, in UTC; the earliest date a zip can
hold when it is not set) and fixed attributes, so the same inputs give the
same bytes.

  make_package.py <version> <dorimo.exe> <readme template> <dist folder>
  make_package.py --tests <version> <build folder> <run-tests.cmd> <dist folder>
"""
import hashlib
import os
import re
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
    info.create_system = 3  # Unix: the entry carries its mode
    mode = 0o755 if name.endswith((".exe", ".dll", ".cmd")) else 0o644
    info.external_attr = (0o100000 | mode) << 16  # a regular file
    return info


def write_zip(dist, name, files):
    """files: (name in the zip, bytes) pairs, written in the order given."""
    os.makedirs(dist, exist_ok=True)
    path = os.path.join(dist, name)
    with zipfile.ZipFile(path, "w") as z:
        for entry_name, data in files:
            z.writestr(entry(entry_name), data, compresslevel=9)
    with open(path, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    with open(path + ".sha256", "w") as f:
        f.write("%s  %s\n" % (digest, name))  # the form sha256sum -c reads
    print("%s  %d bytes  sha256 %s" % (path, os.path.getsize(path), digest))


def read(path):
    with open(path, "rb") as f:
        return f.read()


def main(version, exe, template, dist):
    write_zip(dist, "dorimo-%s.zip" % version,
              [("dorimo.exe", read(exe)), ("readme.txt", readme_bytes(template, version))])


def runner_programs(runner_text):
    """The programs the runner's parts run ("call :part NAME NEEDS SHARD
    PROGRAM ...") and those it names beside them (set "beside=...")."""
    programs = re.findall(r'^call :part\s+\S+\s+\S+\s+\S+\s+(\S+)', runner_text, re.M)
    beside = re.search(r'^set "beside=([^"]*)"', runner_text, re.M)
    if not programs or not beside:
        sys.exit("make_package.py: no parts or no programs beside them in the runner")
    return sorted(set(programs) | set(beside.group(1).split()))


def main_tests(version, build, runner, dist):
    text = read(runner).decode("ascii").replace("\r\n", "\n")
    files = [(name, read(os.path.join(build, name))) for name in runner_programs(text)]
    files.append(("run-tests.cmd", text.replace("\n", "\r\n").encode("ascii")))
    write_zip(dist, "dorimo-%s-tests.zip" % version, files)


if __name__ == "__main__":
    if len(sys.argv) == 6 and sys.argv[1] == "--tests":
        main_tests(*sys.argv[2:])
    elif len(sys.argv) == 5:
        main(*sys.argv[1:])
    else:
        sys.exit(__doc__)
