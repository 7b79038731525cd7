// Names that are not files on a disk, for the tests of what the editor and the tool do when
// given one: a named pipe (mkfifo) with nobody writing to it, which a plain open waits on for
// ever, and a device (a link to /dev/null, as CON.tim or NUL.cwp name a device on the system).
#pragma once

#include <QFile>
#include <QString>

#include <sys/stat.h>

namespace unreadable_names {

// A named pipe nobody writes to.
inline bool make_pipe(const QString& path) {
    return mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// A device under a file's name.
inline bool make_device(const QString& path) {
    return QFile::link(QStringLiteral("/dev/null"), path);
}

// The two kinds, each made under the name given.
struct Unreadable {
    const char* what;
    bool (*make)(const QString&);
};
inline const Unreadable kUnreadable[] = {{"a named pipe", make_pipe}, {"a device", make_device}};

}  // namespace unreadable_names
