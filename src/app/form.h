#pragma once

#include <QCloseEvent>
#include <QPointer>
#include <QWidget>

// A window that can be unloaded and loaded again: closing it (by its close box, a Close Form
// button or the program) runs its unload step once and destroys it.
class Form : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    bool isUnloaded() const { return m_unloaded; }
    void Unload() { close(); }

protected:
    // The window's own unload step; runs once, before the window goes away.
    virtual void Form_Unload() {}

    // Controls sit in their designed places, so a window smaller than its designed size would clip
    // them: the size it first shows at is its least.
    void showEvent(QShowEvent* event) override {
        if (minimumSize().isNull())
            setMinimumSize(size());
        QWidget::showEvent(event);
    }

    void closeEvent(QCloseEvent* event) override {
        if (!m_unloaded) {
            m_unloaded = true;
            Form_Unload();
        }
        event->accept();
        deleteLater();
    }

private:
    bool m_unloaded = false;
};

// The size a window made from the generated form `Ui` is designed at, read off a throwaway widget:
// the window itself would make its device controls.
template <typename Ui, typename Base = QWidget> QSize designedSizeOf() {
    Base window;
    Ui ui;
    ui.setupUi(&window);
    return window.size();
}

// The single instance of a window, created on first use. Reaching it while it is not loaded loads
// it without showing it (the main window's shutdown and WhatError rely on this).
template <typename Window> class FormInstance {
public:
    static Window& get() {
        if (!isLoaded())
            s_window = new Window();
        return *s_window;
    }
    static bool isLoaded() { return !s_window.isNull() && !s_window->isUnloaded(); }
    // Unloads the window if it is loaded; otherwise does nothing.
    static void unload() {
        if (isLoaded())
            s_window->Unload();
    }

private:
    static inline QPointer<Window> s_window;
};
