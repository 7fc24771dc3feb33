// The shell and the system around the program: the program's own path, opening a
// file in the user's application for it, registering a document type for the user
// (desktop entry and shared-mime-info), and starting threads.
#pragma once

#include "Afx.h"

#include <QString>
#include <cstdio>

class QImage;

// Copies the program file's full path into `buffer` (at most size - 1 characters,
// then a terminating NUL) and returns the number of characters copied; 0 on failure.
DWORD GetModuleFileName(char* buffer, DWORD size);

// Creates or empties a log file for writing, unbuffered: a symbolic link or anything
// but a plain file in its place is refused, and a new file is readable by its owner
// only. Null when it cannot be opened.
std::FILE* OpenLogFile(const char* path);

// Opens a file with the user's preferred application. Above 31 on success; else 2 (the
// file is not there) or 31 (no application could open it).
int ShellExecuteOpen(const QString& path);

// What the shell needs to know of a document type.
struct ShellFileType {
    QString typeId;     // "GGF"
    QString typeName;   // "Generic Game Format"
    QString extension;  // ".ggf"
    QString program;    // the program's full path
    QString appName;    // "Tavo"
};
// Installs the program's icon for the user under the name `appId`. False on failure.
// Files that already hold what would be written are left alone (as with the type).
bool RegisterShellIcon(const QString& appId, const QImage& icon);
// Installs for the user the icon that the shell shows for files with that extension
// (".ggf"). False on failure.
bool RegisterShellDocumentIcon(const QString& extension, const QImage& icon);
// Registers the type for the user: a shared-mime-info package that names the type's
// document icon, and a desktop entry with the program's icon that opens such files with
// the program; the desktop databases are updated when one of the two has changed.
// False on failure.
bool RegisterShellFileType(const ShellFileType& type);

// Starts a thread that runs proc(arg) and is not joined; -1 with errno set (EAGAIN,
// EINVAL or another value) when it cannot be started.
std::intptr_t BeginThread(void (*proc)(void*), unsigned stackSize, void* arg);
