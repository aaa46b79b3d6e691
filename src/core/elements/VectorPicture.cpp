#include "core/elements/VectorPicture.h"

#include "core/elements/ElementError.h"
#include "core/elements/EmbeddedImage.h"
#include "core/typedfiler/ITypedFiler.h"
#include "core/typedfiler/TypeTags.h"

#include <QBuffer>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QPicture>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <poppler-qt6.h>

#include <cmath>

namespace velmora {

namespace {

// Limits that keep a crafted file from holding up or exhausting the program: real logos stay
// far below every one of them.
constexpr int MaxSvgDepth = 128;
constexpr int MaxSvgElements = 200000;
constexpr double MaxNaturalSide = 100000;   // pixels (or points) a side
constexpr qint64 MaxEmbeddedPixels = 64LL << 20;
constexpr qint64 MaxParseMilliseconds = 1000;
constexpr double MaxPreviewSide = 2048;

[[noreturn]] void Refuse(const QString &name, const QString &why)
{
    throw EElementError(QStringLiteral("The picture \"%1\" is refused: %2.").arg(name, why));
}

bool IsPdf(const QByteArray &bytes)
{
    return bytes.left(1024).contains("%PDF-");
}

// A reference that stays inside the file: a fragment, or data carried inline.
bool IsInside(QStringView reference)
{
    const QStringView trimmed = reference.trimmed();
    return trimmed.isEmpty() || trimmed.startsWith(u'#') || trimmed.startsWith(QLatin1String("data:"), Qt::CaseInsensitive);
}

// url(...) values in attributes and style sheets may only name fragments.
bool HasOutsideUrl(QStringView text)
{
    static const QRegularExpression url(QStringLiteral("url\\s*\\(\\s*['\"]?\\s*([^'\")\\s]*)"), QRegularExpression::CaseInsensitiveOption);
    for (auto it = url.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (!match.captured(1).startsWith(u'#'))
            return true;
    }
    return text.contains(QLatin1String("@import"), Qt::CaseInsensitive);
}

// An inline picture whose header claims more pixels than a logo needs.
bool EmbeddedTooLarge(QStringView reference)
{
    const qsizetype comma = reference.indexOf(u',');
    if (comma < 0 || !reference.left(comma).contains(QLatin1String("base64"), Qt::CaseInsensitive))
        return false;
    QByteArray data = QByteArray::fromBase64(reference.mid(comma + 1).toLatin1());
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    const QSize size = QImageReader(&buffer).size();
    return size.isValid() && qint64(size.width()) * size.height() > MaxEmbeddedPixels;
}

// A length as SVG gives it ("120", "120px", "3.5in"); 0 when it is missing or relative.
double SvgLength(QStringView text)
{
    static const QRegularExpression length(QStringLiteral("^\\s*([-+]?[0-9]*\\.?[0-9]+(?:[eE][-+]?[0-9]+)?)\\s*(px|pt|pc|mm|cm|in)?\\s*$"));
    const QRegularExpressionMatch match = length.match(text);
    if (!match.hasMatch())
        return 0;
    const double value = match.captured(1).toDouble();
    const QString unit = match.captured(2);
    const double perUnit = unit == QLatin1String("pt") ? 96.0 / 72 : unit == QLatin1String("pc") ? 16
        : unit == QLatin1String("mm") ? 96 / 25.4 : unit == QLatin1String("cm") ? 96 / 2.54 : unit == QLatin1String("in") ? 96 : 1;
    return value * perUnit;
}

// Reads the whole document before Qt SVG sees it and refuses what it must not be given.
void CheckSvg(const QByteArray &bytes, const QString &name)
{
    if (bytes.startsWith("\x1f\x8b"))
        Refuse(name, QStringLiteral("compressed SVG (SVGZ) is not taken; save it as plain SVG"));
    QXmlStreamReader xml(bytes);
    int depth = 0;
    int elements = 0;
    bool root = true;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD:
            if (!xml.entityDeclarations().isEmpty() || xml.text().contains(QLatin1String("<!ENTITY")))
                Refuse(name, QStringLiteral("it declares XML entities, which can expand without end"));
            break;
        case QXmlStreamReader::EntityReference:
            Refuse(name, QStringLiteral("it uses XML entities"));
        case QXmlStreamReader::ProcessingInstruction:
            if (xml.processingInstructionTarget() != QLatin1String("xml"))
                Refuse(name, QStringLiteral("it carries a processing instruction (%1)").arg(xml.processingInstructionTarget()));
            break;
        case QXmlStreamReader::StartElement: {
            if (root && xml.name() != QLatin1String("svg"))
                Refuse(name, QStringLiteral("it is not an SVG drawing"));
            if (++depth > MaxSvgDepth)
                Refuse(name, QStringLiteral("it nests more than %1 levels deep").arg(MaxSvgDepth));
            if (++elements > MaxSvgElements)
                Refuse(name, QStringLiteral("it has more than %1 elements").arg(MaxSvgElements));
            for (const QXmlStreamAttribute &attribute : xml.attributes()) {
                const QStringView value = attribute.value();
                if (attribute.name() == QLatin1String("href") && !IsInside(value))
                    Refuse(name, QStringLiteral("it refers to a file or address outside itself (%1)").arg(value.left(80)));
                if (attribute.name() == QLatin1String("href") && EmbeddedTooLarge(value))
                    Refuse(name, QStringLiteral("a picture inside it is too large"));
                if (HasOutsideUrl(value))
                    Refuse(name, QStringLiteral("it refers to a file or address outside itself (%1)").arg(value.left(80)));
            }
            if (root) {
                const QXmlStreamAttributes attributes = xml.attributes();
                const QStringList box = attributes.value(QLatin1String("viewBox")).toString().split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
                for (const QString &number : box) {
                    const double v = number.toDouble();
                    if (!std::isfinite(v) || std::abs(v) > MaxNaturalSide * 100)
                        Refuse(name, QStringLiteral("its view box is out of all proportion"));
                }
                for (const char *side : {"width", "height"})
                    if (SvgLength(attributes.value(QLatin1String(side))) > MaxNaturalSide)
                        Refuse(name, QStringLiteral("its %1 passes %2 pixels").arg(QLatin1String(side)).arg(MaxNaturalSide));
            }
            root = false;
            break;
        }
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Characters:
            if (HasOutsideUrl(xml.text()))
                Refuse(name, QStringLiteral("its style refers to a file or address outside itself"));
            break;
        default:
            break;
        }
    }
    if (xml.hasError())
        Refuse(name, QStringLiteral("it is not well-formed SVG (%1, line %2)").arg(xml.errorString()).arg(xml.lineNumber()));
    if (root)
        Refuse(name, QStringLiteral("it holds no drawing"));
}

