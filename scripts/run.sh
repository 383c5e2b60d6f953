#!/usr/bin/env bash
# Installs what is needed, builds, and starts tembrixm on a data folder of its own
# (./data unless another folder is given; created when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tembrixm
exec build/programs/tembrixm/tembrixm --data "${1:-data}"
