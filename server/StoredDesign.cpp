#include "StoredDesign.h"

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

struct TDesenho {
    QJsonArray componentes;  // as declared, in order
    QHash<QString, QJsonObject> componentePorNome;
    QHash<QString, QJsonObject> fragmentos;
    QHash<QString, QJsonObject> sentencas;
    QStringList ordem;  // of the statements
};

TDesenho leDesenho()
{
    initServerResources();
    QFile f(rdmCadProdDesignPath());
    if (!f.open(QIODevice::ReadOnly))
        throw EDatabaseError(QStringLiteral("Desenho do módulo de dados não encontrado."));
    QJsonParseError erro;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &erro);
    if (!doc.isObject())
        throw EDatabaseError(QStringLiteral("Desenho do módulo de dados inválido: %1").arg(erro.errorString()));
    TDesenho d;
    const QJsonObject raiz = doc.object();
    d.componentes = raiz.value(QStringLiteral("components")).toArray();
    for (const QJsonValue &v : d.componentes) {
        const QJsonObject o = v.toObject();
        d.componentePorNome.insert(o.value(QStringLiteral("name")).toString(), o);
    }
    const QJsonObject fragmentos = raiz.value(QStringLiteral("fragments")).toObject();
    for (auto it = fragmentos.begin(); it != fragmentos.end(); ++it)
        d.fragmentos.insert(it.key(), it.value().toObject());
    for (const QJsonValue &v : raiz.value(QStringLiteral("statements")).toArray()) {
        const QJsonObject o = v.toObject();
        const QString nome = o.value(QStringLiteral("name")).toString();
        if (nome.isEmpty() || d.sentencas.contains(nome))
            throw EDatabaseError(QStringLiteral("Sentença sem nome ou repetida no desenho do módulo: '%1'.").arg(nome));
        d.sentencas.insert(nome, o);
        d.ordem.append(nome);
    }
    return d;
}

const TDesenho &desenho()
{
    static const TDesenho d = leDesenho();
    return d;
}

const QString kArmazenado = QStringLiteral("sql");

QString chaveDo(const TDialectKey &d)
{
    return kArmazenado + QLatin1Char('_') + QLatin1String(d.key);
}

// ------------------------------------------------------------ texts

// `texto` with "{n}" standing for copy `k`.
QString daCopia(const QString &texto, int k)
{
    return texto.split(QStringLiteral("{n}")).join(QString::number(k));
}

const QJsonObject &fragmento(const QString &nome, const QString &dono)
{
    const auto it = desenho().fragmentos.constFind(nome);
    if (it == desenho().fragmentos.constEnd())
        throw EDatabaseError(QStringLiteral("%1: fragmento '%2' ausente do desenho do módulo.").arg(dono, nome));
    return *it;
}

