#!/usr/bin/env bash
# Installs what is missing, builds, starts a throwaway PostgreSQL server on
# loopback, runs every test against SQLite, PostgreSQL and PostgreSQL through
# ODBC, stops the server. Fails when any test fails or any PostgreSQL or ODBC
# case could not run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default

eval "$(bash scripts/pg-cluster.sh start)"
trap 'bash scripts/pg-cluster.sh stop "$QUL_PG_DIR" >/dev/null 2>&1 || true' EXIT
export QUL_PG_TEST QUL_PG_DIR
# PostgreSQL and ODBC cases fail instead of skipping when the server or the
# ODBC drivers are missing.
export QUL_REQUIRE_PG=1 QUL_REQUIRE_ODBC=1

ctest --preset default --parallel 2
