#!/usr/bin/env bash
# Installs what the build and the tests need, from Debian's packages only, and builds
# libjpeg-turbo for both Windows targets from Debian's source package into the build tree.
# Idempotent: a second run on a prepared machine takes a few seconds.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMO_BUILD_DIR:-$here/build}

need_pkgs=(mingw-w64 cmake nasm xvfb xauth imagemagick wine wine32:i386 wine64 googletest make dpkg-dev fp-utils)

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

# libjpeg-turbo: Debian's source package, fetched through a private apt state so the
# system's apt configuration stays as it is.
deps=$build/deps
jpeg_src=$deps/libjpeg-turbo-src
if [ ! -f "$jpeg_src/CMakeLists.txt" ]; then
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
echo "setup: ready"
