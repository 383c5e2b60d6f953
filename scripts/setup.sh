#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Tembrix need.
# Idempotent: when everything is present it installs nothing and prints nothing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format
    qt6-base-dev libqt6printsupport6 qt6-qpa-plugins libgl-dev fonts-dejavu-core
    libsqlcipher-dev libssl-dev libical-dev libpq-dev postgresql-15
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth
    poppler-utils
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages (${missing[*]}); run this script as root to install them" >&2
    exit 1
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
