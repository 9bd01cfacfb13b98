#!/usr/bin/env bash
# Installs what the build and the tests need (Debian packages, the Japanese locale the code-page
# tests run Wine under, and the npm tool that checks the Windows runner's workflow); does nothing
# when all is there.
set -euo pipefail

packages=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev libffi-dev
          g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
          wine wine64 python3 zip unzip imagemagick locales
          wixl msitools osslsigncode openssl)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# A mirror in the middle of a sync serves an index whose files do not match (apt: "File has
# unexpected size ... Mirror sync in progress?"): try again a few times. When it still fails, the
# install goes ahead with the indexes apt kept, and fails only if a package needs the missing one.
update_index() {
  local attempt
  for attempt in 1 2 3 4 5; do
    if $sudo apt-get update -qq; then return 0; fi
    [ "$attempt" -lt 5 ] || break
    echo "setup.sh: apt-get update failed (attempt $attempt of 5); trying again in 30 s" >&2
    sleep 30
  done
  echo "setup.sh: apt-get update still fails; installing from the package index apt has" >&2
}

# wine32:i386 apart: the 32-bit loader depends on i386 libraries of the same versions as the
# amd64 ones, so an i386 index behind the amd64 one (a mirror mid-sync) can refuse it alone.
# Without it the 32-bit build is still built, and its tests are skipped (cmake/wine-env.sh).
optional=(wine32:i386)

missing_of() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

install_packages() {
  $sudo apt-get install -y -qq --no-install-recommends "$@"
}

mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t missing_optional < <(missing_of "${optional[@]}")
if [ ${#missing[@]} -ne 0 ] || [ ${#missing_optional[@]} -ne 0 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  update_index
fi
if [ ${#missing[@]} -ne 0 ] && ! install_packages "${missing[@]}"; then
  echo "setup.sh: apt could not install: ${missing[*]}" >&2
  echo "setup.sh: when apt's messages above name a mirror sync or a file of unexpected size, the package" >&2
  echo "          index is being updated: wait a few minutes and run scripts/setup.sh again." >&2
  exit 1
fi
if [ ${#missing_optional[@]} -ne 0 ] && ! install_packages "${missing_optional[@]}"; then
  echo "setup.sh: apt could not install ${missing_optional[*]} (its i386 libraries' index may be mid-sync):" >&2
  echo "          the 32-bit build's tests will be skipped; run scripts/setup.sh again later to run them." >&2
fi

# Wine takes its ANSI code page from the locale: ja_JP.UTF-8 gives the double-byte code page 932.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
  $sudo sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi

# The workflow validator the host tests run (tests/ci): @action-validator/cli from the npm
# registry, into the checkout's build/tools, out of git. Without npm that test says so and is
# skipped; when the install fails, the test fails naming the cause, and the others still run.
validator_version=0.6.0
tools="$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)/build/tools"
if command -v npm >/dev/null 2>&1; then
  installed=$(node -p "require('$tools/node_modules/@action-validator/cli/package.json').version" 2>/dev/null || true)
  if [ "$installed" != "$validator_version" ]; then
    mkdir -p "$tools"
    npm install --prefix "$tools" --no-audit --no-fund --loglevel=error "@action-validator/cli@$validator_version" ||
      echo "setup.sh: npm could not install @action-validator/cli $validator_version: the workflow test will fail" >&2
  fi
else
  echo "setup.sh: npm is absent: the workflow test (tests/ci) will be skipped" >&2
fi
