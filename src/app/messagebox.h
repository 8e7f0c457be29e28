#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

// The one way the program shows a message box. Tests install a handler that answers instead of a
// real box, so nothing waits for a user.
class MessageBox {
public:
    struct Request {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
    };
    using Handler = std::function<QMessageBox::StandardButton(const Request&)>;

    // A modal box with the warning icon and a single OK button; returns when it is closed.
    static QMessageBox::StandardButton warning(QWidget* parent, const QString& title, const QString& text);
    // The same with the information icon.
    static QMessageBox::StandardButton information(QWidget* parent, const QString& title,
                                                   const QString& text);

    // A question with Yes and No; returns the button pressed (No when the box is closed).
    static QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text);

    // While a handler is set it receives every request and its answer is returned; no box appears.
    // An empty handler brings the real boxes back.
    static void setHandler(Handler handler);

private:
    static QMessageBox::StandardButton show(QWidget* parent, const Request& request);
};
