// The catalogue on every engine: each kind of refused row (the file's own
// and against the store) refuses the whole file, export then import changes
// nothing, and an import stopped half-way leaves the store as it was.

#include "Cat_qul00002.h"
#include "CatalogImport.h"
#include "CatalogPreview.h"
#include "CatalogStored.h"
#include "ModuleFixture.h"
#include "SheetZip.h"
#include "ProductWrite.h"

#include <QProcess>
#include <QTemporaryDir>
#include <quazip.h>
#include <quazipfile.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

const QByteArray kCabecalho = "CDPRODUTO;CDPRODINTE;NMPRODUTO;SGUNIDADE;VRPRECITEM;CDIMPOSTO;VRPEALIMPFIS;IDPESAPROD;"
                              "QTTARAPROD;CDBARPRODUTO;CDPORIMPPROD\n";
// Line 2 of every bad-row file: a new product that passes.
const QByteArray kBoa = ";20;Arroz tipo 1;UN;10,5;03;;N;;7891111111111;COM1\n";

void preparaLoja(const TestDb::Fresh &db)
{
    insereImpostos(db);
    db.exec(QStringLiteral("INSERT INTO UNIDMEDIDA (SGUNIDADE, DSUNIDADE) VALUES ('UN', 'Unidade')"));
    db.exec(QStringLiteral("INSERT INTO UNIDMEDIDA (SGUNIDADE, DSUNIDADE) VALUES ('KG', 'Quilograma')"));
    insereProduto(db, produto(QStringLiteral("1"), QStringLiteral("1")));  // bar code 7890000000001
}

QString grava(const QTemporaryDir &dir, const QByteArray &conteudo)
{
    const QString caminho = dir.filePath(QStringLiteral("catalogo.csv"));
    QFile f(caminho);
    if (!f.open(QIODevice::WriteOnly) || f.write(conteudo) != conteudo.size())
        qFatal("não foi possível gravar %s", qPrintable(caminho));
    return caminho;
}

// The import's answer: its refusals (or failure text) and its summary.
// `opcoes`: QUL_IMPORTA_* (true: only check). With `copia`, the stored rows
// it changes are kept there first.
QVariantMap importa(const QString &caminho, int opcoes = 0, const char16_t *formato = u"csv",
                    const char16_t *codificacao = nullptr, const QString &relatorio = {}, const QString &copia = {})
{
    QVariant out;
    const std::u16string c = w(caminho), r = w(relatorio), k = w(copia);
    if ((copia.isEmpty() ? QulImportaProdutosOpcoes(c.c_str(), formato, codificacao, r.c_str(), opcoes, nullptr, nullptr, &out)
                         : QulImportaProdutosCopia(c.c_str(), formato, codificacao, r.c_str(), k.c_str(), opcoes, nullptr,
                                                   nullptr, &out))
        != 0)
        return {{QStringLiteral("falha"), QStringLiteral("status de falha")}};
    if (out.metaType().id() == QMetaType::QString)
        return {{QStringLiteral("falha"), out.toString()}};
    return out.toMap();
}

QByteArray le(const QString &caminho)
{
    QFile f(caminho);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// A zip of the entries given (name, then content).
QByteArray zip(const QTemporaryDir &dir, const QList<QByteArray> &entradas)
{
    const QString caminho = dir.filePath(QStringLiteral("feito.zip"));
    QuaZip z(caminho);
    z.open(QuaZip::mdCreate);
    for (qsizetype i = 0; i + 1 < entradas.size(); i += 2) {
        QuaZipFile f(&z);
        f.open(QIODevice::WriteOnly, QuaZipNewInfo(QString::fromLatin1(entradas[i])));
        f.write(entradas[i + 1]);
    }
    z.close();
    return le(caminho);
}

QByteArray exporta(const QTemporaryDir &dir, const char16_t *formato, const char16_t *codificacao = nullptr)
{
    const QString caminho = dir.filePath(QStringLiteral("exportado"));
    const std::u16string c = w(caminho);
    QVariant out;
    if (QulExportaProdutos(c.c_str(), formato, codificacao, &out) != 0 || out.metaType().id() != QMetaType::QVariantMap)
        return "falha: " + out.toString().toUtf8();
    return le(caminho);
}

}  // namespace

class TstCatalog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase_data() { TestDb::addEngines(); }
    void linhaRecusada_data();
    void linhaRecusada();
    void idaEVolta();
    void colunasDoArquivo_data();
    void colunasDoArquivo();
    void exportacao_data();
    void exportacao();
    void planilhaDoCalc_data();
    void planilhaDoCalc();
    void formatoDoArquivo_data();
    void formatoDoArquivo();
    void planilhaComoCsv();
    void interrompidaNadaGrava();
    void outraLoja();
};

