#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>

namespace device {

// Unicode text to the single-byte code page the printer has selected (ESC t), and printer bytes
// back to text.
class CodePageConverter {
public:
    static constexpr int Ascii = 998;
    static constexpr char32_t Undefined = U'\uFFFD'; // what a byte the code page leaves undefined reads as

    static bool isSupported(int codePage); // 437, 850, 852, 858, 866, 1252, 998 (ASCII)

    // A character the code page lacks becomes '?' (a surrogate pair is one character). U+0000..U+001F
    // pass as their byte. U+0080..U+009F stand for the Windows-1252 characters of those codes (escaped
    // print data such as \80 arrives as U+0080 and means the euro sign). An unsupported code page
    // gives ASCII.
    static QByteArray encode(QStringView text, int codePage);

    // The character a byte stands for in the code page; control bytes read as themselves, a byte the
    // page leaves undefined reads as Undefined. An unsupported code page reads as ASCII.
    static char32_t decodeByte(quint8 byte, int codePage);
    // What each byte of a character set iconv knows by `iconvName` stands for; bytes it cannot read
    // are Undefined. An unknown name gives the ASCII half only.
    static std::array<char32_t, 256> decodeTableOf(const char* iconvName);
    static QString decode(QByteArrayView bytes, int codePage);
};

} // namespace device
