#pragma once

#include "app/dialogform.h"

namespace Ui {
class frmAbout;
}

// The About dialog: the logo, an ownership notice and the legal paragraphs; OK closes it.
class frmAbout : public DialogForm {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
    ~frmAbout() override;

private:
    Ui::frmAbout* ui;
};
