#!/usr/bin/env bash
# Builds the static mingw-w64 libraries from Debian's source packages into $1.
set -euo pipefail
deps=$1
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$deps/include" "$deps/lib" "$deps/share/cmake"

cd "$work"
apt-get source -qq -o APT::Sandbox::User=root zlib libzip curl pugixml googletest fmtlib >/dev/null 2>&1 \
  || apt-get source -qq zlib libzip curl pugixml googletest fmtlib >/dev/null
srcdir() { find "$work" -maxdepth 1 -type d -name "$1-*" | head -1; }

export PKG_CONFIG_LIBDIR="$deps/lib/pkgconfig" PKG_CONFIG_PATH=
common=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-toolchain.cmake" -DTARNWICK_DEPS="$deps"
        -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DCMAKE_INSTALL_PREFIX="$deps"
        -DCMAKE_POLICY_DEFAULT_CMP0074=NEW)

build() { # name source-dir cmake-args...
  local name=$1 src=$2; shift 2
  cmake -S "$src" -B "$work/build-$name" "${common[@]}" "$@" >"$work/$name.log" 2>&1 \
    || { tail -40 "$work/$name.log"; exit 1; }
}

# zlib: Debian's tarball lacks win32/zlib1.rc, so only the static target is built.
z=$(srcdir zlib)
build zlib "$z"
cmake --build "$work/build-zlib" --target zlibstatic >>"$work/zlib.log" 2>&1 || { tail -40 "$work/zlib.log"; exit 1; }
cp "$work/build-zlib/libzlibstatic.a" "$deps/lib/libz.a"
cp "$z/zlib.h" "$work/build-zlib/zconf.h" "$deps/include/"

# curl's configure is slow: run it beside the others.
( build curl "$(srcdir curl)" -DHTTP_ONLY=ON -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF \
    -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBPSL=OFF -DUSE_LIBIDN2=OFF -DCURL_CA_BUNDLE=none \
    -DCURL_CA_PATH=none -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DCURL_ZLIB=OFF -DUSE_NGHTTP2=OFF \
    -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DENABLE_UNIX_SOCKETS=OFF
  cmake --build "$work/build-curl" --target install >>"$work/curl.log" 2>&1 || { tail -40 "$work/curl.log"; exit 1; }
) & curlpid=$!

build libzip "$(srcdir libzip)" -DENABLE_WINDOWS_CRYPTO=ON -DENABLE_OPENSSL=OFF -DENABLE_GNUTLS=OFF \
  -DENABLE_MBEDTLS=OFF -DENABLE_COMMONCRYPTO=OFF -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
  -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF \
  -DZLIB_LIBRARY="$deps/lib/libz.a" -DZLIB_INCLUDE_DIR="$deps/include"
cmake --build "$work/build-libzip" --target install >>"$work/libzip.log" 2>&1 || { tail -40 "$work/libzip.log"; exit 1; }

build pugixml "$(srcdir pugixml)" -DPUGIXML_BUILD_TESTS=OFF
cmake --build "$work/build-pugixml" --target install >>"$work/pugixml.log" 2>&1 || { tail -40 "$work/pugixml.log"; exit 1; }

# {fmt} compiled once: its header-only form adds seconds to every file that formats.
build fmt "$(srcdir fmtlib)" -DFMT_TEST=OFF -DFMT_DOC=OFF -DFMT_INSTALL=ON
cmake --build "$work/build-fmt" --target install >>"$work/fmt.log" 2>&1 || { tail -40 "$work/fmt.log"; exit 1; }

build googletest "$(srcdir googletest)" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
cmake --build "$work/build-googletest" --target install >>"$work/googletest.log" 2>&1 || { tail -40 "$work/googletest.log"; exit 1; }

# nlohmann-json is header-only: copied from the host package; /usr/include itself never
# goes on a mingw include path.
cp -r /usr/include/nlohmann "$deps/include/"
cp -r /usr/share/cmake/nlohmann_json "$deps/share/cmake/"

wait $curlpid
