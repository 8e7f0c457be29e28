#include "jobrenderer.h"

#include "virtual/escpossession.h"
#include "virtual/paperdots.h"
#include "virtual/virtualprinter.h"

namespace virt {

RenderedJob JobRenderer::render(QByteArrayView job, const ReceiptSink& sink) const {
    RenderedJob rendered;
    VirtualPrinter printer(QStringLiteral("render"), m_profile);
    printer.setPersonality(m_personality);
    printer.setListener(&rendered.listing);
    printer.paper()->setKeptCanvasDots(PaperRoll::kMaxReceiptDots);
    const auto take = [&rendered, &sink](const Receipt& receipt) {
        rendered.receipts << receipt;
        if (sink) {
            sink(receipt);
            rendered.receipts.last().image = QImage();
        }
    };
    QObject::connect(printer.paper(), &PaperRoll::receiptClosed, &printer, take);
    EscPosSession* session = printer.attach([](const QByteArray&) {});
    qsizetype sent = 0;
    while (sent < job.size() || session->buffered() > 0) {
        const qsizetype taken = sent < job.size() ? session->receive(job.sliced(sent)) : 0;
        sent += taken;
        const qsizetype before = session->buffered();
        session->processStep();
        // The printer is always ready here, so every step takes bytes; this only guards the loop.
        if (taken == 0 && session->buffered() == before)
            break;
    }
    session->finish();
    PaperRoll* paper = printer.paper();
    // Blank paper left between the head and the blade after the last cut is no receipt.
    if (!paper->isBlank() && (!paper->currentLines().isEmpty() || hasDots(paper->currentImage()))) {
        Receipt rest;
        rest.number = paper->receiptsCut() + 1;
        rest.image = paper->currentImage().convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
        rest.lines = paper->currentLines();
        rest.bands = paper->currentBands();
        take(rest);
        rendered.lastUncut = true;
    }
    printer.setListener(nullptr);
    return rendered;
}

} // namespace virt
