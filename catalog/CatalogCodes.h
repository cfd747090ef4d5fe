#pragma once
// The codes of a catalogue (product, reduced, bar codes) kept in 16 bytes
// each, since a file or a store may hold a million of them, with the line
// each was first seen on and the products that hold it.

#include <QHash>
#include <QString>
#include <QVarLengthArray>

// A code's key, 16 bytes, since a file or a store may hold a million of
// them: a code of up to 36 ASCII digits (as codes are) packs with its
// length, so "01" and "1" stay apart; any other text is its SHA-256 cut to
// 122 bits, marked apart from the digits.
struct TChaveCodigo {
    quint64 alto = 0, baixo = 0;
    static TChaveCodigo de(const QString &codigo);
    bool operator==(const TChaveCodigo &) const = default;
    friend size_t qHash(const TChaveCodigo &k, size_t seed = 0) { return qHashMulti(seed, k.alto, k.baixo); }
};

// Codes with the line each was first seen on.
class TCodigosCatalogo {
public:
    int linha(TChaveCodigo k) const { return m_linhas.value(k); }  // 0 when absent
    bool contem(TChaveCodigo k) const { return m_linhas.contains(k); }
    void insere(TChaveCodigo k, int linha);  // a code already there keeps its line
    int linha(const QString &codigo) const { return linha(TChaveCodigo::de(codigo)); }
    bool contem(const QString &codigo) const { return contem(TChaveCodigo::de(codigo)); }
    void insere(const QString &codigo, int linha) { insere(TChaveCodigo::de(codigo), linha); }
    qsizetype tamanho() const { return m_linhas.size(); }

private:
    QHash<TChaveCodigo, int> m_linhas;
};

// The products that hold each code (one, unless the store has duplicates).
class TDonosCodigo {
public:
    void insere(TChaveCodigo codigo, TChaveCodigo produto);
    QVarLengthArray<TChaveCodigo, 2> donos(TChaveCodigo codigo) const;

private:
    QHash<TChaveCodigo, TChaveCodigo> m_primeiro;
    QMultiHash<TChaveCodigo, TChaveCodigo> m_outros;
};
