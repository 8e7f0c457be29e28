#include "app/frm_sample.h"
#include "app/form.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    FormInstance<frm_Sample>::get().show();
    return app.exec();
}
