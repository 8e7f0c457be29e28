#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace device {

struct PrinterProfile;

// A one-dimensional symbol's width as thin units and thick elements. Multi-width codes (UPC/EAN,
// Code 93, Code 128) count modules as thin units and have no thick elements.
struct BarWidth {
    int thinUnits = 0;
    int thickElements = 0;

    int dots(int moduleWidth, const PrinterProfile& profile) const; // quiet zones excluded
};

// A 1D symbology's data checked and converted to what follows GS k m n.
struct LinearSymbol {
    QString error; // empty when the data is good
    int gsKType = 0;
    QByteArray payload;
    BarWidth width;
};

bool isLinearSymbology(qint32 symbology);
LinearSymbol encodeLinear(qint32 symbology, const QString& data);

// GS1 modulo-10 check digit of a digit string (UPC, EAN).
char gs1CheckDigit(const QByteArray& digits);

// UPC-E as its UPC-A form: number system 0, manufacturer and product, without check digit;
// empty when the six digits are not a UPC-E body.
QByteArray upcEToUpcA(const QByteArray& sixDigits);

} // namespace device