void TstCatalog::linhaRecusada_data()
{
    QTest::addColumn<QByteArray>("conteudo");  // after the header and the good line 2
    QTest::addColumn<QString>("recusa");
    QTest::addColumn<QString>("opcoes");  // "json", "cp1252", "inserir" (--inserir-ausentes), "fifo" (a named pipe)
                                          // or empty: CSV in UTF-8
    const auto linha = [](const char *nome, const QByteArray &c, const QByteArray &r, const char *opcoes = "") {
        QTest::newRow(nome) << c << QString::fromUtf8(r) << QString::fromLatin1(opcoes);
    };
    linha("reduzido vazio", ";;Feijao;UN;1;03;;N;;;0\n", "linha 3: CDPRODINTE: Código Reduzido deve ser informado.");
    linha("num pipe nomeado", ";;Feijao;UN;1;03;;N;;;0\n", "linha 3: CDPRODINTE: Código Reduzido deve ser informado.", "fifo");
    linha("reduzido com letra", ";2a;Feijao;UN;1;03;;N;;;0\n", "linha 3: CDPRODINTE: \"2a\" não é aceito: só algarismos");
    linha("reduzido longo", ";12345678901;Feijao;UN;1;03;;N;;;0\n", "linha 3: CDPRODINTE: \"12345678901\" não é aceito");
    linha("nome vazio", ";21;;UN;1;03;;N;;;0\n", "linha 3: NMPRODUTO: Nome do Produto deve ser informado.");
    linha("nome acentuado", ";21;Feijão;UN;1;03;;N;;;0\n",
          "linha 3: NMPRODUTO: \"Feijão\" não é aceito: letras sem acento, Ç, ç, algarismos, espaço, vírgula, ponto e "
          "barra, no máximo 50 caracteres. Importado com --ajustar-nomes, seria \"Feijao\".");
    linha("nome sem ajuste possível", ";21;Feij☺o;UN;1;03;;N;;;0\n", "caracteres.");
    linha("unidade vazia", ";21;Feijao;;1;03;;N;;;0\n", "linha 3: SGUNIDADE: Unidade deve ser informada.");
    linha("unidade inexistente", ";21;Feijao;XX;1;03;;N;;;0\n", "linha 3: SGUNIDADE: Unidade \"XX\" não cadastrada.");
    linha("preço com ponto", ";21;Feijao;UN;1.5;03;;N;;;0\n",
          "linha 3: VRPRECITEM: Valor digitado é inválido. \"1.5\": use vírgula como separador decimal");
    linha("imposto vazio", ";21;Feijao;UN;1;;;N;;;0\n", "linha 3: CDIMPOSTO: Imposto deve ser informado.");
    linha("imposto inexistente", ";21;Feijao;UN;1;77;;N;;;0\n", "linha 3: CDIMPOSTO: Imposto \"77\" não cadastrado.");
    linha("alíquota vazia", ";21;Feijao;UN;1;00;;N;;;0\n", "linha 3: VRPEALIMPFIS: Alíquota deve ser informada.");
    linha("pesado sem tara", ";21;Feijao;KG;1;03;;S;;;0\n", "linha 3: QTTARAPROD: Tara deve ser informada.");
    linha("não pesado tara inválida", ";21;Feijao;UN;1;03;;N;x;;0\n", "linha 3: QTTARAPROD: \"x\" não é aceito");
    linha("não pesado tara negativa", ";21;Feijao;UN;1;03;;N;-0,5;;0\n", "linha 3: QTTARAPROD: \"-0,5\" não é aceito");
    linha("alíquota negativa", ";21;Feijao;UN;1;00;-3,2;N;;;0\n", "linha 3: VRPEALIMPFIS: \"-3,2\" não é aceito");
    for (const QByteArray preco : {"+9", "1e3", "-3", "1234567890,12"})
        linha(preco.constData(), ";21;Feijao;UN;" + preco + ";03;;N;;;0\n", "linha 3: VRPRECITEM: \"" + preco + "\" não é aceito");
    linha("pesado nem S nem N", ";21;Feijao;UN;1;03;;X;;;0\n", "linha 3: IDPESAPROD:");
    linha("barras com letra", ";21;Feijao;UN;1;03;;N;;789A;0\n", "linha 3: CDBARPRODUTO: \"789A\" não é aceito");
    linha("porta longa", ";21;Feijao;UN;1;03;;N;;;COM123\n", "linha 3: CDPORIMPPROD:");
    linha("produto inexistente", "999;21;Feijao;UN;1;03;;N;;;0\n", "linha 3: CDPRODUTO: Produto de código \"999\" não "
          "cadastrado; para incluí-lo com este código, importe com --inserir-ausentes.");
    linha("inexistente sem algarismos", "A9;21;Feijao;UN;1;03;;N;;;0\n", "\"A9\" não cadastrado; só um código de até "
          "10 algarismos é incluído com o seu código; deixe CDPRODUTO vazio", "inserir");
    linha("inexistente longo", "12345678901;21;Feijao;UN;1;03;;N;;;0\n", "só um código de até 10", "inserir");
    linha("inexistente, a árvore é o código", "\nCDPRODUTO;CDARVPROD;CDPRODINTE;NMPRODUTO;"
          "SGUNIDADE;VRPRECITEM;CDIMPOSTO\n99;98;21;Feijao;UN;1;03\n", "linha 2: CDARVPROD: \"98\" não é o CDPRODUTO "
          "do produto novo (\"99\")", "inserir");
    linha("inexistente duas vezes", "99;21;Feijao;UN;1;03;;N;;;0\n99;22;Feijao;UN;1;03;;N;;;0\n",
          "linha 4: CDPRODUTO: Produto de código \"99\" também na linha 3", "inserir");
    linha("reduzido da loja", ";1;Feijao;UN;1;03;;N;;;0\n", "linha 3: CDPRODINTE: Código Reduzido já cadastrado.");
    linha("barras da loja", ";21;Feijao;UN;1;03;;N;;7890000000001;0\n", "linha 3: CDBARPRODUTO: Código de Barras já cadastrado.");
    linha("reduzido 01 não é 1", ";01;Feijao;UN;1;03;;N;;7890000000001;0\n", "linha 3: CDBARPRODUTO: Código de Barras já");
    linha("reduzido de outra linha", ";20;Feijao;UN;1;03;;N;;;0\n",
          "linha 3: CDPRODINTE: Código Reduzido já cadastrado. (também na linha 2 do arquivo)");
    linha("barras de outra linha", ";21;Feijao;UN;1;03;;N;;7891111111111;0\n",
          "linha 3: CDBARPRODUTO: Código de Barras já cadastrado. (também na linha 2 do arquivo)");
    linha("produto em duas linhas", "1;1;Pao;UN;1;03;;N;;;0\n1;1;Pao;UN;1;03;;N;;;0\n",
          "linha 4: CDPRODUTO: Produto de código \"1\" também na linha 3 do arquivo.");
    linha("campos a menos", ";21;Feijao\n", "linha 3: a linha tem 3 campos; o cabeçalho tem 11.");
    linha("sem fim de linha", ";21;;UN;1;03;;N;;;0", "linha 3: NMPRODUTO: Nome do Produto deve ser informado.");
    linha("CRLF", "\n" + QByteArray(kCabecalho + kBoa + ";21;;UN;1;03;;N;;;0\n").replace("\n", "\r\n"),
          "linha 3: NMPRODUTO: Nome do Produto deve ser informado.");
    linha("marca força UTF-8", "\n\xEF\xBB\xBF" + kCabecalho + ";21;Feijão;UN;1;03;;N;;;0\n",
          "linha 2: NMPRODUTO: \"Feijão\" não é aceito", "cp1252");
    const QByteArray json = "\n{\"fields\":[{\"name\":\"CDPRODINTE\",\"type\":\"string\",\"size\":20},{\"name\":"
                            "\"NMPRODUTO\",\"type\":\"string\",\"size\":50},{\"name\":\"SGUNIDADE\",\"type\":\"string\","
                            "\"size\":10},{\"name\":\"VRPRECITEM\",\"type\":\"float\",\"size\":0},{\"name\":\"CDIMPOSTO\","
                            "\"type\":\"string\",\"size\":2}],\"rows\":[[\"21\",\"Feijao\",\"UN\",1.5,\"03\"]";
    linha("JSON cortado", json, "o arquivo termina antes do fim do pacote", "json");
    linha("JSON linha recusada", json + ",[\"22\",\"\",\"UN\",1,\"03\"]]}", "linha 2: NMPRODUTO: Nome do Produto", "json");
    linha("JSON com texto depois do fim", json + ",[\"22\",\"Tela 32\\\" [LED]\",\"UN\",1,\"03\"]],\"n\":1}x",
          "pacote JSON inválido: texto depois do fim do pacote.", "json");
    // The file as a whole.
    linha("coluna desconhecida", "\nXYZ;CDPRODINTE\n1;2\n", "colunas desconhecidas: XYZ");
    linha("coluna repetida", "\nCDPRODINTE;NMPRODUTO;cdprodinte\n1;a;2\n", "colunas repetidas: cdprodinte.");
    linha("aspas sem fim", ";21;\"Feijao;UN;1;03;;N;;;0\n", "linha 3: aspas abertas e não fechadas até o fim do arquivo.");
    linha("não UTF-8", ";21;Feij\xE3o;UN;1;03;;N;;;0\n", "linha 3: o arquivo não é texto UTF-8 válido (o byte 0xe3");
    linha("não UTF-8 mais abaixo", ";21;Feijao;UN;1;03;;N;;;0\r\n\r;22;Feij\xE3o;UN;1;03;;N;;;0\n", "linha 5: o arquivo não");
    // The second read of the file begins between the CR and the LF of a line break.
    linha("não UTF-8 após 64 KiB", "\r" + QByteArray("\r\n").repeated(40000) + "Feij\xE3o", "linha 40004: o arquivo não");
    linha("UTF-8 lido em cp1252", ";21;Feijao;UN;1;03;;N;;;0\n;22;Feijão;UN;1;03;;N;;;0\n",
          "linha 4: o arquivo parece ser UTF-8, não Windows-1252 (\"Ã£\" é \"ã\" em UTF-8)", "cp1252");
    linha("separado por vírgula", "\nCDPRODINTE,NMPRODUTO\n1,a\n", "o arquivo separa as colunas com ',', e elas devem vir");
    linha("vírgula decimal separou colunas", "\n" + kCabecalho.trimmed() + ";;\n;20;Arroz;UN;15;9;03;;N;;;COM1\n",
          "colunas desconhecidas: (sem nome), (sem nome) (as colunas são os campos do pacote de produto). As linhas têm "
          "mais campos do que o cabeçalho tem nomes: a planilha tomou a vírgula decimal por separador de colunas");
    linha("entre aspas, por vírgula", "\n\"CDPRODINTE\",\"NMPRODUTO\"\n\"1\",\"a\"\n", "separa as colunas com ','");
    linha("fórmula sem a aspa", ";21;'=Feijao;UN;1;03;;N;;;0\n", "linha 3: NMPRODUTO: \"=Feijao\" não é aceito");
    linha("UTF-8 cortado no fim", ";21;Feij\xC3", "linha 3: o arquivo termina no meio de um caractere UTF-8.");
    linha("campo enorme", ";21;" + QByteArray(70000, 'a') + ";UN;1;03;;N;;;0\n", "campo com mais de 65536 caracteres");
}

