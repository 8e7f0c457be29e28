#include "rendercommand.h"

#include "goldenfolder.h"
#include "jobrenderer.h"
#include "opos/userfiles.h"
#include "receiptwriter.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTextStream>

#include <unistd.h>

namespace virt {

namespace {

constexpr qint64 kMaxJobBytes = 256 << 20;

struct Job {
    QString path; // "-" for standard input
    QString stem; // what its files are named after
};

const char* cutName(CutKind kind) {
    switch (kind) {
    case CutKind::Full:
        return "full cut";
    case CutKind::Partial:
        return "partial cut";
    case CutKind::Torn:
        return "torn off at the longest receipt";
    }
    return "cut";
}

QByteArray linesText(const RenderedJob& job) {
    QByteArray text;
    for (qsizetype i = 0; i < job.receipts.size(); ++i) {
        const Receipt& receipt = job.receipts.at(i);
        for (const PrintedLine& line : receipt.lines)
            text += line.text.toUtf8() + '\n';
        const bool uncut = job.lastUncut && i == job.receipts.size() - 1;
        text += QByteArray("---- ") + (uncut ? "not cut" : cutName(receipt.cut)) + " ----\n";
    }
    return text;
}

QString receiptName(const QString& stem, int number) {
    return QStringLiteral("%1-%2.png").arg(stem).arg(number, 4, 10, QLatin1Char('0'));
}

// Writes a job's lines and listing; returns the problem, or nothing.
QString writeTexts(const QDir& out, const QString& stem, const RenderedJob& job) {
    for (const auto& [suffix, bytes] :
         {std::pair{QStringLiteral(".txt"), linesText(job)},
          std::pair{QStringLiteral(".jsonl"), job.listing.jsonLines(job.receipts)}}) {
        const QString path = out.filePath(stem + suffix);
        if (const QString problem = opos::UserFileWriter(path).write(bytes); !problem.isEmpty())
            return QStringLiteral("%1: %2").arg(path, problem);
    }
    return QString();
}

int usage(QTextStream& err, const QString& message) {
    err << "posling-virtual-printer render: " << message << "\nSee posling-virtual-printer render --help.\n";
    return 2;
}

} // namespace

int runRenderCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints ESC/POS jobs offline: each receipt as PNG (one pixel a dot), the text of "
                       "its lines, and a listing of every command as JSON Lines."));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Show this help."));
    const QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("Folder for what is rendered."),
                                       QStringLiteral("folder"));
    const QCommandLineOption profileOption(QStringLiteral("profile"),
                                           QStringLiteral("80mm (default) or 58mm."),
                                           QStringLiteral("profile"), QStringLiteral("80mm"));
    const QCommandLineOption answersOption(
        QStringLiteral("answers"),
        QStringLiteral("The printer's personality: all (default), gsr, realtime or none; it decides "
                       "which buffer clears are honoured."),
        QStringLiteral("kind"), ReplyPersonality::full().id);
    const QCommandLineOption expectOption(
        QStringLiteral("expect"),
        QStringLiteral("Compare each receipt with the golden of its name in this folder; a difference "
                       "writes NAME.diff.png and exits 1."),
        QStringLiteral("folder"));
    const QCommandLineOption updateOption(
        QStringLiteral("update"), QStringLiteral("Write the receipts as the goldens (with --expect)."));
    parser.addOptions({helpOption, outOption, profileOption, answersOption, expectOption, updateOption});
    parser.addPositionalArgument(QStringLiteral("job"),
                                 QStringLiteral("Job files; - or none: standard input."),
                                 QStringLiteral("[job...]"));
    if (!parser.parse(QStringList{QStringLiteral("render")} + arguments))
        return usage(err, parser.errorText());
    if (parser.isSet(helpOption)) {
        QString help = parser.helpText();
        const qsizetype options = help.indexOf(QLatin1String(" [options]"));
        if (options >= 0)
            help.insert(options, QLatin1String(" render"));
        out << help;
        return 0;
    }
    if (!parser.isSet(outOption))
        return usage(err, QStringLiteral("--out names the folder for what is rendered"));
    if (parser.isSet(updateOption) && !parser.isSet(expectOption))
        return usage(err, QStringLiteral("--update writes the goldens into the --expect folder; name one"));
    const auto profile = VirtualProfile::byId(parser.value(profileOption));
    if (!profile)
        return usage(err,
                     QStringLiteral("unknown --profile %1 (80mm or 58mm)").arg(parser.value(profileOption)));
    const ReplyPersonality* personality = ReplyPersonality::byId(parser.value(answersOption));
    if (!personality)
        return usage(err, QStringLiteral("unknown --answers %1 (%2)")
                              .arg(parser.value(answersOption),
                                   ReplyPersonality::knownIds().join(QStringLiteral(", "))));

    QList<Job> jobs;
    QSet<QString> stems;
    const QStringList paths = parser.positionalArguments().isEmpty() ? QStringList{QStringLiteral("-")}
                                                                     : parser.positionalArguments();
    for (const QString& path : paths) {
        const QString stem =
            path == QLatin1String("-") ? QStringLiteral("stdin") : QFileInfo(path).completeBaseName();
        if (stems.contains(stem))
            return usage(err, QStringLiteral("two jobs would write %1-*: rename one").arg(stem));
        stems.insert(stem);
        jobs << Job{path, stem};
    }
    const QDir outDir(parser.value(outOption));
    if (!QDir().mkpath(outDir.path()))
        return usage(err, QStringLiteral("--out %1 cannot be created").arg(outDir.path()));

    if (parser.isSet(expectOption) && !parser.isSet(updateOption) &&
        QFileInfo(parser.value(expectOption)).canonicalFilePath() ==
            QFileInfo(outDir.path()).canonicalFilePath())
        return usage(err, QStringLiteral("--out and --expect name the same folder: the receipts would "
                                         "replace the goldens they are compared with"));
    std::optional<GoldenFolder> goldens;
    if (parser.isSet(expectOption))
        goldens.emplace(parser.value(expectOption), outDir.path(), parser.isSet(updateOption));
    const JobRenderer renderer(*profile, *personality);
    bool malformed = false;
    for (const Job& job : jobs) {
        const opos::ReadFile file = job.path == QLatin1String("-")
                                        ? opos::readStream(STDIN_FILENO, kMaxJobBytes)
                                        : opos::readUserFile(job.path, kMaxJobBytes);
        if (!file.ok())
            return usage(err, QStringLiteral("%1 cannot be read: %2").arg(job.path, file.error));
        ReceiptWriter writer(outDir, goldens ? &*goldens : nullptr);
        QStringList printed;
        const RenderedJob rendered = renderer.render(file.bytes, [&](const Receipt& receipt) {
            printed << receiptName(job.stem, receipt.number);
            writer.add(printed.last(), receipt);
        });
        QString problem = writeTexts(outDir, job.stem, rendered);
        const QStringList lines = writer.finish(problem.isEmpty() ? &problem : nullptr);
        if (!problem.isEmpty()) {
            err << "posling-virtual-printer render: " << problem << "\n";
            return 2;
        }
        for (const QString& line : rendered.listing.malformed()) {
            err << job.path << ": " << line << "\n";
            malformed = true;
        }
        for (const QString& line : lines)
            out << line << "\n";
        if (goldens)
            for (const QString& line : goldens->unprinted(job.stem, printed))
                out << line << "\n";
    }
    out.flush();
    return malformed || (goldens && goldens->differences() > 0) ? 1 : 0;
}

} // namespace virt
