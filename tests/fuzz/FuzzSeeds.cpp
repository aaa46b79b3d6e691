// Seed inputs: real projects written by the document, and cut or bent copies of them.
#include "FuzzSeeds.h"

#include "core/document/Document.h"
#include "core/document/TreeSection.h"
#include "core/elements/ElementColumns.h"
#include "core/elements/ElementImage.h"
#include "core/elements/ElementProject.h"
#include "core/elements/ElementText.h"
#include "support/DocumentBytes.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace velmora::fuzz {

namespace {
void WriteFile(const QString &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(QDir(dir).filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// A roll with every kind, nested columns and small pictures.
QByteArray FullProject(QByteArray &clipboard)
{
    TDocument document;
    TElementTree &tree = document.Tree();
    TElementNode &project = *document.ProjectNode();
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("p.png"));
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(qRgba(200, 100, 50, 128));
    image.save(picture);
    queryInterface<IProjectBackground>(project.Element())->LoadBackground(picture);

    auto text = std::make_unique<TVmElementText>();
    text->SetText(QStringLiteral("Cast\r\nCrew"));
    tree.AddChild(project, std::move(text)).SetSelected(true);
    TElementNode &columns = tree.AddChild(project, std::make_unique<TVmElementColumns>());
    TElementNode &column = tree.AddChild(columns, std::make_unique<TVmElementColumn>());
    auto img = std::make_unique<TVmElementImage>();
    img->LoadFromFile(picture);
    tree.AddChild(column, std::move(img));
    tree.AddChild(column, std::make_unique<TVmElementText>());
    project.SetExpanded(true);

    QBuffer buffer(&clipboard);
    buffer.open(QIODevice::WriteOnly);
    WriteNodeChunks(buffer, {&columns, project.Child(0)});
    return test::SaveToBytes(document);
}
} // namespace

void WriteSeeds(const QString &dir)
{
    QDir().mkpath(dir);
    TDocument fresh;
    const QByteArray empty = test::SaveToBytes(fresh);
    QByteArray clipboard;
    const QByteArray full = FullProject(clipboard);
    WriteFile(dir, QStringLiteral("fresh.vmz"), empty);
    WriteFile(dir, QStringLiteral("full.vmz"), full);
    WriteFile(dir, QStringLiteral("clipboard.bin"), clipboard);
    // Cut short at a few places, and with one byte bent in the chunk headers.
    for (const qsizetype cut : {10, 30, 60, 120})
        WriteFile(dir, QStringLiteral("cut%1.vmz").arg(cut), full.left(cut));
    QByteArray bent = full;
    bent[29] = char(0xFF);
    WriteFile(dir, QStringLiteral("bent.vmz"), bent);
    // Version 1 of the section: no count.
    QByteArray v1 = empty;
    v1[9 + 6] = 1;
    v1.remove(21, 4);
    WriteFile(dir, QStringLiteral("v1.vmz"), v1);
}

} // namespace velmora::fuzz