void TstCatalog::linhaRecusada()
{
    QFETCH(QByteArray, conteudo);
    QFETCH(QString, recusa);
    QFETCH(QString, opcoes);
    QUL_FRESH_DB(db, false);
    preparaLoja(db);
    Modulo m(db.connectionString());
    QTemporaryDir dir;
    // "coluna desconhecida" brings its own header after an empty line.
    const QByteArray arquivo = conteudo.startsWith('\n') ? conteudo.mid(1) : kCabecalho + kBoa + conteudo;
    const QString pipe = dir.filePath(QStringLiteral("pipe"));
    QVERIFY(opcoes != "fifo" || ::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    for (const bool soVerifica : {true, false}) {
        std::jthread escreve;
        if (opcoes == "fifo")
            escreve = std::jthread([&] { QFile f(pipe); f.open(QIODevice::WriteOnly) && f.write(arquivo); });
        const QVariantMap r = importa(opcoes == "fifo" ? pipe : grava(dir, arquivo),
                                      soVerifica | (opcoes == "inserir" ? QUL_IMPORTA_INSERIR_AUSENTES : 0),
                                      opcoes == "json" ? u"json" : u"csv", opcoes == "cp1252" ? u"cp1252" : nullptr);
        const QStringList recusas = r.value(QStringLiteral("recusas")).toStringList();
        const QString texto = r.contains(QStringLiteral("falha")) ? r.value(QStringLiteral("falha")).toString()
                                                                  : recusas.join(QLatin1Char('\n'));
        QVERIFY2(texto.contains(recusa), qPrintable(texto));
        QVERIFY2(recusas.size() <= 1, qPrintable(texto));  // the good row is not refused
        QCOMPARE(db.count(QStringLiteral("PRODUTO")), 1);
    }
}

void TstCatalog::idaEVolta()
{
    QUL_FRESH_DB(db, false);
    preparaLoja(db);
    Modulo m(db.connectionString());
    QTemporaryDir dir;
    // Every kind of row the screen can save: weighed, typed rate, a name
    // with the characters a CSV must quote around (its spaces, quoted, kept).
    QVariantMap r = importa(grava(dir, "\xEF\xBB\xBF" + kCabecalho + kBoa
                                           + ";3;Queijo minas, kg;KG;42,9;00;3,2;S;0,015;;0\n"
                                             ";0100;\" Sal 1/2 kg. \";UN;2;II;;N;;7892222222222;\n"));
    QCOMPARE(r.value(QStringLiteral("recusas")).toStringList(), QStringList());
    QCOMPARE(r.value(QStringLiteral("inseridos")).toInt(), 3);
    // Three rows into a store of one: PostgreSQL's statistics of the four tables taken again, once.
    const auto analisadas = [&db] {
        return db.onPostgreSQL() ? db.scalar(QStringLiteral("SELECT CAST(COUNT(last_analyze) AS VARCHAR(9)) || CAST(MAX(last_analyze) "
                                                            "AS VARCHAR(40)) FROM pg_stat_user_tables WHERE relname IN "
                                                            "('produto', 'itempreco', 'aliqimpfis', 'prodloja')")).toString()
                                 : QStringLiteral("4");
    };
    const QString analise = analisadas();
    QCOMPARE(r.value(QStringLiteral("avisos")).toStringList(), QStringList());
    QVERIFY2(analise.startsWith(u'4'), qPrintable(analise));
    QCOMPARE(db.scalar(QStringLiteral("SELECT QTTARAPROD FROM PRODUTO WHERE CDPRODINTE = '3'")).toDouble(), 0.015);
    QCOMPARE(db.scalar(QStringLiteral("SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODINTE = '0100'")).toString(),
             QStringLiteral(" Sal 1/2 kg. "));
    // And one another tool wrote, with a name the keyboard cannot type: an
    // update that leaves it as stored types nothing.
    ProdutoTeste outro = produto(QStringLiteral("9"), QStringLiteral("900"));
    outro.nome = QStringLiteral("=Pão Francês");
    insereProduto(db, outro);

    for (const char16_t *formato : {u"csv", u"json", u"xlsx", u"ods"}) {
        const QByteArray antes = exporta(dir, formato);
        QVERIFY2(antes.startsWith("PK") || ((antes.contains("42,9") || antes.contains("42.9")) && antes.contains("Pão")),
                 antes.constData());
        const QString arquivo = grava(dir, antes);
        r = importa(arquivo, false, formato);
        QCOMPARE(r.value(QStringLiteral("recusas")).toStringList(), QStringList());
        QCOMPARE(r.value(QStringLiteral("alterados")).toInt() + r.value(QStringLiteral("inseridos")).toInt(), 0);
        QCOMPARE(r.value(QStringLiteral("inalterados")).toInt(), 5);
        QCOMPARE(importa(arquivo, true, formato).value(QStringLiteral("inalterados")).toInt(), 5);
        QCOMPARE(exporta(dir, formato), antes);
        QCOMPARE(analisadas(), analise);  // nothing written, nothing taken again
        if (formato != std::u16string_view(u"xlsx"))
            continue;
        // As openpyxl reads it: codes text with their zeros, numbers numbers, the first row frozen.
        const QString xlsx = dir.filePath(QStringLiteral("exportado.xlsx"));
        QVERIFY(QFile::copy(arquivo, xlsx));
        QProcess py;
        py.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral(
            "import openpyxl, sys\n"
            "ws = openpyxl.load_workbook(sys.argv[1]).active\n"
            "rows = list(ws.iter_rows(values_only=True))\n"
            "c = {'CDPRODUTO', 'CDARVPROD', 'CDPRODINTE', 'CDBARPRODUTO', 'CDIMPOSTO'}\n"
            "print(ws.freeze_panes, [(n, v) for r in rows[1:] for n, v in zip(rows[0], r) if v is not None and\n"
            "      (n in c) != isinstance(v, str) and (n in c or n[:2] in ('VR', 'QT'))],\n"
            "      sorted(r[8] for r in rows[1:]), 42.9 in [v for r in rows for v in r])"), xlsx});
        QVERIFY(py.waitForFinished());
        QCOMPARE(py.readAll(), QByteArray("A2 [] ['0100', '1', '20', '3', '900'] True\n"));
    }
    QCOMPARE(db.count(QStringLiteral("PRODUTO")), 5);
    // Nothing was written: the stored products keep their last-change dates.
    for (const char *t : {"PRODUTO", "ITEMPRECO", "ALIQIMPFIS", "PRODLOJA"})
        QCOMPARE(db.count(QLatin1String(t), QStringLiteral("CDPRODUTO IN ('1', '9') AND DTULTATU%1 < '2021-01-01'")
                                                .arg(QLatin1String(t[0] == 'P' && t[4] == 'U' ? "PROD" : t[0] == 'I' ? "ITPR" : t[0] == 'A' ? "ALIF" : "PLOJ"))),
                 2);

    // Two products swap their reduced codes; then one alone takes the other's.
    r = importa(grava(dir, kCabecalho + "1;900;Pao;UN;1;03;;N;;;0\n9;1;Pao;UN;1;03;;N;;;0\n"));
    QCOMPARE(r.value(QStringLiteral("recusas")).toStringList(), QStringList());
    QCOMPARE(db.scalar(QStringLiteral("SELECT CDPRODINTE FROM PRODUTO WHERE CDPRODUTO = '1'")).toString(),
             QStringLiteral("900"));
    r = importa(grava(dir, kCabecalho + "9;900;Pao;UN;1;03;;N;;;0\n"), true);
    QCOMPARE(r.value(QStringLiteral("recusas")).toStringList(),
             QStringList{QStringLiteral("linha 2: CDPRODINTE: Código Reduzido já cadastrado.")});

    // An empty store: the header alone.
    db.exec(QStringLiteral("DELETE FROM ITEMPRECO"));
    db.exec(QStringLiteral("DELETE FROM ALIQIMPFIS"));
    db.exec(QStringLiteral("DELETE FROM PRODLOJA"));
    db.exec(QStringLiteral("DELETE FROM PRODUTO"));
    QCOMPARE(exporta(dir, u"csv"),
             QByteArray("\xEF\xBB\xBF" "CDPRODUTO;CDARVPROD;CDBARPRODUTO;NMPRODUTO;SGUNIDADE;VRPREUNIT;IDPESAPROD;"
                        "QTTARAPROD;CDPRODINTE;VRPRECITEM;CDIMPOSTO;CDPORIMPPROD;VRPEALIMPFIS;SGIMPOSTO;IDTPIMPOSFIS\r\n"));
}