void CheckNaturalSize(QSizeF size, const QString &name)
{
    if (!(size.width() > 0 && size.height() > 0))
        Refuse(name, QStringLiteral("it has no size"));
    if (size.width() > MaxNaturalSide || size.height() > MaxNaturalSide)
        Refuse(name, QStringLiteral("it is %1 x %2 pixels, more than %3 a side").arg(size.width()).arg(size.height()).arg(MaxNaturalSide));
}

bool TooSlow(qint64 deadline)
{
    return QDateTime::currentMSecsSinceEpoch() > deadline;
}

// Poppler's question whether to give up drawing.
bool PastDeadline(const QVariant &deadline)
{
    return TooSlow(deadline.toLongLong());
}

} // namespace

TVectorPicture::~TVectorPicture() = default;

bool IsVectorPictureBytes(const QByteArray &bytes)
{
    if (IsPdf(bytes))
        return true;
    // SVG is text from its first byte on (after a byte order mark and white space); a raster
    // picture whose metadata happens to mention "<svg" is not one.
    QByteArray head = bytes.left(4096);
    if (head.startsWith("\xef\xbb\xbf"))
        head.remove(0, 3);
    return head.trimmed().startsWith('<') && head.contains("<svg");
}

bool IsVectorPictureFile(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("svg") || suffix == QLatin1String("svgz") || suffix == QLatin1String("pdf"))
        return true;
    QFile file(fileName);
    return QFileInfo(fileName).isFile() && file.open(QIODevice::ReadOnly) && IsVectorPictureBytes(file.read(4096));
}

