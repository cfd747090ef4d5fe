#!/usr/bin/env bash
# Installs what is missing, builds, and opens the product registration
# screen on the demo SQLite store database (created beside the programs on
# the first run).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default

if [ -x build/bin/qulhost ]; then
  exec build/bin/qulhost --demo "$@"
fi
# Without the screen, list the demo store's products through the services.
[ -f build/bin/qul-demo.db ] || build/bin/qulmkdemo build/bin/qul-demo.db
exec build/bin/qulsvc --connection "Provider=SQLite;Data Source=\"$PWD/build/bin/qul-demo.db\"" getProduto T
