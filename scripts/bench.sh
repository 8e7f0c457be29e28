#!/usr/bin/env bash
# Builds Posling in Release (build/) and runs every benchmark of bench/, then prints one table of
# their figures, each beside what it is compared with in the same run. Each benchmark's own output
# goes to build/bench-logs/NAME.log. Run it on an otherwise idle machine: the figures are times.
#   scripts/bench.sh [NAME ...]     default: every benchmark but the soak run
# Exits non-zero when a benchmark fails or misses its target; the table is printed either way.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh || exit 1
export QT_QPA_PLATFORM=offscreen POSLING_VIRTUAL_PANEL=0
names=("$@")
[ ${#names[@]} -eq 0 ] && names=(report eventstorm startup virtualprinter bitmap statuslist)
mkdir -p build/bench-logs
rows=()
failed=()
for name in "${names[@]}"; do
    echo "bench: ${name}_bench" >&2
    if ! "build/bench/${name}_bench" >"build/bench-logs/$name.log" 2>&1; then
        failed+=("$name")
    fi
    while IFS= read -r row; do
        rows+=("${row#SUMMARY}")
    done < <(grep '^SUMMARY|' "build/bench-logs/$name.log")
done
cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
memory=$(awk '/MemTotal/ {printf "%.0f GB", $2 / 1048576}' /proc/meminfo)
echo
echo "Release build; $(nproc) cores ($cpu), $memory; $(date -u +%Y-%m-%d)"
echo
echo "| measure | target | Posling | beside it, same run |"
echo "|---|---|---|---|"
printf '%s\n' "${rows[@]}"
if [ ${#failed[@]} -gt 0 ]; then
    echo
    echo "missed a target or failed: ${failed[*]} (see build/bench-logs/)"
    exit 1
fi
