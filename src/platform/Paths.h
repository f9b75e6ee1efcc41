#pragma once

#include <QByteArray>
#include <QString>

namespace kovu {

// The folder of the running program, as a path that every open of the program can use: the name
// the system gives it, or, when that name is not UTF-8 (a folder unpacked from an archive made on
// a Chinese Windows has a GBK name), the same folder reached through a descriptor that the process
// keeps open on it, "/proc/self/fd/N", because such a name does not survive being held as text.
QString programFolder();
// The same for the program file exeFile, named by the system's bytes.
QString folderOfProgram(const QByteArray& exeFile);

// Whether path reaches its folder through such a descriptor: its real name cannot be written into
// a launcher or any other text file.
bool reachedThroughDescriptor(const QString& path);
// path as a user should read it in a message: a descriptor's folder by its own name (with the
// bytes that are not UTF-8 shown as replacement marks).
QString shownPath(const QString& path);

// The file that path names in the end: path itself when it is no symbolic link, otherwise the
// target of its links, followed one after another (a relative target is taken from the link's
// folder). Only the file's own name is resolved, so its folder stays written as in path.
QString linkedFile(const QString& path);

}  // namespace kovu