void TstCatalog::colunasDoArquivo_data()
{
    QTest::addColumn<QByteArray>("arquivo");
    QTest::addColumn<QString>("esperado");  // in the refusals, then each product's bar code, weighing, tare,
                                            // port, price, 1 when its last change is still the stored one, and tax
    const auto linha = [](const char *nome, const QByteArray &a, const char *e) { QTest::newRow(nome) << a << QString::fromUtf8(e); };
    const QByteArray precos = "CDPRODUTO;CDPRODINTE;NMPRODUTO;SGUNIDADE;VRPRECITEM;CDIMPOSTO;VRPEALIMPFIS\n";
    linha("lista de preços", precos + "9;0042;Queijo;KG;7,5;03;\n;77;Sal;UN;2;03;\n",
          "0042: 0012345678905 S 0.015 COM2 7.5 0 03; 77:  N 0 0 2 0 03;");
    linha("células vazias", "CDPRODUTO;CDBARPRODUTO;CDPORIMPPROD;IDPESAPROD;QTTARAPROD\n9;;;;\n", "0042:  N 0  1.5 0 03;");
    linha("espaços fora de aspas", "CDPRODUTO;CDBARPRODUTO;NMPRODUTO;VRPRECITEM\n 9 ; 0012345678905 ; Produto 9 ; 1,5\n",
          "0042: 0012345678905 S 0.015 COM2 1.5 1 03;");
    linha("nome entre aspas no fim da linha", "CDPRODUTO;NMPRODUTO\n9;\" Produto 9\"\n", "0042: 0012345678905 S 0.015 COM2 1.5 0 03;");
    linha("não gravadas de acordo", "CDPRODUTO;CDARVPROD;SGIMPOSTO;IDTPIMPOSFIS;VRPREUNIT;VRPRECITEM\n9;9;T18;T;1,5;1,5\n",
          "0042: 0012345678905 S 0.015 COM2 1.5 1 03;");
    const char *zeros = ": zeros à esquerda perdidos: a planilha leu a coluna como número; importe-a como texto";
    linha("reduzido sem zeros", "CDPRODUTO;CDPRODINTE\n9;42\n", qPrintable(QStringLiteral("linha 2: CDPRODINTE") + QString::fromUtf8(zeros)));
    linha("barras sem zeros", "CDPRODUTO;CDBARPRODUTO\n9;12345678905\n", "linha 2: CDBARPRODUTO: zeros à esquerda perdidos");
    // A tax code read as a number: the one stored code it can be.
    linha("imposto sem zero", precos + ";77;Sal;UN;2;3;\n", "linha 2: CDIMPOSTO: \"3\" -> \"03\" 0042: 0012345678905 S "
          "0.015 COM2 1.5 1 03; 77:  N 0 0 2 0 03;");
    linha("sigla de outro imposto", "CDPRODUTO;CDIMPOSTO;SGIMPOSTO\n9;03;I\n", "linha 2: SGIMPOSTO: \"I\" não é a sigla");
    linha("tipo de outro imposto", "CDPRODUTO;IDTPIMPOSFIS\n9;I\n", "linha 2: IDTPIMPOSFIS: \"I\" não é o tipo");
    linha("preço unitário", "CDPRODUTO;VRPREUNIT\n9;2\n", "linha 2: VRPREUNIT: \"2\" não é o preço");
    linha("outro código", "CDPRODUTO;CDARVPROD\n9;8\n", "linha 2: CDARVPROD: \"8\" não é o cadastrado (\"9\")");
    linha("código num novo", precos.mid(10).replace("CDPRODINTE", "CDARVPROD;CDPRODINTE") + "8;77;Sal;UN;2;03;\n",
          "linha 2: CDARVPROD:");
}