// The entries of fragment `o` for dialect key `chave`, else its stored ones.
QJsonArray entradas(const QJsonObject &o, const QString &chave)
{
    return (o.contains(chave) ? o.value(chave) : o.value(kArmazenado)).toArray();
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

// Whether a fragment the entries take has a text of its own for dialect
// key `chave`.
bool temDialeto(const QJsonArray &lista, const QString &chave, const QString &dono)
{
    for (const QJsonValue &v : lista) {
        const QString nome = v.toObject().value(QStringLiteral("fragment")).toString();
        if (!nome.isEmpty() && fragmento(nome, dono).contains(chave))
            return true;
    }
    return false;
}

// ------------------------------------------------------------ parameters and fields

void declaraParametros(TADOStatement &st, const QJsonArray &params, int k, const QString &dono)
{
    for (const QJsonValue &v : params) {
        const QJsonObject p = v.toObject();
        const QString nome = daCopia(p.value(QStringLiteral("name")).toString(), k);
        // A name declared again may carry no type: the first declaration counts.
        if (st.Parameters.FindParam(nome))
            continue;
        st.Parameters.Add(nome, designFieldType(p, dono), p.value(QStringLiteral("size")).toInt());
    }
}

// Texts, parameters and time limit of `st` from its declaration.
void monta(TADOStatement &st, const QString &nome, const QJsonObject &o, int copias)
{
    if (copias < 1)
        throw EDatabaseError(QStringLiteral("%1: %2 cópias do grupo repetido.").arg(nome).arg(copias));
    const QJsonArray lista = o.value(kArmazenado).toArray();
    monta(lista, kArmazenado, copias, nome, st.sqlLines());
    for (const TDialectKey &d : kDialects) {
        const QString chave = chaveDo(d);
        if (!temDialeto(lista, chave, nome))
            continue;
        QStringList linhas;
        monta(lista, chave, copias, nome, linhas);
        st.DialectSQL.insert(d.dialect, linhas);
    }
    declaraParametros(st, o.value(QStringLiteral("params")).toArray(), 0, nome);
    for (const QJsonValue &v : lista) {
        const QJsonObject g = v.toObject();
        if (g.contains(QStringLiteral("repeat")))
            for (int k = 0; k < copias; ++k)
                declaraParametros(st, g.value(QStringLiteral("params")).toArray(), k, nome);
    }
    st.CommandTimeout = o.value(QStringLiteral("CommandTimeout")).toInt(30);
}

void declaraCampos(TDataSet &ds, const QString &nome, const QJsonObject &o)
{
    QJsonArray campos = o.value(QStringLiteral("fields")).toArray();
    if (o.contains(QStringLiteral("fieldsOf"))) {
        const QString de = o.value(QStringLiteral("fieldsOf")).toString();
        const QJsonObject c = desenho().componentePorNome.value(de);
        if (!c.contains(QStringLiteral("fields")))
            throw EDatabaseError(QStringLiteral("%1: componente '%2' sem campos no desenho do módulo.").arg(nome, de));
        campos = c.value(QStringLiteral("fields")).toArray();
    }
    for (const QJsonValue &v : campos) {
        const QJsonObject f = v.toObject();
        ds.AddField(f.value(QStringLiteral("name")).toString(), designFieldType(f, nome), f.value(QStringLiteral("size")).toInt());
    }
}

// ------------------------------------------------------------ components

QObject *fazComponente(const QJsonObject &c, QObject *owner)
{
    const QString nome = c.value(QStringLiteral("name")).toString();
    const QString tipo = c.value(QStringLiteral("kind")).toString();
    QObject *obj = nullptr;
    if (tipo == QLatin1String("TADOConnection")) {
        auto *con = new TADOConnection(owner);
        con->ConnectionString = QStringLiteral("Provider=") + c.value(QStringLiteral("Provider")).toString();
        con->LoginPrompt = c.value(QStringLiteral("LoginPrompt")).toBool();
        obj = con;
    } else if (tipo == QLatin1String("TADOQuery")) {
        auto *q = new TADOQuery(owner);
        monta(*q, nome, c, 1);
        declaraCampos(*q, nome, c);
        obj = q;
    } else if (tipo == QLatin1String("TADOCommand")) {
        auto *cmd = new TADOCommand(owner);
        monta(*cmd, nome, c, 1);
        obj = cmd;
    } else if (tipo == QLatin1String("TClientDataSet")) {
        auto *cds = new TClientDataSet(owner);
        declaraCampos(*cds, nome, c);
        obj = cds;
    } else if (tipo == QLatin1String("TDataSetProvider")) {
        obj = new TDataSetProvider(owner);
    } else if (tipo == QLatin1String("TADOSqlStorage")) {
        auto *ass = new TADOSqlStorage(owner);
        for (const TDialectKey &d : kDialects) {
            QStringList linhas;
            monta(c.value(kArmazenado).toArray(), chaveDo(d), 1, nome, linhas);
            ass->setTextFor(d.dialect, linhas);
        }
        obj = ass;
    } else {
        throw EDatabaseError(QStringLiteral("Componente %1 de tipo desconhecido: %2").arg(nome, tipo));
    }
    obj->setObjectName(nome);
    return obj;
}

const QJsonObject &declaracao(const QString &nome, const char *tipoEsperado)
{
    const auto it = desenho().sentencas.constFind(nome);
    if (it == desenho().sentencas.constEnd())
        throw EDatabaseError(QStringLiteral("Sentença '%1' ausente do desenho do módulo.").arg(nome));
    if (it->value(QStringLiteral("kind")).toString() != QLatin1String(tipoEsperado))
        throw EDatabaseError(QStringLiteral("Sentença '%1' não é %2.").arg(nome, QLatin1String(tipoEsperado)));
    return *it;
}

}  // namespace

TFieldType designFieldType(const QJsonObject &o, const QString &owner)
{
    TFieldType t;
    if (!fieldTypeFromName(o.value(QStringLiteral("type")).toString(), &t))
        throw EDatabaseError(QStringLiteral("%1: tipo inválido no desenho do módulo.").arg(owner));
    return t;
}

QList<QObject *> makeDesignComponents(QObject *owner)
{
    QList<QObject *> out;
    try {
        for (const QJsonValue &v : desenho().componentes)
            out.append(fazComponente(v.toObject(), owner));
    } catch (...) {
        qDeleteAll(out);
        throw;
    }
    return out;
}

QString designLink(const QString &name)
{
    const QJsonObject c = desenho().componentePorNome.value(name);
    return c.value(c.contains(QStringLiteral("DataSet")) ? QStringLiteral("DataSet") : QStringLiteral("ADOQuery")).toString();
}

std::unique_ptr<TADOQuery> catalogueQuery(const QString &name, int copies)
{
    const QJsonObject &o = declaracao(name, "TADOQuery");
    auto q = std::make_unique<TADOQuery>();
    q->setObjectName(name);
    monta(*q, name, o, copies);
    declaraCampos(*q, name, o);
    return q;
}

std::unique_ptr<TADOCommand> catalogueCommand(const QString &name, int copies)
{
    const QJsonObject &o = declaracao(name, "TADOCommand");
    auto c = std::make_unique<TADOCommand>();
    c->setObjectName(name);
    monta(*c, name, o, copies);
    return c;
}

QString catalogueRowsOf(const QString &model)
{
    for (const QString &nome : desenho().ordem)
        if (desenho().sentencas.value(nome).value(QStringLiteral("rowsOf")).toString() == model)
            return nome;
    return QString();
}

QList<std::shared_ptr<TADOStatement>> catalogueStatements(int copies)
{
    QList<std::shared_ptr<TADOStatement>> out;
    for (const QString &nome : desenho().ordem) {
        if (desenho().sentencas.value(nome).value(QStringLiteral("kind")).toString() == QLatin1String("TADOQuery"))
            out.append(std::shared_ptr<TADOStatement>(catalogueQuery(nome, copies)));
        else
            out.append(std::shared_ptr<TADOStatement>(catalogueCommand(nome, copies)));
    }
    return out;
}
