#!/usr/bin/env bash
# A throwaway PostgreSQL 15 cluster on loopback, for the tests.
#
#   eval "$(scripts/pg-cluster.sh start)"   # sets QUL_PG_DIR, QUL_PG_PORT, QUL_PG_TEST
#   scripts/pg-cluster.sh stop "$QUL_PG_DIR"
#   scripts/pg-cluster.sh with COMMAND...    # COMMAND with a cluster of its own
#   scripts/pg-cluster.sh pause|resume DIR   # the server stopped, started again
#   scripts/pg-cluster.sh with-standby COMMAND...  # COMMAND with a primary and its synchronous standby
#   scripts/pg-cluster.sh crash|promote DIR  # the server stopped as by a crash; a standby made primary
#
# with: starts a cluster at the first free port from 56000 + (pid mod 1000) up
# (away from the shared one's ports, so that no other cluster takes its port
# while it is paused), runs COMMAND with QUL_PG_TEST and QUL_PG_DIR naming it
# and QUL_PG_PAUSE and QUL_PG_RESUME holding the commands that stop and start
# its server, then stops it. When no cluster can be started, COMMAND runs
# without QUL_PG_TEST (its PostgreSQL cases then skip, or fail when
# required).
#
# with-standby: as with, and beside the cluster a streaming standby of it
# (pg_basebackup -R) in a folder of its own, which the primary then waits for
# at every commit (synchronous_standby_names, synchronous_commit = on). Adds
# QUL_PG_STANDBY_DIR and QUL_PG_STANDBY_PORT, QUL_PG_STANDBY_PAUSE and
# QUL_PG_STANDBY_RESUME (the standby stopped and started again), and
# QUL_PG_CRASH (the primary stopped with -m immediate) and QUL_PG_PROMOTE
# (the standby made primary), then stops both.
#
# start creates a fresh cluster in a new /tmp/qulpg.XXXXXX folder owned by the
# postgres user (the server refuses to run as root), listening on 127.0.0.1 at
# the first free port from 55432 up, its unix socket inside that folder, trust
# authentication (a password only for the role qul_senha). Only the export lines go to stdout; progress and errors go
# to stderr. stop shuts the cluster down and removes the folder.
set -euo pipefail

PG_BIN=${QUL_PG_BIN:-/usr/lib/postgresql/15/bin}
FIRST_PORT=${QUL_PG_FIRST_PORT:-55432}
PG_USER=postgres

log() { echo "pg-cluster: $*" >&2; }
die() { log "$*"; exit 1; }

usage() {
  cat >&2 <<USAGE
usage: $0 start
       $0 stop [DIR]     (DIR defaults to \$QUL_PG_DIR)
       $0 with COMMAND [ARG]...
       $0 with-standby COMMAND [ARG]...
       $0 pause|resume|crash|promote DIR
USAGE
  exit 1
}

# Runs a command as the postgres user: runuser when root, directly when we
# are postgres already, sudo otherwise.
as_pg() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u "$PG_USER" -- "$@"
  elif [ "$(id -un)" = "$PG_USER" ]; then
    "$@"
  else
    sudo -u "$PG_USER" -- "$@"
  fi
}

port_in_use() {
  # A successful connect means someone listens there.
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

# Only folders this script makes may be stopped and removed.
check_dir() {
  case "$1" in
    /tmp/qulpg.??????) ;;
    *) die "refusing to touch '$1': not a folder made by '$0 start' (/tmp/qulpg.XXXXXX)" ;;
  esac
}

stop_cluster() {
  local dir=$1
  check_dir "$dir"
  [ -d "$dir" ] || { log "$dir does not exist; nothing to stop"; return 0; }
  # The folder is the postgres user's and closed to others: look inside as postgres.
  if as_pg test -f "$dir/data/postmaster.pid"; then
    as_pg "$PG_BIN/pg_ctl" -D "$dir/data" -m fast -w -t 60 stop >&2 \
      || log "pg_ctl stop failed (see $dir/server.log); removing the folder anyway"
  fi
  as_pg rm -rf -- "$dir" 2>/dev/null || rm -rf -- "$dir"
}

