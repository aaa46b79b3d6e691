#pragma once

#include <QString>

class QFile;

namespace velmora {

// A descriptor for reading fileName, opened only when it is a regular file and without ever
// waiting: a pipe put in a file's place after a look at its path would block open() (and the
// editor's window with it), and a device never ends. Throws EVelmoraError naming the file.
int OpenRegularFileDescriptor(const QString &fileName);

// The same, opened into file (which then owns the descriptor).
void OpenRegularFile(QFile &file, const QString &fileName);

} // namespace velmora
