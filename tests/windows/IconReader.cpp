// SPDX-License-Identifier: GPL-3.0-or-later
// Copied into an installed folder and run from there: whether Qt, with only
// the installed file set, reads the program's .ico file (the tray icon).
// Usage: IconReader.exe ICOFILE; exit status 0 when it reads, else 1.

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    QImageReader reader(application.arguments().value(1));
    const QImage image = reader.read();
    out << "ico among the formats: " << (formats.contains("ico") ? "yes" : "no") << '\n'
        << "image: " << image.width() << 'x' << image.height() << ' ' << reader.errorString() << '\n';
    return formats.contains("ico") && !image.isNull() ? 0 : 1;
}
