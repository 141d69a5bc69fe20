#!/usr/bin/env bash
# Builds figmerg-cli and runs it on the shipped sample export: first the listing of its figures,
# then the consolidation of all model parts into build/two_figurescons.obj.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh native
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target figmerg-cli >/dev/null
build/figmerg-cli --list examples/two_figures.obj
build/figmerg-cli --all --force -o build/two_figurescons.obj examples/two_figures.obj
