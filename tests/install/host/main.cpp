// hostexemplo CONNECTION: opens the store database through the installed
// module, lists its units with getUnidade (reading the packet's rows
// through its JSON text), saves a new product built from JSON with
// setProduto, and finds it again with getVd_Produto. Qt Core and the
// installed headers alone.
#include <qul00002/qul00002.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace {

// The rows of a returned packet, through its JSON form.
QJsonArray linhas(const QVariant &pacote)
{
    QVariant json;
    if (QulPacoteParaJson(&pacote, &json) != 0)
        return {};
    return QJsonDocument::fromJson(json.toString().toUtf8()).object().value(QStringLiteral("rows")).toArray();
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString conexao = app.arguments().value(1);
    QVariant erro, unidades;
    if (QulCriaModuloDados(QStringView(conexao).utf16(), &erro) != 0) {
        std::fprintf(stderr, "%s\n", qPrintable(erro.toString()));
        return 1;
    }
    const int32_t status = getUnidade(&unidades);
    std::printf("%s %s: getUnidade %d %s\n", GetPackageInfoTable()->module, GetPackageInfoTable()->version,
                int(status), unidades.typeName());
    const QJsonArray u = linhas(unidades);
    std::printf("unidades: %d, a primeira %s\n", int(u.size()),
                qPrintable(u.first().toArray().at(0).toString() + QLatin1Char(' ') + u.first().toArray().at(1).toString()));

    // A new product (the code is the generator's), in the fields of the
    // product packet as getProduto hands them out, built from JSON text.
    QVariant lista, listaJson;
    getProduto(u"T", &lista);
    QulPacoteParaJson(&lista, &listaJson);
    const QJsonArray campos = QJsonDocument::fromJson(listaJson.toString().toUtf8()).object().value("fields").toArray();
    const QJsonObject valores{{"CDPRODINTE", "98765"}, {"NMPRODUTO", "Produto do integrador"}, {"SGUNIDADE", "UN"},
                              {"VRPRECITEM", 4.5}, {"CDIMPOSTO", "03"}, {"SGIMPOSTO", "T18"}, {"IDTPIMPOSFIS", "T"},
                              {"VRPEALIMPFIS", 18}, {"IDPESAPROD", "N"}, {"QTTARAPROD", 0}, {"CDBARPRODUTO", ""},
                              {"CDPORIMPPROD", "0"}};
    QJsonArray linha;
    for (const QJsonValue &c : campos) {
        const QJsonValue v = valores.value(c.toObject().value("name").toString());
        linha.append(v.isUndefined() ? QJsonValue() : v);  // the code and the rest: null
    }
    const QJsonObject produto{{"fields", campos}, {"rows", QJsonArray{linha}}};
    const QString json = QString::fromUtf8(QJsonDocument(produto).toJson(QJsonDocument::Compact));
    QVariant pacote, resposta, achados;
    int32_t gravou = QulJsonParaPacote(QStringView(json).utf16(), &pacote);
    if (gravou == 0)
        gravou = setProduto(&pacote, u"I", &resposta);
    std::printf("setProduto I %d %s\n", int(gravou), resposta.isValid() ? qPrintable(resposta.toString()) : "gravado");
    if (resposta.isValid())
        gravou = -1;
    getVd_Produto(u"T", u"-", u"98765", &achados);
    std::printf("getVd_Produto 98765: %d linha(s)\n", int(linhas(achados).size()));

    unidades = pacote = resposta = achados = QVariant();
    QulLiberaModuloDados();
    return status == 0 && gravou == 0 ? 0 : 1;
}
