#!/usr/bin/env bash
# End to end on a real X server: qulhost on Xvfb, driven by the keyboard
# alone through xdotool (XTEST, as a physical keyboard or a bar-code scanner
# types), with the store database checked after each step.
#
#   1. No window manager: add a product (Shift+letter, "ç", a 13-digit bar
#      code followed by ENTER, DELETE, F9 on the picker fields), edit it and
#      delete it. The pointer stays off the form, so every key after a dialog
#      closes reaches the form only if the dialog handed the keyboard back.
#   2. Brazilian ABNT2 layout (setxkbmap br): an edit types the name with
#      dead keys and an emoji; the product's other values and another
#      product whose code is its tree code stay as they were.
#   3. Two terminals on one PostgreSQL store (the server QUL_PG_TEST names;
#      skipped without one unless QUL_REQUIRE_PG=1): B stands on its entry
#      page while A adds a product; back on its list, B finds the product
#      by searching and deletes it.
#   4. Under openbox: Alt+F4 and the manager's close request on each page
#      leave the screen open; only ESC on the list page closes it.
#
#   xvfb_teclado.sh BIN_DIR
set -euo pipefail

bin=${1:?uso: xvfb_teclado.sh PASTA_DOS_PROGRAMAS}
for t in Xvfb xdotool openbox wmctrl sqlite3 setxkbmap localedef; do
  command -v "$t" >/dev/null || { echo "xvfb_teclado: falta o programa $t" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "xvfb_teclado: FALHOU: $*" >&2
  [ -f "$work/host.log" ] && sed 's/^/  qulhost: /' "$work/host.log" >&2
  exit 1
}

# Xvfb picks a free display itself and tells which; -noreset keeps it up
# between clients, so a program started as another leaves still connects.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "o Xvfb não subiu"
export DISPLAY=":$(head -n1 "$work/display")"

db=$work/loja.db
"$bin/qulmkdemo" "$db" >/dev/null
sql() { sqlite3 -batch -noheader -separator '|' "$db" "$1"; }
expect() {  # expect DESCRIPTION ACTUAL EXPECTED
  [ "$2" = "$3" ] || fail "$1: obtido '$2', esperado '$3'"
}

host_pid=
win=
start_host() {  # start_host [CONNECTION]: the SQLite store by default
  QT_QPA_PLATFORM=xcb LANG=C.UTF-8 LC_ALL=C.UTF-8 "$bin/qulhost" --connection "${1:-Provider=SQLite;Data Source=$db}" \
    >>"$work/host.log" 2>&1 &
  host_pid=$!
  pids+=("$host_pid")
  win=
  for _ in $(seq 150); do
    win=$(xdotool search --all --onlyvisible --pid "$host_pid" --name "Travela - Dados do Produto" 2>/dev/null | head -n1 || true)
    [ -n "$win" ] && break
    kill -0 "$host_pid" 2>/dev/null || fail "qulhost terminou antes de mostrar a tela"
    sleep 0.1
  done
  [ -n "$win" ] || fail "a janela da tela não apareceu"
  sleep 0.5
}
k() { xdotool key --delay 40 "$@"; sleep 0.4; }
# Which window has the keyboard: a dialog after the key that opens it, the
# screen again once the dialog has closed.
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
  fail "$what: o teclado não voltou à tela"
}
t() { xdotool type --delay 40 "$1"; sleep 0.4; }
still_open() {
  kill -0 "$host_pid" 2>/dev/null || fail "$1: a tela fechou"
  xdotool search --onlyvisible --name "Travela - Dados do Produto" >/dev/null 2>&1 || fail "$1: a janela sumiu"
}
wait_exit() {
  for _ in $(seq 100); do kill -0 "$host_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$host_pid" 2>/dev/null && fail "$1: a tela não fechou"
  wait "$host_pid" || fail "$1: qulhost saiu com erro"
}

# ---------------------------------------------------------------- 1. keyboard alone

start_host
xdotool windowfocus --sync "$win"
xdotool mousemove 0 0   # off the form: no focus by pointer
sleep 0.3

