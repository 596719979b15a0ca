#!/bin/bash
# The long endurance run: bench/soak.sh [SECONDS] (default ten minutes). CI runs 40 seconds.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/bench/bench_build.sh"
exec "$top/tests/e2e/soak.sh" "$bin/battery-monitor" "$top/tests/fixtures/machines/laptop-charging" \
    "$top/tests/profilers" "${1:-600}"
