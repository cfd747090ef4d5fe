#!/usr/bin/env bash
# End to end on a real X server: two qulhost processes, two terminals of one
# store on PostgreSQL, driven by the keyboard through xdotool. Terminal B
# stands on its entry page while terminal A adds a product; B returns to its
# list, finds the new product there by searching and deletes it: the store
# then holds exactly what it held before A's product.
#
#   xvfb_dois_terminais.sh BIN_DIR SCHEMA_SQL DEMO_SQL
#
# The store is a database of its own on the server QUL_PG_TEST names (the
# test command's throwaway cluster); without one the test is skipped (exit
# 77), or fails when QUL_REQUIRE_PG=1.
set -euo pipefail

bin=${1:?uso: xvfb_dois_terminais.sh PASTA_DOS_PROGRAMAS ESQUEMA DEMO}
schema=${2:?}; demo=${3:?}
if [ -z "${QUL_PG_TEST:-}" ]; then
  [ "${QUL_REQUIRE_PG:-}" = 1 ] && { echo "xvfb_dois_terminais: QUL_PG_TEST não definido" >&2; exit 1; }
  echo "xvfb_dois_terminais: sem servidor PostgreSQL (QUL_PG_TEST), ignorado"; exit 77
fi
for t in Xvfb xdotool psql; do
  command -v "$t" >/dev/null || { echo "xvfb_dois_terminais: falta o programa $t" >&2; exit 1; }
done

# The server's place from the test connection string.
campo() { tr ';' '\n' <<<"$QUL_PG_TEST" | sed -n "s/^$1=//Ip" | head -n1; }
export PGHOST=$(campo "Data Source") PGPORT=$(campo Port) PGUSER=$(campo "User ID") PGPASSWORD=$(campo Password)
base=qul_xvfb_$$
cs="Provider=PostgreSQL;Data Source=$PGHOST;Port=$PGPORT;Initial Catalog=$base;User ID=$PGUSER;Password=$PGPASSWORD"

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  psql -q -d postgres -c "DROP DATABASE IF EXISTS $base" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "xvfb_dois_terminais: FALHOU: $*" >&2
  for f in "$work"/host_*.log; do [ -f "$f" ] && sed "s/^/  $(basename "$f" .log): /" "$f" >&2; done
  exit 1
}

psql -q -v ON_ERROR_STOP=1 -d postgres -c "CREATE DATABASE $base" >/dev/null || fail "CREATE DATABASE"
psql -q -v ON_ERROR_STOP=1 -d "$base" -f "$schema" >/dev/null || fail "esquema"
psql -q -v ON_ERROR_STOP=1 -d "$base" -f "$demo" >/dev/null || fail "loja de demonstração"
sql() { psql -At -d "$base" -c "$1"; }
expect() {  # expect DESCRIPTION ACTUAL EXPECTED
  [ "$2" = "$3" ] || fail "$1: obtido '$2', esperado '$3'"
}
antes=$(sql "SELECT COUNT(*) || ' ' || MAX(CDPRODUTO) FROM PRODUTO")

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "o Xvfb não subiu"
export DISPLAY=":$(head -n1 "$work/display")"

# start_host NAME: a terminal; its process and window in pid_NAME, win_NAME.
start_host() {
  QT_QPA_PLATFORM=xcb LANG=C.UTF-8 "$bin/qulhost" --connection "$cs" >"$work/host_$1.log" 2>&1 &
  local pid=$! w=
  pids+=("$pid")
  for _ in $(seq 150); do
    w=$(xdotool search --all --onlyvisible --pid "$pid" --name "Travela - Dados do Produto" 2>/dev/null | head -n1 || true)
    [ -n "$w" ] && break
    kill -0 "$pid" 2>/dev/null || fail "qulhost $1 terminou antes de mostrar a tela"
    sleep 0.1
  done
  [ -n "$w" ] || fail "a janela do terminal $1 não apareceu"
  printf -v "pid_$1" %s "$pid"
  printf -v "win_$1" %s "$w"
  sleep 0.5
}
win=
terminal() {  # terminal NAME: the keyboard goes to that terminal's screen
  local v="win_$1"
  win=${!v}
  xdotool windowfocus --sync "$win"; xdotool mousemove 0 0; sleep 0.3
}
k() { xdotool key --delay 40 "$@"; sleep 0.4; }
t() { xdotool type --delay 40 "$1"; sleep 0.4; }
focused() { xdotool getwindowfocus 2>/dev/null || true; }
dialog() {  # dialog DESCRIPTION KEYS...: the keys open a dialog
  local what=$1; shift
  k "$@"
  for _ in $(seq 50); do [ "$(focused)" != "$win" ] && return 0; sleep 0.1; done
  fail "$what: o diálogo não recebeu o teclado"
}
back() {  # back DESCRIPTION KEYS...: the keys close a dialog
  local what=$1; shift
  k "$@"
  for _ in $(seq 50); do [ "$(focused)" = "$win" ] && return 0; sleep 0.1; done
  fail "$what: o teclado não voltou à tela (foco $(focused), tela $win)"
}
wait_exit() {  # wait_exit NAME
  local v="pid_$1"
  for _ in $(seq 100); do kill -0 "${!v}" 2>/dev/null || break; sleep 0.1; done
  kill -0 "${!v}" 2>/dev/null && fail "a tela do terminal $1 não fechou"
  wait "${!v}" || fail "qulhost $1 saiu com erro"
}

start_host B
terminal B
k F2                            # B: the entry page of a new product, left standing

start_host A
terminal A
k F2; t 601; k Return           # A adds "Pipoca"
k shift+p; t ipoca; k Return
dialog unidade F9; t "Unid"; back unidade Return
k Return; t "2.5"; k Return
dialog imposto F9; t "T18"; back imposto Return
dialog confirmar ctrl+Return; back confirmar Return
codigo=$(sql "SELECT CDPRODUTO FROM PRODUTO WHERE NMPRODUTO = 'Pipoca'")
[ -n "$codigo" ] || fail "o terminal A não gravou o produto"

terminal B
dialog sair Escape; back sair Return          # "Deseja cancelar a operação?": yes; the list again
dialog pesquisa F5; t "pipoca"; back pesquisa Return
dialog excluir F4; k Return; back excluir Return   # yes, then "Operação realizada com sucesso."
expect "o produto de A, excluído por B" "$(sql "SELECT COUNT(*) FROM PRODUTO WHERE CDPRODUTO = '$codigo'")" "0"
expect "os outros produtos" "$(sql "SELECT COUNT(*) || ' ' || MAX(CDPRODUTO) FROM PRODUTO WHERE CDPRODUTO <> '$codigo'")" "$antes"

k Escape; wait_exit B
terminal A
k Escape; wait_exit A
echo "xvfb_dois_terminais: ok"