k F2                            # new product: field 2, a pending shift
t 501
k Return                        # name
k shift+p                       # the physical Shift, then a shifted letter
t "açoca doce"
k Return                        # unit
dialog unidade F9; t "Unid"; back unidade Return   # the unit picker, through the search dialog
k Return                        # price
t "12,50"                        # a decimal comma, in Debian's default locale
k Return                        # tax
dialog imposto F9; t "T18"; back imposto Return
k Return; k Return              # rate, bar code
t 7891000100103; k Return       # as a scanner sends it: the digits, then ENTER
dialog porta F9; t "COM2"; back porta Return   # print port (field 9)
k Return                        # tare
t 3; k Delete                   # DELETE empties it
dialog confirmar ctrl+Return    # confirm: "Operação realizada com sucesso."
back confirmar Return
still_open "depois de incluir"
expect "produto incluído" "$(sql "SELECT NMPRODUTO, CDBARPRODUTO, SGUNIDADE, IDPESAPROD, QTTARAPROD FROM PRODUTO WHERE CDPRODINTE = '501'")" \
  "Paçoca doce|7891000100103|UN|N|0.0"
codigo=$(sql "SELECT CDPRODUTO FROM PRODUTO WHERE CDPRODINTE = '501'")
expect "preço" "$(sql "SELECT VRPRECITEM FROM ITEMPRECO WHERE CDPRODUTO = '$codigo'")" "12.5"
expect "imposto" "$(sql "SELECT CDIMPOSTO, VRPEALIMPFIS FROM ALIQIMPFIS WHERE CDPRODUTO = '$codigo'")" "03|0.0"
expect "porta" "$(sql "SELECT CDPORIMPPROD FROM PRODLOJA WHERE CDPRODUTO = '$codigo'")" "COM2"

dialog pesquisa F5; t "pacoca"; back pesquisa Return   # search the list (case and accents ignored)
k F3                            # edit it
k Return; k Delete              # the name, emptied
k shift+b; t "ala de coco"
dialog alterar ctrl+Return; back alterar Return
still_open "depois de alterar"
expect "produto alterado" "$(sql "SELECT NMPRODUTO, CDPRODINTE FROM PRODUTO WHERE CDPRODUTO = '$codigo'")" "Bala de coco|501"
expect "preço mantido" "$(sql "SELECT VRPRECITEM FROM ITEMPRECO WHERE CDPRODUTO = '$codigo'")" "12.5"

k Home; xdotool key --delay 2 7 8 9 1 0 0 0 1 0 0 1 0 3 Return; sleep 0.4   # first row, then a scanner's burst
dialog excluir F4                # delete the edited product (still the current row)
k Return                        # yes: "Operação realizada com sucesso." follows
back excluir Return
still_open "depois de excluir"
expect "produto excluído" "$(sql "SELECT COUNT(*) FROM PRODUTO WHERE CDPRODUTO = '$codigo'") $(sql "SELECT COUNT(*) FROM ITEMPRECO WHERE CDPRODUTO = '$codigo'")" "0 0"

k Escape
wait_exit "ESC na lista"

# ---------------------------------------------------------------- 2. Brazilian keyboard

# xdotool types outside ASCII only in a locale that exists: one of the test's own.
mkdir -p "$work/locale"
localedef -i pt_BR -f UTF-8 "$work/locale/pt_BR.UTF-8" >/dev/null 2>&1 || fail "localedef pt_BR.UTF-8"
tbr() { LOCPATH=$work/locale LC_ALL=pt_BR.UTF-8 xdotool type --delay 40 "$1"; sleep 0.4; }

# The first product: a tare of three decimals, a tree code that is the second product's code.
sql "UPDATE PRODUTO SET QTTARAPROD = 0.015, CDARVPROD = '2' WHERE CDPRODUTO = '1'"
setxkbmap br
start_host
xdotool windowfocus --sync "$win"; xdotool mousemove 0 0; sleep 0.3
k F3                            # edit the first product
k Return; k Delete              # the name, emptied
k shift+p dead_tilde a o        # "ã" is composed, and the name takes it as "a"
k space dead_acute b            # an accent that combines with nothing: "´" (refused), then "b"
k shift; tbr "😀"; t x           # the emoji, refused, still ends the pending shift
dialog "alterar (br)" ctrl+Return; back "alterar (br)" Return
still_open "depois de alterar (br)"
expect "nome com teclas mortas" "$(sql "SELECT NMPRODUTO, QTTARAPROD, CDARVPROD FROM PRODUTO WHERE CDPRODUTO = '1'")" \
  "Pao bx|0.015|2"
