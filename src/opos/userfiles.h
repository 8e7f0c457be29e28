#pragma once

#include <QByteArray>
#include <QString>

// The files Posling reads and writes for the user (plans, devices files, statistics, bitmaps,
// JUnit reports, captures, saved status lines), handled in one place so that none of them can
// change the kind of a file Posling did not create, hang the program or exhaust its memory.
namespace opos {

struct ReadFile {
    QByteArray bytes;
    QString error; // why it could not be read; empty when it was
    bool ok() const { return error.isEmpty(); }
};

// A regular file (links are followed) of at most maxBytes, opened without blocking: a pipe, a
// device or a folder is refused with the reason before anything is read, and so is a longer file.
ReadFile readUserFile(const QString& path, qint64 maxBytes);
// Why path cannot be read as readUserFile would read it, without reading it; empty when it can.
QString unreadableReason(const QString& path, qint64 maxBytes);
// A stream (standard input) read to its end, at most maxBytes.
ReadFile readStream(int descriptor, qint64 maxBytes);

// A file written for the user. Where the path names a regular file (through links) or nothing, the
// file is replaced whole: a reader never sees half of it, and the old one stays until the new one
// is complete. Where it names a character device, a pipe or a terminal (/dev/null, /dev/stdout),
// the bytes are written into it as they are. A folder, a link to nothing or anything else is
// refused. A link is followed to its target, whose kind stays what it was.
class UserFileWriter {
public:
    explicit UserFileWriter(QString path) : m_path(std::move(path)) {}

    // Whether the file can be written, before any work that would be lost: empty when it can.
    QString check() const;
    // Writes bytes as described above; empty when they are there, else why not.
    QString write(const QByteArray& bytes) const;
    const QString& path() const { return m_path; }

private:
    QString writeInPlace(const QByteArray& bytes) const;
    QString replace(const QString& target, const QByteArray& bytes) const;

    QString m_path;
};

} // namespace opos
