#!/usr/bin/env bash
# Whole-process figures: `corvanectl rewrite` (layout-keeping and
# --normalize) and `corvanectl set` on generated 5,000- and 50,000-host
# configurations against `apache2 -t` on the 5,000-host one, then the
# in-process breakdown of bench_model.
# Usage: bench/model/run.sh [BUILD_DIR]   (default: build)
# Needs /usr/bin/time (Debian package `time`) for peak memory.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
ctl=$build/src/cli/corvanectl
gen=$build/bench/model/corvane_gen_config
apache=$(command -v apache2 || echo /usr/sbin/apache2)
runs=${RUNS:-5}
[ -x /usr/bin/time ] || { echo "run.sh: /usr/bin/time is missing (apt-get install time)" >&2; exit 1; }

tmp=$(mktemp -d /tmp/cvb.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
"$gen" 5000 "$tmp/hosts-5000.conf"
"$gen" 50000 "$tmp/hosts-50000.conf"

# measure LABEL CMD...: median wall time and median CPU time (user + system)
# over $runs runs in ms, and the largest peak resident set in KiB; prints
# "LABEL wall cpu kib". CPU time is the fairer figure on a busy machine.
measure() {
    local label=$1; shift
    local walls=() cpus=() peak=0 t0 t1 kib user sys
    for ((i = 0; i < runs; i++)); do
        t0=$(date +%s%N)
        /usr/bin/time -f '%U %S %M' -o "$tmp/rss" "$@" >/dev/null 2>"$tmp/err" || {
            echo "run.sh: failed: $*" >&2; cat "$tmp/err" >&2; exit 1; }
        t1=$(date +%s%N)
        walls+=($(((t1 - t0) / 1000000)))
        read -r user sys kib < <(tail -1 "$tmp/rss")
        cpus+=($(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%d", (u + s) * 1000 }'))
        ((kib > peak)) && peak=$kib
    done
    local mid=$(((runs + 1) / 2))
    echo "$label $(printf '%s\n' "${walls[@]}" | sort -n | sed -n "${mid}p")" \
         "$(printf '%s\n' "${cpus[@]}" | sort -n | sed -n "${mid}p") $peak"
}

env_apache=(env -i PATH=/usr/sbin:/usr/bin:/bin LANG=C APACHE_RUN_DIR="$tmp" APACHE_LOCK_DIR="$tmp"
            APACHE_LOG_DIR="$tmp" APACHE_PID_FILE="$tmp/apache2.pid" APACHE_RUN_USER=www-data
            APACHE_RUN_GROUP=www-data)
"${env_apache[@]}" "$apache" -t -f "$tmp/hosts-5000.conf" 2>&1 | grep -q "Syntax OK" ||
    { echo "run.sh: apache2 rejects the generated file" >&2; exit 1; }

read -r _ a5 ac5 ar5 < <(measure apache5000 "${env_apache[@]}" "$apache" -t -f "$tmp/hosts-5000.conf")
read -r _ c5 cc5 cr5 < <(measure rewrite5000 "$ctl" rewrite "$tmp/hosts-5000.conf" -o "$tmp/out-5000.conf")
read -r _ c50 cc50 cr50 < <(measure rewrite50000 "$ctl" rewrite "$tmp/hosts-50000.conf" -o "$tmp/out-50000.conf")
read -r _ s50 sc50 sr50 < <(measure snapshot50000 "$ctl" rewrite "$tmp/hosts-50000.conf" -o "$tmp/snap-50000.conf" --via-snapshot)
read -r _ n5 nc5 nr5 < <(measure normalize5000 "$ctl" rewrite "$tmp/hosts-5000.conf" -o "$tmp/norm-5000.conf" --normalize)
cp "$tmp/hosts-50000.conf" "$tmp/set-50000.conf"
read -r _ t50 tc50 tr50 < <(measure set50000 "$ctl" set "$tmp/set-50000.conf" -1 ServerAdmin ops@example.org)
cmp -s "$tmp/hosts-5000.conf" "$tmp/out-5000.conf" || { echo "run.sh: the rewrite changed the file" >&2; exit 1; }

size5=$(stat -c %s "$tmp/hosts-5000.conf")
size50=$(stat -c %s "$tmp/hosts-50000.conf")
lines5=$(wc -l <"$tmp/hosts-5000.conf")
lines50=$(wc -l <"$tmp/hosts-50000.conf")

awk -v a5="$a5" -v ac5="$ac5" -v ar5="$ar5" -v c5="$c5" -v cc5="$cc5" -v cr5="$cr5" \
    -v c50="$c50" -v cc50="$cc50" -v cr50="$cr50" -v s50="$s50" -v sc50="$sc50" -v sr50="$sr50" \
    -v n5="$n5" -v nc5="$nc5" -v nr5="$nr5" -v t50="$t50" -v tc50="$tc50" -v tr50="$tr50" \
    -v size5="$size5" -v size50="$size50" -v l5="$lines5" -v l50="$lines50" \
    -v runs="$runs" -v cores="$(nproc)" -v load="$(cut -d' ' -f1 /proc/loadavg)" '
function verdict(ok) { return ok ? "met" : "MISSED" }
function row(name, wall, cpu, kib) { printf "  %-34s %6d ms wall %6d ms cpu  peak %6.1f MB\n", name, wall, cpu, kib / 1024 }
BEGIN {
    printf "Machine: %d cores, load average %s; median of %d runs, whole process\n", cores, load, runs
    printf "5,000 hosts  (%d lines, %.2f MB)\n", l5, size5 / 1e6
    row("apache2 -t", a5, ac5, ar5)
    row("corvanectl rewrite", c5, cc5, cr5)
    row("corvanectl rewrite --normalize", n5, nc5, nr5)
    printf "50,000 hosts (%d lines, %.2f MB)\n", l50, size50 / 1e6
    row("corvanectl rewrite", c50, cc50, cr50)
    row("corvanectl rewrite --via-snapshot", s50, sc50, sr50)
    row("corvanectl set", t50, tc50, tr50)
    printf "Targets (wall / cpu)\n"
    printf "  rewrite(5,000) <= apache2 -t / 10: %.2f / %.2f of apache2 -t  %s / %s\n", c5 / a5, cc5 / (ac5 ? ac5 : 1),
           verdict(c5 * 10 <= a5), verdict(cc5 * 10 <= ac5)
    printf "  set(50,000) < 0.5 s:               %d / %d ms  %s / %s\n", t50, tc50, verdict(t50 < 500), verdict(tc50 < 500)
    printf "  peak of set(50,000) <= 8 x file:   %.1f x  %s\n", tr50 * 1024 / size50, verdict(tr50 * 1024 <= 8 * size50)
    printf "  rewrite(50,000) < 1 s:             %d / %d ms  %s / %s\n", c50, cc50, verdict(c50 < 1000), verdict(cc50 < 1000)
    printf "  peak(50,000) < 10 x file size:     %.1f x  %s\n", cr50 * 1024 / size50, verdict(cr50 * 1024 < 10 * size50)
    printf "  cost(50,000) <= 12 x cost(5,000):  %.1f / %.1f x time, %.1f x memory  %s / %s\n", c50 / (c5 ? c5 : 1),
           cc50 / (cc5 ? cc5 : 1), cr50 / cr5, verdict(c50 <= 12 * c5), verdict(cc50 <= 12 * cc5)
}'

if [ -x "$build/bench/model/bench_model" ]; then
    echo
    echo "In-process breakdown (bench_model):"
    "$build/bench/model/bench_model" 5000 50000
fi
