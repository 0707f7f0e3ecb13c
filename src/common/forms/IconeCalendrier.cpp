#include "common/forms/IconeCalendrier.h"

#include <QColor>
#include <QPainter>
#include <QPixmap>

QIcon iconeCalendrier() {
    QPixmap p(22, 22);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing, false);
    g.setPen(QColor(70, 70, 70));
    g.setBrush(Qt::white);
    g.drawRect(2, 3, 17, 16);
    g.fillRect(3, 4, 16, 4, QColor(200, 40, 40));
    g.setPen(QColor(120, 120, 120));
    for (int x = 6; x < 19; x += 4)
        for (int y = 10; y < 19; y += 3)
            g.drawPoint(x, y);
    return QIcon(p);
}
