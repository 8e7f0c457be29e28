#include "operatorprompt.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace runner {

namespace {

enum class Read { Line, End, More };

// Reads what is there, one byte at a time so nothing after the line is taken from the next ask.
Read readAvailable(int fd) {
    char c = 0;
    for (;;) {
        const ssize_t n = ::read(fd, &c, 1);
        if (n == 0)
            return Read::End;
        if (n < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? Read::More : Read::End;
        if (c == '\n')
            return Read::Line;
    }
}

} // namespace

bool OperatorPrompt::waitForEnter(int withinMs) const {
    struct stat info {};
    if (::fstat(m_fd, &info) != 0)
        return false;
    if (S_ISREG(info.st_mode)) // a file never waits: it has its line or its end
        return readAvailable(m_fd) == Read::Line;

    const int flags = ::fcntl(m_fd, F_GETFL);
    ::fcntl(m_fd, F_SETFL, flags | O_NONBLOCK);
    QEventLoop loop;
    bool answered = false;
    QSocketNotifier notifier(m_fd, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &loop, [&] {
        const Read read = readAvailable(m_fd);
        if (read == Read::More)
            return;
        answered = read == Read::Line;
        loop.quit();
    });
    QTimer::singleShot(withinMs, &loop, &QEventLoop::quit);
    loop.exec();
    ::fcntl(m_fd, F_SETFL, flags);
    return answered;
}

} // namespace runner