std::shared_ptr<const TVectorPicture> LoadVectorPictureFile(const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const QFileInfo info(fileName);
    if (!info.isFile())
        throw EElementError(QStringLiteral("The picture \"%1\" cannot be read: it is not a file.").arg(fileName));
    if (info.size() > MaxVectorPictureBytes)
        Refuse(name, QStringLiteral("it is larger than %1 MB").arg(MaxVectorPictureBytes >> 20));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EElementError(QStringLiteral("The picture \"%1\" cannot be read: %2.").arg(fileName, file.errorString()));
    return TVectorPicture::FromBytes(file.read(MaxVectorPictureBytes + 1), name);
}

std::shared_ptr<const TVectorPicture> TVectorPicture::FromBytes(const QByteArray &bytes, const QString &name)
{
    if (bytes.size() > MaxVectorPictureBytes)
        Refuse(name, QStringLiteral("it is larger than %1 MB").arg(MaxVectorPictureBytes >> 20));
    std::shared_ptr<TVectorPicture> picture(new TVectorPicture);
    picture->m_bytes = bytes;
    QElapsedTimer clock;
    clock.start();
    if (IsPdf(bytes)) {
        // Poppler's complaints about a broken file are the refusal's to tell, not the terminal's.
        static const bool quiet = [] {
            Poppler::setDebugErrorFunction([](const QString &, const QVariant &) {}, QVariant());
            return true;
        }();
        (void)quiet;
        picture->m_kind = TKind::Pdf;
        picture->m_pdf = Poppler::Document::loadFromData(bytes);
        if (!picture->m_pdf)
            Refuse(name, QStringLiteral("it is not a PDF that can be read"));
        if (picture->m_pdf->isLocked())
            Refuse(name, QStringLiteral("the PDF is locked with a password"));
        if (picture->m_pdf->numPages() < 1)
            Refuse(name, QStringLiteral("the PDF has no pages"));
        const std::unique_ptr<Poppler::Page> page = picture->m_pdf->page(0);
        if (!page)
            Refuse(name, QStringLiteral("its first page cannot be read"));
        picture->m_size = page->pageSizeF();
        CheckNaturalSize(picture->m_size, name);
        // A small trial drawing, stopped at the time limit: a page that takes longer is refused
        // before the roll depends on it.
        const qint64 deadline = QDateTime::currentMSecsSinceEpoch() + MaxParseMilliseconds;
        const double dpi = 72.0 * 64 / std::max(picture->m_size.width(), picture->m_size.height());
        picture->m_pdf->setRenderBackend(Poppler::Document::SplashBackend);
        const QImage trial = page->renderToImage(dpi, dpi, -1, -1, -1, -1, Poppler::Page::Rotate0, nullptr, nullptr, PastDeadline,
                                                     QVariant(deadline));
        if (TooSlow(deadline) || trial.isNull())
            Refuse(name, QStringLiteral("its first page takes too long to draw"));
        picture->m_pdf->setRenderBackend(Poppler::Document::QPainterBackend);
        picture->m_pdf->setRenderHint(Poppler::Document::Antialiasing);
        picture->m_pdf->setRenderHint(Poppler::Document::TextAntialiasing);
        // Poppler's painter backend sets the painter's transform outright, losing where and how
        // large the page is to go; recorded once, the page plays back under any transform.
        QPainter recorder(&picture->m_page);
        const bool recorded = page->renderToPainter(&recorder, 72.0, 72.0);
        recorder.end();
        if (!recorded)
            Refuse(name, QStringLiteral("its first page cannot be drawn"));
        picture->m_pdf.reset();
        return picture;
    }
    CheckSvg(bytes, name);
    picture->m_kind = TKind::Svg;
    picture->m_svg = std::make_unique<QSvgRenderer>();
    if (!picture->m_svg->load(bytes) || !picture->m_svg->isValid())
        Refuse(name, QStringLiteral("Qt SVG cannot read it"));
    if (clock.elapsed() > MaxParseMilliseconds)
        Refuse(name, QStringLiteral("it takes too long to read"));
    picture->m_size = picture->m_svg->defaultSize().isValid() && !picture->m_svg->defaultSize().isEmpty()
        ? QSizeF(picture->m_svg->defaultSize())
        : picture->m_svg->viewBoxF().size();
    CheckNaturalSize(picture->m_size, name);
    return picture;
}

