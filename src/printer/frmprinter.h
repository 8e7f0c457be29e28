#pragma once

#include "app/form.h"
#include "opos/posprinter.h"

// The printer window: owns the application's only POS printer control.
class frmPrinter : public Form {
    Q_OBJECT
public:
    explicit frmPrinter(QWidget* parent = nullptr);
    ~frmPrinter() override;

    opos::PosPrinter* OPOSPOSPrinter1 = nullptr;
    qint32 MyStation = 2;

    void Display();

protected:
    void Form_Unload() override;

private:
    void Form_Load();
};
