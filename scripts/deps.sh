#!/usr/bin/env bash
# Installs the Debian packages Corvane needs to build, run and test, when missing.
# Usage: scripts/deps.sh build|run|test
set -euo pipefail
pkgs=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libssh-dev qtkeychain-qt6-dev fonts-dejavu-core)
case "${1:-build}" in
  run) pkgs+=(xvfb xauth) ;;
  test) pkgs+=(clang-format apache2 vsftpd openssh-server openssh-client curl passwd patch openssl dbus gnome-keyring) ;;
esac
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