// A file of some columns: those it lacks keep the stored values (a new
// product takes the entry page's first ones); codes and columns that are
// not stored are checked against the stored product.
void TstCatalog::colunasDoArquivo()
{
    QFETCH(QByteArray, arquivo);
    QFETCH(QString, esperado);
    QUL_FRESH_DB(db, false);
    preparaLoja(db);
    ProdutoTeste p = produto(QStringLiteral("9"), QStringLiteral("0042"));
    p.barras = QStringLiteral("0012345678905");
    p.unidade = QStringLiteral("KG");
    p.pesado = QStringLiteral("S");
    p.tara = 0.015;
    p.porta = QStringLiteral("COM2");
    insereProduto(db, p);
    Modulo m(db.connectionString());
    QTemporaryDir dir;
    const QVariantMap r = importa(grava(dir, arquivo));
    QString texto = (r.value(QStringLiteral("recusas")).toStringList() + r.value(QStringLiteral("ajustes")).toStringList())
                        .join(QLatin1Char('\n'));
    for (const char *reduzido : {"0042", "77"}) {
        const auto um = [&](const char *coluna, const char *tabela = "PRODUTO") {
            return db.scalar(QStringLiteral("SELECT %1 FROM PRODUTO P JOIN %2 X ON X.CDPRODUTO = P.CDPRODUTO WHERE "
                                            "P.CDPRODINTE = '%3'").arg(QLatin1String(coluna), QLatin1String(tabela), QLatin1String(reduzido)));
        };
        if (um("P.IDPESAPROD").isValid())
            texto += QStringLiteral(" %1: %2 %3 %4 %5 %6 %7 %8;").arg(QLatin1String(reduzido), um("P.CDBARPRODUTO").toString(),
                                                              um("P.IDPESAPROD").toString())
                         .arg(um("P.QTTARAPROD").toDouble()).arg(um("CDPORIMPPROD", "PRODLOJA").toString())
                         .arg(um("VRPRECITEM", "ITEMPRECO").toDouble())
                         .arg(int(um("P.DTULTATUPROD").toString().left(4) < QLatin1String("2021")))
                         .arg(um("CDIMPOSTO", "ALIQIMPFIS").toString());
    }
    QVERIFY2(texto.trimmed().startsWith(esperado), qPrintable(texto));
}

void TstCatalog::exportacao_data()
{
    QTest::addColumn<QString>("nome");         // of a stored product
    QTest::addColumn<QString>("codificacao");
    QTest::addColumn<bool>("linkAlheio");      // the destination: another user's link to a file of ours
    QTest::addColumn<QString>("esperado");     // in the file written, or in the failure
    QTest::newRow("espaços") << " Sal " << "utf8" << false << ";\" Sal \";";
    QTest::newRow("códigos entre aspas") << "Sal" << "utf8" << false << "\"9\";\"9\";\"7890000000009\";Sal;";
    QTest::newRow("imposto entre aspas") << "Sal" << "utf8" << false << ";\"900\";1,5;\"03\";COM1;";
    QTest::newRow("fórmula") << "-1+1" << "utf8" << false << ";'-1+1;";
    QTest::newRow("aspa e fórmula") << "'@a" << "cp1252" << false << ";''@a;";
    QTest::newRow("aspas") << "Sal \"fino\"" << "utf8" << false << ";\"Sal \"\"fino\"\"\";";
    QTest::newRow("fora do cp1252") << "Sal \u0151" << "cp1252" << false << "um caractere que cp1252 não tem (U+0151)";
    QTest::newRow("link de outro usuário") << "Sal" << "utf8" << true << "exportado: é um link simbólico de outro usuário";
}

void TstCatalog::exportacao()
{
    QFETCH(QString, nome);
    QFETCH(QString, codificacao);
    QFETCH(bool, linkAlheio);
    QFETCH(QString, esperado);
    QUL_FRESH_DB(db, false);
    preparaLoja(db);
    ProdutoTeste p = produto(QStringLiteral("9"), QStringLiteral("900"));
    p.nome = nome;
    insereProduto(db, p);
    Modulo m(db.connectionString());
    QTemporaryDir dir;
    const QByteArray meu = QFile::encodeName(grava(dir, "intocado"));
    const QByteArray link = QFile::encodeName(dir.filePath(QStringLiteral("exportado")));
    if (linkAlheio && (::symlink(meu.constData(), link.constData()) != 0 || ::lchown(link.constData(), 65534, 65534) != 0))
        QSKIP("a link of another user needs root");
    const std::u16string c = w(codificacao);
    const QString texto = QString::fromUtf8(exporta(dir, u"csv", c.c_str()));
    QVERIFY2(texto.contains(esperado), qPrintable(texto));
    QFile alvo(QFile::decodeName(meu));
    QVERIFY(alvo.open(QIODevice::ReadOnly));
    QCOMPARE(alvo.readAll(), QByteArray("intocado"));
}

// Five products of the demo store's export as Calc saves it again (tests/catalog/calc/remake.sh
// made the files from this same store): opened with quoted fields as text it
// changes nothing; opened as Calc does by default, its codes lost their
// leading zeros and it is refused.
void TstCatalog::planilhaDoCalc_data()
{
    QTest::addColumn<QString>("arquivo");
    QTest::addColumn<int>("zeros");  // rows refused for codes that lost their leading zeros
    QTest::addColumn<QString>("campos");      // the fields changed, by how many products
    QTest::addColumn<QString>("alteracoes");  // the report's lines of the products updated
    QTest::newRow("a exportação") << "export.csv" << 0 << "" << "";
    QTest::newRow("Calc, campos entre aspas como texto") << "calc-texto.csv" << 0 << "" << "";
    QTest::newRow("Calc, como abre") << "calc-padrao.csv" << 1 << "" << "";  // the tax codes take their zeros back
    // Five prices changed, a tare formatted "0,00" and two new products.
    QTest::newRow("Calc, preços editados") << "calc-precos.csv" << 0 << "VRPRECITEM: 5, QTTARAPROD: 2"
        << "2;\"2\";'=1+1;VRPRECITEM;3,5;3,79\n3;\"17\";Queijo Mussarela Fatiado;QTTARAPROD;0,015;0,02\n"
           "3;\"17\";Queijo Mussarela Fatiado;VRPRECITEM;54,9;56,9\n4;\"18\";Presunto Cozido Fatiado;QTTARAPROD;0,015;0,02\n"
           "4;\"18\";Presunto Cozido Fatiado;VRPRECITEM;42,9;44,9\n5;\"19\";Mortadela Defumada;VRPRECITEM;24,9;25,9\n"
           "6;\"1\";Pão Francês;VRPRECITEM;15,9;16,5";
}

