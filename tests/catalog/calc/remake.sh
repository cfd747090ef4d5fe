#!/usr/bin/env bash
# Remakes the files in this folder as LibreOffice Calc leaves a catalogue
# export that a store manager opened and saved again with Brazilian
# settings (separator ';', decimal comma), once as Calc opens it by default
# and once with "quoted field as text". The store is the demo store with a
# reduced code and a bar code with leading zeros (product 1) and a name
# that a spreadsheet would take for a formula (product 2), written as
# another tool would, keeping five of its products; tst_catalog makes the
# same store.
#
#   bash tests/catalog/calc/remake.sh [BUILD_BIN]   (default build/bin)
# Needs libreoffice-calc-nogui (apt-get install --no-install-recommends).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=${1:-$here/../../../build/bin}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bin/qulmkdemo" "$work/loja.db" >/dev/null
sqlite3 "$work/loja.db" "UPDATE PRODUTO SET CDPRODINTE = '0042', CDBARPRODUTO = '0012345678905' WHERE CDPRODUTO = '1';
                         UPDATE PRODUTO SET NMPRODUTO = '=1+1' WHERE CDPRODUTO = '2';"
"$bin/qulsvc" --connection "Provider=SQLite;Data Source=$work/loja.db" export "$work/todos.csv" >/dev/null
# The header, the first four products and product 1.
awk 'NR <= 5 || /^"1";/' "$work/todos.csv" > "$here/export.csv"
# Filter options: separator ';' (59), quote '"' (34), UTF-8 (76), from line
# 1, no column formats, Portuguese (Brazil) (1046), quoted field as text,
# detect special numbers; on saving, cells as shown.
for texto in false true; do
  name=$([ "$texto" = true ] && echo calc-texto || echo calc-padrao)
  mkdir -p "$work/$name"
  LANG=pt_BR.UTF-8 LC_ALL=pt_BR.UTF-8 soffice --headless -env:UserInstallation=file://$work/perfil \
    --infilter="CSV:59,34,76,1,,1046,$texto,true" \
    --convert-to "csv:Text - txt - csv (StarCalc):59,34,76,1,,1046,false,true,true" \
    --outdir "$work/$name" "$here/export.csv" >/dev/null 2>&1
  cp "$work/$name/export.csv" "$here/$name.csv"
done
# A price list edited in Calc and saved as calc-texto is: the five prices
# changed, the tare column given the format "0,00" (which, saving cells as
# shown, turns 0,015 into 0,02 in two products: written here as it shows)
# and two new products typed at the end.
sed -e 's/;3,5;/;3,79;/' -e 's/;54,9;/;56,9;/' -e 's/;42,9;/;44,9;/' -e 's/;24,9;/;25,9;/' -e 's/;15,9;/;16,5;/' \
    -e 's/;S;0,015;/;S;0,02;/' "$here/export.csv" > "$work/precos.csv"
printf '%s\r\n' ';;"7891000009018";Goiabada cascao 300g;UN;;N;0;"901";8,9;"03";COM1;18;T18;T' \
                 ';;;Doce de leite 400g;UN;;N;;"902";12,5;"03";;;;' >> "$work/precos.csv"
mkdir -p "$work/precos"
LANG=pt_BR.UTF-8 LC_ALL=pt_BR.UTF-8 soffice --headless -env:UserInstallation=file://$work/perfil \
  --infilter="CSV:59,34,76,1,,1046,true,true" \
  --convert-to "csv:Text - txt - csv (StarCalc):59,34,76,1,,1046,false,true,true" \
  --outdir "$work/precos" "$work/precos.csv" >/dev/null 2>&1
cp "$work/precos/precos.csv" "$here/calc-precos.csv"
echo "remade: $here/{export,calc-padrao,calc-texto,calc-precos}.csv"
