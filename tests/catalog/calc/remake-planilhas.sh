#!/usr/bin/env bash
# Remakes the spreadsheets in this folder: four new products as a store
# manager types them in a spreadsheet (codes with leading zeros as text, a
# reduced code, a bar code and a tax code typed as numbers, prices and a
# tare with decimals, a weighed product, empty cells between others, names
# with accents), saved by LibreOffice Calc as .xlsx and .ods and by
# openpyxl as .xlsx; novos.csv holds the same rows as the CSV import reads
# them, which tst_catalog compares the spreadsheets with.
#
#   bash tests/catalog/calc/remake-planilhas.sh
# Needs libreoffice-calc-nogui and python3-openpyxl (apt-get install
# --no-install-recommends); the tests only read the files.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

/usr/bin/python3 - "$here" "$work" <<'PY'
import sys
from xml.sax.saxutils import escape
import openpyxl

here, work = sys.argv[1], sys.argv[2]
header = ["CDPRODUTO", "CDPRODINTE", "NMPRODUTO", "SGUNIDADE", "VRPRECITEM", "CDIMPOSTO", "VRPEALIMPFIS",
          "IDPESAPROD", "QTTARAPROD", "CDBARPRODUTO", "CDPORIMPPROD"]
# A str is a text cell, a number a number cell, None an empty cell.
rows = [
    [None, "0101", "Arroz tipo 1 5kg", "UN", 15.9, "03", None, "N", None, "0789100010101", "COM1"],
    [None, 42, "Feijão preto 1kg", "UN", 8.5, 3, None, "N", None, 7891000102023, "0"],
    [None, "0102", "Queijo minas frescal", "KG", 42.9, "03", None, "S", 0.015, None, "COM2"],
    [None, "0103", "Café torrado 500g", "UN", 0.015, "00", 3.2, "N", None, "7891000103013", None],
    [None, 104, "Açúcar cristal", "KG", 4.99, 3, None, "S", 0.5, None, "COM2"],
]

def csv_field(v):
    if v is None:
        return ""
    if isinstance(v, str):
        return v
    return repr(v).replace(".", ",") if not float(v).is_integer() else str(int(v))

with open(f"{here}/novos.csv", "w", encoding="utf-8", newline="") as f:
    f.write(";".join(header) + "\n")
    for r in rows:
        f.write(";".join(csv_field(v) for v in r) + "\n")

def fods_cell(v):
    if v is None:
        return "<table:table-cell/>"
    if isinstance(v, str):
        return f'<table:table-cell office:value-type="string"><text:p>{escape(v)}</text:p></table:table-cell>'
    return f'<table:table-cell office:value-type="float" office:value="{v!r}"><text:p>{v}</text:p></table:table-cell>'

for name, colour in (("novos", False), ("novos-cor", True)):
  with open(f"{work}/{name}.fods", "w", encoding="utf-8") as f:
      f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
              '<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
              'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
              'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2" '
              'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
              'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" '
              'office:mimetype="application/vnd.oasis.opendocument.spreadsheet">'
              '<office:automatic-styles><style:style style:name="ce1" style:family="table-cell">'
              '<style:table-cell-properties fo:background-color="#ffffcc"/></style:style></office:automatic-styles>'
              '<office:body><office:spreadsheet><table:table table:name="Produtos">')
      for r in [header] + rows:
          f.write("<table:table-row>" + "".join(fods_cell(v) for v in r) + "</table:table-row>")
      # The rest of the sheet coloured, as a manager formats whole columns:
      # Calc then writes runs of empty cells to its last column and row.
      if colour:
        f.write('<table:table-row table:number-rows-repeated="1048570"><table:table-cell table:style-name="ce1" '
              'table:number-columns-repeated="16384"/></table:table-row>')
      f.write("</table:table></office:spreadsheet></office:body></office:document>\n")

wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Produtos"
ws.append(header)
for r in rows:
    ws.append(r)
wb.save(f"{here}/novos-openpyxl.xlsx")
PY

# The .ods from the coloured sheet (runs of empty cells to the sheet's
# end); the .xlsx from the plain one, since Calc writes each empty
# coloured cell of it (megabytes).
for source in novos:xlsx novos-cor:ods; do
  LANG=pt_BR.UTF-8 soffice --headless -env:UserInstallation=file://$work/perfil \
    --convert-to "${source#*:}" --outdir "$work" "$work/${source%:*}.fods" >/dev/null 2>&1
  cp "$work/${source%:*}.${source#*:}" "$here/novos-calc.${source#*:}"
done
echo "remade: $here/novos.csv, novos-calc.xlsx, novos-calc.ods, novos-openpyxl.xlsx"
