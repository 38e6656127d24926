#!/usr/bin/env bash
# Installs what the build and the tests need, from Debian's packages only, and builds
# libjpeg-turbo, libpng, libspng and libdeflate for both Windows targets from Debian's source
# packages into one prefix per target (build/deps/i686, build/deps/x86_64); zlib is Debian's
# own mingw-w64 package.
# Idempotent: a second run on a prepared machine takes a few seconds.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMO_BUILD_DIR:-$here/build}

# g++ and libdeflate-dev build the host test program of the rules without Windows.
need_pkgs=(mingw-w64 cmake nasm xvfb xauth imagemagick librsvg2-bin icoutils wine wine32:i386 wine64 googletest make dpkg-dev
  fp-utils xclip python3 nsis libz-mingw-w64-dev pkgconf g++ libdeflate-dev)

missing=()
for p in "${need_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${as_root[@]}" dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get update -q
  "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Debian's source packages are fetched through a private apt state, so the system's apt
# configuration stays as it is.
deps=$build/deps
apt_dir=$deps/apt
src=$deps/src
logs=$deps/logs
mkdir -p "$apt_dir/parts" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$src" "$logs"
src_list=$apt_dir/parts/src.sources
: > "$src_list"
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] && sed 's/^Types: deb$/Types: deb-src/' "$f" >> "$src_list" && echo >> "$src_list"
done
if [ -f /etc/apt/sources.list ]; then
  grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' > "$apt_dir/parts/src.list" || true
fi
O=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt_dir/parts"
   -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache")

