#!/usr/bin/env bash
# Sets up the machine, builds Foliant and runs its main job on the sample database.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
cmake --preset release >/dev/null
cmake --build --preset release
exec build/release/apps/foliant/foliant demo "$@"
