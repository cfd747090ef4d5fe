#pragma once
// The checks a confirmed product passes before it is saved, without any
// widget: the entry page runs them on its fields' texts, the catalogue
// import on each row of a file. The same table, in the same order.

#include "QulCoreExport.h"
#include <QLocale>
#include <QString>

// The texts of the fields the checks read, as typed, with the chosen tax
// code and whether the product is weighed.
struct TTextosProduto {
    QString codRed;    // field 2
    QString nome;      // field 3
    QString unidade;   // field 4
    QString preco;     // field 5
    QString imposto;   // field 6 (the tax as shown)
    QString aliquota;  // field 7
    QString tara;      // field 10
    QString cdImposto;
    bool pesado = false;
};

// Outcome: the first failing check's field and catalogue key (campo 0 and
// no key when every check passed), and the numbers the checks converted
// (0 where a check did not convert one).
struct TVerificacaoProduto {
    int campo = 0;
    const char *chave = nullptr;
    double preco = 0, aliquota = 0, tara = 0;
    bool ok() const { return campo == 0; }
};

// The ten checks in their fixed order: reduced code, name, unit, price
// (given, then a number), tax, rate (given, then a number; only for the
// tax whose rate is typed), tare (given, then a number; only for a weighed
// product). Numbers are read in `local` with no thousands separator.
QUL_CORE_EXPORT TVerificacaoProduto verificaProduto(const TTextosProduto &t, const QLocale &local);

// A number as written in `local` (decimal separator, no thousands
// separator); false when it is not one or is not finite.
QUL_CORE_EXPORT bool converteNumero(const QString &texto, const QLocale &local, double *valor);

// Whether the confirm requires field `numero` (1 to 10) of a product with
// tax code `cdImposto`, weighed or not: the reduced code, name, unit, price
// and tax always; the rate for the tax whose rate is typed; the tare for a
// weighed product.
QUL_CORE_EXPORT bool campoExigido(int numero, const QString &cdImposto, bool pesado);

// Whether `valor` could have come from the number field `numero` (5 price,
// 7 rate, 10 tare): finite, with no sign, and written out in no more
// characters than the field takes. One rule for every door a product's
// numbers come in by.
QUL_CORE_EXPORT bool numeroDigitavel(int numero, double valor);

// Whether `texto` could be typed whole into field `numero`: each character
// is one the field accepts (letters in either case where the field follows
// Caps Lock and Shift) and the text fits the field's limit.
QUL_CORE_EXPORT bool textoDigitavel(int numero, const QString &texto);
