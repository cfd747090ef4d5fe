#!/usr/bin/env bash
# Pictures of the product registration screen for the guides: runs qulhost
# under Xvfb on a demo store database and saves, in one run, every picture
# docs/ uses:
#
#   pagina1.png     the list page          (1024 x 768 screen, the form's 800 x 600)
#   pagina2.png     the entry page, after F2
#   mensagem.png    a message: Ctrl+ENTER on an empty entry page
#   escala-1.75.png the whole 1920 x 1080 screen with Scale=1.75, at half size
#   escala-1.75-detalhe.png  its upper left corner, pixel for pixel
#
# Each is a 128-colour PNG (a screen of flat colours loses nothing seen),
# so that the guides stay small.
#
#   scripts/screenshots.sh [OUTPUT_DIR [BUILD_DIR]]
#
# OUTPUT_DIR defaults to docs/img/, BUILD_DIR to build/, both beside this
# script's folder. The demo database is made in a temporary folder, never
# beside the real programs. Needs Xvfb, xdotool and ImageMagick (import).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/img}
build=${2:-$root/build}
bin=$build/bin
for p in qulhost qulmkdemo libqul00002.so; do
  [[ -e $bin/$p ]] || { echo "screenshots.sh: $bin/$p não encontrado (compile antes)" >&2; exit 1; }
done
for t in Xvfb xdotool import convert; do
  command -v "$t" >/dev/null || { echo "screenshots.sh: falta o programa $t" >&2; exit 1; }
done
mkdir -p "$out"
out=$(cd "$out" && pwd)

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
die() {
  [[ -f $work/host.log ]] && cat "$work/host.log" >&2
  echo "screenshots.sh: $*" >&2
  exit 1
}

"$bin/qulmkdemo" "$work/qul-demo.db" >/dev/null

# xvfb WIDTH HEIGHT: an X server of that size; it picks a free display
# itself and tells which (-displayfd).
xvfb() {
  rm -f "$work/display"
  Xvfb -displayfd 3 -noreset -screen 0 "${1}x${2}x24" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
  [[ -s $work/display ]] || die "o Xvfb não subiu"
  export DISPLAY=":$(head -n1 "$work/display")"
  for _ in $(seq 50); do [[ $(xdotool getdisplaygeometry 2>/dev/null) == "$1 $2" ]] && return 0; sleep 0.1; done
  die "o Xvfb não responde"
}

# host [OPTIONS]: qulhost on the demo store; sets $win to its window.
win=
host() {
  QT_QPA_PLATFORM=xcb LANG=C.UTF-8 "$bin/qulhost" --connection "Provider=SQLite;Data Source=$work/qul-demo.db" \
    "$@" >>"$work/host.log" 2>&1 &
  local pid=$!
  pids+=("$pid")
  win=
  for _ in $(seq 150); do
    win=$(xdotool search --all --onlyvisible --pid "$pid" --name "Travela - Dados do Produto" 2>/dev/null | head -1 || true)
    [[ -n $win ]] && break
    kill -0 "$pid" 2>/dev/null || die "qulhost terminou antes de mostrar a tela"
    sleep 0.1
  done
  [[ -n $win ]] || die "a janela da tela não apareceu"
  sleep 1
  xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win" 2>/dev/null || true
}
key() { xdotool key --delay 40 "$@"; sleep 0.8; }
# The form's own 800 x 600, centred on the 1024 x 768 screen; the whole
# screen is read so that the rounded corners show against the root window.
# save NAME [CONVERT OPTIONS]: the root window, through the options.
save() {
  local name=$1; shift
  import -window root "$work/root.png"
  convert "$work/root.png" "$@" +repage -strip +dither -colors 128 "PNG8:$out/$name"
  echo "$out/$name"
}
shot() { save "$1" -crop 800x600+112+84; }

xvfb 1024 768
host
shot pagina1.png
key F2
shot pagina2.png
key ctrl+Return
shot mensagem.png

xvfb 1920 1080
host --scale 1.75
save escala-1.75.png -resize 50%
save escala-1.75-detalhe.png -crop 640x360+260+15
