#include "opos/userfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

// Each kind of thing a path the user gives can name, as a report to write and as a file to read:
// why reading it is refused, why writing is, and what the path names afterwards.
class TestUserFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void eachKindOfPath_data();
    void eachKindOfPath();
};

namespace {

char kindAt(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return '-';
    return S_ISLNK(info.st_mode)    ? 'l'
           : S_ISREG(info.st_mode)  ? 'f'
           : S_ISFIFO(info.st_mode) ? 'p'
           : S_ISCHR(info.st_mode)  ? 'c'
                                    : 'd';
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

void TestUserFiles::eachKindOfPath_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("readRefusal");  // empty: read, and it held "old"
    QTest::addColumn<QString>("writeRefusal"); // empty: written
    QTest::addColumn<char>("kindAfter");       // f, l, p, c, d, or - for nothing
    QTest::newRow("absent") << "absent"
                            << "No such file"
                            << "" << 'f';
    QTest::newRow("file") << "file"
                          << ""
                          << "" << 'f';
    QTest::newRow("larger than the cap") << "big"
                                         << "larger than 1 KB"
                                         << "" << 'f';
    QTest::newRow("link to a file") << "link"
                                    << ""
                                    << "" << 'l';
    QTest::newRow("link to /dev/zero") << "zero"
                                       << "it is a device"
                                       << "" << 'l';
    QTest::newRow("device node of our own") << "node"
                                            << "it is a device"
                                            << "" << 'c';
    QTest::newRow("pipe with a reader") << "read pipe"
                                        << "it is a pipe"
                                        << "" << 'p';
    QTest::newRow("pipe nobody reads") << "pipe"
                                       << "it is a pipe"
                                       << "nobody reads" << 'p';
    QTest::newRow("folder") << "folder"
                            << "it is a folder"
                            << "a folder" << 'd';
    QTest::newRow("link to nothing") << "dangling"
                                     << "No such file"
                                     << "link to nothing" << 'l';
    QTest::newRow("in a missing folder") << "no folder"
                                         << "No such"
                                         << "does not exist" << '-';
}

void TestUserFiles::eachKindOfPath() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path =
        dir.filePath(kind == u"no folder" ? QStringLiteral("no/path") : QStringLiteral("path"));
    const QString target = dir.filePath(QStringLiteral("target"));
    const QByteArray name = QFile::encodeName(path);
    int reader = -1;
    if (kind == u"file" || kind == u"big")
        QVERIFY(writeFile(path, kind == u"file" ? "old" : "seventeen bytes!!"));
    else if (kind == u"link")
        QVERIFY(writeFile(target, "old") && QFile::link(target, path));
    else if (kind == u"zero" || kind == u"dangling")
        QVERIFY(QFile::link(kind == u"zero" ? QStringLiteral("/dev/zero") : target, path));
    else if (kind == u"folder")
        QVERIFY(QDir().mkdir(path));
    else if (kind == u"node" && ::mknod(name.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0) // as /dev/null
        QSKIP("making a device node needs root");
    else if (kind.endsWith(u"pipe"))
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
    if (kind == u"read pipe")
        reader = ::open(name.constData(), O_RDONLY | O_NONBLOCK);
    const auto closeReader = qScopeGuard([reader] { reader < 0 || ::close(reader); });

    const opos::ReadFile read = opos::readUserFile(path, 16); // at once, on a pipe as well
    QFETCH(QString, readRefusal);
    QVERIFY2(readRefusal.isEmpty() ? read.bytes == "old" : read.error.contains(readRefusal),
             qPrintable(read.error));

    const QString refusal = opos::UserFileWriter(path).write("new report");
    QFETCH(QString, writeRefusal);
    QVERIFY2(writeRefusal.isEmpty() ? refusal.isEmpty() : refusal.contains(writeRefusal),
             qPrintable(refusal));
    QTEST(kindAt(path), "kindAfter");
    if (reader >= 0) {
        char got[32] = {};
        QCOMPARE(::read(reader, got, sizeof got), ssize_t(10));
        QCOMPARE(QByteArray(got), QByteArray("new report"));
    } else if (refusal.isEmpty() && (kindAt(path) == 'f' || kind == u"link")) {
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("new report"));
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".")),
             QStringList()); // no temporary left
}

QTEST_GUILESS_MAIN(TestUserFiles)
#include "tst_userfiles.moc"
