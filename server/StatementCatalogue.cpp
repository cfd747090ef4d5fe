#include "StatementCatalogue.h"

#include "DataPacket.h"
#include "TrdmCadProd.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// Outside any namespace: the resource's initialiser is a global function.
static void initServerResources()
{
    Q_INIT_RESOURCE(server);
}

namespace {

const struct {
    const char *key;
    TDialect dialect;
} kDialectKeys[] = {{"sql_oracle", TDialect::Oracle},
                    {"sql_mssql", TDialect::SQLServer},
                    {"sql_sqlite", TDialect::SQLite},
                    {"sql_postgresql", TDialect::PostgreSQL}};

struct TCatalogo {
    QHash<QString, QJsonObject> fragmentos;
    QHash<QString, QJsonObject> sentencas;
    QStringList ordem;
    QHash<QString, QJsonArray> camposDe;  // fields of each component of the stored design
};

TCatalogo leCatalogo()
{
    initServerResources();
    QFile f(rdmCadProdDesignPath());
    if (!f.open(QIODevice::ReadOnly))
        throw EDatabaseError(QStringLiteral("Desenho do módulo de dados não encontrado."));
    QJsonParseError erro;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &erro);
    if (!doc.isObject())
        throw EDatabaseError(QStringLiteral("Desenho do módulo de dados inválido: %1").arg(erro.errorString()));
    TCatalogo cat;
    const QJsonObject raiz = doc.object();
    for (const QJsonValue &v : raiz.value(QStringLiteral("components")).toArray()) {
        const QJsonObject o = v.toObject();
        if (o.contains(QStringLiteral("fields")))
            cat.camposDe.insert(o.value(QStringLiteral("name")).toString(), o.value(QStringLiteral("fields")).toArray());
    }
    const QJsonObject fragmentos = raiz.value(QStringLiteral("fragments")).toObject();
    for (auto it = fragmentos.begin(); it != fragmentos.end(); ++it)
        cat.fragmentos.insert(it.key(), it.value().toObject());
    for (const QJsonValue &v : raiz.value(QStringLiteral("statements")).toArray()) {
        const QJsonObject o = v.toObject();
        const QString nome = o.value(QStringLiteral("name")).toString();
        if (nome.isEmpty() || cat.sentencas.contains(nome))
            throw EDatabaseError(QStringLiteral("Sentença sem nome ou repetida no desenho do módulo: '%1'.").arg(nome));
        cat.sentencas.insert(nome, o);
        cat.ordem.append(nome);
    }
    return cat;
}

const TCatalogo &catalogo()
{
    static const TCatalogo cat = leCatalogo();
    return cat;
}

// `texto` with "{n}" standing for copy `k`.
QString daCopia(const QString &texto, int k)
{
    return texto.split(QStringLiteral("{n}")).join(QString::number(k));
}

const QJsonObject &fragmento(const QString &nome, const QString &dono)
{
    const auto it = catalogo().fragmentos.constFind(nome);
    if (it == catalogo().fragmentos.constEnd())
        throw EDatabaseError(QStringLiteral("%1: fragmento '%2' ausente do desenho do módulo.").arg(dono, nome));
    return *it;
}

// The entries of `o` for dialect key `chave`, else its stored ones.
QJsonArray entradas(const QJsonObject &o, const QString &chave)
{
    return (o.contains(chave) ? o.value(chave) : o.value(QStringLiteral("sql"))).toArray();
}

