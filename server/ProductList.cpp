#include "ProductList.h"

#include "ColumnStore.h"

#include "ProductPacket.h"
#include "StatementCatalogue.h"
#include "TrdmCadProd.h"

namespace {

// After the list failed: the first product whose reduced code is no
// number (what ordering the list by its value refuses), named with its
// code and the value; empty when every one is a number.
QString codigoReduzidoInvalido(TrdmCadProd &dm)
{
    TADOQuery *q = sentencasProprias(dm).adqCodigosReduzidos.get();
    QString achado;
    q->Stream([&](QVector<QVariant> &&row) {
        if (!achado.isEmpty() || row[1].isNull())
            return;
        bool numero = false;
        const QString v = row[1].toString();
        QLocale::c().toDouble(v.trimmed(), &numero);
        if (!numero)
            achado = QStringLiteral("O produto de código '%1' tem o código reduzido '%2', que não é um número: "
                                    "corrija-o para que a lista de produtos abra.")
                         .arg(row[0].toString(), v.left(40));
    });
    return achado;
}

bool textoIgual(const QVariant &a, const QVariant &b)
{
    return a.metaType().id() == QMetaType::QString && b.metaType().id() == QMetaType::QString
           && *static_cast<const QString *>(a.constData()) == *static_cast<const QString *>(b.constData());
}

// The statement's rows merged, each product's row handed to `produto` (or,
// `porColuna`, into `colunas`) as it comes: only the row before is held.
void percorreProdutos(TrdmCadProd &dm, TADOQuery *q, const QString &code, TColumnStore *colunas,
                      const std::function<void(const QVector<QVariant> &row)> &produto)
{
    const QList<TFieldDef> &campos = productPacketFields();
    // The statement's declared fields are the packet's, in its order, so a
    // result row becomes a packet row as it stands.
    if (q->fieldDefs() != campos)
        throw EDatabaseError(QStringLiteral("%1: campos diferentes dos do pacote de produto.").arg(q->objectName()));
    const TJuncaoLista juncao(campos);

    q->Parameters.ParamByName(QStringLiteral("P_CDPRODUTO")).Value = code;
    try {
    if (colunas) {
        q->StreamInto(*colunas, [&](TColumnStore &s) { juncao.toma(s); });
    } else {
        QVector<QVariant> anterior;
        q->Stream([&](QVector<QVariant> &&row) {
            if (!juncao.toma(row, anterior.isEmpty() ? nullptr : &anterior))
                return;
            produto(row);
            anterior = std::move(row);
        });
    }
    } catch (const EADOError &e) {
        if (e.Transient())
            throw;  // nothing to find in the rows
        QString causa;
        try {
            causa = codigoReduzidoInvalido(dm);
        } catch (const std::exception &) {
        }
        if (causa.isEmpty())
            throw;
        throw EDatabaseError(causa + QLatin1Char(' ') + e.Message());
    }
}

TDataPacket lerProdutos(TrdmCadProd &dm, TADOQuery *q, const QString &code, bool porColuna = false)
{
    TDataPacket packet;
    packet.fields = productPacketFields();
    if (porColuna) {
        packet.columns = std::make_shared<TColumnStore>();
        packet.columns->reset(packet.fields);
    }
    percorreProdutos(dm, q, code, packet.columns.get(),
                     [&packet](const QVector<QVariant> &row) { packet.rows.append(row); });
    return packet;
}

}  // namespace

TJuncaoLista::TJuncaoLista(const QList<TFieldDef> &campos)
{
    const auto indice = [&campos](const QString &nome) {
        for (qsizetype i = 0; i < campos.size(); ++i)
            if (campos[i].name.compare(nome, Qt::CaseInsensitive) == 0)
                return int(i);
        throw EDatabaseError(QStringLiteral("A lista de produtos não tem o campo %1.").arg(nome));
    };
    m_codigo = indice(QStringLiteral("CDPRODUTO"));
    m_precoUnitario = indice(QStringLiteral("VRPREUNIT"));
    m_vazio.resize(campos.size());
    for (qsizetype i = 0; i < campos.size(); ++i)
        if (i != m_precoUnitario)
            m_vazio[i] = campos[i].type == TFieldType::ftString ? QVariant(QString()) : QVariant(0.0);
}

bool TJuncaoLista::toma(QVector<QVariant> &linha, const QVector<QVariant> *anterior) const
{
    if (anterior && anterior->value(m_codigo) == linha.value(m_codigo))
        return false;  // a further price or rate row of the same product
    for (qsizetype i = 0; i < linha.size() && i < m_vazio.size(); ++i)
        if (i == m_precoUnitario || !linha[i].isValid() || linha[i].isNull())
            linha[i] = m_vazio[i];
    // The unit, tax, port... of the row before: one text for both.
    for (qsizetype i = 0; anterior && i < linha.size() && i < anterior->size(); ++i)
        if (textoIgual(linha[i], anterior->at(i)))
            linha[i] = anterior->at(i);
    return true;
}

bool TJuncaoLista::toma(TColumnStore &s) const
{
    const int ultima = s.rowCount() - 1;
    if (ultima > 0 && !s.isNull(ultima - 1, m_codigo) && s.compare(ultima, ultima - 1, m_codigo) == 0) {
        s.removeRow(ultima);
        return false;
    }
    for (qsizetype i = 0; i < m_vazio.size(); ++i)
        if (i == m_precoUnitario || s.isNull(ultima, int(i)))
            s.setValue(ultima, int(i), m_vazio[i]);
    return true;
}

TDataPacket readProductList(TrdmCadProd &dm, const QString &code)
{
    return lerProdutos(dm, dm.adqProdutoLista, code);
}

void streamProductList(TrdmCadProd &dm, const QString &code, const std::function<void(const QVector<QVariant> &row)> &sink)
{
    percorreProdutos(dm, dm.adqProdutoLista, code, nullptr, sink);
}

qint64 productListPosition(TrdmCadProd &dm, const QString &code)
{
    TADOQuery *q = sentencasProprias(dm).adqPosicaoNaLista.get();
    q->Close();
    q->Parameters.ParamByName(QStringLiteral("P_CDPRODUTO")).Value = code;
    q->Open();
    const QVariant antes = q->FieldByName(QStringLiteral("QTANTES"))->Value();
    const QVariant semNumero = q->FieldByName(QStringLiteral("QTSEMNUMERO"))->Value();
    q->Close();
    // No product of that code: no row joined, both sums null.
    if (!antes.isValid() || !semNumero.isValid())
        return -1;
    if (semNumero.toDouble() != 0)
        return -2;
    return qint64(antes.toDouble());
}

QStringList productsOfReducedCode(TrdmCadProd &dm, const QString &reducedCode)
{
    TADOQuery *q = sentencasProprias(dm).adqProdutosDoReduzido.get();
    q->Close();
    q->Parameters.ParamByName(QStringLiteral("P_CDPRODINTE")).Value = reducedCode;
    QStringList codigos;
    q->Stream([&](QVector<QVariant> &&row) { codigos.append(row[0].toString()); });
    return codigos;
}

TDataPacket readProductListByColumn(TrdmCadProd &dm, const QString &code)
{
    TDataPacket p = lerProdutos(dm, dm.adqProdutoLista, code, true);
    p.columns->squeeze();
    return p;
}

TDataPacket readStoredProduct(TrdmCadProd &dm, const QString &code)
{
    // The list's statement filtered on the product key alone, which the
    // engines answer from its index (the list's "or every product" would
    // read the whole table).
    return lerProdutos(dm, sentencasProprias(dm).adqProdutoAtual.get(), code);
}
