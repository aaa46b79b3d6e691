#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <utility>
#include <vector>

namespace velmora {

// A standard film size.
struct TContentSize
{
    const char *Name;
    qint32 Width;
    qint32 Height;
    double FrameRate; // nominal rate of the standard; never applied to a project
};

// The film size table; the project's ContentSize indexes it. Row 0 is the free size. Rows
// are only ever added at the end: stored indexes keep their meaning.
extern const std::array<TContentSize, 25> ContentSizes;

// The entries of the film size list, one per row: "Custom", then "Name (W x H)".
QStringList ContentSizeListItems();
// List items of sizes as earlier versions named them, with their rows, so descriptions
// written then still read.
std::vector<std::pair<QString, int>> ContentSizeFormerNames();

} // namespace velmora
