// hostexemplo CONNECTION: opens the store database through the installed
// module and lists its units with getUnidade.
#include <qul00002/qul00002.h>

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString conexao = app.arguments().value(1);
    QVariant erro, unidades;
    if (QulCriaModuloDados(reinterpret_cast<const char16_t *>(conexao.utf16()), &erro) != 0) {
        std::fprintf(stderr, "%s\n", qPrintable(erro.toString()));
        return 1;
    }
    const int32_t status = getUnidade(&unidades);
    std::printf("%s %s: getUnidade %d %s\n", GetPackageInfoTable()->module, GetPackageInfoTable()->version,
                int(status), unidades.typeName());
    unidades = QVariant();
    QulLiberaModuloDados();
    return status == 0 ? 0 : 1;
}
