#!/usr/bin/env bash
# Installs the Debian 12 packages Foliant builds and tests with, when any is missing.
# Idempotent: when everything is present it only asks dpkg and returns.
set -euo pipefail

packages=(
    g++ clang lld cmake ninja-build pkg-config git
    libsqlite3-dev sqlite3 nlohmann-json3-dev libcli11-dev libpq-dev postgresql
    qt6-base-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth fp-utils-3.2.2 libchm-dev clang-format universal-ctags
    fonts-dejavu-core fonts-wqy-microhei
    dpkg-dev fakeroot file lintian desktop-file-utils shared-mime-info man-db
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "bootstrap: installing ${missing[*]}" >&2
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "bootstrap: need root or sudo to install ${missing[*]}" >&2; exit 1; }
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
