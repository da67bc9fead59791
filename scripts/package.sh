#!/usr/bin/env bash
# Sets up the machine, builds Foliant for /usr and makes its Debian package,
# build/package/foliant_<version>_amd64.deb. Install it with
#   sudo apt install ./build/package/foliant_<version>_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
cmake --preset package >/dev/null
cmake --build --preset package
(cd build/package && cpack -G DEB)
ls build/package/foliant_*_amd64.deb
