#include "core/signoff/CreditOcr.h"

#include "core/error.h"
#include "core/signoff/DeliveredVideo.h"

#include <QImage>
#include <QStringList>
#include <algorithm>
#include <iterator>
#include <utility>
#include <numeric>
#include <vector>

#include <tesseract/baseapi.h>

namespace velmora {

namespace {

// Letters and digits only, lower case, with the shapes OCR cannot tell apart in a sans face
// (O and 0; l, I and 1; S and 5) made one: what OCR is asked to get right.
QString Letters(const QString &text)
{
    QString letters;
    for (const QChar c : text.normalized(QString::NormalizationForm_C)) {
        if (!c.isLetterOrNumber())
            continue;
        const QChar lower = c.toLower();
        if (lower == QLatin1Char('o'))
            letters += QLatin1Char('0');
        else if (lower == QLatin1Char('l') || lower == QLatin1Char('i'))
            letters += QLatin1Char('1');
        else if (lower == QLatin1Char('s'))
            letters += QLatin1Char('5');
        else
            letters += lower;
    }
    return letters;
}

// Tesseract reads dark text on light best, with capitals some 30 pixels high.
constexpr int ReadingHeight = 30;

} // namespace

struct TCreditReader::TImpl
{
    tesseract::TessBaseAPI Api;
};

TCreditReader::TCreditReader(const QString &language) : m_impl(std::make_unique<TImpl>())
{
    if (m_impl->Api.Init(nullptr, language.toLatin1().constData()) != 0) {
        QStringList packages;
        for (const QString &part : language.split(QLatin1Char('+')))
            packages.append(OcrPackageFor(part));
        throw EVelmoraError(QStringLiteral("Tesseract's data \"%1\" is not installed (Debian: %2)")
                                .arg(language, packages.join(QStringLiteral(", "))));
    }
    m_impl->Api.SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
}

TCreditReader::~TCreditReader()
{
    m_impl->Api.End();
}

QString TCreditReader::Read(const TLumaFrame &frame, int top, int bottom)
{
    top = std::clamp(top, 0, frame.Height);
    bottom = std::clamp(bottom, top, frame.Height);
    if (bottom - top < 4)
        return {};
    QImage band(frame.Width, bottom - top, QImage::Format_Grayscale8);
    for (int y = top; y < bottom; ++y)
        std::copy_n(frame.Row(y), frame.Width, band.scanLine(y - top));
    // Credits are mostly light on dark: read them as print, dark on light.
    qint64 sum = 0;
    for (int y = 0; y < band.height(); ++y)
        sum = std::accumulate(band.constScanLine(y), band.constScanLine(y) + band.width(), sum);
    if (sum / (qint64(band.width()) * band.height()) < 128)
        band.invertPixels();
    // Small text is enlarged to the height Tesseract is trained on.
    const double scale = std::clamp(3.0 * ReadingHeight / std::max(1, bottom - top), 1.0, 4.0);
    if (scale > 1.01)
        band = band.scaled(int(band.width() * scale), int(band.height() * scale), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_impl->Api.SetImage(band.constBits(), band.width(), band.height(), 1, int(band.bytesPerLine()));
    m_impl->Api.SetSourceResolution(300);
    const std::unique_ptr<char[]> text(m_impl->Api.GetUTF8Text());
    return text ? QString::fromUtf8(text.get()).simplified() : QString();
}

QString OcrLanguageFor(const QString &text)
{
    // Scripts credits are written in, with the data that reads them. Han alone is read as
    // Simplified Chinese; with kana it is Japanese.
    static const std::pair<QChar::Script, const char *> Scripts[] = {
        {QChar::Script_Devanagari, "hin"}, {QChar::Script_Arabic, "ara"},   {QChar::Script_Thai, "tha"},
        {QChar::Script_Hebrew, "heb"},     {QChar::Script_Cyrillic, "rus"}, {QChar::Script_Greek, "ell"},
        {QChar::Script_Hangul, "kor"},     {QChar::Script_Hiragana, "jpn"}, {QChar::Script_Katakana, "jpn"},
        {QChar::Script_Han, "chi_sim"},
    };
    QString other;
    bool kana = false;
    const QList<uint> codes = text.toUcs4();
    for (const uint code : codes) {
        if (!QChar::isLetter(code))
            continue;
        const QChar::Script script = QChar::script(code);
        if (script == QChar::Script_Latin || script == QChar::Script_Common || script == QChar::Script_Inherited)
            continue;
        kana = kana || script == QChar::Script_Hiragana || script == QChar::Script_Katakana;
        const auto *found = std::find_if(std::begin(Scripts), std::end(Scripts), [script](const auto &s) { return s.first == script; });
        if (found == std::end(Scripts))
            return {};
        QString language = QString::fromLatin1(found->second);
        if (language == QLatin1String("chi_sim") && (kana || other == QLatin1String("jpn")))
            language = QStringLiteral("jpn");
        if (other == QLatin1String("chi_sim") && language == QLatin1String("jpn"))
            other = language;
        if (!other.isEmpty() && other != language)
            return {};
        other = language;
    }
    return other.isEmpty() ? QStringLiteral("eng") : QStringLiteral("eng+") + other;
}

QString OcrPackageFor(const QString &language)
{
    return QStringLiteral("tesseract-ocr-") + QString(language).replace(QLatin1Char('_'), QLatin1Char('-'));
}

double ReadingDistance(const QString &credit, const QString &read)
{
    const QString wanted = Letters(credit);
    const QString seen = Letters(read);
    if (wanted.isEmpty())
        return 0.0;
    // Edit distance of wanted against the best-matching stretch of seen: the first row costs
    // nothing, so the match may start anywhere, and the best of the last row ends it anywhere.
    std::vector<int> row(std::size_t(seen.size()) + 1, 0);
    for (qsizetype i = 1; i <= wanted.size(); ++i) {
        std::vector<int> next(row.size());
        next[0] = int(i);
        for (qsizetype j = 1; j <= seen.size(); ++j)
            next[std::size_t(j)] = std::min({row[std::size_t(j)] + 1, next[std::size_t(j) - 1] + 1,
                                              row[std::size_t(j) - 1] + (wanted[i - 1] == seen[j - 1] ? 0 : 1)});
        row = std::move(next);
    }
    return double(*std::min_element(row.begin(), row.end())) / double(wanted.size());
}

} // namespace velmora
