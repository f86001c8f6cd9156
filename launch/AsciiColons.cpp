#include "launch/AsciiColons.h"

QString withAsciiColons(QString text)
{
    return text.replace(QChar(0xFF1A), QLatin1Char(':'), Qt::CaseSensitive);
}
