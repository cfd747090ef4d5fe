#include "CatalogCodes.h"

#include "FieldRules.h"

#include <QCryptographicHash>
#include <algorithm>
#include <cstring>

TChaveCodigo TChaveCodigo::de(const QString &codigo)
{
    // Digits: below 10^36 < 2^120, with the length in the top 6 bits.
    unsigned __int128 v = 0;
    const bool digitos = codigo.size() <= 36 && soAlgarismos(codigo);
    for (qsizetype i = 0; digitos && i < codigo.size(); ++i)
        v = v * 10 + (codigo.at(i).unicode() - u'0');
    TChaveCodigo k;
    if (digitos) {
        v |= static_cast<unsigned __int128>(codigo.size()) << 122;
        k.alto = quint64(v >> 64);
        k.baixo = quint64(v);
        return k;
    }
    const QByteArray h = QCryptographicHash::hash(QByteArrayView(reinterpret_cast<const char *>(codigo.utf16()),
                                                                 codigo.size() * 2),
                                                  QCryptographicHash::Sha256);
    std::memcpy(&k.alto, h.constData(), 8);
    std::memcpy(&k.baixo, h.constData() + 8, 8);
    k.alto |= quint64(0x3F) << 58;  // a length no digits have
    return k;
}

void TCodigosCatalogo::insere(TChaveCodigo k, int linha)
{
    if (!m_linhas.contains(k))
        m_linhas.insert(k, std::max(linha, 1));
}

void TDonosCodigo::insere(TChaveCodigo codigo, TChaveCodigo produto)
{
    if (!m_primeiro.contains(codigo))
        m_primeiro.insert(codigo, produto);
    else
        m_outros.insert(codigo, produto);
}

QVarLengthArray<TChaveCodigo, 2> TDonosCodigo::donos(TChaveCodigo codigo) const
{
    QVarLengthArray<TChaveCodigo, 2> d;
    const auto it = m_primeiro.constFind(codigo);
    if (it == m_primeiro.constEnd())
        return d;
    d.append(it.value());
    for (auto o = m_outros.constFind(codigo); o != m_outros.constEnd() && o.key() == codigo; ++o)
        d.append(o.value());
    return d;
}
