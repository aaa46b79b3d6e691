#pragma once

#include <QString>
#include <memory>

namespace velmora {

struct TLumaFrame;

// Reads text back from frames of a delivered file with Tesseract: what a viewer of the master
// would read, to set beside what the sheet says.
class TCreditReader
{
public:
    // language: Tesseract's name of the data to read with ("eng", "hin", "eng+ara"). Throws
    // EVelmoraError when Tesseract or that data is not installed.
    explicit TCreditReader(const QString &language = QStringLiteral("eng"));
    ~TCreditReader();
    TCreditReader(const TCreditReader &) = delete;
    TCreditReader &operator=(const TCreditReader &) = delete;

    // The text in rows [top, bottom) of frame, read as one block.
    QString Read(const TLumaFrame &frame, int top, int bottom);

private:
    struct TImpl;
    std::unique_ptr<TImpl> m_impl;
};

// The Tesseract data a credit is read with: "eng" for Latin letters (and text without letters),
// the script's own data joined to English for one other script ("eng+hin"), or nothing when the
// text mixes scripts or its script has no data Velmora knows of.
QString OcrLanguageFor(const QString &text);

// The Debian package that holds a Tesseract language's data ("hin": tesseract-ocr-hin).
QString OcrPackageFor(const QString &language);

// How far apart the credit and what was read are: the fewest letters to change, add or take
// away to find the credit inside the reading, over the credit's length (0: found as written,
// 1: nothing alike). Case, spacing and punctuation do not count.
double ReadingDistance(const QString &credit, const QString &read);

} // namespace velmora
