#include "ui/tree/TreeClipboard.h"

#include "core/elements/VectorPicture.h"
#include "core/document/TreeSection.h"
#include "core/elements/Interfaces.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QUrl>
#include <QMimeData>
#include <QtEndian>

namespace velmora {

namespace {

// Visits node and its subtree in tree order with the depth below the first node.
template <typename Visit>
void Walk(const TElementNode &node, int depth, Visit &&visit)
{
    visit(node, depth);
    for (const auto &child : node.Children())
        Walk(*child, depth + 1, visit);
}

QString PlainText(const std::vector<TElementNode *> &nodes)
{
    QString text;
    for (const TElementNode *node : nodes)
        Walk(*node, 0, [&](const TElementNode &n, int depth) {
            text += QString(depth, QLatin1Char('\t')) + NodeCaption(n) + QStringLiteral("\r\n");
        });
    return text;
}

QString CsvText(const std::vector<TElementNode *> &nodes)
{
    QString text;
    for (const TElementNode *node : nodes)
        Walk(*node, 0, [&](const TElementNode &n, int) {
            QString caption = NodeCaption(n);
            caption.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            text += QLatin1Char('"') + caption + QStringLiteral("\"\r\n");
        });
    return text;
}

// The platform's HTML clipboard layout: a header of byte offsets, then the fragment.
QByteArray HtmlFormat(const std::vector<TElementNode *> &nodes)
{
    QString rows;
    for (const TElementNode *node : nodes)
        Walk(*node, 0, [&](const TElementNode &n, int depth) {
            rows += QStringLiteral("<tr><td style=\"padding-left:%1em\">%2</td></tr>")
                        .arg(depth * 2)
                        .arg(NodeCaption(n).toHtmlEscaped());
        });
    const QByteArray start = "<html><body>\r\n<!--StartFragment-->";
    const QByteArray fragment = "<table>" + rows.toUtf8() + "</table>";
    const QByteArray end = "<!--EndFragment-->\r\n</body></html>";
    const auto header = [](int startHtml, int endHtml, int startFragment, int endFragment) {
        return QStringLiteral("Version:0.9\r\nStartHTML:%1\r\nEndHTML:%2\r\nStartFragment:%3\r\nEndFragment:%4\r\n")
            .arg(startHtml, 8, 10, QLatin1Char('0'))
            .arg(endHtml, 8, 10, QLatin1Char('0'))
            .arg(startFragment, 8, 10, QLatin1Char('0'))
            .arg(endFragment, 8, 10, QLatin1Char('0'))
            .toLatin1();
    };
    const int headerSize = static_cast<int>(header(0, 0, 0, 0).size());
    const int startFragment = headerSize + static_cast<int>(start.size());
    const int endFragment = startFragment + static_cast<int>(fragment.size());
    const int endHtml = endFragment + static_cast<int>(end.size());
    return header(headerSize, endHtml, startFragment, endFragment) + start + fragment + end;
}

} // namespace

QStringList TreeClipboardFormats()
{
    return {QStringLiteral("CSV"), QStringLiteral("HTML Format"), QStringLiteral("Plain text"),
        QStringLiteral("Unicode text"), VirtualTreeDataFormat};
}

QString NodeCaption(const TElementNode &node)
{
    QString caption;
    if (node.Element() != nullptr)
        node.Element()->GetCaption(-1, caption);
    return caption;
}

QByteArray EncodeNodeChunks(const std::vector<TElementNode *> &nodes)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    const quint32 placeholder = 0;
    buffer.write(reinterpret_cast<const char *>(&placeholder), sizeof placeholder);
    for (const TElementNode *node : nodes)
        WriteNodeChunk(buffer, *node);
    QByteArray payload = buffer.data();
    qToLittleEndian<quint32>(static_cast<quint32>(payload.size() - 4), payload.data());
    return payload;
}

std::vector<std::unique_ptr<TElementNode>> DecodeNodeChunks(const QByteArray &payload)
{
    std::vector<std::unique_ptr<TElementNode>> nodes;
    if (payload.size() < 4)
        return nodes;
    const quint32 count = qFromLittleEndian<quint32>(payload.constData());
    QByteArray chunks = payload.mid(4, static_cast<qsizetype>(std::min<quint64>(count, payload.size() - 4)));
    QBuffer buffer(&chunks);
    buffer.open(QIODevice::ReadOnly);
    while (!buffer.atEnd())
        nodes.push_back(ReadNodeChunk(buffer));
    return nodes;
}

QStringList DroppedImageFiles(const QMimeData *data)
{
    QStringList files;
    if (data == nullptr || !data->hasUrls())
        return files;
    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    for (const QUrl &url : data->urls()) {
        const QFileInfo file(url.toLocalFile());
        // SVG and PDF are taken as vector pictures, whatever image plugins Qt has.
        if (url.isLocalFile() && file.isFile()
            && (formats.contains(file.suffix().toLower().toLatin1()) || IsVectorPictureFile(file.filePath())))
            files << file.filePath();
    }
    return files;
}

std::unique_ptr<QMimeData> CreateTreeMimeData(const std::vector<TElementNode *> &nodes)
{
    auto mime = std::make_unique<QMimeData>();
    const QString plain = PlainText(nodes);
    mime->setData(QStringLiteral("CSV"), CsvText(nodes).toUtf8());
    mime->setData(QStringLiteral("HTML Format"), HtmlFormat(nodes));
    mime->setData(QStringLiteral("Plain text"), plain.toLocal8Bit());
    const QByteArray utf16(reinterpret_cast<const char *>(plain.utf16()), plain.size() * 2);
    mime->setData(QStringLiteral("Unicode text"), utf16);
    mime->setData(VirtualTreeDataFormat, EncodeNodeChunks(nodes));
    // Other programs on this desktop read text under its standard name.
    mime->setText(plain);
    return mime;
}

} // namespace velmora
