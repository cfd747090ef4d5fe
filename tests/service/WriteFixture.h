#pragma once
// What the write services' tests share: the packet the screen sends, a new
// product's values, a save through the exported service, and a failure
// planted in the database.

#include "ModuleFixture.h"
#include "PacketRows.h"

// The one-row packet the screen sends, fields in the screen's order.
inline TDataPacket pacote(const QVariantMap &v)
{
    return productPacket({v}, {"CDARVPROD", "CDPRODINTE", "NMPRODUTO", "SGUNIDADE", "VRPREUNIT", "VRPRECITEM",
                               "CDIMPOSTO", "CDPORIMPPROD", "VRPEALIMPFIS", "QTTARAPROD", "CDBARPRODUTO", "IDPESAPROD",
                               "SGIMPOSTO", "CDPRODUTO", "IDTPIMPOSFIS"});
}

inline QVariantMap novo()
{
    return {{"CDARVPROD", "X"},        {"CDPRODINTE", "321"},    {"NMPRODUTO", "Café Torrado 500g"},
            {"SGUNIDADE", "UN"},       {"VRPRECITEM", 12.34},    {"CDIMPOSTO", "00"},
            {"CDPORIMPPROD", "0"},     {"VRPEALIMPFIS", 17.5},   {"QTTARAPROD", 0.015},
            {"CDBARPRODUTO", "7891000001011"}, {"IDPESAPROD", "S"}, {"SGIMPOSTO", "TRIB"},
            {"CDPRODUTO", "IGNORADO"}, {"IDTPIMPOSFIS", "T"}};
}

inline int32_t salva(const TDataPacket &p, const QString &op, QVariant *out)
{
    const QVariant v = fromDataPacket(p);
    return setProduto(&v, w(op).c_str(), out);
}

inline QDateTime lido(const QVariant &v)
{
    return v.metaType().id() == QMetaType::QDateTime ? v.toDateTime() : dateTimeFromText(v.toString());
}

// Makes the next statement of `table` / `when` fail inside the database.
inline void falhaEm(const TestDb::Fresh &db, const QString &table, const QString &when)
{
    if (db.engine() == TestDb::Engine::SQLite) {
        db.exec(QStringLiteral("CREATE TRIGGER qul_test_falha BEFORE %1 ON %2 BEGIN SELECT RAISE(ABORT, 'falha forçada'); END")
                    .arg(when, table));
    } else {
        db.exec(QStringLiteral("CREATE OR REPLACE FUNCTION qul_test_falha() RETURNS trigger LANGUAGE plpgsql AS "
                               "$$ BEGIN RAISE EXCEPTION 'falha forçada'; END $$"));
        db.exec(QStringLiteral("CREATE TRIGGER qul_test_falha BEFORE %1 ON %2 FOR EACH ROW EXECUTE FUNCTION qul_test_falha()")
                    .arg(when, table));
    }
}

