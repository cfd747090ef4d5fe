#!/usr/bin/env bash
# Pictures of the product registration screen: runs qulhost under Xvfb on a
# demo store database and saves one PNG per page into the folder given.
#
#   scripts/screenshots.sh OUTPUT_DIR [BUILD_DIR]
#
# BUILD_DIR defaults to build/ beside this script's folder. The demo
# database is made in a temporary folder, never beside the real programs.
set -euo pipefail

out=${1:?uso: screenshots.sh PASTA_DE_SAIDA [PASTA_DO_BUILD]}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build}
bin=$build/bin
for p in qulhost qulmkdemo libqul00002.so; do
  [[ -e $bin/$p ]] || { echo "screenshots.sh: $bin/$p não encontrado (compile antes)" >&2; exit 1; }
done
for t in Xvfb xdotool import; do
  command -v "$t" >/dev/null || { echo "screenshots.sh: falta o programa $t" >&2; exit 1; }
done
mkdir -p "$out"
out=$(cd "$out" && pwd)

work=$(mktemp -d)
xvfb_pid=
host_pid=
cleanup() {
  [[ -n $host_pid ]] && kill "$host_pid" 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$bin/qulmkdemo" "$work/qul-demo.db" >/dev/null

# Xvfb picks a free display itself and tells which.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || { echo "screenshots.sh: o Xvfb não subiu" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

QT_QPA_PLATFORM=xcb "$bin/qulhost" --connection "Provider=SQLite;Data Source=$work/qul-demo.db" \
  >"$work/host.log" 2>&1 &
host_pid=$!

win=
for _ in $(seq 100); do
  win=$(xdotool search --name "Travela - Dados do Produto" 2>/dev/null | head -1 || true)
  [[ -n $win ]] && break
  kill -0 "$host_pid" 2>/dev/null || { cat "$work/host.log" >&2; echo "screenshots.sh: qulhost terminou antes de mostrar a tela" >&2; exit 1; }
  sleep 0.1
done
[[ -n $win ]] || { echo "screenshots.sh: a janela da tela não apareceu" >&2; exit 1; }
sleep 1

# Whole screen, so the rounded corners show against the root window.
shot() { import -window root -crop 800x600+112+84 +repage "$out/$1"; }
shot pagina1.png
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key --window "$win" F2
sleep 0.7
shot pagina2.png
echo "$out/pagina1.png"
echo "$out/pagina2.png"
