#!/usr/bin/env bash
# Builds the Debian package of Melvora (installing missing build packages
# first): build-package/melvora_<version>_<arch>.deb, for /usr.
#   tools/package.sh            build the package
#   tools/package.sh --install  also install it with apt, which pulls its
#                               runtime libraries (needs root or sudo)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DMELVORA_BUILD_TESTS=OFF \
      -DCMAKE_INSTALL_PREFIX=/usr
cmake --build build-package
(cd build-package && cpack -G DEB)
deb="$(ls -t build-package/melvora_*.deb | head -n 1)"
dpkg-deb --info "$deb" | sed -n '/Depends/p'
if [[ "${1:-}" == "--install" ]]; then
  sudo=""
  [[ "$(id -u)" -ne 0 ]] && sudo="sudo"
  $sudo apt-get install -y -q "./$deb"
fi
echo "package: $deb"
