// What the editor keeps between sessions: layout, view, Generate's choices and the folder the
// project dialogs start in, through a real settings file in a temporary folder.
#include "EditorFixture.h"

#include "core/export/formats/OutputFormats.h"
#include "ui/generate/GenerationCommand.h"
#include "ui/preview/PreviewPainter.h"
#include "ui/prompts/DialogPrompts.h"
#include "ui/window/EditorSettings.h"

#include <QDir>
#include <QDockWidget>
#include <QSettings>
#include <QSplitter>
#include <QTemporaryDir>

using namespace velmora;
using namespace velmora::test;

class EditorSettingsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        QVERIFY(m_settings.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
        EditorSettings().clear();
    }

    void restartRestoresLayoutViewAndGenerateChoices()
    {
        TDeliveryChoice delivery;
        delivery.Format = QStringLiteral("mov");
        delivery.Codec = QStringLiteral("prores");
        delivery.Rate = {24000, 1001};
        delivery.Scale = 2;
        {
            TEditorFixture f;
            TMain &w = f.Main();
            w.RememberSettings();
            w.SetZoomChoice(200);
            w.Controls().ActShowPlaceholders->setChecked(true);
            w.Controls().ActShowSafeAreas->setChecked(true);
            w.Controls().ActShowElements->trigger();  // the element manager hidden
            w.findChild<QDockWidget *>(QStringLiteral("StylesPanel"))->show();
            w.Generation().SetDelivery(delivery);
            w.SaveSettings();
        }
        TEditorFixture f;
        TMain &w = f.Main();
        // Before RememberSettings a window starts as built: tests and screenshots do.
        QCOMPARE(w.ZoomChoice(), PreviewZoomFit);
        w.RememberSettings();
        QCOMPARE(w.ZoomChoice(), 200);
        QVERIFY(w.Controls().ActShowPlaceholders->isChecked() && w.Controls().ActShowSafeAreas->isChecked());
        QVERIFY(w.Controls().ActShowElements->isChecked());
        QCOMPARE(w.Controls().ElementsSplitter->sizes().value(0), 0);
        QVERIFY(!w.findChild<QDockWidget *>(QStringLiteral("StylesPanel"))->isHidden());
        QVERIFY(w.Generation().Delivery() == delivery);

        // Reset Layout: docks and side panels as built; the view choices stay.
        w.findChild<QAction *>(QStringLiteral("ActResetLayout"))->trigger();
        QVERIFY(w.findChild<QDockWidget *>(QStringLiteral("StylesPanel"))->isHidden());
        QVERIFY(!w.Controls().ActShowElements->isChecked());
        QVERIFY(w.Controls().ElementsSplitter->sizes().value(0) > 0);
        QCOMPARE(w.ZoomChoice(), 200);
    }

    void unknownGenerateChoicesFallBack()
    {
        QSettings settings = EditorSettings();
        settings.setValue(QStringLiteral("Generate/Format"), QStringLiteral("no-such-format"));
        QVERIFY(ReadDeliveryChoice(settings) == TDeliveryChoice{});
        settings.setValue(QStringLiteral("Generate/Format"), QStringLiteral("mov"));
        settings.setValue(QStringLiteral("Generate/Codec"), QStringLiteral("no-such-codec"));
        settings.setValue(QStringLiteral("Generate/Scale"), 0);
        const TDeliveryChoice read = ReadDeliveryChoice(settings);
        QCOMPARE(read.Format, QStringLiteral("mov"));
        QVERIFY(read.Codec.isEmpty());
        QCOMPARE(read.Scale, 1);
    }

    // Open and Save As start in the project's folder; a project never saved starts where the
    // last project dialog ended, and a folder that is gone is passed over.
    void projectDialogsStartInTheProjectsFolder()
    {
        QTemporaryDir projects;
        QString project;
        TDialogPrompts prompts(nullptr);
        prompts.SetProjectFile([&project] { return project; });
        project = projects.filePath(QStringLiteral("roll.vmz"));
        QCOMPARE(prompts.ProjectFolder(), QFileInfo(project).absolutePath());
        project.clear();
        EditorSettings().setValue(QStringLiteral("Files/LastFolder"), projects.path());
        QCOMPARE(prompts.ProjectFolder(), projects.path());
        EditorSettings().setValue(QStringLiteral("Files/LastFolder"), projects.filePath(QStringLiteral("gone")));
        QVERIFY(QFileInfo(prompts.ProjectFolder()).isDir());
        QVERIFY(prompts.ProjectFolder() != projects.filePath(QStringLiteral("gone")));
    }

private:
    QTemporaryDir m_settings;
};

QTEST_MAIN(EditorSettingsTest)
#include "EditorSettings.moc"
