#!/usr/bin/env bash
# A Debian-style tree with many enabled sites (2,000 by default, each a link
# in sites-enabled to its file in sites-available): fetched into a work area
# by `corvanectl add --local` (whole process), checked with `apache2 -t`, then
# the in-process figures of bench_split_expand: loading the model of that
# tree and expanding Main Server in the console.
# Usage: bench/split/run.sh [BUILD_DIR] [SITES]   (default: build 2000)
# Needs /usr/bin/time (Debian package `time`).
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
sites=${2:-2000}
ctl=$build/src/cli/corvanectl
bench=$build/bench/split/bench_split_expand
apache=$(command -v apache2 || echo /usr/sbin/apache2)
[ -x /usr/bin/time ] || { echo "run.sh: /usr/bin/time is missing (apt-get install time)" >&2; exit 1; }

tmp=$(mktemp -d /tmp/cvs.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
root=$tmp/apache2
mkdir -p "$root/conf-enabled" "$root/sites-available" "$root/sites-enabled" "$tmp/app"
modules=/usr/lib/apache2/modules
cat >"$root/apache2.conf" <<CONF
# Main file
LoadModule mpm_event_module $modules/mod_mpm_event.so
LoadModule authz_core_module $modules/mod_authz_core.so
ServerName localhost
ErrorLog /dev/null
Listen 127.0.0.1:8080
<Directory />
	Require all denied
</Directory>
IncludeOptional conf-enabled/*.conf
IncludeOptional sites-enabled/*.conf
CONF
printf 'ServerAdmin webmaster@example.test\n' >"$root/conf-enabled/admin.conf"
for ((i = 0; i < sites; i++)); do
    printf '<VirtualHost *:8080>\n\tServerName site%d.example.test\n\tDocumentRoot /var/www/site%d\n\t<Directory /var/www/site%d>\n\t\tRequire all granted\n\t</Directory>\n</VirtualHost>\n' \
        "$i" "$i" "$i" >"$root/sites-available/site$i.conf"
    ln -s "../sites-available/site$i.conf" "$root/sites-enabled/site$i.conf"
done
(cd "$tmp" && env -i PATH=/usr/sbin:/usr/bin:/bin LANG=C "$apache" -t -d "$root" -f "$root/apache2.conf" 2>&1) |
    grep -q "Syntax OK" || { echo "run.sh: apache2 rejects the generated tree" >&2; exit 1; }

/usr/bin/time -f '%e s wall, %U s user, %S s system, peak %M KiB' -o "$tmp/add.time" \
    "$ctl" --app-dir "$tmp/app" add big --apache-version 2.4.62 --os unix --local "$root" \
    --main-file apache2.conf >"$tmp/add.out" 2>&1 || { cat "$tmp/add.out" >&2; exit 1; }
files=$(find "$tmp/app/big/WorkArea/tree" -type f | wc -l)
echo "Machine: $(nproc) cores, load average $(cut -d' ' -f1 /proc/loadavg)"
echo "Tree: apache2.conf, 1 conf-enabled file, $sites enabled sites ($files files fetched)"
echo "corvanectl add --local (fetch, whole process): $(cat "$tmp/add.time")"
"$bench" "$tmp/app" big "${RUNS:-7}"
