#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running Kivo
# need, and only those that are missing. Quick when nothing is: one
# dpkg-query, no apt-get at all. As root it installs with apt-get; otherwise
# it prints the command to run and fails.
set -euo pipefail

# What the project needs, by purpose. Add a package to the group that needs
# it (an ":i386" suffix asks for the 32-bit package).
PACKAGES=(
  # Native build, unit tests, benchmarks
  make cmake ninja-build g++ libgtest-dev libgmock-dev googletest libbenchmark-dev
  # Windows cross build (posix threads variant) and its tests under Wine
  g++-mingw-w64-i686-posix wine wine32:i386
  # A headless X display for the demo and the X11 tests
  xvfb xauth
  # Fuzz targets: clang with libFuzzer and the sanitizer runtimes
  clang libclang-rt-14-dev
)

# Fast path: dpkg-query fails on a name it has never seen, and prints a
# status other than "ii" for one that is known but not installed.
if statuses=$(dpkg-query -W -f='${db:Status-Abbrev}\n' "${PACKAGES[@]}" 2>/dev/null) &&
  ! grep -qv '^ii' <<<"$statuses"; then
  exit 0
fi

missing=()
for pkg in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$pkg" 2>/dev/null || true)
  [[ "$status" == ii* ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

need_i386=0
for pkg in "${missing[@]}"; do
  [[ "$pkg" == *:i386 ]] && need_i386=1
done
if [[ $need_i386 -eq 1 ]] && dpkg --print-foreign-architectures | grep -qx i386; then
  need_i386=0
fi

apt_install=(apt-get install -y -q --no-install-recommends "${missing[@]}")

if [[ $(id -u) -ne 0 ]]; then
  sudo=""
  command -v sudo >/dev/null && sudo="sudo "
  echo "deps.sh: missing Debian packages: ${missing[*]}" >&2
  echo "deps.sh: install them as root with:" >&2
  [[ $need_i386 -eq 1 ]] && echo "  ${sudo}dpkg --add-architecture i386" >&2
  echo "  ${sudo}apt-get update" >&2
  echo "  ${sudo}${apt_install[*]}" >&2
  exit 1
fi

echo "deps.sh: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# Wait for a dpkg lock held by a boot-time upgrade instead of failing on it.
apt_opts=(-o DPkg::Lock::Timeout=600 -o Dpkg::Use-Pty=0)

# The mirrors sometimes drop a connection; a second try usually goes through.
retry() {
  local n
  for n in 1 2 3; do
    "$@" && return 0
    echo "deps.sh: '$*' failed (try $n of 3)" >&2
    sleep $((n * 10))
  done
  return 1
}

[[ $need_i386 -eq 1 ]] && dpkg --add-architecture i386
retry apt-get "${apt_opts[@]}" update -q
retry apt-get "${apt_opts[@]}" install -y -q --no-install-recommends "${missing[@]}"
echo "deps.sh: done"
