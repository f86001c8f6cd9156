// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

// The window's status line. A text wider than the line never widens the
// window: it is shown elided in the middle, and whole in the tooltip. text()
// stays the whole text.
class StatusLine : public QLabel
{
    Q_OBJECT

public:
    explicit StatusLine(QWidget *parent = nullptr);

    void showText(const QString &text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
