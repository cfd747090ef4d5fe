#!/usr/bin/env bash
# qulhost on a 1920 x 1080 Xvfb with Scale=1.75 in [Screen] of the qul.ini beside it: a 1400 x 1050
# window, centred (within a pixel); --scale 1.5 comes before the key: 1200 x 900. On a 1366 x 768 Xvfb
# --scale 1.5 does not fit: 1.28 (1024 x 768), centred, and the warning names the option.   xvfb_escala.sh BIN_DIR
set -euo pipefail
bin=$(cd "$1" && pwd) work=$(mktemp -d) pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "xvfb_escala: FALHOU: $*" >&2; cat "$work/log" >&2; exit 1; }
xvfb() {  # xvfb WIDTHxHEIGHT: a server of its own; -noreset keeps it up, and reachable, when a qulhost leaves
  rm -f "$work/display"
  Xvfb -displayfd 3 -noreset -screen 0 "$1x24" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 & pids+=($!)
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$work/display")" W=${1%x*} H=${1#*x}
}
mkdir "$work/bin" && cp "$bin/qulhost" "$work/bin/" && ln -s "$bin/libqul00002.so.1" "$work/bin/" && touch "$work/log"
"$bin/qulmkdemo" "$work/loja.db" >/dev/null
printf '[Database]\nConnection=Provider=SQLite;Data Source=%s\n[Screen]\nScale=1.75\n' "$work/loja.db" >"$work/bin/qul.ini"
check() {  # check WIDTH HEIGHT [OPTIONS]
  env -u QT_SCALE_FACTOR QT_QPA_PLATFORM=xcb "$work/bin/qulhost" "${@:3}" >>"$work/log" 2>&1 & pids+=($!)
  local win= X Y WIDTH HEIGHT SCREEN WINDOW
  for _ in $(seq 150); do win=$(xdotool search --onlyvisible --pid $! --name "Dados do Produto" | head -n1) && break; sleep 0.1; done
  [ -n "$win" ] || fail "qulhost ${*:3}: a janela não apareceu"
  sleep 0.5 && eval "$(xdotool getwindowgeometry --shell "$win")" && echo "qulhost ${*:3}: ${WIDTH}x${HEIGHT} em $X,$Y"
  local dx=$((X - (W - $1) / 2)) dy=$((Y - (H - $2) / 2))
  [ "${WIDTH}x${HEIGHT}" = "$1x$2" ] && [ $((dx * dx + dy * dy)) -le 2 ] || fail "esperada $1x$2 no centro"
  kill $!
}
xvfb 1920x1080
check 1400 1050
check 1200 900 --scale 1.5
grep -q 'escala' "$work/log" && fail "aviso de escala numa tela onde ela cabe"
xvfb 1366x768
check 1024 768 --scale 1.5
grep -q 'a escala 1.5 (--scale) .* usada a escala 1.28 (1024 x 768)' "$work/log" || fail "sem o aviso da escala reduzida"
echo "xvfb_escala: ok"
