#!/bin/bash
# Installs what the build and the tests need on Debian 12, only what is missing.
# Safe to run again: when everything is present it does nothing but check.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

for p in cmake g++ make g++-mingw-w64-i686 xvfb fonts-ipafont fonts-wine locales googletest libgtest-dev \
         wine wine64 wine32:i386 python3 clang libclang-rt-14-dev desktop-file-utils x11-utils x11-apps; do
    have_pkg "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ]; then
    if [ "$(id -u)" != 0 ]; then
        echo "missing packages: ${need[*]} (run as root to install them)" >&2
        exit 1
    fi
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${need[@]}"
fi

# The ANSI code page under Wine follows the glibc locale: ja_JP.UTF-8 gives 932.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    if [ "$(id -u)" != 0 ]; then
        echo "locale ja_JP.UTF-8 is missing (run as root to generate it)" >&2
        exit 1
    fi
    sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen
fi

# The workflows' linter (scripts/lint-workflows.sh), from the npm registry,
# with Debian's Node.js and npm where the machine has none.
if ! command -v action-validator >/dev/null; then
    if [ "$(id -u)" != 0 ]; then
        echo "action-validator is missing (run as root to install it)" >&2
        exit 1
    fi
    if ! command -v npm >/dev/null; then
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -q
        apt-get install -y -q --no-install-recommends nodejs npm
    fi
    npm install -g --no-fund --no-audit @action-validator/cli@0.6.0 @action-validator/core@0.6.0
fi
