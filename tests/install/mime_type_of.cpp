// mime_type_of FILE...: prints the MIME type the shared MIME database gives
// each file, one line each, as a Qt file dialog sees it. The database is
// the one XDG_DATA_DIRS points to.
#include <QCoreApplication>
#include <QFile>
#include <QMimeDatabase>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QMimeDatabase database;
    for (int i = 1; i < argc; ++i)
        std::printf("%s\n",
                    qPrintable(database.mimeTypeForFile(QFile::decodeName(argv[i])).name()));
    return 0;
}
