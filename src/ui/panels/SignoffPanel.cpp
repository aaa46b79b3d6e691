#include "ui/panels/SignoffPanel.h"

#include "core/elements/Interfaces.h"
#include "core/credits/CreditSource.h"
#include "core/edit/CreditSheet.h"
#include "core/sheets/SheetReader.h"
#include "core/signoff/CreditDiff.h"
#include "core/signoff/Preflight.h"
#include "core/signoff/ProofPdf.h"
#include "core/signoff/RollMap.h"
#include "ui/credits/CreditCommands.h"
#include "ui/credits/CreditLink.h"
#include "core/document/Document.h"
#include "ui/window/EditorContext.h"

#include <QMainWindow>

#include <QAction>
#include <QDate>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QSlider>
#include <QTabWidget>

namespace velmora {

namespace {

constexpr int NodeRole = Qt::UserRole;
constexpr int SheetRowRole = Qt::UserRole + 1;  // a sheet error's row in its linked block

} // namespace

TSignoffPanel::TSignoffPanel(TEditorContext &context, TCreditCommands &credits, QMainWindow &window)
    : QObject(&window), m_context(context), m_credits(credits), m_window(window)
{
    Problems = new QListWidget;
    Problems->setObjectName(QStringLiteral("ProblemsList"));
    Problems->setWordWrap(true);
    Changes = new QListWidget;
    Changes->setObjectName(QStringLiteral("ChangesList"));
    Changes->setWordWrap(true);
    Tabs = new QTabWidget;
    Tabs->addTab(Problems, QStringLiteral("Problems"));
    Tabs->addTab(Changes, QStringLiteral("Changes"));
    Dock = new QDockWidget(QStringLiteral("Problems"), &window);
    Dock->setObjectName(QStringLiteral("ProblemsPanel"));
    Dock->setWidget(Tabs);
    window.addDockWidget(Qt::BottomDockWidgetArea, Dock);
    // Shown from View > Problems, so the window's layout stays as it was until asked for.
    Dock->hide();
    for (QListWidget *list : {Problems, Changes}) {
        connect(list, &QListWidget::itemClicked, this, &TSignoffPanel::ShowItem);
        connect(list, &QListWidget::itemActivated, this, &TSignoffPanel::ShowItem);
    }

    ActExportProof = new QAction(QStringLiteral("Export &Proof PDF..."), this);
    ActExportProof->setObjectName(QStringLiteral("ActExportProof"));
    connect(ActExportProof, &QAction::triggered, this, [this] {
        QString proposed = m_context.Document().ProjectFileName();
        proposed = proposed.isEmpty() ? QStringLiteral("proof.pdf")
                                      : QFileInfo(proposed).dir().filePath(QFileInfo(proposed).completeBaseName() + QStringLiteral("-proof.pdf"));
        const QString fileName = ChooseProofFile(proposed);
        if (!fileName.isEmpty())
            m_context.Run([&] { ExportProof(fileName); });
    });
    ChooseProofFile = [this](const QString &proposed) {
        return QFileDialog::getSaveFileName(&m_window, QStringLiteral("Export Proof PDF"), proposed, QStringLiteral("PDF (*.pdf)"));
    };
    ActCompare = new QAction(QStringLiteral("Co&mpare With..."), this);
    ActCompare->setObjectName(QStringLiteral("ActCompare"));
    connect(ActCompare, &QAction::triggered, this, [this] {
        const QString fileName = ChooseCompareFile();
        if (!fileName.isEmpty())
            m_context.Run([&] { CompareWith(fileName); });
    });
    ChooseCompareFile = [this] {
        return QFileDialog::getOpenFileName(&m_window, QStringLiteral("Compare With"), QString(),
                                            QStringLiteral("Projects and sheets (*.vmz *.csv *.tsv *.xlsx *.ods)"));
    };
    TActionRegistry &actions = context.Actions();
    for (QAction *action : {ActExportProof, ActCompare})
        actions.Register(action, {.Menu = QStringLiteral("&File"), .Before = QStringLiteral("ActExit")});
    actions.Register(Dock->toggleViewAction(), {.Menu = QStringLiteral("&View")}, QStringLiteral("ViewProblems"));

    // Laying every element out again waits for a pause in the edits, and for the panel to be
    // shown: on a long roll the checks take long enough to stall typing.
    m_timer.setSingleShot(true);
    m_timer.setInterval(500);
    connect(&m_timer, &QTimer::timeout, this, &TSignoffPanel::Update);
    connect(&context.Document(), &TDocument::Changed, this, [this] {
        if (!Dock->isHidden())
            m_timer.start();
    });
    connect(Dock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible)
            m_timer.start();
    });
    // A sheet that fails to read changes nothing in the document, but the panel lists why.
    connect(&credits.Link(), &TCreditLink::Reloaded, this, [this](int, const QStringList &problems) {
        if (!problems.isEmpty())
            Dock->show();
        if (!Dock->isHidden())
            Update();
    });
}

