#!/usr/bin/env bash
# Builds the Debian package dist/zor7700track_<version>_<arch>.deb: a release
# build with Debian's hardening flags (the `package` preset), packed by CPack,
# whose dependencies dpkg-shlibdeps works out, and checked by lintian, which
# must find no error. Usage: scripts/build-package.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

# Set on every run, so a cached build never keeps flags of an older dpkg.
# All hardening: bindnow on top of the default relro, PIE and fortify.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags() { dpkg-buildflags --get "$1"; }
cmake --preset package \
    -DCMAKE_C_FLAGS="$(flags CPPFLAGS) $(flags CFLAGS)" \
    -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" >/dev/null
cmake --build --preset package -j "$(nproc)"

rm -rf dist build/package/cpack
cpack --config build/package/CPackConfig.cmake -B build/package/cpack
mkdir -p dist
cp build/package/cpack/*.deb dist/
package=$(ls dist/*.deb)

echo "lintian $package"
lintian --fail-on error --info "$package"
ls -l "$package"