void monta(const QJsonArray &lista, const QString &chave, int copias, const QString &dono, QStringList &out)
{
    for (const QJsonValue &v : lista) {
        if (v.isString()) {
            out.append(v.toString());
            continue;
        }
        const QJsonObject o = v.toObject();
        if (o.contains(QStringLiteral("fragment"))) {
            monta(entradas(fragmento(o.value(QStringLiteral("fragment")).toString(), dono), chave), chave, copias, dono, out);
        } else if (o.contains(QStringLiteral("repeat"))) {
            const QJsonArray grupo = o.value(QStringLiteral("repeat")).toArray();
            const QString separador = o.value(QStringLiteral("separator")).toString();
            for (int k = 0; k < copias; ++k) {
                for (const QJsonValue &l : grupo)
                    out.append(daCopia(l.toString(), k));
                if (k + 1 < copias && !grupo.isEmpty())
                    out.last() += separador;
            }
        } else {
            throw EDatabaseError(QStringLiteral("%1: entrada de texto inválida no desenho do módulo.").arg(dono));
        }
    }
}

// Whether the entries (or a fragment they take) have a text of their own
// for dialect key `chave`.
bool temDialeto(const QJsonArray &lista, const QString &chave, const QString &dono)
{
    for (const QJsonValue &v : lista) {
        const QString nome = v.toObject().value(QStringLiteral("fragment")).toString();
        if (!nome.isEmpty() && fragmento(nome, dono).contains(chave))
            return true;
    }
    return false;
}

void declaraParametros(TADOStatement &st, const QJsonArray &params, int k, const QString &dono)
{
    for (const QJsonValue &v : params) {
        const QJsonObject p = v.toObject();
        st.Parameters.Add(daCopia(p.value(QStringLiteral("name")).toString(), k), designFieldType(p, dono),
                          p.value(QStringLiteral("size")).toInt());
    }
}

const QJsonObject &declaracao(const QString &nome)
{
    const auto it = catalogo().sentencas.constFind(nome);
    if (it == catalogo().sentencas.constEnd())
        throw EDatabaseError(QStringLiteral("Sentença '%1' ausente do desenho do módulo.").arg(nome));
    return *it;
}

// Texts, parameters and time limit of `st` from its declaration.
void monta(TADOStatement &st, const QString &nome, const QJsonObject &o, int copias)
{
    if (copias < 1)
        throw EDatabaseError(QStringLiteral("%1: %2 cópias do grupo repetido.").arg(nome).arg(copias));
    const QString armazenado = QStringLiteral("sql");
    const bool temArmazenado = o.contains(armazenado);
    if (temArmazenado)
        monta(o.value(armazenado).toArray(), armazenado, copias, nome, st.sqlLines());
    for (const auto &d : kDialectKeys) {
        const QString chave = QLatin1String(d.key);
        if (!o.contains(chave) && !(temArmazenado && temDialeto(o.value(armazenado).toArray(), chave, nome)))
            continue;
        QStringList linhas;
        monta(entradas(o, chave), chave, copias, nome, linhas);
        st.DialectSQL.insert(d.dialect, linhas);
    }
    declaraParametros(st, o.value(QStringLiteral("params")).toArray(), 0, nome);
    // The group's parameters, from the first text that has one.
    QJsonArray lista = o.value(armazenado).toArray();
    for (const auto &d : kDialectKeys)
        if (lista.isEmpty())
            lista = o.value(QLatin1String(d.key)).toArray();
    for (const QJsonValue &v : lista) {
        const QJsonObject g = v.toObject();
        if (g.contains(QStringLiteral("repeat")))
            for (int k = 0; k < copias; ++k)
                declaraParametros(st, g.value(QStringLiteral("params")).toArray(), k, nome);
    }
    st.CommandTimeout = o.value(QStringLiteral("CommandTimeout")).toInt(30);
}

void declaraCampos(TADOQuery &q, const QString &nome, const QJsonObject &o)
{
    QJsonArray campos = o.value(QStringLiteral("fields")).toArray();
    if (o.contains(QStringLiteral("fieldsOf"))) {
        const QString de = o.value(QStringLiteral("fieldsOf")).toString();
        if (!catalogo().camposDe.contains(de))
            throw EDatabaseError(QStringLiteral("%1: componente '%2' sem campos no desenho do módulo.").arg(nome, de));
        campos = catalogo().camposDe.value(de);
    }
    for (const QJsonValue &v : campos) {
        const QJsonObject f = v.toObject();
        q.AddField(f.value(QStringLiteral("name")).toString(), designFieldType(f, nome), f.value(QStringLiteral("size")).toInt());
    }
}

