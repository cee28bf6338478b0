# Shared by scripts/run and scripts/test: install what Korvi needs, then build.
# shellcheck shell=bash
set -euo pipefail

KORVI_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
KORVI_BUILD_DIR="${KORVI_BUILD_DIR:-$KORVI_ROOT/build}"

# Debian 12 packages: compiler, build tools, Qt 6, BIND with its tools, and the
# fonts the window needs (the log lines carry emoji).
KORVI_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  bind9 bind9-utils bind9-dnsutils
  procps fonts-dejavu-core fonts-noto-color-emoji
)

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

install_dependencies() {
  local missing=()
  local pkg
  for pkg in "${KORVI_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    say "All required packages are installed"
    return 0
  fi
  command -v apt-get >/dev/null 2>&1 || die "apt-get not found; install by hand: ${missing[*]}"
  say "Installing missing packages: ${missing[*]}"
  as_root apt-get update -qq || die "apt-get update failed"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" || die "apt-get install failed for: ${missing[*]}"
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