void TstCatalog::planilhaDoCalc()
{
    QFETCH(QString, arquivo);
    QFETCH(int, zeros);
    QFETCH(QString, campos);
    QFETCH(QString, alteracoes);
    QUL_FRESH_DB(db, true);
    db.exec(QStringLiteral("UPDATE PRODUTO SET CDPRODINTE = '0042', CDBARPRODUTO = '0012345678905' WHERE CDPRODUTO = '1'"));
    db.exec(QStringLiteral("UPDATE PRODUTO SET NMPRODUTO = '=1+1' WHERE CDPRODUTO = '2'"));
    Modulo m(db.connectionString());
    QTemporaryDir dir;
    const QByteArray antes = exporta(dir, u"csv");
    const QString planilha = QStringLiteral(QUL_PLANILHAS "/") + arquivo, relatorio = dir.filePath(QStringLiteral("r.csv")),
                  copia = dir.filePath(QStringLiteral("copia.csv"));
    // The check's report: each changed field of each product, as stored and as it would be.
    QVariantMap r = importa(planilha, true, u"csv", nullptr, relatorio);
    QCOMPARE(r.value(QStringLiteral("campos")).toStringList().join(QStringLiteral(", ")), campos);
    if (!zeros) {
        const QStringList linhas = QString::fromUtf8(le(relatorio)).split(QStringLiteral("\r\n"));
        QCOMPARE(linhas.first(), QStringLiteral("linha;CDPRODUTO;NMPRODUTO;campo;guardado;novo"));
        QCOMPARE(linhas.filter(QStringLiteral(";(produto novo);")).size(), r.value(QStringLiteral("inseridos")).toInt() ? 22 : 0);
        QCOMPARE(linhas.mid(1, alteracoes.count(QLatin1Char('\n')) + 1).join(QLatin1Char('\n')), alteracoes);
    }
    // A copy that cannot be written, or would be written over the file: nothing is.
    const QString mesmo = dir.filePath(QStringLiteral("mesmo.csv"));
    QVERIFY(QFile::copy(planilha, mesmo));
    for (const QString &ruim : {dir.filePath(QStringLiteral("nao/ha.csv")), mesmo}) {
        r = importa(ruim == mesmo ? mesmo : planilha, 0, u"csv", nullptr, {}, ruim);
        QVERIFY2(alteracoes.isEmpty() || r.value(QStringLiteral("falha")).toString().contains(QStringLiteral("ada foi gravado")),
                 qPrintable(r.value(QStringLiteral("falha")).toString()));
    }
    QCOMPARE(le(mesmo), le(planilha));
    QCOMPARE(exporta(dir, u"csv"), antes);
    r = importa(planilha, 0, u"csv", nullptr, {}, copia);
    const QString recusas = r.value(QStringLiteral("recusas")).toStringList().join(QLatin1Char('\n'));
    QCOMPARE(recusas.count(QStringLiteral("zeros à esquerda perdidos")), zeros);
    QCOMPARE(r.value(QStringLiteral("inalterados")).toInt(), zeros || !campos.isEmpty() ? 0 : 5);
    QCOMPARE(r.value(QStringLiteral("copia")).toString(), alteracoes.isEmpty() ? QString() : copia);
    if (!alteracoes.isEmpty()) {  // the copy puts the stored rows back; the new products are deleted
        QCOMPARE(importa(copia).value(QStringLiteral("alterados")).toInt(), 5);
        for (const char *t : {"ITEMPRECO", "ALIQIMPFIS", "PRODLOJA", "PRODUTO"})
            db.exec(QStringLiteral("DELETE FROM %1 WHERE CDPRODUTO IN (SELECT CDPRODUTO FROM PRODUTO WHERE CDPRODINTE "
                                   "IN ('901', '902'))").arg(QLatin1String(t)));
        QCOMPARE(exporta(dir, u"csv"), antes);
    }
    QCOMPARE(db.scalar(QStringLiteral("SELECT NMPRODUTO || CDPRODINTE || CDBARPRODUTO FROM PRODUTO WHERE CDPRODUTO IN ('1', '2') "
                                      "ORDER BY CDPRODUTO")).toString(), QStringLiteral("Pão Francês00420012345678905"));
}

