#!/usr/bin/env bash
# Builds the Debian package build/package/qul00002_<version>_<arch>.deb
# (cpack -G DEB on the default build) and checks it with lintian: no error
# and no warning (the package's lintian overrides say why for those it
# carries). Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
(cd build && cpack -G DEB --config CPackConfig.cmake)
deb=$(ls build/package/qul00002_*.deb)
lintian --fail-on error,warning "$deb"
echo "$deb"
