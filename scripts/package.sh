#!/usr/bin/env bash
# Builds Release in build/ and makes the Debian package with cpack; its path is the last line.
#   scripts/package.sh      then: sudo apt install ./build/posling_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
# dpkg-shlibdeps (dpkg-dev) and file find the libraries the package depends on.
scripts/setup.sh dpkg-dev file
# An existing build/ of another type is made Release again, as the package must be.
if [ -f build/CMakeCache.txt ] && ! grep -qx 'CMAKE_BUILD_TYPE:STRING=Release' build/CMakeCache.txt; then
    cmake build -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
scripts/build.sh posling posling-virtual-printer posling-package-files
version=$(sed -n 's/^set(POSLING_VERSION_TEXT "\(.*\)")$/\1/p' CMakeLists.txt)
deb="build/posling_${version}_$(dpkg --print-architecture).deb"
rm -f "$deb"
(cd build && cpack -G DEB >/dev/null)
[ -f "$deb" ] || { echo "cpack made no $deb" >&2; exit 1; }
echo "$deb"
