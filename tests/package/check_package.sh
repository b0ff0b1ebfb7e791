#!/usr/bin/env bash
# Checks of the Debian package as Debian's own tools see it, one ctest test
# per command (tests/package/CMakeLists.txt):
#   build BUILD_TREE DIR      packs BUILD_TREE with its CPack configuration
#                             into DIR/kivo_*.deb (and nothing into dist/)
#   lintian DIR               lintian reports no error
#   metadata DIR              AppStream, desktop entries and manual pages
#                             pass their validators
#   contents DIR BUILD_TREE VERSION
#                             the package holds what `cmake --install`
#                             installs plus its own files, and its kivo runs
#   dpkg-install DIR VERSION  installed with dpkg, run, removed without a
#                             trace (root only; exit status 77: skipped)
set -euo pipefail

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The one package in DIR.
package_in() {
  local debs=("$1"/kivo_*_amd64.deb)
  [[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "expected one kivo_*_amd64.deb in $1"
  echo "${debs[0]}"
}

# The package unpacked into a fresh scratch root DIR/NAME (a name per check,
# so that checks may run side by side).
unpack() {
  local root=$1/$2
  rm -rf "$root"
  dpkg-deb -x "$(package_in "$1")" "$root"
  echo "$root"
}

build_package() {
  local tree=$1 dir=$2
  rm -rf "$dir"
  mkdir -p "$dir"
  cpack --config "$tree/CPackConfig.cmake" -B "$dir" -D CPACK_OUTPUT_FILE_PREFIX="$dir"
  package_in "$dir" >/dev/null
}

check_lintian() {
  local deb report
  deb=$(package_in "$1")
  # Warnings are printed for the reader; only errors fail.
  report=$(lintian --pedantic "$deb" 2>&1 | grep -v 'running with root privileges' || true)
  echo "${report:-lintian: no tags}"
  ! grep -q '^E:' <<<"$report" || fail "lintian reports errors"
}

check_metadata() {
  local root status=0 metainfo page warnings
  root=$(unpack "$1" metadata-root)
  metainfo=("$root"/usr/share/metainfo/*.metainfo.xml)
  [[ -f ${metainfo[0]} ]] || fail "no AppStream metadata in usr/share/metainfo"
  appstreamcli validate --no-net "${metainfo[@]}" || status=1
  desktop-file-validate "$root"/usr/share/applications/kivo.desktop \
    "$root"/usr/share/kivo/kivo-autostart.desktop || status=1
  for page in "$root"/usr/share/man/man1/*.1.gz; do
    # -ww: every warning groff has, e.g. an unknown macro or a bad escape.
    warnings=$(zcat "$page" | groff -man -Tutf8 -ww -z 2>&1)
    if [[ -n $warnings ]]; then
      echo "$(basename "$page"): $warnings" >&2
      status=1
    fi
  done
  [[ -f $root/usr/share/man/man1/kivo.1.gz ]] || fail "no manual page kivo(1)"
  [[ $status -eq 0 ]] || fail "a validator refused a file (above)"
}

# Every file below ROOT, as paths relative to it, sorted.
files_below() { (cd "$1" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort); }

check_contents() {
  local dir=$1 tree=$2 version=$3 root expected found
  root=$(unpack "$dir" contents-root)
  # What `cmake --install` puts under a prefix of /usr, then the files only
  # the package adds.
  rm -rf "$dir/install"
  cmake --install "$tree" --prefix "$dir/install/usr" >/dev/null
  expected=$( (files_below "$dir/install" && printf '%s\n' \
    usr/share/doc/kivo/changelog.Debian.gz usr/share/doc/kivo/copyright \
    usr/share/man/man1/kivo-render.1.gz usr/share/man/man1/kivo.1.gz \
    usr/share/metainfo/com.welmark.kivo.metainfo.xml) | LC_ALL=C sort)
  found=$(files_below "$root")
  if [[ $found != "$expected" ]]; then
    diff <(echo "$expected") <(echo "$found") >&2 || true
    fail "the package's files differ from the installed ones (< missing, > extra)"
  fi
  # It links only system libraries: no LD_LIBRARY_PATH, no rpath.
  local printed
  printed=$("$root/usr/bin/kivo" --version) || fail "the unpacked kivo --version failed"
  [[ $printed == "Kivo $version" ]] || fail "the unpacked kivo --version printed '$printed'"
  grep -q "<release version=\"$version\"" "$root"/usr/share/metainfo/*.xml ||
    fail "the AppStream metadata has no release $version"
  local first_entry
  first_entry=$(zcat "$root/usr/share/doc/kivo/changelog.Debian.gz" | sed -n 1p)
  [[ $first_entry == "kivo ($version-"* ]] || fail "the changelog begins '$first_entry', not version $version"
  rm -rf "$dir/install"
}

# dpkg, waiting up to a minute while another dpkg or apt holds its lock.
dpkg_waiting() {
  local deadline=$((SECONDS + 60)) output
  while true; do
    if output=$(dpkg "$@" 2>&1); then
      echo "$output"
      return 0
    fi
    if ! grep -qi 'lock' <<<"$output" || ((SECONDS >= deadline)); then
      echo "$output" >&2
      return 1
    fi
    sleep 1
  done
}

# Whether dpkg knows kivo as anything but not installed (installed, half
# installed, its configuration left behind ...).
known_to_dpkg() {
  local status
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' kivo 2>/dev/null) || return 1
  [[ $status != un* ]]
}

check_dpkg_install() {
  local deb=$1 version=$2 printed listed left=()
  if known_to_dpkg; then
    echo "SKIP: a kivo package is on this machine already; this test leaves it alone"
    exit 77
  fi
  # Never left installed, whatever fails below.
  trap 'if known_to_dpkg; then dpkg_waiting --purge kivo >/dev/null; fi' EXIT
  trap 'exit 1' INT TERM HUP
  dpkg_waiting --install "$deb" >/dev/null || fail "dpkg -i failed"
  printed=$(/usr/bin/kivo --version) || fail "/usr/bin/kivo --version failed"
  [[ $printed == "Kivo $version" ]] || fail "/usr/bin/kivo --version printed '$printed'"
  listed=$(dpkg -L kivo)
  dpkg_waiting --remove kivo >/dev/null || fail "dpkg -r failed"
  while IFS= read -r path; do
    # Directories such as /usr/share stay: other packages own them too.
    if [[ -L $path || (-e $path && ! -d $path) ]]; then left+=("$path"); fi
  done <<<"$listed"
  [[ ${#left[@]} -eq 0 ]] || fail "dpkg -r left: ${left[*]}"
  ! known_to_dpkg || fail "dpkg -r left kivo installed"
}

command=${1:-}
shift || true
case $command in
  build) build_package "$@" ;;
  lintian) check_lintian "$@" ;;
  metadata) check_metadata "$@" ;;
  contents) check_contents "$@" ;;
  dpkg-install)
    if [[ $(id -u) -ne 0 ]]; then
      echo "SKIP: dpkg -i needs root"
      exit 77
    fi
    # One install at a time on this machine, whichever tree runs it.
    exec 9>/run/lock/kivo-package-test.lock
    flock 9
    deb=$(package_in "$1")
    check_dpkg_install "$deb" "$2"
    ;;
  *) fail "usage: $0 build|lintian|metadata|contents|dpkg-install ..." ;;
esac