void TVectorPicture::Draw(QPainter &painter, const QRectF &target) const
{
    if (target.isEmpty())
        return;
    std::lock_guard lock(m_drawing);
    if (m_svg) {
        m_svg->render(&painter, target);
        return;
    }
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / m_size.width(), target.height() / m_size.height());
    painter.drawPicture(0, 0, m_page);
    painter.restore();
}

QImage TVectorPicture::Preview() const
{
    const double longest = std::max(m_size.width(), m_size.height());
    const double scale = longest > MaxPreviewSide ? MaxPreviewSide / longest : 1.0;
    return Rasterized(QSize(std::max(1, int(std::lround(m_size.width() * scale))), std::max(1, int(std::lround(m_size.height() * scale)))));
}

QSize TVectorPicture::PixelSize() const
{
    return QSize(std::max(1, int(std::lround(m_size.width()))), std::max(1, int(std::lround(m_size.height()))));
}

void WriteVectorPicture(ITypedFiler &filer, const QByteArray &bytes)
{
    filer.WriteString(QByteArray(VectorPictureMark));
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    filer.WriteStream(buffer, true);
}

TStoredVector ReadVectorPicture(ITypedFiler &filer)
{
    TStoredVector stored;
    QBuffer buffer(&stored.Bytes);
    buffer.open(QIODevice::ReadWrite);
    filer.ReadStream(buffer);
    buffer.close();
    try {
        stored.Picture = TVectorPicture::FromBytes(stored.Bytes, QStringLiteral("stored picture"));
    } catch (const EElementError &e) {
        // Kept as stored, so saving loses nothing; it shows as nothing, with the reason.
        stored.Problem = e.message();
    }
    return stored;
}

void WritePictureSlot(ITypedFiler &filer, const QImage *image, const QByteArray &storedBytes, const TStoredVector &vector)
{
    if (vector.Bytes.isEmpty())
        WriteEmbeddedImage(filer, image, storedBytes);
    else
        WriteVectorPicture(filer, vector.Bytes);
}

std::unique_ptr<QImage> ReadPictureSlot(ITypedFiler &filer, TColorHandling colors, QByteArray *storedBytes, bool decode,
                                        TStoredVector &vector)
{
    vector = TStoredVector();
    if (filer.PeekType() != static_cast<quint8>(TTypeTag::String))
        return ReadEmbeddedImage(filer, colors, storedBytes, decode);
    if (storedBytes)
        storedBytes->clear();
    const QByteArray mark = filer.ReadString();
    if (mark == QByteArrayView(VectorPictureMark)) {
        vector = ReadVectorPicture(filer);
        return std::make_unique<QImage>(vector.Picture ? vector.Picture->Preview() : QImage());
    }
    if (mark != QByteArrayView("<none>"))
        throw EElementError(QStringLiteral("Unexpected blank image content"));
    return nullptr;
}

QImage TVectorPicture::Rasterized(QSize size) const
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    Draw(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

} // namespace velmora
