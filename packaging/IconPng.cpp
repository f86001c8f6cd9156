// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the program's icon as a square PNG for the desktop's icon theme:
// icon_png ICON SIZE OUTPUT. The largest image of the icon is scaled up
// without smoothing, which keeps its flat shapes sharp.

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    QTextStream err(stderr);
    if (arguments.size() != 4) {
        err << "usage: icon_png ICON SIZE OUTPUT\n";
        return 2;
    }
    QImageReader reader(arguments.at(1));
    QImage largest;
    do {
        const QImage image = reader.read();
        if (image.width() > largest.width())
            largest = image;
    } while (reader.jumpToNextImage());
    const int size = arguments.at(2).toInt();
    if (largest.isNull() || size <= 0) {
        err << "cannot read " << arguments.at(1) << ": " << reader.errorString() << '\n';
        return 1;
    }
    if (!largest.scaled(size, size, Qt::KeepAspectRatio, Qt::FastTransformation).save(arguments.at(3), "PNG")) {
        err << "cannot write " << arguments.at(3) << '\n';
        return 1;
    }
    return 0;
}
