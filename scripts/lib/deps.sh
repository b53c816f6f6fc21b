# Installs the Debian packages that the build and the tests need, only those missing, so a
# second run costs nothing. Sourced by scripts/run and scripts/test.

_base_packages=(cmake ninja-build g++ python3 ccache)
_win32_packages=(googletest g++-mingw-w64-i686-posix libz-mingw-w64-dev wine wine32:i386 fonts-wine xvfb fonts-liberation)
_test_packages=(zlib1g-dev libgtest-dev libbenchmark-dev libzydis-dev libcapstone-dev clang libclang-rt-14-dev unzip imagemagick x11-utils gdb pngcheck)

_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

_missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${db:Status-Status}\n' "$p" 2>/dev/null | grep -qx installed || echo "$p"
  done
}

# ensure_packages run|test: what scripts/run needs, or everything scripts/test needs.
ensure_packages() {
  local want=("${_base_packages[@]}" "${_win32_packages[@]}")
  [ "$1" = test ] && want+=("${_test_packages[@]}")
  local missing
  missing=$(_missing_packages "${want[@]}")
  [ -n "$missing" ] || return 0
  echo "installing: $(echo $missing)" >&2
  # wine32 is an i386 package.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    _as_root dpkg --add-architecture i386
  fi
  _as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
    _as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
}
