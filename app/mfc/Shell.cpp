#include "Shell.h"

#include <QBuffer>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <cerrno>
#include <system_error>
#include <thread>
#include <unistd.h>

DWORD GetModuleFileName(char* buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    const ssize_t n = ::readlink("/proc/self/exe", buffer, size - 1);
    if (n <= 0) {
        buffer[0] = '\0';
        return 0;
    }
    buffer[n] = '\0';
    return DWORD(n);
}

int ShellExecuteOpen(const QString& path)
{
    if (!QFileInfo::exists(path))
        return 2;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path)) ? 42 : 31;
}

namespace {

enum class FileWrite { Same, Written, Failed };

// Writes the file unless it holds these very bytes already, so that a start with
// everything registered writes nothing.
FileWrite WriteIfDifferent(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.size() == bytes.size() && file.readAll() == bytes)
        return FileWrite::Same;
    file.close();
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return FileWrite::Failed;
    return file.write(bytes) == bytes.size() ? FileWrite::Written : FileWrite::Failed;
}

// Runs a desktop database tool when it is installed; its outcome does not matter.
void RunIfPresent(const QString& program, const QStringList& arguments)
{
    if (!QStandardPaths::findExecutable(program).isEmpty())
        QProcess::execute(program, arguments);
}

} // namespace

bool RegisterShellIcon(const QString& appId, const QImage& icon)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return false;
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !icon.save(&buffer, "PNG"))
        return false;
    const QString path = data + QStringLiteral("/icons/hicolor/%1x%1/apps/").arg(icon.width()) + appId
                         + QStringLiteral(".png");
    return WriteIfDifferent(path, png) != FileWrite::Failed;
}

bool RegisterShellFileType(const ShellFileType& type)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty() || type.program.isEmpty())
        return false;
    const QString appId = type.appName.toLower();
    const QString mimeType = QStringLiteral("application/x-") + type.typeId.toLower();
    const QString pattern = QStringLiteral("*") + type.extension;

    const QString mime = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"%1\">\n"
        "    <comment>%2</comment>\n"
        "    <icon name=\"%3\"/>\n"
        "    <glob pattern=\"%4\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n").arg(mimeType, type.typeName, appId, pattern);
    const QString mimeDir = data + QStringLiteral("/mime");
    const FileWrite mimeWrite = WriteIfDifferent(mimeDir + QStringLiteral("/packages/") + appId + QStringLiteral("-")
                                                 + type.typeId.toLower() + QStringLiteral(".xml"), mime.toUtf8());

    // The shell's open request reaches the program through its "/dde" switch.
    const QString desktop = QStringLiteral(
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=%1\n"
        "Comment=Client for the GGS game server\n"
        "Exec=\"%2\" /dde %f\n"
        "Icon=%3\n"
        "MimeType=%4;\n"
        "Categories=Game;BoardGame;\n"
        "Terminal=false\n").arg(type.appName, type.program, appId, mimeType);
    const QString appsDir = data + QStringLiteral("/applications");
    const FileWrite desktopWrite = WriteIfDifferent(appsDir + QStringLiteral("/") + appId + QStringLiteral(".desktop"),
                                                    desktop.toUtf8());

    // The databases are brought up to date only when a file of theirs has changed.
    if (mimeWrite != FileWrite::Same)
        RunIfPresent(QStringLiteral("update-mime-database"), {mimeDir});
    if (desktopWrite != FileWrite::Same)
        RunIfPresent(QStringLiteral("update-desktop-database"), {appsDir});
    return mimeWrite != FileWrite::Failed && desktopWrite != FileWrite::Failed;
}

std::intptr_t BeginThread(void (*proc)(void*), unsigned stackSize, void* arg)
{
    (void)stackSize;
    if (!proc) {
        errno = EINVAL;
        return -1;
    }
    try {
        std::thread thread([proc, arg] { proc(arg); });
        const auto id = std::intptr_t(thread.native_handle());
        thread.detach();
        return id;
    } catch (const std::system_error& e) {
        errno = e.code().value() == EAGAIN ? EAGAIN : e.code().value();
        return -1;
    } catch (const std::bad_alloc&) {
        errno = EAGAIN;
        return -1;
    }
}
