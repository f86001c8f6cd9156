// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/widgets/StatusLine.h"

#include <QPainter>
#include <QTextDocument>
#include <QStyle>

StatusLine::StatusLine(QWidget *parent)
    : QLabel(parent)
{
}

void StatusLine::showText(const QString &text)
{
    setText(text);
    setToolTip(text);
}

// As wide as a short line asks; the layout gives it whatever room is left.
QSize StatusLine::sizeHint() const
{
    QSize hint = QLabel::sizeHint();
    hint.setWidth(qMin(hint.width(), 12 * fontMetrics().height()));
    return hint;
}

QSize StatusLine::minimumSizeHint() const
{
    return sizeHint();
}

void StatusLine::paintEvent(QPaintEvent *event)
{
    const QRect room = contentsRect();
    if (textFormat() == Qt::RichText || Qt::mightBeRichText(text()) || fontMetrics().horizontalAdvance(text()) <= room.width()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const QString elided = fontMetrics().elidedText(text(), Qt::ElideMiddle, room.width());
    style()->drawItemText(&painter, room, int(alignment()), palette(), isEnabled(), elided, foregroundRole());
}
