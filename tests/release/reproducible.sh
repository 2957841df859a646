#!/bin/bash
# The release package and the test bundle: built twice, here and from a copy
# of the sources in another folder under another time zone, each must come
# out byte for byte the same; the release's zip holds dorimo.exe and a
# Shift-JIS, CRLF readme.txt naming the version, the bundle's the runner (CRLF)
# and every program its parts run, the checksum files match, and the README
# names the version too.
set -euo pipefail
cd "$(dirname "$0")/../.."

other=$(mktemp -d /tmp/dorimo-release.XXXXXX)
trap 'rm -rf "$other"' EXIT

# The copy has no history: it is given the date of the sources as a build
# from a source archive is.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH
TZ=UTC bash scripts/package.sh
git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf - | tar -xf - -C "$other"
(cd "$other" && TZ=Asia/Tokyo bash scripts/package.sh >/dev/null)

version=$(sed -n 's/^#define DORIMO_VERSION_TEXT "\(.*\)"$/\1/p' build/release/app/version.h)
zip="dorimo-$version.zip"
bundle="dorimo-$version-tests.zip"
cmp build/release/dorimo.exe "$other/build/release/dorimo.exe"
for z in "$zip" "$bundle"; do
    cmp "dist/$z" "$other/dist/$z"
    cmp "dist/$z.sha256" "$other/dist/$z.sha256"
    (cd dist && sha256sum --quiet -c "$z.sha256")
done

python3 - "dist/$bundle" build/release/dorimo.exe <<'PY'
import sys, zipfile
path, program = sys.argv[1:]
z = zipfile.ZipFile(path)
names = set(z.namelist())
for name in ("run-tests.cmd", "dorimo.exe", "core_tests.exe", "settings_tests.exe", "e2e_tests.exe",
             "soak_tests.exe", "show_probe.exe", "dorimo_floor.exe", "settings_path_probe.exe"):
    assert name in names, path + ": no " + name
assert z.read("dorimo.exe") == open(program, "rb").read(), "the bundle's dorimo.exe is not the release's"
for i in z.infolist():  # ordinary modes, so that an unzip on Linux gives readable files
    assert i.external_attr >> 16 == (0o100755 if i.filename.endswith((".exe", ".dll", ".cmd")) else 0o100644), i
runner = z.read("run-tests.cmd")
assert b"\n" not in runner.replace(b"\r\n", b""), "run-tests.cmd: a line end that is not CRLF"
# The test command's runs under Wine run the same runner and programs.
for name in z.namelist():
    assert z.read(name) == open("build/win/" + name, "rb").read(), name + " differs from build/win's"
PY

python3 - "dist/$zip" "$version" <<'PY'
import sys, zipfile
path, version = sys.argv[1:]
z = zipfile.ZipFile(path)
names = sorted(z.namelist())
assert all(i.date_time[0] >= 2020 for i in z.infolist()), "zip entries not dated by the sources"
assert names == ["dorimo.exe", "readme.txt"], names
assert [i.external_attr >> 16 for i in z.infolist()] == [0o100755, 0o100644], "the entries' modes"
assert z.read("dorimo.exe")[:2] == b"MZ"
raw = z.read("readme.txt")
assert b"\n" not in raw.replace(b"\r\n", b""), "readme.txt: a line end that is not CRLF"
text = raw.decode("cp932")  # strict: fails on anything that is not Shift-JIS
assert "Ver." + version in text.splitlines()[1], "readme.txt: no version in its title"
for heading in ("概要", "動作環境", "インストール", "アンインストール", "使い方",
                "設定ファイル", "注意・制限", "履歴", "著作権・ライセンス"):
    assert "■ " + heading + "\r\n" in text, "readme.txt: no section " + heading
assert "Ver." + version in text.split("■ 履歴")[1], "readme.txt: the history lacks this version"
assert "@" not in text, "readme.txt: a placeholder left"
PY
grep -q "version $version" README.md || { echo "README.md does not name version $version" >&2; exit 1; }
# Every link from the README and the pages under docs/ leads to a file that is there.
for page in README.md docs/*.md; do
    links=$(grep -o '](\([^)#]*\)[)#]' "$page" | sed 's/^](//; s/.$//' | grep -v '^[a-z]*:' || true)
    for link in $links; do  # no link holds a blank
        [ -e "$(dirname "$page")/$link" ] || { echo "$page: links to $link, which is not there" >&2; exit 1; }
    done
done
# ... and every anchor to a heading of its page, named as GitHub names them.
python3 - README.md docs/*.md <<'PY'
import os, re, sys
def anchors(page):
    return {re.sub(r"[^\w\- ]", "", h.strip().lower()).replace(" ", "-")
            for h in re.findall(r"^#+ (.*)$", open(page, encoding="utf-8").read(), re.M)}
for page in sys.argv[1:]:
    for target, anchor in re.findall(r"\]\(([^):#]*)#([^)]+)\)", open(page, encoding="utf-8").read()):
        target = os.path.join(os.path.dirname(page), target) if target else page
        assert anchor in anchors(target), page + ": no heading #" + anchor + " in " + target
PY
echo "release: dist/$zip and dist/$bundle built twice, the same bytes;" \
     "$(cut -c1-16 "dist/$zip.sha256")…, $(cut -c1-16 "dist/$bundle.sha256")…"