expect "alíquota mantida" "$(sql "SELECT CDIMPOSTO, VRPEALIMPFIS FROM ALIQIMPFIS WHERE CDPRODUTO = '1'")" "01|7.0"
expect "o outro produto" "$(sql "SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODUTO = '2'")" "Pão de Queijo"
k Escape
wait_exit "ESC na lista (br)"
setxkbmap us

# ---------------------------------------------------------------- 3. two terminals, PostgreSQL

if [ -z "${QUL_PG_TEST:-}" ]; then
  [ "${QUL_REQUIRE_PG:-}" = 1 ] && fail "QUL_PG_TEST não definido"
  echo "xvfb_teclado: sem PostgreSQL (QUL_PG_TEST), dois terminais não testados"
else
  command -v psql >/dev/null || fail "falta o programa psql"
  campo() { tr ';' '\n' <<<"$QUL_PG_TEST" | sed -n "s/^$1=//Ip" | head -n1; }
  export PGHOST=$(campo "Data Source") PGPORT=$(campo Port) PGUSER=$(campo "User ID") PGPASSWORD=$(campo Password)
  loja=qul_xvfb_$$ fontes=$(dirname "$0")/../../db
  trap 'psql -q -d postgres -c "DROP DATABASE IF EXISTS $loja" >/dev/null 2>&1; cleanup' EXIT
  psql -q -d postgres -c "CREATE DATABASE $loja" && psql -q -v ON_ERROR_STOP=1 -d "$loja" \
    -f "$fontes/postgresql/schema.sql" -f "$fontes/demo.sql" >/dev/null || fail "a loja no PostgreSQL"
  pg="Provider=PostgreSQL;Data Source=$PGHOST;Port=$PGPORT;Initial Catalog=$loja;User ID=$PGUSER;Password=$PGPASSWORD"
  psq() { psql -At -d "$loja" -c "$1"; }
  antes=$(psq "SELECT COUNT(*) || ' ' || MAX(CDPRODUTO) FROM PRODUTO")
  start_host "$pg"; win_b=$win pid_b=$host_pid
  xdotool windowfocus --sync "$win"; xdotool mousemove 0 0; sleep 0.3
  k F2                                        # B: a new product's entry page, left standing
  start_host "$pg"
  xdotool windowfocus --sync "$win"; sleep 0.3
  k F2; t 601; k Return; k shift+p; t ipoca; k Return   # A adds "Pipoca"
  dialog unidade F9; t "Unid"; back unidade Return
  k Return; t "2,5"; k Return
  dialog imposto F9; t "T18"; back imposto Return
  dialog "confirmar (A)" ctrl+Return; back "confirmar (A)" Return
  codigo=$(psq "SELECT CDPRODUTO FROM PRODUTO WHERE NMPRODUTO = 'Pipoca'")
  [ -n "$codigo" ] || fail "o terminal A não gravou o produto"
  k Escape; wait_exit "ESC na lista (A)"
  host_pid=$pid_b win=$win_b
  xdotool windowfocus --sync "$win"; sleep 0.3
  dialog sair Escape; back sair Return         # B: "Deseja cancelar a operação?": yes; its list again
  dialog "pesquisa (B)" F5; t "pipoca"; back "pesquisa (B)" Return
  dialog "excluir (B)" F4; k Return; back "excluir (B)" Return
  expect "o produto de A, excluído por B" "$(psq "SELECT COUNT(*) FROM PRODUTO WHERE CDPRODUTO = '$codigo'")" "0"
  expect "os outros produtos" "$(psq "SELECT COUNT(*) || ' ' || MAX(CDPRODUTO) FROM PRODUTO")" "$antes"
  k Escape; wait_exit "ESC na lista (B)"
fi

# ---------------------------------------------------------------- 4. under a window manager

openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
wmctrl -m >/dev/null 2>&1 || fail "o openbox não subiu"

start_host
wmctrl -i -a "$win"; sleep 0.3
k alt+F4
still_open "Alt+F4 na lista"
wmctrl -i -c "$win"; sleep 0.5
still_open "pedido de fechamento na lista"
k F2
k alt+F4
still_open "Alt+F4 na entrada"
wmctrl -i -c "$win"; sleep 0.5
still_open "pedido de fechamento na entrada"
k Escape; k Return              # "Deseja cancelar a operação?": yes
still_open "ESC na entrada"
k Escape
wait_exit "ESC na lista, com gerenciador"
echo "xvfb_teclado: ok"
