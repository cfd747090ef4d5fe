#pragma once
// CSV as Brazilian spreadsheets write and read it: ";" between fields,
// quotes around a field that holds ";", a quote or a line break (a quote
// inside doubled), lines ended by CRLF or LF. Text in UTF-8 (a leading
// byte order mark is skipped) or code page 1252.

#include <QIODevice>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

enum class TCodificacao { Utf8, Cp1252 };

// "utf8"/"utf-8" or "cp1252"/"windows-1252" (letter case ignored); false for another name.
bool codificacaoPorNome(const QString &nome, TCodificacao *out);

// One field as written: quoted when it needs it, or always (`aspas`: a
// code, which a spreadsheet then reads as text, keeping its leading zeros).
QString campoCsv(const QString &valor, bool aspas = false);

// A text a spreadsheet would take for a formula (it begins with "=", "+",
// "-" or "@") written with a leading "'", which makes it text there; and
// that "'" taken off again as a field is read. A text that already begins
// with "'" before one of those characters gains one more, so that reading
// gives back every text written.
QString textoSemFormula(const QString &valor);
QString textoDeFormula(const QString &campo);

// Reads records one at a time from a device, decoding as it goes: a file
// of any length is never held whole.
class TLeitorCsv {
public:
    // The longest field accepted; a longer one ends the reading with an error.
    static constexpr int kMaxCampo = 65536;
    // The most fields a record may have.
    static constexpr int kMaxCampos = 1000;

    TLeitorCsv(QIODevice &dispositivo, TCodificacao codificacao);
    // The next record into `campos`, with the line it starts on. False at
    // the end of the file or on an error (then erro() is not empty). Lines
    // holding nothing are skipped. `aspas`, when given, tells of each field
    // whether it was written between quotes.
    bool proximo(QStringList &campos, int &linha, QList<bool> *aspas = nullptr);
    const QString &erro() const { return m_erro; }
    // After the error of text following a closing quote: that character
    // (a header quoted and split on ',' ends there).
    QChar aposAspas() const { return m_aposAspas; }

private:
    bool carrega();  // more text into the buffer; false at the end or on an error
    QIODevice &m_dispositivo;
    TCodificacao m_codificacao;
    QStringDecoder m_utf8{QStringDecoder::Utf8};
    QString m_texto;
    QByteArray m_fimAnterior;  // the last bytes read
    qsizetype m_pos = 0;
    int m_linha = 1;
    bool m_inicio = true, m_fim = false;
    QString m_erro;
    QChar m_aposAspas;
};
