# Shared by scripts/run and scripts/test: install what Korvi needs, then build.
# shellcheck shell=bash
set -euo pipefail

KORVI_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
KORVI_BUILD_DIR="${KORVI_BUILD_DIR:-$KORVI_ROOT/build}"

# Every Debian 12 package that building, testing, benchmarking and running
# Korvi needs: compiler and build tools, Qt 6 (widgets, SQL with its SQLite
# driver, lupdate and lrelease for the translations), Google Benchmark, the
# DNS libraries (Knot's zone scanner, ldns), BIND with its tools, the fonts
# the window needs (the log lines carry emoji), and the validators the install
# test runs on the menu entry, the metainfo and the manual pages.
KORVI_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-l10n-tools libgl-dev libqt6sql6-sqlite
  libbenchmark-dev libknot-dev libldns-dev
  bind9 bind9-utils bind9-dnsutils
  procps fonts-dejavu-core fonts-noto-color-emoji
  desktop-file-utils appstream groff-base
)

# How often a download is tried before the install gives up, and how long it
# waits between tries (a mirror that hiccups should not fail a whole run).
KORVI_APT_TRIES="${KORVI_APT_TRIES:-3}"
KORVI_APT_PAUSE="${KORVI_APT_PAUSE:-10}"

say() { printf '==> %s\n' "$*"; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo "$@"
  else
    die "need root (or sudo) to run: $*"
  fi
}

is_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# Runs an apt-get command up to KORVI_APT_TRIES times; true when one try worked.
apt_with_retries() {
  local try
  for ((try = 1; try <= KORVI_APT_TRIES; try++)); do
    if as_root env DEBIAN_FRONTEND=noninteractive apt-get "$@"; then
      return 0
    fi
    if [ "$try" -lt "$KORVI_APT_TRIES" ]; then
      say "apt-get $1 failed (try $try of $KORVI_APT_TRIES); trying again in ${KORVI_APT_PAUSE} s"
      sleep "$KORVI_APT_PAUSE"
    fi
  done
  return 1
}

install_dependencies() {
  local missing=()
  local pkg
  for pkg in "${KORVI_PACKAGES[@]}"; do
    is_installed "$pkg" || missing+=("$pkg")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    say "All required packages are installed"
    return 0
  fi
  command -v apt-get >/dev/null 2>&1 || die "apt-get not found; install by hand: ${missing[*]}"
  say "Installing missing packages: ${missing[*]}"
  apt_with_retries update -qq || die "apt-get update failed $KORVI_APT_TRIES times"
  if ! apt_with_retries install -y -qq --no-install-recommends "${missing[@]}"; then
    # Name the packages that did not make it, one apt-get each, so the
    # message points at the culprit rather than the whole list.
    local failed=()
    for pkg in "${missing[@]}"; do
      is_installed "$pkg" && continue
      as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "$pkg" >/dev/null 2>&1 || failed+=("$pkg")
    done
    [ ${#failed[@]} -gt 0 ] || failed=("${missing[@]}")
    die "apt-get install failed for: ${failed[*]}"
  fi
  # The Debian package starts a system named on port 53; Korvi never needs it,
  # and its tests run their own server in a sandbox, so leave it as the
  # package left it.
}

build_korvi() {
  say "Configuring in $KORVI_BUILD_DIR"
  cmake -S "$KORVI_ROOT" -B "$KORVI_BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    || die "cmake configure failed"
  say "Building"
  cmake --build "$KORVI_BUILD_DIR" --parallel "$(nproc)" || die "build failed"
}
