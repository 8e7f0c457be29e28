#include "opos/userfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using opos::UserFileWriter;

// Each kind of thing a path the user gives can name, as the place a report is written to and as a
// file to read: what is written there, what it still is afterwards, and why reading it is refused.
class TestUserFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void eachKindOfPath_data();
    void eachKindOfPath();
    void streamIsCapped();

private:
    // Makes what the row names at path; a reader of a pipe is left open in m_reader.
    bool make(const QString& kind, const QString& path);

    QTemporaryDir m_dir;
    int m_reader = -1;
};

namespace {

constexpr qint64 kCap = 16;

char kindAt(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return '-';
    if (S_ISLNK(info.st_mode))
        return 'l';
    return S_ISREG(info.st_mode) ? 'f' : S_ISFIFO(info.st_mode) ? 'p' : S_ISCHR(info.st_mode) ? 'c' : 'd';
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

bool TestUserFiles::make(const QString& kind, const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const QString target = m_dir.filePath(QStringLiteral("target"));
    QFile::remove(target);
    if (kind == QLatin1String("absent") || kind == QLatin1String("in a missing folder"))
        return true;
    if (kind == QLatin1String("file") || kind == QLatin1String("larger than the cap")) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) &&
               file.write(kind == QLatin1String("file") ? "old" : "seventeen bytes!!") > 0;
    }
    if (kind == QLatin1String("link to a file")) {
        QFile file(target);
        return file.open(QIODevice::WriteOnly) && file.write("old") == 3 && QFile::link(target, path);
    }
    if (kind == QLatin1String("link to /dev/zero"))
        return QFile::link(QStringLiteral("/dev/zero"), path);
    if (kind == QLatin1String("link to nothing"))
        return QFile::link(target, path);
    if (kind == QLatin1String("folder"))
        return QDir().mkdir(path);
    if (kind == QLatin1String("device node of our own"))
        return ::mknod(name.constData(), S_IFCHR | 0600, makedev(1, 3)) == 0; // what /dev/null is
    if (!kind.startsWith(QLatin1String("pipe")) || ::mkfifo(name.constData(), 0600) != 0)
        return false;
    if (kind == QLatin1String("pipe with a reader"))
        m_reader = ::open(name.constData(), O_RDONLY | O_NONBLOCK);
    return true;
}

void TestUserFiles::eachKindOfPath_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("writeRefusal"); // empty: written
    QTest::addColumn<char>("kindAfter");       // what the path names once written: f, l, p, c, d, -
    QTest::addColumn<QString>("readRefusal");  // empty: read
    QTest::newRow("absent") << "absent"
                            << "" << 'f' << "No such file";
    QTest::newRow("file") << "file"
                          << "" << 'f' << "";
    QTest::newRow("larger than the cap") << "larger than the cap"
                                         << "" << 'f' << "larger than 1 KB";
    QTest::newRow("link to a file") << "link to a file"
                                    << "" << 'l' << "";
    QTest::newRow("link to /dev/zero") << "link to /dev/zero"
                                       << "" << 'l' << "it is a device";
    QTest::newRow("device node of our own") << "device node of our own"
                                            << "" << 'c' << "it is a device";
    QTest::newRow("pipe with a reader") << "pipe with a reader"
                                        << "" << 'p' << "it is a pipe";
    QTest::newRow("pipe nobody reads") << "pipe nobody reads"
                                       << "nobody reads" << 'p' << "it is a pipe";
    QTest::newRow("folder") << "folder"
                            << "a folder" << 'd' << "it is a folder";
    QTest::newRow("link to nothing") << "link to nothing"
                                     << "link to nothing" << 'l' << "No such file";
    QTest::newRow("in a missing folder") << "in a missing folder"
                                         << "does not exist" << '-' << "No such";
}

void TestUserFiles::eachKindOfPath() {
    QFETCH(QString, kind);
    QFETCH(QString, writeRefusal);
    QFETCH(char, kindAfter);
    QFETCH(QString, readRefusal);
    QVERIFY(m_dir.isValid());
    const QString path = m_dir.filePath(
        kind == QLatin1String("in a missing folder") ? QStringLiteral("no/path") : QStringLiteral("path"));
    QDir(path).removeRecursively();
    QFile::remove(path);
    if (!make(kind, path)) {
        if (kind == QLatin1String("device node of our own"))
            QSKIP("making a device node needs root");
        QFAIL("cannot make the path");
    }
    const auto closeReader = qScopeGuard([this] {
        if (m_reader >= 0)
            ::close(m_reader);
        m_reader = -1;
    });

    const opos::ReadFile read = opos::readUserFile(path, kCap); // never blocks, on a pipe neither
    QVERIFY2(readRefusal.isEmpty() ? read.ok() : read.error.contains(readRefusal), qPrintable(read.error));
    if (read.ok())
        QCOMPARE(read.bytes, QByteArray("old"));

    const QString refusal = UserFileWriter(path).write("new report");
    QVERIFY2(writeRefusal.isEmpty() ? refusal.isEmpty() : refusal.contains(writeRefusal),
             qPrintable(refusal));
    QCOMPARE(kindAt(path), kindAfter);
    if (!refusal.isEmpty())
        return;
    if (kindAfter == 'f' || kind == QLatin1String("link to a file"))
        QCOMPARE(contents(path), QByteArray("new report"));
    if (m_reader >= 0) {
        char got[32] = {};
        QCOMPARE(::read(m_reader, got, sizeof got), ssize_t(10));
        QCOMPARE(QByteArray(got), QByteArray("new report"));
    }
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".")).size(),
             0); // no temporary file left behind
}

// A plan on standard input is read with the same cap as a plan file.
void TestUserFiles::streamIsCapped() {
    int ends[2];
    QCOMPARE(::pipe(ends), 0);
    QCOMPARE(::write(ends[1], "seventeen bytes!!", 17), ssize_t(17));
    ::close(ends[1]);
    const opos::ReadFile read = opos::readStream(ends[0], kCap);
    ::close(ends[0]);
    QVERIFY2(read.error.contains(QStringLiteral("larger than")), qPrintable(read.error));
    QVERIFY(read.bytes.isEmpty());
}

QTEST_GUILESS_MAIN(TestUserFiles)
#include "tst_userfiles.moc"
