#include "common/ControlSocket.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace veld::common::controlSocket {

using namespace Qt::StringLiterals;

std::optional<QString> folder(bool create, QString* cause) {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QString path = runtime.isEmpty()
                             ? QDir(QDir::tempPath()).filePath(u"veld-%1"_s.arg(::getuid()))
                             : QDir(QFile::decodeName(runtime)).filePath(u"veld"_s);
    const QByteArray native = QFile::encodeName(path);
    const auto refuse = [&](const QString& why) -> std::optional<QString> {
        if (cause)
            *cause = path + u": "_s + why;
        return std::nullopt;
    };
    if (create && ::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return refuse(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0)
        return refuse(QString::fromLocal8Bit(std::strerror(errno)));
    if (!S_ISDIR(st.st_mode))
        return refuse(u"not a folder"_s);
    if (st.st_uid != ::getuid())
        return refuse(u"owned by user %1, not by this user"_s.arg(st.st_uid));
    if ((st.st_mode & 077) != 0)
        return refuse(u"mode %1: others may enter it"_s.arg(st.st_mode & 0777, 4, 8, QChar(u'0')));
    return path;
}

QString nameFor(const QString& device) {
    QString resolved = QFileInfo(device).canonicalFilePath();
    if (resolved.isEmpty())
        return {};
    return resolved.mid(1).replace(u'/', u'-') + u".sock"_s;
}

QStringList existing() {
    const auto dir = folder(false);
    if (!dir)
        return {};
    QStringList paths;
    for (const QFileInfo& entry :
         QDir(*dir).entryInfoList({u"*.sock"_s}, QDir::System | QDir::NoDotAndDotDot, QDir::Name))
        paths.append(entry.filePath());
    return paths;
}

} // namespace veld::common::controlSocket