# Fetches and unpacks a source package into $src/PACKAGE with dpkg-source, which applies
# Debian's patches, security fixes included. Debian's newest source of a package can be missing
# from the mirror for a while after a security update, so older versions of the same release are
# tried in turn.
lists_fresh=
fetch_source() {  # fetch_source PACKAGE
  local pkg=$1 dir=$src/$1 work=$src/.fetch-$1 log=$logs/fetch-$1.log version
  [ -f "$dir/.complete" ] && return 0
  if [ -z "$lists_fresh" ]; then
    apt-get "${O[@]}" update -q >"$logs/apt-update.log" 2>&1 ||
      { echo "setup: updating the source package lists failed; see $logs/apt-update.log" >&2; exit 1; }
    lists_fresh=1
  fi
  echo "setup: fetching the source package $pkg"
  : > "$log"
  for version in $(apt-cache "${O[@]}" showsrc "$pkg" | sed -n 's/^Version: //p' | sort -u -r -V); do
    rm -rf "$work" && mkdir -p "$work"
    if (cd "$work" && apt-get "${O[@]}" source --download-only "$pkg=$version") >>"$log" 2>&1; then
      (cd "$work" && dpkg-source -x --no-check ./*.dsc unpacked) >>"$log" 2>&1 ||
        { echo "setup: unpacking the source package $pkg failed; see $log" >&2; exit 1; }
      rm -rf "$dir"
      mv "$work/unpacked" "$dir"
      touch "$dir/.complete"
      rm -rf "$work"
      return 0
    fi
  done
  echo "setup: no version of the source package $pkg could be fetched; see $log" >&2
  exit 1
}
for pkg in libjpeg-turbo libpng1.6 libspng libdeflate; do
  fetch_source "$pkg"
done

# Runs one step of a library's build with its output in that library's log; $lib, $arch and
# $log name them.
run() {
  "$@" >>"$log" 2>&1 || { echo "setup: building $lib for $arch failed; see $log" >&2; exit 1; }
}

# Configures, builds and installs a library with its own CMake project into the target's
# prefix, once; the stamp says it is done.
cmake_library() {  # cmake_library LIB SOURCE [CMAKE OPTION...]
  lib=$1 log=$logs/$1-$arch.log
  local source=$2
  shift 2
  [ -f "$done_dir/$lib" ] && return 0
  echo "setup: building $lib for $arch"
  : > "$log"
  rm -rf "$work/$lib"
  run cmake -S "$source" -B "$work/$lib" "${toolchain[@]}" "$@"
  run cmake --build "$work/$lib" -j"$(nproc)"
  run cmake --install "$work/$lib"
  touch "$done_dir/$lib"
}

# zlib is Debian's libz-mingw-w64-dev when it has the static library for the target and is no
# older than the zlib of this Debian release, which Debian's libpng is built and tested with.
zlib_min=1.2.13

for arch in i686 x86_64; do
  prefix=$deps/$arch
  done_dir=$prefix/.setup  # one stamp per library built into the prefix
  work=$deps/work-$arch
  cross=$arch-w64-mingw32-
  mkdir -p "$done_dir" "$work" "$prefix/include" "$prefix/lib/pkgconfig"
  toolchain=(-DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-$arch.cmake" -DCMAKE_BUILD_TYPE=Release
             -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix")

  zlib_h=/usr/$arch-w64-mingw32/include/zlib.h
  zlib_version=$(sed -n 's/^#define ZLIB_VERSION "\(.*\)"/\1/p' "$zlib_h" 2>/dev/null || true)
  if [ ! -f "/usr/$arch-w64-mingw32/lib/libz.a" ] || [ -z "$zlib_version" ] ||
     [ "$(printf '%s\n' "$zlib_min" "$zlib_version" | sort -V | head -n 1)" != "$zlib_min" ]; then
    echo "setup: libz-mingw-w64-dev has no static zlib $zlib_min or newer for $arch (found '${zlib_version}')" >&2
    exit 1
  fi

  cmake_library libjpeg-turbo "$src/libjpeg-turbo" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON
  cmake_library libpng "$src/libpng1.6" -DZLIB_USE_STATIC_LIBS=ON -DPNG_SHARED=OFF -DPNG_STATIC=ON \
    -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -Dld-version-script=OFF

  # libspng is one C file; its CMake project cannot build the static library alone. Its
  # vector code assumes SSE2, which the 32-bit program does not require of the processor. Its
  # pkg-config file comes from its own template.
  lib=libspng log=$logs/$lib-$arch.log
  if [ ! -f "$done_dir/$lib" ]; then
    echo "setup: building $lib for $arch"
    : > "$log"
    rm -rf "$work/$lib" && mkdir -p "$work/$lib"
    spng_opt=()
    [ "$arch" = i686 ] && spng_opt=(-DSPNG_DISABLE_OPT)
    run "${cross}gcc-posix" -O2 -DSPNG_STATIC "${spng_opt[@]}" -c "$src/libspng/spng/spng.c" \
      -o "$work/$lib/spng.o"
    run "${cross}ar" rcs "$work/$lib/libspng.a" "$work/$lib/spng.o"
    spng_h=$src/libspng/spng/spng.h
    spng_version=$(for part in MAJOR MINOR PATCH; do
      sed -n "s/^#define SPNG_VERSION_$part \([0-9]*\)$/\1/p" "$spng_h"; done | paste -sd.)
    run cp "$work/$lib/libspng.a" "$prefix/lib/"
    run cp "$spng_h" "$prefix/include/"
    run sed -e "s|@prefix@|$prefix|;s|@exec_prefix@|$prefix|;s|@libdir@|$prefix/lib|" \
      -e "s|@includedir@|$prefix/include|;s|@SPNG_VERSION@|$spng_version|;s|@LIBS@|-lz|" \
      -e "w $prefix/lib/pkgconfig/libspng.pc" "$src/libspng/tests/libspng.pc.in"
    touch "$done_dir/$lib"
  fi

  # libdeflate 1.14 builds with make; its install rule would also build its programs, so the
  # library, its header and the pkg-config file from its own template are put in place here.
  lib=libdeflate log=$logs/$lib-$arch.log
  if [ ! -f "$done_dir/$lib" ]; then
    echo "setup: building $lib for $arch"
    : > "$log"
    rm -rf "$work/$lib"
    run cp -r "$src/libdeflate" "$work/$lib"
    run make -C "$work/$lib" CC="${cross}gcc-posix" AR="${cross}ar" libdeflatestatic.lib
    deflate_version=$(sed -n 's/^#define LIBDEFLATE_VERSION_STRING.*"\(.*\)"/\1/p' "$work/$lib/libdeflate.h")
    run cp "$work/$lib/libdeflatestatic.lib" "$prefix/lib/libdeflate.a"
    run cp "$work/$lib/libdeflate.h" "$prefix/include/"
    run sed -e "s|@PREFIX@|$prefix|;s|@LIBDIR@|$prefix/lib|;s|@INCDIR@|$prefix/include|" \
      -e "s|@VERSION@|$deflate_version|" -e "w $prefix/lib/pkgconfig/libdeflate.pc" \
      "$work/$lib/libdeflate.pc.in"
    touch "$done_dir/$lib"
  fi
done
echo "setup: ready"