start_cluster() {
  [ -x "$PG_BIN/initdb" ] || die "$PG_BIN/initdb not found; run scripts/install-deps.sh"
  id "$PG_USER" >/dev/null 2>&1 || die "user $PG_USER does not exist; run scripts/install-deps.sh"

  # The postgres user cannot enter root's working folder; work from /tmp.
  cd /tmp

  local dir
  dir=$(as_pg mktemp -d /tmp/qulpg.XXXXXX) || die "cannot create a folder as $PG_USER"
  # From here on a failure removes the half-made cluster.
  CLUSTER_DIR=$dir
  trap 'rc=$?; [ $rc -eq 0 ] || stop_cluster "$CLUSTER_DIR"' EXIT

  log "initdb in $dir/data"
  local out
  out=$(as_pg "$PG_BIN/initdb" -D "$dir/data" -U postgres --auth=trust \
          --locale=C.UTF-8 -E UTF8 2>&1) \
    || { printf '%s\n' "$out" >&2; die "initdb failed"; }

  # Every user gets in without a password, except qul_senha: the tests log in
  # as that one to see a password reach the server intact.
  as_pg sed -i '1i host all qul_senha 127.0.0.1/32 scram-sha-256' "$dir/data/pg_hba.conf"

  # Settings for a disposable test server: no durability, many connections.
  as_pg tee -a "$dir/data/postgresql.conf" >/dev/null <<CONF

# throwaway test cluster (scripts/pg-cluster.sh)
listen_addresses = '127.0.0.1'
unix_socket_directories = '$dir'
max_connections = 200
shared_buffers = 32MB
fsync = off
synchronous_commit = off
full_page_writes = off
logging_collector = off
log_min_messages = warning
CONF

  # Take the first free port; if another process grabs it before the server
  # binds, try the next one. Any other start failure ends the attempt.
  local port=$FIRST_PORT tries=0 started=0
  while [ $tries -lt 50 ]; do
    if ! port_in_use "$port"; then
      as_pg rm -f "$dir/server.log"
      if as_pg "$PG_BIN/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
           -o "-p $port" start >/dev/null 2>&1; then
        started=1
        break
      fi
      if ! as_pg grep -q -e 'could not bind' -e 'could not create any TCP/IP sockets' \
             -e 'could not create lock file' "$dir/server.log" 2>/dev/null; then
        as_pg tail -n 20 "$dir/server.log" >&2 2>/dev/null || true
        die "the server did not start"
      fi
      log "port $port was taken meanwhile; trying the next one"
    fi
    port=$((port + 1))
    tries=$((tries + 1))
  done
  [ $started -eq 1 ] || die "no free port from $FIRST_PORT to $((FIRST_PORT + 49))"

  as_pg "$PG_BIN/pg_isready" -q -h 127.0.0.1 -p "$port" -t 30 \
    || die "server on port $port does not accept connections"
  # A server started again (resume) listens where it did.
  echo "port = $port" | as_pg tee -a "$dir/data/postgresql.conf" >/dev/null

  trap - EXIT
  log "PostgreSQL 15 running on 127.0.0.1:$port (folder $dir)"
  echo "export QUL_PG_DIR=$dir;"
  echo "export QUL_PG_PORT=$port;"
  echo "export QUL_PG_TEST=\"Provider=PostgreSQL;Data Source=127.0.0.1;Port=$port;Initial Catalog=postgres;User ID=postgres;Password=qul\";"
}

pause_cluster() {
  check_dir "$1"
  as_pg "$PG_BIN/pg_ctl" -D "$1/data" -m fast -w -t 60 stop >&2
}

resume_cluster() {
  check_dir "$1"
  as_pg "$PG_BIN/pg_ctl" -D "$1/data" -l "$1/server.log" -w -t 60 start >&2
}

