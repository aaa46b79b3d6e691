// The Problems panel and File > Export Proof PDF... in the real window.
#include "EditorFixture.h"

#include "ui/panels/SignoffPanel.h"

#include <QDockWidget>
#include <QFile>
#include <QListWidget>
#include <QSlider>
#include <QTemporaryDir>

using namespace velmora;
using namespace velmora::test;

class SignoffPanelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ClickingAProblemSelectsItsElementAndShowsIt();
    void ExportsTheProofChosen();
    void ComparesWithAnotherVersion();
};

void SignoffPanelTest::ClickingAProblemSelectsItsElementAndShowsIt()
{
    TEditorFixture editor;
    auto *project = queryInterface<IProject>(editor.Project().Element());
    project->SetWidth(1920);
    project->SetHeight(1080);
    project->SetScrollRate(2);
    // A readable roll with one fault far down: a 12-pixel line.
    TElementNode *small = nullptr;
    for (int i = 0; i < 40; ++i) {
        TElementNode &text = editor.AddText(editor.Project(), QStringLiteral("Person %1").arg(i));
        auto *font = queryInterface<IGDIPFont>(text.Element());
        font->SetFontSize(i == 30 ? 12 : 48);
        if (i == 30)
            small = &text;
    }
    TSignoffPanel &panel = editor.Main().Signoff();
    panel.Update();
    QCOMPARE(panel.Problems->count(), 1);
    QVERIFY(panel.Problems->item(0)->text().contains(QStringLiteral("small-text")));

    editor.Main().Controls().TrackBar->setValue(0);
    panel.Dock->show();
    const QRect itemRect = panel.Problems->visualItemRect(panel.Problems->item(0));
    QTest::mouseClick(panel.Problems->viewport(), Qt::LeftButton, {}, itemRect.center());
    QCOMPARE(editor.Editor().FocusedNode(), small);
    // The element is now on screen: its band lies within the frame.
    editor.Main().RenderFrame();
    const int position = editor.Main().Controls().TrackBar->value();
    QVERIFY(position > 1080);
    TFrameRenderer renderer;
    editor.Window->Document().Tree().SetFocusedNode(small);
    renderer.RenderFrame(editor.Window->Document().Tree(), position, false);
    QVERIFY(renderer.FocusedBand().has_value());
    QVERIFY(renderer.FocusedBand()->first >= 0 && renderer.FocusedBand()->second <= 1080);
}

void SignoffPanelTest::ExportsTheProofChosen()
{
    TEditorFixture editor;
    editor.AddText(editor.Project(), QStringLiteral("Signed Off Name"));
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("proof.pdf"));
    TSignoffPanel &panel = editor.Main().Signoff();
    panel.ChooseProofFile = [&](const QString &) { return target; };
    panel.ActExportProof->trigger();
    QFile pdf(target);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
    QVERIFY(editor.Prompts.Errors.isEmpty());
}

void SignoffPanelTest::ComparesWithAnotherVersion()
{
    TEditorFixture editor;
    editor.AddText(editor.Project(), QStringLiteral("CAST"));
    TElementNode &renamed = editor.AddText(editor.Project(), QStringLiteral("Ugo Eskildsen\r\nRhea Umberfield"));
    QTemporaryDir dir;
    const QString older = dir.filePath(QStringLiteral("older.vmz"));
    {
        QFile file(older);
        QVERIFY(file.open(QIODevice::WriteOnly));
        editor.Main().Document().SaveProjectFile(file);
    }
    queryInterface<IElementText>(renamed.Element())->SetText(QStringLiteral("Hugo Eskildsen\r\nRhea Umberfield"));
    TSignoffPanel &panel = editor.Main().Signoff();
    panel.ChooseCompareFile = [&] { return older; };
    panel.ActCompare->trigger();
    QVERIFY(editor.Prompts.Errors.isEmpty());
    QCOMPARE(panel.Changes->count(), 1);
    QVERIFY(panel.Changes->item(0)->text().contains(QStringLiteral("\"Ugo Eskildsen\" -> \"Hugo Eskildsen\"")));
    QVERIFY(panel.Dock->isVisible());
    panel.ShowItem(panel.Changes->item(0));
    QCOMPARE(editor.Editor().FocusedNode(), &renamed);
}

QTEST_MAIN(SignoffPanelTest)
#include "SignoffPanel.moc"
