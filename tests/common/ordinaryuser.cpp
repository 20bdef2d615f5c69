#include "ordinaryuser.h"
#include <QDirIterator>
#include <QFile>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kvtest {

namespace {

constexpr uid_t kNobodyFallback = 65534;

void chownTree(const QString& root, uid_t uid, gid_t gid)
{
    const auto own = [&](const QString& path) {
        (void)::lchown(QFile::encodeName(path).constData(), uid, gid);
    };
    own(root);
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) own(it.next());
}

std::string readAll(int fd)
{
    std::string text;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) text.append(buffer, static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR) break;
    }
    return text;
}

} // namespace

std::string asOrdinaryUser(const QString& handOver, const std::function<std::string()>& check)
{
    if (::geteuid() != 0) return check();

    const passwd* nobody = ::getpwnam("nobody");
    const uid_t uid = nobody ? nobody->pw_uid : kNobodyFallback;
    const gid_t gid = nobody ? nobody->pw_gid : kNobodyFallback;
    chownTree(handOver, uid, gid);

    int channel[2];
    if (::pipe(channel) != 0) return "no pipe to the ordinary user's process";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::string outcome;
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            outcome = "could not become the ordinary user";
        else
            outcome = check();
        (void)!::write(channel[1], outcome.data(), outcome.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string outcome = child < 0 ? "could not start the ordinary user's process" : readAll(channel[0]);
    ::close(channel[0]);
    if (child > 0) {
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!WIFEXITED(status)) outcome += " (the ordinary user's process ended abnormally)";
    }
    chownTree(handOver, 0, 0);
    return outcome;
}

} // namespace kvtest
