#include "look.h"

#include <QWidget>

void setPointSize(QWidget* widget, qreal pointSize, bool bold) {
    QFont font = widget->font();
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    widget->setFont(font);
}

void fitToWidth(QWidget* widget, qreal pointSize, bool bold) {
    setPointSize(widget, pointSize, bold);
    while (widget->font().pointSizeF() > 6 && widget->sizeHint().width() > widget->width())
        setPointSize(widget, widget->font().pointSizeF() - 0.5, bold);
}