// What each file is read as, by its bytes and name and the format asked
// for; a zip that is no spreadsheet, or a damaged one, refused naming it.
void TstCatalog::formatoDoArquivo_data()
{
    QTest::addColumn<QString>("nome");
    QTest::addColumn<QByteArray>("conteudo");
    QTest::addColumn<QString>("formato");
    QTest::addColumn<QString>("esperado");  // the failure, or "inseridos: N" of a check
    const QString d = QStringLiteral(QUL_PLANILHAS "/");
    const QByteArray xlsx = le(d + "novos-calc.xlsx"), ods = le(d + "novos-calc.ods"), csv = le(d + "novos.csv");
    const QByteArray json = "{\"fields\":[{\"name\":\"CDPRODINTE\",\"type\":\"string\",\"size\":20},{\"name\":\"NMPRODUTO\","
                            "\"type\":\"string\",\"size\":50},{\"name\":\"SGUNIDADE\",\"type\":\"string\",\"size\":10},"
                            "{\"name\":\"VRPRECITEM\",\"type\":\"float\",\"size\":0},{\"name\":\"CDIMPOSTO\",\"type\":"
                            "\"string\",\"size\":2}],\"rows\":[[\"21\",\"Feijao\",\"UN\",1.5,\"03\"]]}";
    QByteArray danificado = xlsx;
    danificado.replace(danificado.indexOf("xl/worksheets/sheet1.xml") + 60, 40, QByteArray(40, 'x'));
    QTemporaryDir dir;
    const auto linha = [](const char *caso, const char *nome, const QByteArray &c, const char *formato, const char *e) {
        QTest::newRow(caso) << QString::fromLatin1(nome) << c << QString::fromLatin1(formato) << QString::fromUtf8(e);
    };
    linha("xlsx", "novos.xlsx", xlsx, "", "inseridos: 5");
    linha("xlsx chamado .csv", "novos.csv", xlsx, "", "inseridos: 5");
    linha("xlsx com --format xlsx", "novos", xlsx, "xlsx", "inseridos: 5");
    linha("xlsx com --format csv", "guia.xlsx", xlsx, "csv", "o arquivo %1 é uma planilha .xlsx; importe-o sem --format "
          "csv (ou com --format xlsx). Nada foi gravado.");
    linha("ods", "novos.ods", ods, "", "inseridos: 5");
    linha("ods com --format xlsx", "novos.ods", ods, "xlsx", "é uma planilha .ods; importe-o sem --format xlsx");
    linha("openpyxl", "novos.xlsx", le(d + "novos-openpyxl.xlsx"), "", "inseridos: 5");
    linha("JSON chamado .csv", "novos.csv", json, "", "inseridos: 1");
    linha("JSON com --format csv", "novos.csv", json, "csv", "é um pacote JSON; importe-o sem --format csv (ou com --format json)");
    linha("CSV com --format json", "novos.csv", csv, "json", "não é um pacote JSON (não começa com '{'); se ele é CSV, "
          "importe-o sem --format json.");
    linha("CSV chamado .json", "novos.json", csv, "", "não é um pacote JSON (não começa com '{'); se ele é CSV, importe-o "
          "com --format csv.");
    linha("CSV chamado .xlsx", "novos.xlsx", csv, "", "não é uma planilha .xlsx: é texto, não um arquivo zip; se ele é CSV, "
          "importe-o com --format csv.");
    linha("CSV chamado .xlsx, --format csv", "novos.xlsx", csv, "csv", "inseridos: 5");
    linha("Excel 97-2003", "novos.xls", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + QByteArray(504, 0), "",
          "é uma planilha do Excel 97-2003 (.xls) ou protegida por senha");
    linha("zip de outra coisa", "novos.zip", zip(dir, {"a.txt", "x"}), "", "é um arquivo zip, mas não uma planilha .xlsx nem .ods");
    linha("zip cortado", "novos.xlsx", xlsx.left(3000), "", "começa como um arquivo zip (.xlsx, .ods), mas não pode ser lido");
    linha("zip danificado", "novos.xlsx", danificado, "", "não foi possível ler a planilha %1: xl/worksheets/sheet1.xml ");
    linha("XML cortado", "novos.xlsx", zip(dir, {"xl/workbook.xml", "<workbook><sheets><sheet"}), "",
          "xl/workbook.xml termina antes do fim, na linha 1 do XML.");
    linha("texto compartilhado que não há", "novos.xlsx", zip(dir, {"xl/workbook.xml", "<workbook xmlns:r=\"a/relationships\">"
          "<sheet r:id=\"f\"/></workbook>", "xl/_rels/workbook.xml.rels", "<Relationships><Relationship Id=\"f\" Target="
          "\"/f.xml\"/></Relationships>", "f.xml", "<sheetData><row><c t=\"s\"><v>7</v></c></row></sheetData>"}), "",
          "f.xml: a célula A1 aponta um texto compartilhado que não existe");
    linha("ods sem conteúdo", "novos.ods", zip(dir, {"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}), "",
          "não foi possível ler a planilha %1: falta content.xml.");
    linha("ods com valor fora do cabeçalho", "novos.ods", zip(dir, {"mimetype", "application/vnd.oasis.opendocument.spreadsheet",
          "content.xml", "<t:table xmlns:t=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" xmlns:x=\"urn:oasis:names:tc:"
          "opendocument:xmlns:text:1.0\"><t:table-row><t:table-cell><x:p>CDPRODINTE</x:p></t:table-cell></t:table-row><t:table-row "
          "t:number-rows-repeated=\"3\"/><t:table-row><t:table-cell t:number-columns-repeated=\"2\"/><t:table-cell t:number-"
          "columns-repeated=\"2\"><x:p>x</x:p>"
          "</t:table-cell></t:table-row></t:table>"}),
          "", "linha 5: a célula C5 tem um valor fora das 1 colunas do cabeçalho. As linhas têm mais campos");
}

void TstCatalog::formatoDoArquivo()
{
    QFETCH(QString, nome);
    QFETCH(QByteArray, conteudo);
    QFETCH(QString, formato);
    QFETCH(QString, esperado);
    QUL_FRESH_DB(db, false);
    preparaLoja(db);
    Modulo m(db.connectionString());
    QTemporaryDir dir;
    const QString caminho = dir.filePath(nome);
    QFile f(caminho);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(conteudo) == conteudo.size());
    f.close();
    const std::u16string fmt = w(formato);
    const QVariantMap r = importa(caminho, QUL_IMPORTA_SO_VERIFICA | QUL_IMPORTA_AJUSTAR_NOMES,
                                  formato.isEmpty() ? nullptr : fmt.c_str());
    const QString texto = r.value(QStringLiteral("falha")).toString()
                          + r.value(QStringLiteral("recusas")).toStringList().join(QLatin1Char('\n'))
                          + QStringLiteral("inseridos: %1").arg(r.value(QStringLiteral("inseridos")).toInt());
    QVERIFY2(texto.contains(esperado.arg(caminho)), qPrintable(texto));
}

// The spreadsheets Calc and openpyxl saved (calc/remake-planilhas.sh)
// import as their rows in CSV do: the same store, the same adjustments.
void TstCatalog::planilhaComoCsv()
{
    QUL_FRESH_DB(db, false);
    preparaLoja(db);
    Modulo m(db.connectionString());
    QTemporaryDir dir;
    const auto importaEApaga = [&](const char *arquivo) {
        const QVariantMap r = importa(QStringLiteral(QUL_PLANILHAS "/") + QLatin1String(arquivo), QUL_IMPORTA_AJUSTAR_NOMES,
                                      nullptr);
        QStringList loja = r.value(QStringLiteral("ajustes")).toStringList() + r.value(QStringLiteral("recusas")).toStringList();
        for (const QByteArray &l : exporta(dir, u"csv").split('\n'))  // without the codes the generator gave
            loja.append(QString::fromUtf8(l).section(QLatin1Char(';'), 2));
        for (const char *t : {"ITEMPRECO", "ALIQIMPFIS", "PRODLOJA", "PRODUTO"})
            db.exec(QStringLiteral("DELETE FROM %1 WHERE CDPRODUTO <> '1'").arg(QLatin1String(t)));
        return loja;
    };
    const QStringList csv = importaEApaga("novos.csv");
    QCOMPARE(csv.mid(0, 5), (QStringList{"linha 3: NMPRODUTO: \"Feijão preto 1kg\" -> \"Feijao preto 1kg\"",
                                         "linha 3: CDIMPOSTO: \"3\" -> \"03\"",
                                         "linha 5: NMPRODUTO: \"Café torrado 500g\" -> \"Cafe torrado 500g\"",
                                         "linha 6: NMPRODUTO: \"Açúcar cristal\" -> \"Açucar cristal\"",
                                         "linha 6: CDIMPOSTO: \"3\" -> \"03\""}));
    QVERIFY2(csv.join(QLatin1Char('\n')).contains(QStringLiteral("\"7891000103013\";Cafe torrado 500g;UN;;N;0;\"0103\";0,015;\"00\";;3,2;TRIB")),
             qPrintable(csv.join(QLatin1Char('\n'))));
    for (const char *planilha : {"novos-calc.xlsx", "novos-calc.ods", "novos-openpyxl.xlsx"})
        QCOMPARE(importaEApaga(planilha), csv);
    // A price a formula made (10 * 1,1) is taken as the sheet shows it.
    struct Celula : TPlanilhaZip { using TPlanilhaZip::numero; };
    QCOMPARE(Celula::numero(QStringLiteral("11.000000000000002")) + Celula::numero(QStringLiteral("1.4999999999999999E-2")),
             QStringLiteral("110,015"));
}

void TstCatalog::interrompidaNadaGrava()
{
    QUL_FRESH_DB(db, false);
    preparaLoja(db);
    Modulo m(db.connectionString());
    TArquivoCatalogo a;
    for (int i = 0; i < 2500; ++i) {
        TLinhaCatalogo l;
        l.linha = i + 2;
        l.valores = QStringList(15);
        l.valores[8] = QString::number(1000 + i);              // CDPRODINTE
        l.valores[3] = QStringLiteral("Produto");               // NMPRODUTO
        l.valores[4] = QStringLiteral("UN");                     // SGUNIDADE
        l.valores[9] = QStringLiteral("1,5");                    // VRPRECITEM
        l.valores[10] = QStringLiteral("03");                    // CDIMPOSTO
        a.linhas.append(l);
    }
    a.linhas[0].valores[0] = QStringLiteral("1");  // and an update of the store's product
    // Stopped after the first batches have been written.
    int lotes = 0;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, importaCatalogo(*rdmCadProd, a, false, [&](qint64, qint64) {
        if (++lotes == 2)
            throw std::runtime_error("interrompida");
    }));
    QCOMPARE(lotes, 2);
    // Changed after the first batch was written: a row refused, or one row fewer.
    for (const bool menos : {false, true}) {
        TArquivoCatalogo b = a;
        QVERIFY_THROWS_EXCEPTION(Exception, importaCatalogo(*rdmCadProd, b, false, [&](qint64 feitas, qint64) {
            if (feitas == 1000)
                menos ? b.linhas.removeLast() : void(b.linhas.insert(2400, b.linhas.at(2400)));
        }));
    }
    QCOMPARE(db.count(QStringLiteral("PRODUTO")), 1);
    QCOMPARE(db.count(QStringLiteral("ITEMPRECO")), 1);
    QCOMPARE(db.scalar(QStringLiteral("SELECT CDPRODINTE FROM PRODUTO")).toString(), QStringLiteral("1"));
    QVERIFY(!rdmCadProd->adcCadProd->InTransaction());
    // The connection goes on: the same rows import whole, the progress of
    // each stage going forward to its end.
    TAcompanhamento acompanhamento;
    QList<QList<qint64>> progresso;
    acompanhamento.progresso = [&](TEtapaImportacao e, qint64 feitos, qint64 total) {
        progresso.append({qint64(e), feitos, total});
    };
    QCOMPARE(importaCatalogo(*rdmCadProd, a, false, {}, {}, acompanhamento).inseridos, 2499);
    for (qsizetype i = 1; i < progresso.size(); ++i)
        QVERIFY(progresso[i][0] > progresso[i - 1][0] || progresso[i][1] >= progresso[i - 1][1]);
    QCOMPARE(progresso.last(), (QList<qint64>{3, 2500, 2500}));
    QVERIFY(progresso.contains(QList<qint64>{1, 2500, 2500}) && progresso.contains(QList<qint64>{1, 1000, 2500}));
    // A sheet's check ends at its size, past where its zip reader stops.
    progresso.clear();
    importaCatalogo(*rdmCadProd, *abreCatalogo(QStringLiteral(QUL_PLANILHAS "/novos-calc.xlsx"), {}, {}), true, {}, {},
                    acompanhamento);
    QVERIFY(progresso.last()[2] > 0 && progresso.last()[1] == progresso.last()[2]);
    QCOMPARE(db.count(QStringLiteral("PRODUTO")), 2500);
    try {  // a batch reading whose design declares other keys: refused, by the statement's name
        TProdutosGuardados(*rdmCadProd, QStringLiteral("adqProdutoAtual")).le({QStringLiteral("1")});
        QFAIL("aceita");
    } catch (const EDatabaseError &e) {
        QCOMPARE(e.Message(), QStringLiteral("adqProdutoAtual: a leitura de um lote preenche 1000 parâmetros, um por produto, "
                                             "e o desenho do módulo de dados declara 1."));
    }
}

