#!/usr/bin/env bash
# Fuzzes one parser for a while:
#
#   bash scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]
#
# TARGET is one of: packet_binary packet_json connection_string
# named_parameters message_catalogue colour_file sheet.
#
# Builds the target with the "fuzz" preset (clang, libFuzzer, address and
# undefined-behaviour sanitizers) in build-fuzz/, starts from the seed
# corpus fuzz/corpus/TARGET (inputs it finds go to build-fuzz/corpus/TARGET)
# and saves every input that breaks the target's property, crashes or hangs
# in fuzz/crashes/TARGET/: commit it with the fix, and the default build's
# replay test (ctest -R fuzz_replay) runs it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(packet_binary packet_json connection_string named_parameters message_catalogue colour_file sheet)
usage() {
  echo "uso: bash scripts/fuzz.sh ALVO SEGUNDOS [opções do libFuzzer...]" >&2
  echo "alvos: ${targets[*]}" >&2
  exit 2
}
[ $# -ge 2 ] || usage
target=$1 seconds=$2
shift 2
[[ " ${targets[*]} " == *" $target "* ]] || usage
[[ "$seconds" =~ ^[0-9]+$ ]] || usage

bash scripts/install-deps.sh --fuzz
cmake --preset fuzz >/dev/null
cmake --build build-fuzz --target "fuzz_$target"

work="build-fuzz/corpus/$target"
mkdir -p "$work" "fuzz/crashes/$target"
exec "build-fuzz/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="fuzz/crashes/$target/" -print_final_stats=1 "$@" "$work" "fuzz/corpus/$target"
