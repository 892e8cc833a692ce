#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
exec build/app/tallowick2 examples/example.inp