# A streaming standby of the cluster in $1 (port $2), in a new folder, at
# the first free port after the primary's; the primary then waits for it at
# every commit. Prints the export lines of the standby.
start_standby() {
  local primary=$1 pport=$2 dir port
  check_dir "$primary"
  cd /tmp
  dir=$(as_pg mktemp -d /tmp/qulpg.XXXXXX) || die "cannot create a folder as $PG_USER"
  CLUSTER_DIR=$dir
  trap 'rc=$?; [ $rc -eq 0 ] || stop_cluster "$CLUSTER_DIR"' EXIT
  log "pg_basebackup -R into $dir/data"
  as_pg "$PG_BIN/pg_basebackup" -h 127.0.0.1 -p "$pport" -U postgres -D "$dir/data" -R -X stream -c fast >&2 \
    || die "pg_basebackup failed"
  port=$((pport + 1))
  while port_in_use "$port"; do port=$((port + 1)); done
  # The copy's settings are the primary's: its own folder and port come after them.
  as_pg tee -a "$dir/data/postgresql.conf" >/dev/null <<CONF
unix_socket_directories = '$dir'
port = $port
CONF
  as_pg "$PG_BIN/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start >/dev/null \
    || { as_pg tail -n 20 "$dir/server.log" >&2 2>/dev/null || true; die "the standby did not start"; }
  # Only now, so that the standby's copy does not wait for a standby of its own once promoted.
  as_pg "$PG_BIN/psql" -q -h 127.0.0.1 -p "$pport" -U postgres -d postgres >/dev/null <<SQL \
    || die "the primary did not take its standby"
ALTER SYSTEM SET synchronous_standby_names = '*';
ALTER SYSTEM SET synchronous_commit = 'on';
SELECT pg_reload_conf();
SQL
  local tries=0
  until [ "$(as_pg "$PG_BIN/psql" -qtA -h 127.0.0.1 -p "$pport" -U postgres -d postgres \
             -c "SELECT count(*) FROM pg_stat_replication WHERE sync_state = 'sync'")" = 1 ]; do
    tries=$((tries + 1))
    [ $tries -lt 300 ] || die "the standby never became synchronous"
    sleep 0.1
  done
  trap - EXIT
  log "synchronous standby running on 127.0.0.1:$port (folder $dir)"
  echo "export QUL_PG_STANDBY_DIR=$dir;"
  echo "export QUL_PG_STANDBY_PORT=$port;"
}

crash_cluster() {
  check_dir "$1"
  as_pg "$PG_BIN/pg_ctl" -D "$1/data" -m immediate -w -t 60 stop >&2
}

promote_cluster() {
  check_dir "$1"
  as_pg "$PG_BIN/pg_ctl" -D "$1/data" -w -t 60 promote >&2
}

with_cluster() {
  local exports self
  self=$(realpath "$0")
  unset QUL_PG_TEST QUL_PG_DIR QUL_PG_PORT QUL_PG_PAUSE QUL_PG_RESUME
  if exports=$(FIRST_PORT=${QUL_PG_FIRST_PORT:-$((56000 + $$ % 1000))} start_cluster); then
    eval "$exports"
    export QUL_PG_TEST QUL_PG_DIR QUL_PG_PORT
    export QUL_PG_PAUSE="bash $self pause $QUL_PG_DIR" QUL_PG_RESUME="bash $self resume $QUL_PG_DIR"
    trap 'stop_cluster "$QUL_PG_DIR" >/dev/null 2>&1 || true' EXIT
    if [ "${WITH_STANDBY:-0}" = 1 ]; then
      if exports=$(start_standby "$QUL_PG_DIR" "$QUL_PG_PORT"); then
        eval "$exports"
        export QUL_PG_STANDBY_DIR QUL_PG_STANDBY_PORT
        export QUL_PG_CRASH="bash $self crash $QUL_PG_DIR" QUL_PG_PROMOTE="bash $self promote $QUL_PG_STANDBY_DIR"
        export QUL_PG_STANDBY_PAUSE="bash $self pause $QUL_PG_STANDBY_DIR" QUL_PG_STANDBY_RESUME="bash $self resume $QUL_PG_STANDBY_DIR"
        trap 'stop_cluster "$QUL_PG_STANDBY_DIR" >/dev/null 2>&1 || true; stop_cluster "$QUL_PG_DIR" >/dev/null 2>&1 || true' EXIT
      else
        log "no standby; running without one"
      fi
    fi
  else
    log "no cluster of its own; running without one"
  fi
  "$@"
}

case "${1:-}" in
  with)
    [ $# -ge 2 ] || usage
    shift
    with_cluster "$@"
    ;;
  with-standby)
    [ $# -ge 2 ] || usage
    shift
    WITH_STANDBY=1 with_cluster "$@"
    ;;
  pause|resume|crash|promote)
    [ $# -eq 2 ] || usage
    "${1}_cluster" "$2"
    ;;
  start)
    [ $# -eq 1 ] || usage
    start_cluster
    ;;
  stop)
    [ $# -le 2 ] || usage
    dir=${2:-${QUL_PG_DIR:-}}
    [ -n "$dir" ] || usage
    stop_cluster "$dir"
    ;;
  *)
    usage
    ;;
esac
