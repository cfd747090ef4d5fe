// Adding, editing and deleting on the real screen, on every engine: the
// checks of Confirm in their order, what reaches the database, the duplicate
// check, the list after a save, and every answer of the delete command.

#include "CodeClash.h"
#include "GuiFixture.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>

namespace {

// An entry page filled as a valid new product (with "editar": that reduced code's product), then changed by
// `mudancas` (field control name or "pesado"/"imposto" -> value; "escolhe": the tax picked; "digita": typed;
// "seletores": pickers touched and answered with ENTER at once).
void preenche(TfrmCadProd *f, const QVariantMap &mudancas)
{
    QVariantMap v{{"edtCodRed", "501"},   {"edtNomeProd", "Café Solúvel"}, {"edtUnidade", "Unidade"},
                  {"edtPrecoUnit", "12,5"}, {"edtImposto", "T18"},          {"edtAliq", "0.00"},
                  {"edtCodBarra", "7891000055512"}, {"edtPortaImp", "Nenhuma"}, {"edtTara", ""},
                  {"imposto", "03"},      {"pesado", false}};
    for (auto it = mudancas.begin(); it != mudancas.end(); ++it)
        v[it.key()] = it.value();
    const bool edicao = mudancas.contains("editar") && f->cdsProduto->Locate(QStringLiteral("CDPRODINTE"), v.value("editar"));
    v = edicao ? mudancas : v;
    edicao ? f->sbtEditarClick(nullptr) : f->sbtIncluirClick(nullptr);
    f->FSgUnidade = QStringLiteral("UN");
    f->FCdImposto = v.value("imposto", f->FCdImposto).toString();
    f->FIdTpImposFis = QStringLiteral("T");
    for (auto it = v.begin(); it != v.end(); ++it)
        if (it.key().startsWith(QLatin1String("edt")))
            f->componente<TBlendedButton>(it.key())->setCaption(it.value().toString());
    if (v.value("pesado").toBool())
        f->imgSimClick(nullptr);
    if (v.contains("escolhe"))
        f->dxfImpostoClick(nullptr);
    f->FCampoAtual = 3;  // the name, typed key by key
    f->PostText(v.value("digita").toString(), false, true);
    for (const QString &seletor : v.value("seletores").toString().split(QLatin1Char(' '), Qt::SkipEmptyParts))
        QTest::mouseClick(f->findChild<QWidget *>(seletor), Qt::LeftButton);
}

QVariantMap linha(const TestDb::Fresh &db, const QString &reduzido)
{
    QSqlQuery q(db.db());
    q.prepare(QStringLiteral(
        "SELECT P.NMPRODUTO, P.CDBARPRODUTO, P.SGUNIDADE, P.IDPESAPROD, P.QTTARAPROD, I.VRPRECITEM, A.CDIMPOSTO, "
        "A.VRPEALIMPFIS, A.IDTPIMPOSFIS, L.CDPORIMPPROD FROM PRODUTO P JOIN ITEMPRECO I ON I.CDPRODUTO = P.CDPRODUTO "
        "JOIN ALIQIMPFIS A ON A.CDPRODUTO = P.CDPRODUTO JOIN PRODLOJA L ON L.CDPRODUTO = P.CDPRODUTO "
        "WHERE P.CDPRODINTE = ?"));
    q.addBindValue(reduzido);
    if (!q.exec() || !q.next())
        return {{"erro", q.lastError().text()}};
    static const QStringList numeros{QStringLiteral("QTTARAPROD"), QStringLiteral("VRPRECITEM"),
                                     QStringLiteral("VRPEALIMPFIS")};
    QVariantMap m;
    for (int i = 0; i < q.record().count(); ++i) {
        const QString nome = q.record().fieldName(i).toUpper();
        m[nome] = numeros.contains(nome) ? QVariant(q.value(i).toDouble()) : QVariant(q.value(i).toString().trimmed());
    }
    return m;
}

}  // namespace

