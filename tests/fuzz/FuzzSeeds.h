#pragma once

#include <QString>

namespace velmora::fuzz {

// Writes valid and damaged project files and clipboard payloads into dir, one per file.
void WriteSeeds(const QString &dir);

} // namespace velmora::fuzz
