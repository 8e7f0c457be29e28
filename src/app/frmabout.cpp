#include "frmabout.h"
#include "ui_frmabout.h"

#include "app/look.h"

// The logo is in the library's resources; a reference keeps the linker from dropping them.
static void initAboutResources() {
    Q_INIT_RESOURCE(posling_app);
}

frmAbout::frmAbout(QWidget* parent) : DialogForm(parent), ui(new Ui::frmAbout) {
    initAboutResources();
    ui->setupUi(this);
    setPointSize(ui->Label1, 12);
    setPointSize(ui->cmdOK, 12);
    Form_Load(ui->cmdOK);
}

frmAbout::~frmAbout() {
    delete ui;
}