// Another store's export into a store without products: refused, saying
// which options take it; with them, the same catalogue under the same
// codes, names without accents. Products generated in the same import
// come after the file's own codes.
void TstCatalog::outraLoja()
{
    QUL_FRESH_DB(db, false);
    preparaLoja(db);
    ProdutoTeste p = produto(QStringLiteral("250"), QStringLiteral("7"));
    p.nome = QStringLiteral("Pão Francês, Açúcar");
    insereProduto(db, p);
    insereProduto(db, produto(QStringLiteral("0000000042"), QStringLiteral("8")));  // ten digits: the widest own code
    Modulo m(db.connectionString());
    QTemporaryDir dir;
    const QByteArray antes = exporta(dir, u"csv");
    const auto esvazia = [&] {
        for (const char *t : {"ITEMPRECO", "ALIQIMPFIS", "PRODLOJA", "PRODUTO"})
            db.exec(QStringLiteral("DELETE FROM %1").arg(QLatin1String(t)));
    };
    esvazia();
    const QString arquivo = grava(dir, antes);
    QVariantMap r = importa(arquivo);
    const QString recusas = r.value(QStringLiteral("recusas")).toStringList().join(QLatin1Char('\n'));
    QCOMPARE(recusas.count(QStringLiteral("importe com --inserir-ausentes")), 2);
    QCOMPARE(recusas.count(QStringLiteral("Importado com --ajustar-nomes, seria \"Pao Frances, Açucar\"")), 1);
    QCOMPARE(db.count(QStringLiteral("PRODUTO")), 0);
    r = importa(arquivo, QUL_IMPORTA_INSERIR_AUSENTES | QUL_IMPORTA_AJUSTAR_NOMES);
    QCOMPARE(r.value(QStringLiteral("ajustes")).toStringList(),
             QStringList{QStringLiteral("linha 3: NMPRODUTO: \"Pão Francês, Açúcar\" -> \"Pao Frances, Açucar\"")});
    QCOMPARE(r.value(QStringLiteral("inseridos")).toInt(), 3);
    QCOMPARE(exporta(dir, u"csv"), QByteArray(antes).replace("Pão Francês, Açúcar", "Pao Frances, Açucar"));

    // A reduced code that lost its leading zeros does not make another product.
    r = importa(grava(dir, kCabecalho + "42;9;Pao;UN;1;03;;N;;;0\n"), QUL_IMPORTA_INSERIR_AUSENTES);
    QVERIFY2(r.value(QStringLiteral("recusas")).toStringList().value(0).contains(QStringLiteral("zeros à esquerda perdidos")),
             qPrintable(r.value(QStringLiteral("recusas")).toStringList().value(0)));
    // A batch of generated codes written before the file's own code 300.
    QByteArray novos = kCabecalho;
    for (int i = 0; i < kMaxLinhasInclusao; ++i)
        novos += ";" + QByteArray::number(1000 + i) + ";Pao;UN;1;03;;N;;;0\n";
    r = importa(grava(dir, novos + "300;9;Pao;UN;1;03;;N;;;0\n"), QUL_IMPORTA_INSERIR_AUSENTES);
    QCOMPARE(r.value(QStringLiteral("inseridos")).toInt(), kMaxLinhasInclusao + 1);
    QCOMPARE(r.value(QStringLiteral("novos")).toStringList().size(), TPreviaImportacao::kMaxNovos);
    QCOMPARE(db.count(QStringLiteral("PRODUTO"), QStringLiteral("CDPRODUTO = '301' AND CDPRODINTE = '1000'")), 1);
}

QTEST_GUILESS_MAIN(TstCatalog)
#include "tst_catalog.moc"
