#include "look.h"

#include <QWidget>

void setPointSize(QWidget* widget, qreal pointSize, bool bold) {
    QFont font = widget->font();
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    widget->setFont(font);
}
