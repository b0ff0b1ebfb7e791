#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running Kivo
# need, and only those that are missing, and generates the one extra locale
# the tests use. Quick when nothing is missing: one dpkg-query and one
# `locale -a`, no apt-get at all. As root it installs with apt-get;
# otherwise it prints the commands to run and fails.
#
# Nothing here is 32-bit: the Windows tree is 64-bit and runs under the
# 64-bit Wine loader, because some machines refuse 32-bit programs outright.
set -euo pipefail

# What the project needs, by purpose. Add a package to the group that needs it.
PACKAGES=(
  # Native build, unit tests, benchmarks
  make cmake ninja-build g++ libgtest-dev libgmock-dev googletest libbenchmark-dev
  # Windows cross build (posix threads variant) and its tests under 64-bit Wine
  g++-mingw-w64-x86-64-posix wine64
  # Wine on a test clock (the hourly signals and the alarm end to end)
  faketime
  # A Japanese font Wine can draw the forms' captions with (never as boxes)
  fonts-ipafont-gothic
  # Pictures of kivo.exe for the README (scripts/screenshots.sh): Wine's own
  # fonts (Tahoma, Marlett) and `import`
  fonts-wine imagemagick
  # A headless X display for the demo and the X11 tests
  xvfb xauth
  # The Linux program: X11 through xcb (libX11 for COMPOUND_TEXT only),
  # Qt 6 Widgets for its windows, libsndfile + ALSA for its sounds
  pkg-config libxcb1-dev libxcb-ewmh-dev libxcb-icccm4-dev libx11-dev libx11-xcb-dev
  qt6-base-dev qt6-qpa-plugins libgl-dev libsndfile1-dev libasound2-dev
  # A Japanese font the Linux windows draw their captions with
  fonts-noto-cjk
  # A real desktop for the X11 tests, `make run` and the pictures: a window
  # manager, terminals to decorate, and the tools that look at them
  openbox xterm xfonts-base xdotool x11-utils xtrace
  # What `make bench` measures a steady tick with
  strace
  # The Windows installer (makensis), and a tray for the tray icon's tests on
  # Xvfb; gettext's msgfmt checks the English catalog as translators' tools do
  nsis trayer gettext python3-yaml
  # The clock in sway's and i3's own title bars: the compositors, a Wayland
  # terminal to decorate, grim to photograph it, JSON for their IPC, and the
  # Qt platform plugin for Wayland
  sway foot grim i3 nlohmann-json3-dev qt6-wayland
  # The Debian package and the desktop metadata, and the tools that check them
  dpkg-dev fakeroot lintian appstream desktop-file-utils
  # Fuzz targets: clang with libFuzzer and the sanitizer runtimes
  clang libclang-rt-14-dev
  # A locale whose decimal mark is a comma, for the conversion tests
  locales
)
# The conversion tests switch the process to this locale to prove that stored
# numbers never follow the user's decimal mark.
COMMA_LOCALE=de_DE.UTF-8

have_locale() { locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; }

# Fast path: dpkg-query fails on a name it has never seen, and prints a
# status other than "ii" for one that is known but not installed.
if statuses=$(dpkg-query -W -f='${db:Status-Abbrev}\n' "${PACKAGES[@]}" 2>/dev/null) &&
  ! grep -qv '^ii' <<<"$statuses" && have_locale; then
  exit 0
fi

missing=()
for pkg in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$pkg" 2>/dev/null || true)
  [[ "$status" == ii* ]] || missing+=("$pkg")
done

apt_install=(apt-get install -y -q --no-install-recommends "${missing[@]}")
gen_locale=(localedef -i de_DE -f UTF-8 "$COMMA_LOCALE")

if [[ $(id -u) -ne 0 ]]; then
  sudo=""
  command -v sudo >/dev/null && sudo="sudo "
  if [[ ${#missing[@]} -ne 0 ]]; then
    echo "deps.sh: missing Debian packages: ${missing[*]}" >&2
    echo "deps.sh: install them as root with:" >&2
    echo "  ${sudo}apt-get update" >&2
    echo "  ${sudo}${apt_install[*]}" >&2
  fi
  if ! have_locale; then
    echo "deps.sh: the locale $COMMA_LOCALE is missing; generate it as root with:" >&2
    echo "  ${sudo}${gen_locale[*]}" >&2
  fi
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if [[ ${#missing[@]} -ne 0 ]]; then
  echo "deps.sh: installing ${missing[*]}"
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

  retry apt-get "${apt_opts[@]}" update -q
  retry apt-get "${apt_opts[@]}" install -y -q --no-install-recommends "${missing[@]}"
fi
if ! have_locale; then
  echo "deps.sh: generating the locale $COMMA_LOCALE"
  "${gen_locale[@]}"
fi
echo "deps.sh: done"
