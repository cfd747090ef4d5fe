#!/usr/bin/env bash
# The screen's scale on a real X server: qulhost on a 1920 x 1080 Xvfb with
# Scale=1.75 in [Screen] of the qul.ini beside it opens its 800 x 600 form
# as a 1400 x 1050 window, centred; --scale 1.5 comes before the file's
# key and gives 1200 x 900, centred too. Qt's scale, not the window
# manager, sizes the window: no manager runs.
#
#   xvfb_escala.sh BIN_DIR
set -euo pipefail

bin=$(cd "${1:?uso: xvfb_escala.sh PASTA_DOS_PROGRAMAS}" && pwd)
for t in Xvfb xdotool; do
  command -v "$t" >/dev/null || { echo "xvfb_escala: falta o programa $t" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "xvfb_escala: FALHOU: $*" >&2
  [ -f "$work/host.log" ] && sed 's/^/  qulhost: /' "$work/host.log" >&2
  exit 1
}

# A display number drawn at random, well above those -displayfd picks: X
# servers of other machines sharing /tmp see each other's lock files as
# stale, and two of them on one number take each other's socket.
xvfb=
for _ in $(seq 10); do
  export DISPLAY=":$((200 + RANDOM % 20000))"
  Xvfb "$DISPLAY" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 50); do
    kill -0 "$xvfb" 2>/dev/null || break
    [ "$(xdotool getdisplaygeometry 2>/dev/null)" = "1920 1080" ] && break 2
    sleep 0.1
  done
  kill "$xvfb" 2>/dev/null || true
  xvfb=
done
[ -n "$xvfb" ] || fail "o Xvfb não subiu"
pids+=("$xvfb")

# A folder of its own for qulhost, its module and its qul.ini.
mkdir "$work/bin"
cp "$bin/qulhost" "$work/bin/"
ln -s "$bin/libqul00002.so.1" "$work/bin/"
"$bin/qulmkdemo" "$work/loja.db" >/dev/null
printf '[Database]\nConnection=Provider=SQLite;Data Source=%s\n\n[Screen]\nScale=1.75\n' "$work/loja.db" \
  >"$work/bin/qul.ini"

# check WIDTH HEIGHT [QULHOST OPTIONS]: the window's size, and its place
# within a pixel of the centre (Qt centres in its own scaled units).
check() {
  local w=$1 h=$2; shift 2
  env -u QT_SCALE_FACTOR QT_QPA_PLATFORM=xcb LANG=C.UTF-8 "$work/bin/qulhost" "$@" >>"$work/host.log" 2>&1 &
  local pid=$! win=
  pids+=("$pid")
  for _ in $(seq 150); do
    win=$(xdotool search --all --onlyvisible --pid "$pid" --name "Travela - Dados do Produto" 2>/dev/null | head -n1 || true)
    [ -n "$win" ] && break
    kill -0 "$pid" 2>/dev/null || fail "qulhost $* terminou antes de mostrar a tela"
    sleep 0.1
  done
  [ -n "$win" ] || fail "qulhost $*: a janela da tela não apareceu"
  sleep 0.5
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$win")"
  [ "${WIDTH}x${HEIGHT}" = "${w}x${h}" ] || fail "qulhost $*: janela de ${WIDTH}x${HEIGHT}, esperada ${w}x${h}"
  local cx=$(((1920 - w) / 2)) cy=$(((1080 - h) / 2))
  [ $((X - cx)) -ge -1 ] && [ $((X - cx)) -le 1 ] && [ $((Y - cy)) -ge -1 ] && [ $((Y - cy)) -le 1 ] \
    || fail "qulhost $*: janela em ${X},${Y}, esperada no centro, ${cx},${cy}"
  echo "qulhost${*:+ $*}: ${WIDTH}x${HEIGHT} em ${X},${Y}"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

check 1400 1050
check 1200 900 --scale 1.5
echo "xvfb_escala: ok"
