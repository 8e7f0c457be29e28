#include "messagebox.h"

namespace {

MessageBox::Handler& installedHandler() {
    static MessageBox::Handler handler;
    return handler;
}

} // namespace

QMessageBox::StandardButton MessageBox::warning(QWidget* parent, const QString& title, const QString& text) {
    return show(parent, {QMessageBox::Warning, title, text, QMessageBox::Ok});
}

QMessageBox::StandardButton MessageBox::information(QWidget* parent, const QString& title,
                                                    const QString& text) {
    return show(parent, {QMessageBox::Information, title, text, QMessageBox::Ok});
}

QMessageBox::StandardButton MessageBox::question(QWidget* parent, const QString& title, const QString& text) {
    const QMessageBox::StandardButton pressed =
        show(parent, {QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No});
    return pressed == QMessageBox::Yes ? QMessageBox::Yes : QMessageBox::No;
}

void MessageBox::setHandler(Handler handler) {
    installedHandler() = std::move(handler);
}

QMessageBox::StandardButton MessageBox::show(QWidget* parent, const Request& request) {
    if (installedHandler())
        return installedHandler()(request);
    QMessageBox box(request.icon, request.title, request.text, request.buttons, parent);
    box.setTextFormat(Qt::PlainText);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
