#include "modecommands.h"

#include "framebytes.h"
#include "virtualprofile.h"
#include "wirelog.h"

namespace virt {

bool ModeCommands::apply(const CommandEntry& entry, const QByteArray& frame) {
    PrintModes& modes = *m_modes;
    TextStyle& style = modes.style;
    const int paper = m_printer->profile().widthDots;
    const int p = entry.prefixLength;
    const int n = u8(frame, p);
    switch (entry.id) {
    case Cmd::RightSpacing:
        style.rightSpacing = n;
        break;
    case Cmd::PrintMode:
        style.fontB = n & 0x01;
        modes.emphasis = n & 0x08;
        style.heightMul = (n & 0x10) ? 2 : 1;
        style.widthMul = (n & 0x20) ? 2 : 1;
        style.underline = (n & 0x80) ? 1 : 0;
        break;
    case Cmd::Underline:
        if (selector(n) <= 2)
            style.underline = selector(n);
        break;
    case Cmd::DefaultLineSpacing:
        modes.lineSpacing = m_printer->profile().lineSpacing;
        break;
    case Cmd::LineSpacing:
        modes.lineSpacing = n;
        break;
    case Cmd::TabStops:
        setTabStops(frame);
        break;
    case Cmd::Emphasis:
        modes.emphasis = n & 1;
        break;
    case Cmd::DoubleStrike:
        modes.doubleStrike = n & 1;
        break;
    case Cmd::Font:
        style.fontB = selector(n) == 1 || selector(n) == 2;
        break;
    case Cmd::Rotate90:
        style.rotate90 = selector(n) == 1 || selector(n) == 2;
        break;
    case Cmd::CodeTable:
        setCodeTable(n);
        break;
    case Cmd::UpsideDown:
        modes.upsideDown = n & 1;
        break;
    case Cmd::CharacterSize: {
        const int width = ((n >> 4) & 0x0F) + 1, height = (n & 0x0F) + 1;
        if (width <= 8 && height <= 8) {
            style.widthMul = width;
            style.heightMul = height;
        }
        break;
    }
    case Cmd::ReverseMode:
        style.reverse = n & 1;
        break;
    case Cmd::LeftMargin:
        modes.leftMargin = qMin(u16(frame, p), paper - 1);
        break;
    case Cmd::PrintAreaWidth: {
        const int width = u16(frame, p);
        modes.areaWidth = width == 0 ? paper : width;
        break;
    }
    case Cmd::HriPosition:
        if (selector(n) <= 3)
            modes.hriPosition = selector(n);
        break;
    case Cmd::HriFont:
        modes.hriFontB = selector(n) == 1;
        break;
    case Cmd::BarHeight:
        if (n > 0)
            modes.barHeight = n;
        break;
    case Cmd::ModuleWidth:
        if (n >= 1 && n <= 6)
            modes.moduleWidth = n;
        break;
    default:
        return false;
    }
    return true;
}

void ModeCommands::setTabStops(const QByteArray& frame) {
    m_modes->tabStops.clear();
    int last = 0;
    for (int i = 2; i < frame.size() && frame[i] != '\0'; ++i) {
        const int stop = u8(frame, i);
        if (stop <= last)
            break; // stops must ascend
        m_modes->tabStops.append(stop);
        last = stop;
    }
}

void ModeCommands::setCodeTable(int n) {
    const auto& tables = m_printer->profile().codePageForEscT;
    const auto it = tables.constFind(n);
    if (it != tables.constEnd())
        m_modes->codePage = *it;
    else // a printer without the table ignores the command and keeps the one it has
        m_printer->wireLog()->addCommand(
            WireLog::Direction::Received, QByteArray(),
            QStringLiteral("no character code table %1 here: ESC t ignored").arg(n));
}

} // namespace virt
