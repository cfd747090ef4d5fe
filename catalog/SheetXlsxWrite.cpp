// The .xlsx export through libxlsxwriter in its constant_memory mode: each
// row goes to the file as it is written (texts as inline strings), so the
// sheet is never held whole.

#include "CatalogFile.h"
#include "SheetWrite.h"

#include <QFile>
#include <xlsxwriter.h>

namespace {

[[noreturn]] void falha(const QString &caminho, lxw_error erro)
{
    throw Exception(QStringLiteral("não foi possível gravar a planilha %1: %2.")
                        .arg(caminho, QString::fromUtf8(lxw_strerror(erro))));
}

}  // namespace

void escreveXlsx(const TDataPacket &p, const QString &caminho)
{
    verificaTamanho(p);
    lxw_workbook_options opcoes{};
    opcoes.constant_memory = LXW_TRUE;
    const QByteArray nome = QFile::encodeName(caminho);
    lxw_workbook *livro = workbook_new_opt(nome.constData(), &opcoes);
    if (!livro)
        throw Exception(QStringLiteral("não foi possível gravar a planilha %1.").arg(caminho));
    lxw_worksheet *folha = workbook_add_worksheet(livro, "Produtos");
    lxw_format *texto = workbook_add_format(livro);
    format_set_num_format(texto, "@");
    lxw_format *cabecalho = workbook_add_format(livro);
    format_set_bold(cabecalho);
    format_set_num_format(cabecalho, "@");
    lxw_error erro = LXW_NO_ERROR;
    const auto escreve = [&](lxw_error e) {
        if (e != LXW_NO_ERROR && erro == LXW_NO_ERROR)
            erro = e;
    };
    for (qsizetype c = 0; c < p.fields.size(); ++c)
        escreve(worksheet_set_column(folha, lxw_col_t(c), lxw_col_t(c), larguraColuna(p.fields[c]),
                                     campoCodigo(p.fields[c].name) ? texto : nullptr));
    worksheet_freeze_panes(folha, 1, 0);
    for (qsizetype c = 0; c < p.fields.size(); ++c)
        escreve(worksheet_write_string(folha, 0, lxw_col_t(c), p.fields[c].name.toUtf8().constData(), cabecalho));
    for (qsizetype i = 0; i < p.rows.size() && erro == LXW_NO_ERROR; ++i) {
        const QVariantList &r = p.rows[i];
        for (qsizetype c = 0; c < r.size(); ++c) {
            if (!r[c].isValid())
                continue;
            const TFieldDef &f = p.fields[c];
            if (f.type == TFieldType::ftFloat || f.type == TFieldType::ftInteger)
                escreve(worksheet_write_number(folha, lxw_row_t(i + 1), lxw_col_t(c), r[c].toDouble(), nullptr));
            else if (const QString t = textoCelula(p, i, c); !t.isEmpty())
                escreve(worksheet_write_string(folha, lxw_row_t(i + 1), lxw_col_t(c), t.toUtf8().constData(),
                                               campoCodigo(f.name) ? texto : nullptr));
        }
    }
    const lxw_error fim = workbook_close(livro);
    if (erro != LXW_NO_ERROR)
        falha(caminho, erro);
    if (fim != LXW_NO_ERROR)
        falha(caminho, fim);
}
