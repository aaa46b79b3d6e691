#pragma once

#include <QString>
#include <memory>

namespace velmora {

struct TLumaFrame;

// Reads text back from frames of a delivered file with Tesseract (English data): what a
// viewer of the master would read, to set beside what the sheet says.
class TCreditReader
{
public:
    // Throws EVelmoraError when Tesseract or its English data is not installed.
    TCreditReader();
    ~TCreditReader();
    TCreditReader(const TCreditReader &) = delete;
    TCreditReader &operator=(const TCreditReader &) = delete;

    // The text in rows [top, bottom) of frame, read as one block.
    QString Read(const TLumaFrame &frame, int top, int bottom);

private:
    struct TImpl;
    std::unique_ptr<TImpl> m_impl;
};

// How far apart the credit and what was read are: the fewest letters to change, add or take
// away to find the credit inside the reading, over the credit's length (0: found as written,
// 1: nothing alike). Case, spacing and punctuation do not count.
double ReadingDistance(const QString &credit, const QString &read);

} // namespace velmora
