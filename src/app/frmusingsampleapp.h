#pragma once

#include "app/dialogform.h"

namespace Ui {
class frmUsingSampleApp;
}

// The Using dialog: what the program is for and how to type escapes; OK closes it.
class frmUsingSampleApp : public DialogForm {
    Q_OBJECT
public:
    explicit frmUsingSampleApp(QWidget* parent = nullptr);
    ~frmUsingSampleApp() override;

private:
    Ui::frmUsingSampleApp* ui;
};
