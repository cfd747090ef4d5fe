#pragma once
// The packet's JSON form, {"fields": [...], "rows": [[...], ...]}, read
// from a device one row at a time: the field definitions first, then each
// row alone, checked by the packet's own JSON reader (types, texts,
// integers, dates). "fields" must come before "rows", as the export and
// getProduto write them; other members are skipped.

#include "DataPacket.h"

#include <QIODevice>
#include <QJsonArray>

class TLeitorJson {
public:
    // The longest "fields" list, row or other member value, in bytes.
    static constexpr qsizetype kMaxTrecho = 8 << 20;

    explicit TLeitorJson(QIODevice &dispositivo) : m_dispositivo(dispositivo) {}
    // Reads up to the first row and gives the packet's fields.
    QList<TFieldDef> campos();
    // The next row's values (one per field; null an invalid QVariant);
    // false after the last one, once the rest of the file is read.
    bool proxima(QVariantList &valores);
    // The place in "rows" of the row last read, from 1.
    int linha() const { return m_linha; }

    // Both raise EPacketError when the text is not such a packet.

private:
    bool le(char &c);
    char proximoSinal();                              // the next byte that is not white space
    QByteArray trecho(char primeiro, const QString &onde);  // a whole value that begins with `primeiro`
    bool membro(QString &nome);                       // the next member's name and its ':'
    void fimDoObjeto();                               // the members after "rows", then only white space

    QIODevice &m_dispositivo;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    int m_membros = 0, m_linha = 0;
    bool m_temCampos = false, m_fim = false;
    QJsonArray m_camposJson;
    QList<TFieldDef> m_campos;
};
