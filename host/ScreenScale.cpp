#include "ScreenScale.h"

#include "IniFile.h"

#include <QByteArray>
#include <QDir>
#include <QLocale>
#include <algorithm>

namespace {

QString range()
{
    return QStringLiteral("um número de 1 a 3, como 1.5 ou 1,75");
}

}  // namespace

namespace ScreenScale {

QStringList configFiles(const QString &programDir)
{
    return {QDir(programDir).filePath(QStringLiteral("qul.ini")), QStringLiteral(QUL_SYSTEM_CONFIG_FILE)};
}

bool parse(const QString &text, double *scale)
{
    QString number = text.trimmed();
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    // Digits and one decimal point only: no sign, exponent, "nan" or "inf".
    bool point = false;
    for (const QChar c : number) {
        if (c == QLatin1Char('.') && !point)
            point = true;
        else if (!c.isDigit() || c.unicode() > 0x7f)
            return false;
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    if (!ok || !(value >= kMinimum && value <= kMaximum))
        return false;
    *scale = value;
    return true;
}

bool resolve(bool optionSet, const QString &option, const QStringList &iniFiles, double *scale, QString *error,
             QString *setting)
{
    *scale = 0;
    QString ignored;
    QString &origin = setting ? *setting : ignored;
    if (optionSet) {
        origin = QStringLiteral("--scale");
        if (parse(option, scale))
            return true;
        *error = QStringLiteral("--scale %1: a escala da tela é %2.").arg(option, range());
        return false;
    }
    for (const QString &file : iniFiles) {
        IniLookup ini;
        try {
            ini = lookUpIniValue(file, QStringLiteral("Screen"), QStringLiteral("Scale"));
        } catch (const EConfigError &e) {
            *error = e.Message();
            return false;
        }
        if (!ini.fileExists)
            continue;
        origin = QStringLiteral("chave Scale da seção [Screen] de %1, linha %2").arg(file).arg(ini.line);
        if (!ini.keyFound || parse(ini.value, scale))
            return true;
        // The value is not quoted: a wrong one may be anything the file holds.
        *error = QStringLiteral("Arquivo de configuração %1: linha %2: a chave Scale da seção [Screen] deve ser %3.")
                     .arg(file)
                     .arg(ini.line)
                     .arg(range());
        return false;
    }
    return true;
}

double fit(double scale, const QSize &available)
{
    // In whole hundredths, so that 768 / 600 gives 1.28 exactly.
    const int cabe = std::min(available.width() * 100 / kFormWidth, available.height() * 100 / kFormHeight);
    return std::max(kMinimum, std::min(scale, cabe / 100.0));
}

QString fitWarning(const QString &setting, double scale, const QSize &available, double used)
{
    const auto janela = [](double s) {
        return QStringLiteral("%1 x %2").arg(qRound(kFormWidth * s)).arg(qRound(kFormHeight * s));
    };
    return QStringLiteral("a escala %1 (%2) deixaria a janela (%3) maior que a área livre da tela (%4 x %5): "
                          "usada a escala %6 (%7).")
        .arg(QString::number(scale), setting, janela(scale))
        .arg(available.width())
        .arg(available.height())
        .arg(QString::number(used), janela(used));
}

void apply(double scale)
{
    if (scale > 0)
        qputenv("QT_SCALE_FACTOR", QByteArray::number(scale, 'g', 6));
}

}  // namespace ScreenScale
