#!/usr/bin/env bash
# Installs what the build and the tests need, from Debian's packages only, and builds
# libjpeg-turbo, zlib, libpng, libspng and libdeflate for both Windows targets from Debian's
# source packages into the build tree.
# Idempotent: a second run on a prepared machine takes a few seconds.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMO_BUILD_DIR:-$here/build}

need_pkgs=(mingw-w64 cmake nasm xvfb xauth imagemagick librsvg2-bin icoutils wine wine32:i386 wine64 googletest make dpkg-dev fp-utils xclip python3
  nsis)

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
mkdir -p "$apt_dir/parts" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
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

jpeg_src=$deps/libjpeg-turbo-src
if [ ! -f "$jpeg_src/CMakeLists.txt" ]; then
  apt-get "${O[@]}" update -q
  (cd "$deps" && apt-get "${O[@]}" source --download-only libjpeg-turbo)
  tarball=$(ls "$deps"/libjpeg-turbo_*.orig.tar.gz | head -n 1)
  rm -rf "$jpeg_src.tmp" && mkdir -p "$jpeg_src.tmp"
  tar -xzf "$tarball" -C "$jpeg_src.tmp" --strip-components=1
  rm -rf "$jpeg_src" && mv "$jpeg_src.tmp" "$jpeg_src"
fi

for arch in i686 x86_64; do
  prefix=$deps/libjpeg-$arch
  [ -f "$prefix/lib/libjpeg.a" ] && continue
  echo "setup: building libjpeg-turbo for $arch"
  rm -rf "$deps/libjpeg-build-$arch"
  cmake -S "$jpeg_src" -B "$deps/libjpeg-build-$arch" \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON \
    -DCMAKE_INSTALL_PREFIX="$prefix" >"$deps/libjpeg-$arch.log"
  cmake --build "$deps/libjpeg-build-$arch" -j"$(nproc)" >>"$deps/libjpeg-$arch.log"
  cmake --install "$deps/libjpeg-build-$arch" >>"$deps/libjpeg-$arch.log"
done

# The PNG libraries. Debian's newest source of a package can be missing from the mirror for a
# while after a security update, so older versions of the same release are tried in turn.
# dpkg-source applies Debian's patches, security fixes included.
fetch_source() {  # fetch_source PACKAGE DIRECTORY
  local pkg=$1 dir=$2 work version
  [ -f "$dir/.complete" ] && return 0
  work=$deps/fetch-$pkg
  for version in $(apt-cache "${O[@]}" showsrc "$pkg" | sed -n 's/^Version: //p' | sort -u -r -V); do
    rm -rf "$work" && mkdir -p "$work"
    if (cd "$work" && apt-get "${O[@]}" source --download-only "$pkg=$version" >/dev/null 2>&1); then
      rm -rf "$dir"
      (cd "$work" && dpkg-source -x --no-check ./*.dsc unpacked >/dev/null)
      mv "$work/unpacked" "$dir"
      touch "$dir/.complete"
      rm -rf "$work"
      return 0
    fi
  done
  echo "setup: no version of the source package $pkg could be fetched" >&2
  return 1
}

if [ ! -f "$deps/zlib-src/.complete" ] || [ ! -f "$deps/libpng-src/.complete" ] ||
   [ ! -f "$deps/libspng-src/.complete" ] || [ ! -f "$deps/libdeflate-src/.complete" ]; then
  apt-get "${O[@]}" update -q >/dev/null
  fetch_source zlib "$deps/zlib-src"
  fetch_source libpng1.6 "$deps/libpng-src"
  fetch_source libspng "$deps/libspng-src"
  fetch_source libdeflate "$deps/libdeflate-src"
fi

for arch in i686 x86_64; do
  prefix=$deps/png-$arch
  [ -f "$prefix/.complete" ] && continue
  echo "setup: building zlib, libpng, libspng and libdeflate for $arch"
  cross=$arch-w64-mingw32-
  log=$deps/png-$arch.log
  work=$deps/png-build-$arch
  rm -rf "$work" "$prefix" && mkdir -p "$work" "$prefix/include" "$prefix/lib"
  toolchain=(-DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-$arch.cmake" -DCMAKE_BUILD_TYPE=Release
             -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix")
  zlib=(-DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a")

  # zlib's own build files for Windows are not in Debian's source, and the library is a
  # handful of C files.
  mkdir -p "$work/zlib"
  for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
           inftrees trees uncompr zutil; do
    "${cross}gcc-posix" -O2 -c "$deps/zlib-src/$c.c" -o "$work/zlib/$c.o" >>"$log" 2>&1
  done
  "${cross}ar" rcs "$prefix/lib/libz.a" "$work/zlib"/*.o
  cp "$deps/zlib-src/zlib.h" "$deps/zlib-src/zconf.h" "$prefix/include/"

  cmake -S "$deps/libpng-src" -B "$work/libpng" "${toolchain[@]}" "${zlib[@]}" -DPNG_SHARED=OFF \
    -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -Dld-version-script=OFF >>"$log" 2>&1
  cmake --build "$work/libpng" -j"$(nproc)" >>"$log" 2>&1
  cmake --install "$work/libpng" >>"$log" 2>&1

  # libspng is one C file; its CMake project cannot build the static library alone. Its
  # vector code assumes SSE2, which the 32-bit program does not require of the processor.
  mkdir -p "$work/libspng"
  spng_opt=()
  [ "$arch" = i686 ] && spng_opt=(-DSPNG_DISABLE_OPT)
  "${cross}gcc-posix" -O2 -DSPNG_STATIC "${spng_opt[@]}" -I"$prefix/include" -c "$deps/libspng-src/spng/spng.c" \
    -o "$work/libspng/spng.o" >>"$log" 2>&1
  "${cross}ar" rcs "$prefix/lib/libspng.a" "$work/libspng/spng.o"
  cp "$deps/libspng-src/spng/spng.h" "$prefix/include/"

  cp -r "$deps/libdeflate-src" "$work/libdeflate"
  make -C "$work/libdeflate" CC="${cross}gcc-posix" AR="${cross}ar" libdeflatestatic.lib >>"$log" 2>&1
  cp "$work/libdeflate/libdeflate.h" "$prefix/include/"
  cp "$work/libdeflate/libdeflatestatic.lib" "$prefix/lib/libdeflate.a"
  touch "$prefix/.complete"
done
echo "setup: ready"