const QJsonObject &doTipo(const QString &nome, const char *tipoEsperado)
{
    const QJsonObject &o = declaracao(nome);
    if (o.value(QStringLiteral("kind")).toString() != QLatin1String(tipoEsperado))
        throw EDatabaseError(QStringLiteral("Sentença '%1' não é %2.").arg(nome, QLatin1String(tipoEsperado)));
    return o;
}

}  // namespace

TFieldType designFieldType(const QJsonObject &o, const QString &owner)
{
    TFieldType t;
    if (!fieldTypeFromName(o.value(QStringLiteral("type")).toString(), &t))
        throw EDatabaseError(QStringLiteral("%1: tipo inválido no desenho do módulo.").arg(owner));
    return t;
}

std::unique_ptr<TADOQuery> catalogueQuery(const QString &name, int copies)
{
    const QJsonObject &o = doTipo(name, "TADOQuery");
    auto q = std::make_unique<TADOQuery>();
    q->setObjectName(name);
    monta(*q, name, o, copies);
    declaraCampos(*q, name, o);
    return q;
}

std::unique_ptr<TADOCommand> catalogueCommand(const QString &name, int copies)
{
    const QJsonObject &o = doTipo(name, "TADOCommand");
    auto c = std::make_unique<TADOCommand>();
    c->setObjectName(name);
    monta(*c, name, o, copies);
    return c;
}

QString catalogueRowsOf(const QString &model)
{
    for (const QString &nome : catalogo().ordem)
        if (catalogo().sentencas.value(nome).value(QStringLiteral("rowsOf")).toString() == model)
            return nome;
    return QString();
}

QList<std::shared_ptr<TADOStatement>> catalogueStatements(int copies)
{
    QList<std::shared_ptr<TADOStatement>> out;
    for (const QString &nome : catalogo().ordem) {
        if (catalogo().sentencas.value(nome).value(QStringLiteral("kind")).toString() == QLatin1String("TADOQuery"))
            out.append(std::shared_ptr<TADOStatement>(catalogueQuery(nome, copies)));
        else
            out.append(std::shared_ptr<TADOStatement>(catalogueCommand(nome, copies)));
    }
    return out;
}

// ---------------------------------------------------------------- the data module's own

TSentencasProprias::TSentencasProprias(QObject *owner)
    : QObject(owner),
      adqProdutoAtual(catalogueQuery(QStringLiteral("adqProdutoAtual"))),
      adqCodigosReduzidos(catalogueQuery(QStringLiteral("adqCodigosReduzidos"))),
      adqPosicaoNaLista(catalogueQuery(QStringLiteral("adqPosicaoNaLista"))),
      adqProdutosDoReduzido(catalogueQuery(QStringLiteral("adqProdutosDoReduzido"))),
      acmAvisaProdutos(catalogueCommand(QStringLiteral("acmAvisaProdutos"))),
      adqImpressaoProdutos(catalogueQuery(QStringLiteral("adqImpressaoProdutos")))
{
}

TSentencasProprias::~TSentencasProprias() = default;

TSentencasProprias &sentencasProprias(TrdmCadProd &dm)
{
    if (!dm.proprias)
        dm.proprias = new TSentencasProprias(&dm);
    TSentencasProprias &s = *dm.proprias;
    s.adqProdutoAtual->Connection = dm.adcCadProd;
    s.adqCodigosReduzidos->Connection = dm.adcCadProd;
    s.adqPosicaoNaLista->Connection = dm.adcCadProd;
    s.adqProdutosDoReduzido->Connection = dm.adcCadProd;
    s.acmAvisaProdutos->Connection = dm.adcCadProd;
    s.adqImpressaoProdutos->Connection = dm.adcCadProd;
    return s;
}
