// New Project's template chooser: what each starting point sets, the classic project's exact
// bytes, cancelling, and the new film sizes kept in saved files.
#include "EditorFixture.h"

#include "core/elements/ContentSizes.h"
#include "core/elements/ProjectTemplates.h"

#include <QFile>
#include <QSlider>
#include <QTemporaryDir>

using namespace velmora;
using namespace velmora::test;

namespace {

IProject &ProjectOf(TEditorFixture &f)
{
    return *queryInterface<IProject>(f.Project().Element());
}

QByteArray Saved(TEditorFixture &f, const QString &fileName)
{
    f.Main().Document().SaveProjectAs(fileName);
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class NewProjectTemplatesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void templateSetsSizeRateAndBackground_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("sizeName");
        QTest::addColumn<QSize>("film");
        QTest::addColumn<int>("fps");
        QTest::addColumn<int>("scroll");
        QTest::addColumn<bool>("ntsc");
        QTest::newRow("HD 1080p 24") << 0 << "HD 1080p (1920 x 1080)" << QSize(1920, 1080) << 24 << 8 << false;
        QTest::newRow("UHD 24") << 1 << "UHD (3840 x 2160)" << QSize(3840, 2160) << 24 << 15 << false;
        QTest::newRow("DCI Flat 24") << 2 << "DCI Flat (1998 x 1080)" << QSize(1998, 1080) << 24 << 8 << false;
        QTest::newRow("DCI Scope 24") << 3 << "DCI Scope (2048 x 858)" << QSize(2048, 858) << 24 << 6 << false;
        QTest::newRow("PAL 25") << 4 << "DVD PAL (720 x 576)" << QSize(720, 576) << 25 << 4 << false;
        QTest::newRow("HD 1080p 23.976") << 5 << "HD 1080p (1920 x 1080)" << QSize(1920, 1080) << 24 << 8 << true;
        QTest::newRow("HD 1080p 29.97") << 7 << "HD 1080p (1920 x 1080)" << QSize(1920, 1080) << 30 << 8 << true;
        QTest::newRow("UHD 25") << 9 << "UHD (3840 x 2160)" << QSize(3840, 2160) << 25 << 15 << false;
        QTest::newRow("DCI Scope 25") << 12 << "DCI Scope (2048 x 858)" << QSize(2048, 858) << 25 << 6 << false;
    }
    void templateSetsSizeRateAndBackground()
    {
        QFETCH(int, choice);
        QFETCH(QString, sizeName);
        QFETCH(QSize, film);
        QFETCH(int, fps);
        QFETCH(int, scroll);
        QFETCH(bool, ntsc);
        QTemporaryDir dir;
        TEditorFixture f;
        f.Prompts.Templates = {choice};
        f.Main().Controls().ActNew->trigger();
        IProject &project = ProjectOf(f);
        QCOMPARE(ContentSizeListItems().at(project.GetContentSize()), sizeName);
        QCOMPARE(QSize(project.GetWidth(), project.GetHeight()), film);
        QCOMPARE(project.GetFrameRate(), fps);
        QCOMPARE(project.GetScrollRate(), scroll);
        QCOMPARE(project.GetNtscRate(), ntsc);
        QCOMPARE(project.GetBackColor(), 0xFF000000u);
        // A fresh project: nothing to save, nothing to undo, and the preview already shows it.
        QVERIFY(!f.Main().Document().Modified());
        QCOMPARE(f.Main().Document().UndoStack().count(), 0);
        QCOMPARE(f.Main().Controls().TrackBar->maximum(), film.height());
        QCOMPARE(f.Main().FrameBitmap().size(), film);
        // What is saved reads back the same.
        const QString file = dir.filePath(QStringLiteral("t.vmz"));
        const int row = project.GetContentSize();
        Saved(f, file);
        f.Main().OpenProjectFile(file); // a new tree: project is gone
        QCOMPARE(ProjectOf(f).GetContentSize(), row);
        QCOMPARE(QSize(ProjectOf(f).GetWidth(), ProjectOf(f).GetHeight()), film);
        QCOMPARE(ProjectOf(f).GetFrameRate(), fps);
    }

    // The classic choice writes today's fresh project byte for byte, also after another template.
    void classicKeepsTheFreshFile()
    {
        QTemporaryDir dir;
        TEditorFixture fresh;
        const QByteArray expected = Saved(fresh, dir.filePath(QStringLiteral("fresh.vmz")));
        QVERIFY(!expected.isEmpty());

        TEditorFixture f;
        f.Prompts.Templates = {0, int(ClassicTemplate)};
        f.Main().Controls().ActNew->trigger();
        QCOMPARE(ProjectOf(f).GetWidth(), 1920);
        f.Main().Controls().ActNew->trigger();
        QCOMPARE(Saved(f, dir.filePath(QStringLiteral("classic.vmz"))), expected);
        QVERIFY(ProjectTemplateNames().last().startsWith(QStringLiteral("Classic (720 x 576, 25 fps)")));
    }

    void cancelLeavesTheProject()
    {
        TEditorFixture f;
        f.AddText(f.Project(), QStringLiteral("Kept"));
        f.Prompts.Templates = {std::nullopt};
        f.Main().Controls().ActNew->trigger();
        QCOMPARE(f.Project().ChildCount(), 1u);
        QVERIFY(f.Prompts.Questions.isEmpty()); // not even asked about saving
    }
};

QTEST_MAIN(NewProjectTemplatesTest)
#include "NewProjectTemplates.moc"
