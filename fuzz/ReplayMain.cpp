// The replay program of a fuzz target, for the default build: runs the
// target once on every file of the folders (or files) named on the command
// line, the seed corpus and the saved crash inputs, so that every input
// that ever broke a property stays a test. A broken property aborts.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size);

namespace {

int runFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray bytes = f.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const unsigned char *>(bytes.constData()), size_t(bytes.size()));
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    int inputs = 0, errors = 0;
    for (int a = 1; a < argc; ++a) {
        const QFileInfo arg(QString::fromLocal8Bit(argv[a]));
        if (arg.isFile()) {
            errors += runFile(arg.filePath());
            ++inputs;
            continue;
        }
        if (!arg.isDir())
            continue;  // a target with no saved crash has no folder for them
        const QStringList names = QDir(arg.filePath()).entryList(QDir::Files, QDir::Name);  // hidden files left out
        for (const QString &name : names) {
            if (name.endsWith(QLatin1String(".md")))
                continue;
            errors += runFile(QDir(arg.filePath()).filePath(name));
            ++inputs;
        }
    }
    std::printf("%d inputs replayed\n", inputs);
    return errors == 0 && inputs > 0 ? 0 : 1;
}