class TstGravacao : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data() { TestDb::addEngines(); }
    void initTestCase() { registerDataPacketType(); }
    void init() { instalaGanchosQueFalham(); }
    void cleanup()
    {
        QVERIFY(frmCadProd == nullptr);
        instalaGanchosQueFalham();
    }

    void verificacoes_data()
    {
        QTest::addColumn<QVariantMap>("mudancas");
        QTest::addColumn<QString>("mensagem");
        QTest::addColumn<int>("campo");
        // The ten checks in their order: the field marked, the text, and what
        // makes the check fail. Row n makes checks n to 10 fail together, so
        // the first of them must win.
        struct Verificacao { int campo; const char *texto; QVariantMap falha; };
        const Verificacao tabela[] = {
            {2, "Código Reduzido deve ser informado.", {{"edtCodRed", ""}}},
            {3, "Nome do Produto deve ser informado.", {{"edtNomeProd", " "}}},
            {4, "Unidade deve ser informada.", {{"edtUnidade", ""}}},
            {5, "Preço Unitário deve ser informado.", {{"edtPrecoUnit", ""}}},
            {5, "Valor digitado é inválido.", {{"edtPrecoUnit", "1.234,50"}}},
            {6, "Imposto deve ser informado.", {{"edtImposto", ""}}},
            {7, "Alíquota deve ser informada.", {{"imposto", "00"}, {"edtAliq", ""}}},
            {7, "Valor digitado é inválido.", {{"imposto", "00"}, {"edtAliq", "1,2,3"}}},
            {10, "Tara deve ser informada.", {{"pesado", true}, {"edtTara", ""}}},
            {10, "Valor digitado é inválido.", {{"pesado", true}, {"edtTara", ",,"}}},
        };
        for (int n = 10; n >= 1; --n) {
            QVariantMap mudancas;
            for (int i = 10; i >= n; --i)
                mudancas.insert(tabela[i - 1].falha);
            QTest::addRow("verificação %d", n) << mudancas << QString::fromUtf8(tabela[n - 1].texto)
                                               << tabela[n - 1].campo;
        }
        QTest::newRow("preço 1,2.3") << QVariantMap{{"edtPrecoUnit", "1,2.3"}} << "Valor digitado é inválido." << 5;
        // Outside the tax "00" an empty rate has no check (nor has "0.00", which
        // is not a number here: rows 9 and 10).
        QTest::newRow("03: alíquota vazia") << QVariantMap{{"edtAliq", ""}, {"pesado", true}}
                                            << "Tara deve ser informada." << 10;
    }

    // The first failing check marks its field and shows its text (kind 2);
    // nothing is saved and the page keeps its values.
    void verificacoes()
    {
        if (TestDb::currentEngine() != TestDb::Engine::SQLite)
            QSKIP("the checks run before any service");
        QFETCH(QVariantMap, mudancas);
        QFETCH(QString, mensagem);
        QFETCH(int, campo);
        QUL_AMBIENTE(amb, false);
        Mensagens msgs;
        int campoNaMensagem = 0;
        msgs.aoMostrar = [&](const QString &) { campoNaMensagem = frmCadProd->FCampoAtual; };
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            preenche(f, mudancas);  // with the page's pending shift
            f->FCampoAtual = 9;
            const QStringList antes = textosCampos(f);
            QTest::mouseClick(botao(f, "sbtConfirmar"), Qt::LeftButton);
            QCOMPARE(msgs.vistas, QStringList{mensagem + QStringLiteral("|2|N|002")});
            QCOMPARE(campoNaMensagem, campo);  // marked first, then the message
            QVERIFY(!f->FShift);
            QCOMPARE(f->FCampoAtual, campo);
            QCOMPARE(corMoldura(f, campo), 255u);
            QCOMPARE(textosCampos(f), antes);
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina2"));
        }));
        QCOMPARE(amb.db.count(QStringLiteral("PRODUTO")), 0);
    }

    void grava_data()
    {
        QTest::addColumn<QVariantMap>("mudancas");
        QTest::addColumn<QVariantMap>("gravado");
        QTest::newRow("Nenhuma, imposto 03")
            << QVariantMap{{"edtAliq", "7,5"}}
            << QVariantMap{{"NMPRODUTO", "Café Solúvel"}, {"CDBARPRODUTO", "7891000055512"}, {"SGUNIDADE", "UN"},
                           {"IDPESAPROD", "N"}, {"QTTARAPROD", 0.0}, {"VRPRECITEM", 12.5}, {"CDIMPOSTO", "03"},
                           {"VRPEALIMPFIS", 0.0}, {"IDTPIMPOSFIS", "T"}, {"CDPORIMPPROD", "0"}};
        QTest::newRow("COM1, imposto 00, pesado")
            << QVariantMap{{"edtPortaImp", "COM1"}, {"imposto", "00"}, {"edtImposto", "TRIB"}, {"edtAliq", "7,5"},
                           {"pesado", true}, {"edtTara", "0,25"}}
            << QVariantMap{{"IDPESAPROD", "S"}, {"QTTARAPROD", 0.25}, {"CDIMPOSTO", "00"}, {"VRPEALIMPFIS", 7.5},
                           {"CDPORIMPPROD", "COM1"}};
        QTest::newRow("porta apagada, tara sem pesar")
            << QVariantMap{{"edtPortaImp", ""}, {"edtTara", "1,5"}, {"edtCodBarra", ""}}
            << QVariantMap{{"IDPESAPROD", "N"}, {"QTTARAPROD", 1.5}, {"CDPORIMPPROD", ""}, {"CDBARPRODUTO", ""}};
        QTest::newRow("nome com acentos") << QVariantMap{{"edtNomeProd", ""}, {"digita", "Pão de Açúcar"}} << QVariantMap{{"NMPRODUTO", "Pao de açucar"}};
        QTest::newRow("edição do preço, T18") << QVariantMap{{"editar", "1"}, {"edtPrecoUnit", "3,5"}}
                                               << QVariantMap{{"VRPRECITEM", 3.5}, {"CDIMPOSTO", "03"}, {"VRPEALIMPFIS", 18.0}};
        QTest::newRow("edição, T07") << QVariantMap{{"editar", "1"}, {"escolhe", "01"}} << QVariantMap{{"VRPEALIMPFIS", 0.0}};
        QTest::newRow("edição, 00") << QVariantMap{{"editar", "1"}, {"escolhe", "00"}, {"edtAliq", "7,5"}} << QVariantMap{{"VRPEALIMPFIS", 7.5}};
        QTest::newRow("ENTER nos seletores") << QVariantMap{{"seletores", "dxfUnidade dxfImposto dxfPortaImp"}}
                                             << QVariantMap{{"SGUNIDADE", "UN"}, {"CDIMPOSTO", "03"}, {"CDPORIMPPROD", "0"}};
        QTest::newRow("ENTER na porta vazia") << QVariantMap{{"edtPortaImp", ""}, {"seletores", "dxfPortaImp"}} << QVariantMap{{"CDPORIMPPROD", "COM1"}};
    }

    // A new (or edited) product lands with its four rows as the page showed it; the
    // success message comes after the fields are emptied and before the
    // list page; the list stands on its first row.
    void grava()
    {
        QFETCH(QVariantMap, mudancas);
        QFETCH(QVariantMap, gravado);
        const QString editado = mudancas.value("editar").toString();
        Pesquisas imposto;
        imposto.escolhe = [&](TClientDataSet *ds) {
            return mudancas.contains("seletores") || ds->Locate(QStringLiteral("CDIMPOSTO"), mudancas.value("escolhe", "01"));
        };
        QUL_AMBIENTE(amb, false);
        insereImpostos(amb.db);
        insereProduto(amb.db, produto(QStringLiteral("7"), QStringLiteral("900")));
        insereProduto(amb.db, produto(QStringLiteral("8"), QStringLiteral("1")));
        amb.db.exec(QStringLiteral("INSERT INTO UNIDMEDIDA (SGUNIDADE, DSUNIDADE) VALUES ('CX', 'Caixa'), ('UN', 'Unidade')"));
        Mensagens msgs;
        SetPesquisaHook([](auto &&...) { return true; });  // ENTER at once
        QString aoMostrar;
        msgs.aoMostrar = [&](const QString &) {
            aoMostrar = frmCadProd->PaginaAtiva() + textosCampos(frmCadProd).join(QString());
        };
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            f->sbtProxDestClick(nullptr);
            f->dxfImpostoClick(nullptr);  // a tax picked in an earlier entry, which Incluir and Editar forget
            preenche(f, mudancas);
            QTest::mouseClick(botao(f, "sbtConfirmar"), Qt::LeftButton);
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina1"));
            QCOMPARE(f->cdsProduto->RecordCount(), editado.isEmpty() ? 3 : 2);
            QCOMPARE(f->cdsProduto->RecNo(), 1);
        }));
        QCOMPARE(msgs.vistas, QStringList{QStringLiteral("Operação realizada com sucesso.|0|N|002")});
        QCOMPARE(aoMostrar, QStringLiteral("Pagina2"));
        const QVariantMap visto = linha(amb.db, editado.isEmpty() ? QStringLiteral("501") : editado);
        for (auto it = gravado.begin(); it != gravado.end(); ++it)
            QCOMPARE(visto.value(it.key()), it.value());
        QCOMPARE(amb.db.scalar(QStringLiteral("SELECT CDPRODUTO FROM PRODUTO WHERE CDPRODINTE = '501'")).toString(),
                 editado.isEmpty() ? QStringLiteral("9") : QString());
    }

    void duplicados_data()
    {
        QTest::addColumn<QString>("operacao");
        QTest::addColumn<QString>("reduzido");
        QTest::addColumn<QString>("barras");
        QTest::addColumn<QString>("mensagem");
        QTest::addColumn<int>("campo");
        QTest::newRow("reduzido de outro") << "I" << "1" << "999" << "Código Reduzido já cadastrado.|3|N|002" << 2;
        QTest::newRow("barras de outro") << "I" << "55" << "7891000000001" << "Código de Barras já cadastrado.|3|N|002" << 8;
        QTest::newRow("os dois") << "I" << "2" << "7891000000001" << "Código Reduzido já cadastrado.|3|N|002" << 2;
        QTest::newRow("barras vazio") << "I" << "55" << "" << "Operação realizada com sucesso.|0|N|002" << 0;
        QTest::newRow("edição com os próprios") << "E" << "2" << "7891000000002" << "Operação realizada com sucesso.|0|N|002" << 0;
    }

    void duplicados()
    {
        QFETCH(QString, operacao);
        QFETCH(QString, reduzido);
        QFETCH(QString, barras);
        QFETCH(QString, mensagem);
        QFETCH(int, campo);
        QUL_AMBIENTE(amb, false);
        insereImpostos(amb.db);
        for (auto [c, r, b] : {std::tuple{"1", "1", "7891000000001"}, {"2", "2", "7891000000002"}, {"3", "3", ""},
                               {"4", "4", ""}}) {
            ProdutoTeste p = produto(QLatin1String(c), QLatin1String(r));
            p.barras = QLatin1String(b);
            p.tara = 0.015;  // three decimals, which an edit must keep
            insereProduto(amb.db, p);
        }
        // Written by another tool: product 2's tree code is product 1's code.
        amb.db.exec(QStringLiteral("UPDATE PRODUTO SET CDARVPROD = '1' WHERE CDPRODUTO = '2'"));
        Mensagens msgs;
        int campoNaMensagem = 0;
        msgs.aoMostrar = [&](const QString &) { campoNaMensagem = frmCadProd->FCampoAtual; };
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            if (operacao == QLatin1String("E")) {
                f->sbtProxDestClick(nullptr);  // product 2
                f->sbtEditarClick(nullptr);
                f->edtPrecoUnit->setCaption(QStringLiteral("3,5"));
            } else {
                preenche(f, {{"edtCodRed", reduzido}, {"edtCodBarra", barras}});
            }
            f->FCampoAtual = 9;
            f->sbtConfirmarClick(nullptr);
            QCOMPARE(msgs.vistas, QStringList{mensagem});
            QCOMPARE(campoNaMensagem, 9);  // on a clash the message comes before the marking
            if (campo) {
                QCOMPARE(f->FCampoAtual, campo);
                QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina2"));
            } else if (operacao == QLatin1String("E")) {
                QCOMPARE(f->cdsProduto->FieldByName(QStringLiteral("CDPRODUTO"))->AsString(), QStringLiteral("2"));
                QCOMPARE(f->dbgProduto->currentIndex().row(), 1);
            }
        }));
        QCOMPARE(amb.db.count(QStringLiteral("PRODUTO")), campo || operacao == QLatin1String("E") ? 4 : 5);
        if (operacao == QLatin1String("E")) {
            QCOMPARE(amb.db.scalar(QStringLiteral("SELECT VRPRECITEM FROM ITEMPRECO WHERE CDPRODUTO = '2'")).toDouble(), 3.5);
            QCOMPARE(linha(amb.db, QStringLiteral("2")).value("QTTARAPROD").toDouble(), 0.015);
            QCOMPARE(linha(amb.db, QStringLiteral("1")).value("NMPRODUTO").toString(), QStringLiteral("Produto 1"));
        }
    }

    void conflito_data()
    {
        QTest::addColumn<QStringList>("linhas");  // "reduzido|barras" per row, in the order returned
        QTest::addColumn<int>("esperado");
        QTest::newRow("nenhuma") << QStringList{} << int(TConflito::Nenhum);
        QTest::newRow("só vazias") << QStringList{"|", "|"} << int(TConflito::Nenhum);
        QTest::newRow("vazia antes do reduzido") << QStringList{"|", "12|"} << int(TConflito::Reduzido);
        QTest::newRow("barras antes do reduzido") << QStringList{"|789", "12|"} << int(TConflito::Reduzido);
        QTest::newRow("vazia antes das barras") << QStringList{"|", "|789"} << int(TConflito::Barras);
    }

    // Rows of the duplicate check come in no particular order: every row counts.
    void conflito()
    {
        if (TestDb::currentEngine() != TestDb::Engine::SQLite)
            QSKIP("no database");
        QFETCH(QStringList, linhas);
        QFETCH(int, esperado);
        TClientDataSet cds;
        cds.AddField(QStringLiteral("CDPRODINTE"), TFieldType::ftString, 10);
        cds.AddField(QStringLiteral("CDBARPRODUTO"), TFieldType::ftString, 10);
        cds.CreateDataSet();
        for (const QString &l : linhas) {
            cds.Append();
            cds.Fields(0)->SetAsString(l.section(QLatin1Char('|'), 0, 0));
            cds.Fields(1)->SetAsString(l.section(QLatin1Char('|'), 1, 1));
            cds.Post();
        }
        QCOMPARE(int(conflitoDeCodigos(&cds)), esperado);
    }

    // A tare that is no number, on a product that is not weighed, is reported
    // with a clear text and nothing is saved.
    void taraInvalidaSemPesar()
    {
        if (TestDb::currentEngine() != TestDb::Engine::SQLite)
            QSKIP("the check runs before any service");
        QUL_AMBIENTE(amb, false);
        QStringList erros;
        SetErrorReportHook([&](const QString &m) { erros << m; });
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            preenche(f, {{"edtTara", "1,2,3"}});
            QTest::keyClick(f, Qt::Key_Return, Qt::ControlModifier);
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina2"));
        }));
        QCOMPARE(erros, QStringList{QStringLiteral("Tara \"1,2,3\" não é um número válido; o produto não foi gravado.")});
        QCOMPARE(amb.db.count(QStringLiteral("PRODUTO")), 0);
    }

    void excluir_data()
    {
        QTest::addColumn<QString>("caso");
        QTest::addColumn<QStringList>("mensagens");
        QTest::addColumn<bool>("excluido");
        QTest::addColumn<int>("linhaDepois");  // 1: reloaded; 2: not
        const QString pergunta = QStringLiteral("Deseja excluir o Produto?|1|S|002");
        QTest::newRow("recusado") << "livre" << QStringList{pergunta} << false << 2;
        QTest::newRow("OK") << "livre" << QStringList{pergunta, "Operação realizada com sucesso.|0|N|002"} << true << 1;
        QTest::newRow("VENDA") << "venda"
                               << QStringList{pergunta, "Produto não pode ser excluído pois está cadastrado em uma venda.|3|N|002"}
                               << false << 1;
        QTest::newRow("CONFTE") << "menu" << QStringList{pergunta, "CONFTE"} << false << 1;
        QTest::newRow("falha") << "falha" << QStringList{pergunta, "setDelProduto", "Operação interrompida.|3|N|002"}
                               << false << 2;
    }

    void excluir()
    {
        QFETCH(QString, caso);
        QFETCH(QStringList, mensagens);
        QFETCH(bool, excluido);
        QFETCH(int, linhaDepois);
        QUL_AMBIENTE(amb, true);
        const QString livres = QStringLiteral(
            "SELECT MAX(CDPRODUTO) FROM PRODUTO WHERE CDPRODUTO NOT IN (SELECT CDPRODUTO FROM ITEMVENDA UNION SELECT "
            "CDPRODUTO FROM ITCOMANDAVEN) AND CDPRODUTO NOT IN (SELECT CDIDENTBUTON FROM ITMENUCONFTE WHERE "
            "CDIDENTBUTON IS NOT NULL)");
        const QString codigo =
            caso == QLatin1String("venda") ? amb.db.scalar(QStringLiteral("SELECT CDPRODUTO FROM ITEMVENDA")).toString()
            : caso == QLatin1String("menu") ? QStringLiteral("2")
                                            : amb.db.scalar(livres).toString();
        QVERIFY(!codigo.isEmpty());
        if (caso == QLatin1String("falha"))
            amb.db.exec(QStringLiteral("DROP TABLE ITCOMANDAVEN"));
        Mensagens msgs;
        msgs.resposta = caso != QLatin1String("livre") || excluido;
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            QVERIFY(f->cdsProduto->Locate(QStringLiteral("CDPRODUTO"), codigo));
            const int antes = f->cdsProduto->RecNo();
            QVERIFY(antes > 1 || linhaDepois == 1);  // else a reload could not be told apart
            QTest::keyClick(f, Qt::Key_F4);
            QCOMPARE(f->cdsProduto->RecNo(), linhaDepois == 1 ? 1 : antes);
            QCOMPARE(f->cdsProduto->Locate(QStringLiteral("CDPRODUTO"), codigo), !excluido);
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina1"));
        }));
        QCOMPARE(msgs.vistas.size(), mensagens.size());
        for (int i = 0; i < mensagens.size(); ++i) {
            if (mensagens[i] == QLatin1String("CONFTE")) {
                // The group of the first row the service returned, then a full stop.
                QVERIFY2(msgs.vistas[i].contains(QRegularExpression(QStringLiteral(
                             "^Produto está incluso em uma configuração de tela\\. .*então o exclua do grupo "
                             "(Padaria|Lanches)\\.\\|2\\|N\\|$"))),
                         qPrintable(msgs.vistas[i]));
            } else {
                QVERIFY2(msgs.vistas[i].contains(mensagens[i]), qPrintable(msgs.vistas[i]));
            }
        }
        QCOMPARE(amb.db.count(QStringLiteral("PRODUTO"), QStringLiteral("CDPRODUTO = '%1'").arg(codigo)), excluido ? 0 : 1);
    }
};

QTEST_MAIN(TstGravacao)
#include "tst_gravacao.moc"
