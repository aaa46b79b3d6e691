// Seed inputs: real projects written by the document, and cut or bent copies of them.
#include "FuzzSeeds.h"

#include "core/credits/CreditSource.h"
#include "core/credits/ElementCreditBlock.h"
#include "core/document/Document.h"
#include "core/document/TreeSection.h"
#include "core/elements/ElementColumns.h"
#include "core/elements/ElementImage.h"
#include "core/elements/ElementProject.h"
#include "core/elements/ElementText.h"
#include "core/error.h"
#include "support/DocumentBytes.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

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
// Projects holding a credit block of every row kind with styles, copied into the project and
// linked to its sheet, the second with a fit (a version 2 record).
QList<QByteArray> CreditBlockProjects()
{
    QTemporaryDir dir;
    const auto write = [&dir](const char *name, const QByteArray &bytes) {
        WriteFile(dir.path(), QString::fromLatin1(name), bytes);
        return dir.filePath(QString::fromLatin1(name));
    };
    QImage image(4, 3, QImage::Format_ARGB32);
    image.fill(qRgba(20, 120, 220, 200));
    image.save(dir.filePath(QStringLiteral("logo.png")));
    const QString sheet = write("roll.csv",
                                "Kind,Role,Name,Text,Style,Columns,Size,Image\n"
                                "gap,,,,,,40,\n"
                                "image,,,,,,20,logo.png\n"
                                "heading,,,CAMERA,Title,,,\n"
                                "pair,Gaffer,Ada Halloran,,,,,\n"
                                "pair,Grip,\"Bo Lin\nCy Moss\",,,,,\n"
                                "names,,Ann;Ben;Cas;Dee,,,2,,\n"
                                "text,,,Filmed on location,Credit,,,\n"
                                "heading,,,THE END,Title,,,\n");
    const QString styles = write("roll-styles.json",
                                 R"({"Title":{"FontSize":60,"Color":"#FFEEDD","SpaceAfter":30},"Credit":{"FontName":"Liberation Serif","Leading":1.2}})");
    QList<QByteArray> projects;
    for (const bool linked : {false, true}) {
        TDocument document;
        try {
            TCreditSource source = linked ? ReadCreditSource(sheet, styles, QString(), dir.path())
                                          : ReadCopiedCreditSource(sheet, styles, QString());
            auto block = std::make_unique<TVmElementCreditBlock>(std::move(source));
            if (linked)
                block->SetStretches({12, -4});
            document.Tree().AddChild(*document.ProjectNode(), std::move(block));
        } catch (const EVelmoraError &error) {
            std::fprintf(stderr, "a credit block seed cannot be made: %s\n", error.what());
            std::abort();
        }
        projects << test::SaveToBytes(document);
    }
    return projects;
}
} // namespace

void StartFuzzing(int *argc, char ***argv)
{
    // It lives until the process ends: destroying it among the exit handlers, after Qt's own
    // globals are gone, would crash every run at exit.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(*argc, *argv);
    const QByteArray seeds = qgetenv("VELMORA_FUZZ_WRITE_SEEDS");
    if (!seeds.isEmpty()) {
        WriteSeeds(QString::fromLocal8Bit(seeds));
        std::exit(0);
    }
}

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
    const QList<QByteArray> blocks = CreditBlockProjects();
    for (qsizetype i = 0; i < blocks.size(); ++i) {
        WriteFile(dir, QStringLiteral("block%1.vmz").arg(i), blocks[i]);
        // The block's record cut short halfway.
        WriteFile(dir, QStringLiteral("block%1-cut.vmz").arg(i), blocks[i].left(blocks[i].size() / 2));
    }
}

} // namespace velmora::fuzz