void TSignoffPanel::Update()
{
    m_timer.stop();
    Problems->clear();
    for (const TSheetProblem &problem : m_credits.Link().SheetProblems()) {
        auto *item = new QListWidgetItem(QStringLiteral("error [sheet]: %1").arg(problem.Text()));
        item->setData(NodeRole, QVariant::fromValue(static_cast<const void *>(problem.Block)));
        item->setData(SheetRowRole, problem.Row);
        item->setForeground(QColor(176, 0, 0));
        Problems->addItem(item);
    }
    for (const TProblem &problem : RunPreflight(m_context.Document().Tree(), TPreflightOptions{})) {
        QString place = problem.Place.isEmpty() ? QString() : QStringLiteral(" ") + problem.Place;
        if (problem.Frame >= 0)
            place += QStringLiteral(" frame %1 (%2)").arg(problem.Frame).arg(problem.Timecode);
        auto *item = new QListWidgetItem(QStringLiteral("%1 [%2]%3: %4")
                                             .arg(QLatin1String(SeverityName(problem.Severity)), problem.Id, place, problem.Message));
        item->setData(NodeRole, QVariant::fromValue(static_cast<const void *>(problem.Node)));
        // A block's row is shown as the row, not as the whole block.
        if (problem.Row > 0)
            item->setData(SheetRowRole, problem.Row);
        if (problem.Severity == TSeverity::Error)
            item->setForeground(QColor(176, 0, 0));
        Problems->addItem(item);
    }
    Tabs->setTabText(0, QStringLiteral("Problems (%1)").arg(Problems->count()));
}

void TSignoffPanel::ShowItem(QListWidgetItem *item)
{
    const auto *node = item ? static_cast<const TElementNode *>(item->data(NodeRole).value<const void *>()) : nullptr;
    if (node == nullptr)
        return;
    // The list may be older than the tree: only a node still in the roll is shown.
    const TRollMap map = MapRoll(m_context.Document().Tree());
    const TPlacedNode *placed = map.Find(node);
    if (placed == nullptr)
        return;
    if (const QVariant row = item->data(SheetRowRole); row.isValid()) {
        m_credits.ShowSheetRow(*node, row.toInt());
        return;
    }
    // The element's start a quarter of the way down the preview.
    m_context.Reveal(*node, placed->ContentTop + map.FilmHeight * 3 / 4);
}

void TSignoffPanel::CompareWith(const QString &fileName)
{
    TDocument other;
    if (IsSheetFile(fileName)) {
        // A sheet is read as a linked block in a project like the open one: credits compare by
        // their rows, however the open project took them in.
        const auto *project = queryInterface<IProject>(m_context.Document().ProjectNode()->Element());
        auto *otherProject = queryInterface<IProject>(other.ProjectNode()->Element());
        otherProject->SetWidth(project->GetWidth());
        otherProject->SetHeight(project->GetHeight());
        InsertCreditBlock(other.Tree(), ReadCopiedCreditSource(fileName, QString(), QString()));
    } else {
        other.OpenProject(fileName);
    }
    const std::vector<TCreditEntry> current = CreditEntries(m_context.Document().Tree());
    const std::vector<TCreditChange> changes = DiffCredits(CreditEntries(other.Tree()), current);
    Changes->clear();
    for (const TCreditChange &change : changes) {
        auto *item = new QListWidgetItem(DescribeChange(change));
        if (change.New) {
            item->setData(NodeRole, QVariant::fromValue(static_cast<const void *>(change.New->Place.Node)));
            if (change.New->Place.SheetRow > 0)
                item->setData(SheetRowRole, change.New->Place.SheetRow);
        }
        Changes->addItem(item);
    }
    if (changes.empty())
        Changes->addItem(QStringLiteral("The credits are the same as in %1.").arg(QFileInfo(fileName).fileName()));
    Tabs->setTabText(1, QStringLiteral("Changes (%1)").arg(changes.size()));
    Tabs->setCurrentWidget(Changes);
    Dock->show();
}

void TSignoffPanel::ExportProof(const QString &fileName)
{
    TProofOptions options;
    options.Title = QFileInfo(m_context.Document().ProjectFileName()).completeBaseName();
    if (options.Title.isEmpty())
        options.Title = QStringLiteral("Untitled");
    options.Date = QDate::currentDate().toString(Qt::ISODate);
    WriteProofPdf(m_context.Document().Tree(), fileName, options);
}

} // namespace velmora
