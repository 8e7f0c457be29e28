#include "device/link/printerstatus.h"

#include <utility>

namespace device {

namespace {
constexpr quint8 kXon = 0x11;
constexpr quint8 kXoff = 0x13;
constexpr quint8 kInformationStart = 0x5F;
constexpr quint8 kHeaderStart = 0x37;
constexpr qsizetype kLongestHeader = 80; // longer than any header reply: noise, given up
} // namespace

QList<StatusMessage> StatusParser::feed(const QByteArray& bytes) {
    QList<StatusMessage> messages;
    m_noise = 0;
    for (const char c : bytes) {
        const auto b = static_cast<quint8>(c);
        if (m_inInformation) {
            if (b == 0x00) {
                m_inInformation = false;
                messages.append({StatusMessage::Kind::Information, std::exchange(m_information, {})});
            } else if (m_information.size() < kLongestHeader) {
                m_information.append(c);
            } else {
                m_inInformation = false; // no printer names itself at such length: noise, given up
                m_information.clear();
            }
            continue;
        }
        if (b == kXon || b == kXoff)
            continue;
        if (m_inHeader) {
            if (b == 0x00) {
                m_inHeader = false;
                if (!m_header.isEmpty())
                    messages.append({StatusMessage::Kind::Header, std::exchange(m_header, {})});
            } else if (m_header.size() < kLongestHeader) {
                m_header.append(c);
            } else {
                m_inHeader = false;
                m_header.clear();
            }
            continue;
        }
        if (b == kHeaderStart) {
            // No status byte has this value, so it always starts a header reply.
            m_automatic.clear();
            m_inHeader = true;
            continue;
        }
        if (b == kInformationStart) {
            // GS I replies: 5Fh, ASCII text, 00h; their letters would pass for status bytes.
            m_automatic.clear();
            m_inInformation = true;
            m_information.clear();
            continue;
        }
        if (!m_automatic.isEmpty()) {
            // Bytes 2 to 4 of an automatic status have bits 4 and 7 clear.
            if ((b & 0x90) == 0) {
                m_automatic.append(c);
                if (m_automatic.size() == 4) {
                    messages.append({StatusMessage::Kind::Automatic, m_automatic});
                    m_automatic.clear();
                }
                continue;
            }
            m_noise += int(m_automatic.size()); // broken off: it was no status
            m_automatic.clear();                // and the byte starts something new
        }
        if ((b & 0x93) == 0x12)
            messages.append({StatusMessage::Kind::RealTime, QByteArray(1, c)});
        else if ((b & 0x93) == 0x10)
            m_automatic.append(c);
        else if ((b & 0x90) == 0)
            messages.append({StatusMessage::Kind::Transmit, QByteArray(1, c)});
        else
            ++m_noise; // no reply, status or flow control byte looks like this
    }
    return messages;
}

void StatusParser::reset() {
    m_automatic.clear();
    m_header.clear();
    m_inHeader = false;
    m_inInformation = false;
    m_information.clear();
}

int StatusParser::unfinished() const {
    return int(m_automatic.size() + (m_inHeader ? 1 + m_header.size() : 0) +
               (m_inInformation ? 1 + m_information.size() : 0));
}

void applyRealTime(PrinterStatus& status, int n, quint8 reply) {
    switch (n) {
    case 1:
        status.drawerPinHigh = reply & 0x04;
        status.offline = reply & 0x08;
        break;
    case 2:
        status.coverOpen = reply & 0x04;
        break;
    case 4:
        status.paperNearEnd = reply & 0x0C;
        status.paperEnd = reply & 0x60;
        break;
    default:
        break;
    }
}

void applyAutomatic(PrinterStatus& status, const QByteArray& fourBytes) {
    if (fourBytes.size() < 3)
        return;
    const auto first = static_cast<quint8>(fourBytes.at(0));
    const auto third = static_cast<quint8>(fourBytes.at(2));
    status.drawerPinHigh = first & 0x04;
    status.offline = first & 0x08;
    status.coverOpen = first & 0x20;
    status.paperNearEnd = third & 0x03;
    status.paperEnd = third & 0x0C;
}

void applyTransmit(PrinterStatus& status, int n, quint8 reply) {
    if (n == 1) {
        status.paperNearEnd = reply & 0x03;
        status.paperEnd = reply & 0x0C;
    } else if (n == 2) {
        status.drawerPinHigh = reply & 0x01;
    }
}

} // namespace device
