#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing, and the
# comma-decimal locale the tests run number conversions under. python3-dbfread
# is the independent reader the samples are checked with. qt6-base-dev builds
# the wizard; xvfb and xauth run its screenshot script. nlohmann-json3-dev
# reads the pre-flight report's JSON in the end-to-end tests. lintian checks
# the Debian package as Debian does.
set -euo pipefail

packages=(build-essential cmake pkg-config libicu-dev libsqlite3-dev sqlite3
          libgtest-dev libgmock-dev libbenchmark-dev locales
          python3-dbfread qt6-base-dev xvfb xauth nlohmann-json3-dev lintian "$@")

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# German writes 2,5: the locale tests prove that no number text follows it.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  echo "Generating the de_DE.UTF-8 locale"
  "${sudo_cmd[@]}" localedef -i de_DE -c -f UTF-8 de_DE.UTF-8
fi
