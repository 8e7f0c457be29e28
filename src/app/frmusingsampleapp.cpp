#include "frmusingsampleapp.h"
#include "ui_frmusingsampleapp.h"

#include "app/look.h"

frmUsingSampleApp::frmUsingSampleApp(QWidget* parent) : DialogForm(parent), ui(new Ui::frmUsingSampleApp) {
    ui->setupUi(this);
    setPointSize(ui->Label1, 9.75);
    setPointSize(ui->Label2, 9.75);
    setPointSize(ui->Label4, 12);
    // The support note sits on the window-background colour, as text fields do.
    QPalette palette = ui->Label4->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Base));
    ui->Label4->setPalette(palette);
    Form_Load(ui->cmdOK);
}

frmUsingSampleApp::~frmUsingSampleApp() {
    delete ui;
}
