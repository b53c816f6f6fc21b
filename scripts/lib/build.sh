# Configures (once) and builds one tree: native (g++), win32 (MinGW-w64 i686) or fuzz (clang).
# Sourced; configure_and_build TREE LOG [TARGET] writes all output to LOG.

configure_and_build() {
  local tree=$1 log=$2 dir=build/$1 target=()
  [ -n "${3:-}" ] && target=(--target "$3")
  local args=(-G Ninja -S . -B "$dir")
  # A compiler cache makes rebuilds in fresh clones and other work trees cheap.
  command -v ccache >/dev/null && args+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  case "$tree" in
    win32) args+=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake) ;;
    fuzz) args+=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DROADSUM_FUZZ=ON) ;;
  esac
  {
    if [ ! -f "$dir/build.ninja" ]; then
      cmake "${args[@]}" || return 1
    fi
    cmake --build "$dir" "${target[@]}"
  } >"$log" 2>&1
}
