#include "CliPassword.h"

#include <QFile>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int TerminalAttempts = 3;
constexpr qint64 MaxPasswordLine = 4096;

} // namespace

std::optional<TSecret> ReadFromTerminal(const QString& aQuestion)
{
#ifdef Q_OS_UNIX
    const int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    const QByteArray question = aQuestion.toUtf8();
    (void)!::write(fd, question.constData(), size_t(question.size()));
    termios saved{};
    const bool hasTermios = ::tcgetattr(fd, &saved) == 0;
    if (hasTermios) {
        termios silent = saved;
        silent.c_lflag &= ~tcflag_t(ECHO);
        silent.c_lflag |= ECHONL;
        ::tcsetattr(fd, TCSAFLUSH, &silent);
    }
    TSecret line(MaxPasswordLine);
    size_t size = 0;
    char c = 0;
    while (size < line.Size() && ::read(fd, &c, 1) == 1 && c != '\n' && c != '\r')
        line.Data()[size++] = static_cast<unsigned char>(c);
    if (hasTermios)
        ::tcsetattr(fd, TCSAFLUSH, &saved);
    ::close(fd);
    TSecret password(size);
    if (size > 0)
        std::copy(line.Data(), line.Data() + size, password.Data());
    return password;
#else
    Q_UNUSED(aQuestion);
    return std::nullopt;
#endif
}

TSecret TCliPasswords::FromFile() const
{
    QFile file(fPasswordFile);
    if (!file.open(QIODevice::ReadOnly))
        throw EFileError(u"The password file %1 can not be read: %2"_s.arg(fPasswordFile, file.errorString()));
    QByteArray line = file.readLine(MaxPasswordLine);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    TSecret password(size_t(line.size()));
    if (!line.isEmpty())
        std::copy(line.constBegin(), line.constEnd(), reinterpret_cast<char*>(password.Data()));
    WipeBytes(line);
    return password;
}

TPasswordPrompt TCliPasswords::Prompt() const
{
    return [this](const QString& aFileName, int aAttempt) -> std::optional<TSecret> {
        if (!fPasswordFile.isEmpty()) {
            if (aAttempt > 1)
                throw EWrongPassword(u"The password for %1 is wrong."_s.arg(aFileName));
            return FromFile();
        }
        if (aAttempt > TerminalAttempts)
            throw EWrongPassword(u"The password for %1 is wrong."_s.arg(aFileName));
        const QString question =
            (aAttempt > 1 ? u"Wrong password. "_s : QString()) + u"Password for %1: "_s.arg(aFileName);
        std::optional<TSecret> password = ReadFromTerminal(question);
        if (!password)
            throw EFileError(u"%1 is encrypted: give its password with --password-file FILE or on a terminal."_s.arg(
                aFileName));
        return password;
    };
}

TSecret TCliPasswords::NewPassword(const QString& aFileName) const
{
    TSecret password;
    if (!fPasswordFile.isEmpty()) {
        password = FromFile();
    } else {
        std::optional<TSecret> first = ReadFromTerminal(u"New password for %1: "_s.arg(aFileName));
        if (!first)
            throw EFileError(u"A password for %1 is needed: give it with --password-file FILE or on a terminal."_s.arg(
                aFileName));
        std::optional<TSecret> second = ReadFromTerminal(u"The same password again: "_s);
        if (!second || second->Size() != first->Size() ||
            !std::equal(first->Data(), first->Data() + first->Size(), second->Data()))
            throw EFileError(u"The two passwords for %1 differ; nothing was written."_s.arg(aFileName));
        password = std::move(*first);
    }
    if (password.IsEmpty())
        throw EFileError(u"An empty password protects nothing; nothing was written."_s);
    return password;
}
