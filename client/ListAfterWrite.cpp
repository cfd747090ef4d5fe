// The list after this terminal's own save or delete: when no other
// connection changed the store since the list was read (or last brought up
// to date here), only the product written is read again and put in its
// place, or taken out; otherwise the whole list is read again.
//
// The freshness check and the new mark are one reading ("VM"), taken after
// this terminal's write has committed: this connection's own commits do not
// count as another's, so "no change" means the list plus this write is the
// store at that moment. A change another connection commits after that
// reading, before the product is read back, may already show in the row
// (or in its place) read back; it is after the mark, so the next check
// (the operator back on the list, Editar, Excluir) reads the whole list.
// Where the check cannot tell own writes from others' (a fingerprint of the
// tables), it answers "changed" and the whole list is read, as before.

#include "Cli_qul00002.h"

#include "QulShared.h"
#include "Srv_qul00002.h"

namespace {

// Puts the values of `linha` in the dataset's row being inserted or edited.
void poeLinha(TClientDataSet *ds, const QVector<QVariant> &linha)
{
    for (int i = 0; i < ds->FieldCount(); ++i)
        ds->Fields(i)->SetValue(linha.at(i));
}

QVector<QVariant> linhaAtual(TClientDataSet *ds)
{
    QVector<QVariant> linha(ds->FieldCount());
    for (int i = 0; i < ds->FieldCount(); ++i)
        linha[i] = ds->Fields(i)->Value();
    return linha;
}

}  // namespace

void TfrmCadProd::atualizaListaAposEscrita(const QString &codigo, const QString &reduzido)
{
    // A failure of the freshness check raises as the list's own mark does.
    if (!m_vigiando || frescor(u"VM").toBool() || !poeProdutoNaLista(codigo, reduzido))
        carregaProdutos();
    cdsProduto->First();
}

bool TfrmCadProd::poeProdutoNaLista(const QString &codigo, const QString &reduzido)
{
    if (!cdsProduto->Active() || (codigo.isEmpty() && reduzido.isEmpty()))
        return false;
    const std::optional<QVariant> resposta = chamaServico(
        QStringLiteral("getProdutoNaLista"),
        [&](QVariant *r) { return getProdutoNaLista(QStringView(codigo).utf16(), QStringView(reduzido).utf16(), r); },
        TFalhaServico::Calada);
    if (!resposta)
        return false;  // the whole list is read again, and reports the failure as it does
    const QVariant &resultado = *resposta;
    const QVariantList partes = resultado.toList();
    if (resultado.metaType().id() != QMetaType::QVariantList || partes.size() != 2 || !isDataPacket(partes.at(0)))
        return false;
    const TDataPacket lido = toDataPacket(partes.at(0));
    bool numero = false;
    const qint64 antes = partes.at(1).toLongLong(&numero);
    if (lido.rows.size() > 1 || lido.fields != cdsProduto->fieldDefs())
        return false;
    // A product gone (-1) is taken out; one found by its reduced code must
    // be there; any other answer leaves it to the whole list.
    if (!numero || (lido.rows.isEmpty() ? antes != -1 || codigo.isEmpty() : antes < 0))
        return false;
    const int campoCodigo = cdsProduto->FieldByName(QStringLiteral("CDPRODUTO"))->Index();
    if (!lido.rows.isEmpty() && lido.rows.constFirst().size() != cdsProduto->FieldCount())
        return false;
    const QString chave = lido.rows.isEmpty() ? codigo : lido.rows.constFirst().at(campoCodigo).toString();

    // The product's row as the list holds it now: the product code is the
    // list's key, compared exactly.
    const bool listado = cdsProduto->Locate(QStringLiteral("CDPRODUTO"), chave, false)
                         && cdsProduto->Fields(campoCodigo)->AsString() == chave;
    if (antes > cdsProduto->RecordCount() - (listado ? 1 : 0))
        return false;

    if (listado)
        cdsProduto->Delete();
    if (lido.rows.isEmpty())
        return true;
    const QVector<QVariant> &linha = lido.rows.constFirst();
    if (antes == 0 && !cdsProduto->IsEmpty()) {
        // Insert places the new row after the current one: before the
        // first, the first row moves to second place and takes the
        // product's place.
        cdsProduto->First();
        const QVector<QVariant> primeira = linhaAtual(cdsProduto);
        cdsProduto->Insert();
        poeLinha(cdsProduto, primeira);
        cdsProduto->Post();
        cdsProduto->First();
        cdsProduto->Edit();
    } else if (antes == 0) {
        cdsProduto->Append();
    } else {
        cdsProduto->SetRecNo(int(antes));  // the product just before it
        cdsProduto->Insert();
    }
    poeLinha(cdsProduto, linha);
    cdsProduto->Post();
    return true;
}
