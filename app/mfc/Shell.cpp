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
#include <fcntl.h>
#include <sys/stat.h>
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

std::FILE* OpenLogFile(const char* path)
{
    // Not blocking: opening a pipe that nobody reads fails at once instead of waiting.
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
    if (fd < 0)
        return nullptr;
    struct stat info;
    std::FILE* file = nullptr;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        file = ::fdopen(fd, "w");
    if (!file) {
        ::close(fd);
        return nullptr;
    }
    std::setvbuf(file, nullptr, _IONBF, 0);
    return file;
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

// Installs an icon of the user's icon theme: `context` is "apps" or "mimetypes".
bool InstallThemeIcon(const QString& context, const QString& name, const QImage& icon)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return false;
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !icon.save(&buffer, "PNG"))
        return false;
    const QString path = data + QStringLiteral("/icons/hicolor/%1x%1/").arg(icon.width()) + context
                         + QStringLiteral("/") + name + QStringLiteral(".png");
    return WriteIfDifferent(path, png) != FileWrite::Failed;
}

// The shell's name for the type of files with that extension (".ggf" gives
// "application/x-ggf"), and the name of its icon ("application-x-ggf").
QString MimeType(const QString& extension)
{
    return QStringLiteral("application/x-") + extension.mid(1).toLower();
}

QString MimeIconName(const QString& mimeType)
{
    return QString(mimeType).replace(QLatin1Char('/'), QLatin1Char('-'));
}

} // namespace

bool RegisterShellIcon(const QString& appId, const QImage& icon)
{
    return InstallThemeIcon(QStringLiteral("apps"), appId, icon);
}

bool RegisterShellDocumentIcon(const QString& extension, const QImage& icon)
{
    return InstallThemeIcon(QStringLiteral("mimetypes"), MimeIconName(MimeType(extension)), icon);
}

bool RegisterShellFileType(const ShellFileType& type)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty() || type.program.isEmpty())
        return false;
    const QString appId = type.appName.toLower();
    const QString mimeType = MimeType(type.extension);
    const QString pattern = QStringLiteral("*") + type.extension;

    const QString mime = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"%1\">\n"
        "    <comment>%2</comment>\n"
        "    <icon name=\"%3\"/>\n"
        "    <glob pattern=\"%4\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n").arg(mimeType, type.typeName, MimeIconName(mimeType), pattern);
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
