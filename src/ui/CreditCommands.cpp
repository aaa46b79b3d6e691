#include "ui/CreditCommands.h"

#include "ui/CreditLink.h"
#include "ui/PageCreditBlock.h"
#include "ui/ElementTreeModel.h"
#include "ui/ElementsTreeView.h"
#include "ui/MainWindow.h"

#include "core/render/CreditFit.h"
#include "core/credits/CreditSource.h"
#include "core/credits/ElementCreditBlock.h"
#include "core/document/Document.h"
#include "core/edit/EditCommands.h"
#include "core/elements/Interfaces.h"
#include "core/export/run/GenerationRun.h"
#include "core/edit/CreditSheet.h"
#include "core/sheets/SheetReader.h"
#include "core/render/FrameRenderer.h"
#include "core/render/LayoutPass.h"
#include "core/elements/ProjectTemplates.h"
#include "core/render/RunningTime.h"
#include "core/edit/StyleCommands.h"
#include "core/credits/CreditStyleBridge.h"
#include "core/edit/StyleLooks.h"

#include <QAction>
#include <functional>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QStatusBar>
#include <QUndoStack>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>

namespace velmora {

namespace {

class TCreditDialogs : public ICreditPrompts
{
public:
    explicit TCreditDialogs(QWidget *parent) : m_parent(parent) {}
    QString ChooseSheetFile() override
    {
        return QFileDialog::getOpenFileName(m_parent, QStringLiteral("Import Credits"), QString(),
                                            QStringLiteral("Credit sheets (*.csv *.tsv *.xlsx *.ods)"));
    }
    QString AskRunningTime(const QString &proposed) override
    {
        bool ok = false;
        const QString text = QInputDialog::getText(m_parent, QStringLiteral("Fit to Running Time"),
                                                   QStringLiteral("Running time (HH:MM:SS or HH:MM:SS:FF):"),
                                                   QLineEdit::Normal, proposed, &ok);
        return ok ? text : QString();
    }
    void ShowMessage(const QString &message) override
    {
        QMessageBox::information(m_parent, QStringLiteral("Velmora"), message);
    }
    QString ChooseWorksheet(const QStringList &names) override
    {
        bool ok = false;
        const QString name = QInputDialog::getItem(m_parent, QStringLiteral("Import Credits"),
                                                   QStringLiteral("The workbook has several worksheets. Read:"), names, 0,
                                                   false, &ok);
        return ok ? name : QString();
    }
    bool AllowEndGap(const QString &problem) override
    {
        return QMessageBox::question(m_parent, QStringLiteral("Fit to Running Time"),
                                     QStringLiteral("The roll cannot be fitted without black: %1.\n\nFill the rest "
                                                    "with black at the end?").arg(problem))
            == QMessageBox::Yes;
    }
    std::optional<TImportMode> ChooseImportMode() override
    {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Import Credits"),
                        QStringLiteral("Link the sheet, so that the roll follows it whenever it is saved, or keep a "
                                       "copy of its rows that follows it no more? Both look the same; File > Unlink "
                                       "Credits turns either into elements for hand work."),
                        QMessageBox::Cancel, m_parent);
        QPushButton *link = box.addButton(QStringLiteral("Link"), QMessageBox::AcceptRole);
        QPushButton *copy = box.addButton(QStringLiteral("Copy"), QMessageBox::AcceptRole);
        box.setDefaultButton(link);
        box.exec();
        if (box.clickedButton() == link)
            return TImportMode::Link;
        if (box.clickedButton() == copy)
            return TImportMode::Copy;
        return std::nullopt;
    }

private:
    QWidget *m_parent;
};

IProject *ProjectOf(TDocument &document)
{
    TElementNode *node = document.ProjectNode();
    return node ? queryInterface<IProject>(node->Element()) : nullptr;
}

// The roll offset at which node's top-level element starts: the roll's height without it and
// what follows it (stacked elements never end below the last one's bottom).
int TopOfTopLevel(const TElementTree &tree, const TElementNode &node)
{
    const TElementNode *project = tree.ProjectNode();
    const TElementNode *top = &node;
    while (top->Parent() != nullptr && top->Parent() != project)
        top = top->Parent();
    if (top->Parent() != project)
        return 0;
    return RollOffsetOf(tree, *top);
}

// The film a sheet goes onto when the project is still as the editor starts it (empty, nothing
// done, never saved, the classic film): that of a sheet's own project, as the command line
// builds it. A film the user chose keeps its size.
std::optional<TTemplateSettings> SheetFilmFor(TDocument &document, const IProject &project)
{
    const TTemplateSettings classic{0, 720, 576, ProjectTemplates[ClassicTemplate].FrameRate, 0,
                                    ProjectTemplates[ClassicTemplate].BackColor};
    const TElementNode *node = document.ProjectNode();
    if (!document.ProjectFileName().isEmpty() || document.UndoStack().count() > 0 || node->ChildCount() > 0
        || project.GetWidth() != classic.Width || project.GetHeight() != classic.Height
        || project.GetFrameRate() != classic.FrameRate || project.GetBackColor() != classic.BackColor)
        return std::nullopt;
    return TemplateSettings(ProjectTemplates[SheetTemplate]);
}

} // namespace

TCreditCommands::TCreditCommands(TMain &main)
    : QObject(&main), m_main(main), m_dialogs(std::make_unique<TCreditDialogs>(&main)), m_prompts(m_dialogs.get())
{
    ActImportCredits = new QAction(QStringLiteral("Import &Credits..."), this);
    ActImportCredits->setObjectName(QStringLiteral("ActImportCredits"));
    ActImportCredits->setStatusTip(QStringLiteral("Insert the rows of a credit sheet at the focused element"));
    connect(ActImportCredits, &QAction::triggered, this, &TCreditCommands::ActImportCreditsExecute);
    ActFitRunningTime = new QAction(QStringLiteral("Fit to &Running Time..."), this);
    ActFitRunningTime->setObjectName(QStringLiteral("ActFitRunningTime"));
    ActFitRunningTime->setStatusTip(QStringLiteral("Choose the scroll rate and end gap for an exact running time"));
    connect(ActFitRunningTime, &QAction::triggered, this, &TCreditCommands::ActFitRunningTimeExecute);
    ActUnlinkCredits = new QAction(QStringLiteral("&Unlink Credits"), this);
    ActUnlinkCredits->setObjectName(QStringLiteral("ActUnlinkCredits"));
    ActUnlinkCredits->setStatusTip(QStringLiteral("Turn the focused credit block into ordinary elements for hand work"));
    connect(ActUnlinkCredits, &QAction::triggered, this,
            [this] { m_main.RunHandler([&] { UnlinkFocusedCredits(); }); });
    m_link = new TCreditLink(main.Document(), this);
    connect(m_link, &TCreditLink::AboutToReload, this, &TCreditCommands::RememberPreviewCredit);
    connect(m_link, &TCreditLink::Reloaded, this, [this](int changed, const QStringList &problems) {
        if (changed > 0)
            RestorePreviewCredit();
        m_main.SchedulePreviewUpdate();
        m_main.statusBar()->showMessage(problems.isEmpty()
                                            ? QStringLiteral("Credits reloaded (%1 blocks)").arg(changed)
                                            : QStringLiteral("The sheet keeps its last good content: %1").arg(problems.join(QStringLiteral("; "))));
    });
    SpeedWarningPanel = new QLabel(main.statusBar());
    SpeedWarningPanel->setObjectName(QStringLiteral("SpeedWarning"));
    SpeedWarningPanel->setStyleSheet(QStringLiteral("color: #b00000"));
    SpeedWarningPanel->hide();
    main.statusBar()->addPermanentWidget(SpeedWarningPanel);
}

TCreditCommands::~TCreditCommands() = default;

void TCreditCommands::AddTo(QMenu &menu, QAction *before)
{
    menu.insertActions(before, {ActImportCredits, ActUnlinkCredits, ActFitRunningTime});
    menu.insertSeparator(before);
}

void TCreditCommands::SetPrompts(ICreditPrompts *prompts)
{
    m_prompts = prompts ? prompts : m_dialogs.get();
}

void TCreditCommands::ActImportCreditsExecute()
{
    if (m_main.Generating())
        return;
    const QString fileName = m_prompts->ChooseSheetFile();
    if (fileName.isEmpty())
        return;
    const std::optional<ICreditPrompts::TImportMode> mode = m_prompts->ChooseImportMode();
    if (!mode)
        return;
    m_main.RunHandler([&] {
        // A workbook of several worksheets says which one holds the credits.
        QString worksheet;
        if (const QStringList names = WorksheetNames(fileName); names.size() > 1) {
            worksheet = m_prompts->ChooseWorksheet(names);
            if (worksheet.isEmpty())
                return;
        }
        if (mode == ICreditPrompts::TImportMode::Link)
            LinkCredits(fileName, worksheet);
        else
            ImportCredits(fileName, worksheet);
    });
}

void TCreditCommands::ActFitRunningTimeExecute()
{
    if (m_main.Generating())
        return;
    const IProject *project = ProjectOf(m_main.Document());
    if (project == nullptr)
        return;
    TFrameRenderer renderer;
    renderer.RenderFrame(m_main.Document().Tree(), 0, false);
    const int rate = std::max(1, project->GetFrameRate());
    const qint64 frames = FrameCountFor(renderer.PositionRange(), std::max(1, project->GetScrollRate()));
    const QString text = m_prompts->AskRunningTime(FormatTimecode(frames, rate));
    if (!text.isEmpty())
        m_main.RunHandler([&] { FitRunningTime(text); });
}

namespace {

QString ProjectDirOf(const TDocument &document)
{
    return document.ProjectFileName().isEmpty() ? QString() : QFileInfo(document.ProjectFileName()).absolutePath();
}

} // namespace

void TCreditCommands::ImportCredits(const QString &fileName, const QString &worksheet)
{
    AddCreditBlock(ReadCopiedCreditSource(fileName, QString(), worksheet));
}

void TCreditCommands::LinkCredits(const QString &fileName, const QString &worksheet)
{
    AddCreditBlock(ReadCreditSource(fileName, QString(), worksheet, ProjectDirOf(m_main.Document())));
}

void TCreditCommands::AddCreditBlock(TCreditSource source)
{
    TDocument &document = m_main.Document();
    const IProject *project = ProjectOf(document);
    const std::optional<TTemplateSettings> film = project ? SheetFilmFor(document, *project) : std::nullopt;
    const TProjectStyles styles = LinkedSheetStyles(source, film ? film->Height : project ? project->GetHeight() : 1080);
    std::vector<std::unique_ptr<TElementNode>> nodes;
    nodes.push_back(CreditBlockNode(std::move(source)));
    InsertAtFocus(std::move(nodes), styles, film);
}

void TCreditCommands::ChooseWorksheet(TElementNode &node, const QString &worksheet)
{
    const auto *block = dynamic_cast<const TVmElementCreditBlock *>(node.Element());
    if (block == nullptr || !block->Linked() || worksheet == block->Source().Worksheet)
        return;
    TDocument &document = m_main.Document();
    document.Push(new TReplaceElement(document, node, ReloadedCreditBlock(*block, ProjectDirOf(document), worksheet),
                                      QStringLiteral("Choose Worksheet")));
    m_main.SchedulePreviewUpdate();
}

void TCreditCommands::ShowSheetRow(const TElementNode &node, int row)
{
    const auto *block = dynamic_cast<const TVmElementCreditBlock *>(node.Element());
    const IProject *project = ProjectOf(m_main.Document());
    if (block == nullptr || project == nullptr || node.Parent() == nullptr)
        return;
    const TMainControls &controls = m_main.Controls();
    const QModelIndex index = controls.TreeModel->IndexOf(node);
    controls.ElementsTree->expand(index.parent());
    controls.ElementsTree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    controls.ElementsTree->scrollTo(index);
    m_main.RenderFrame();  // lays the block out at the film's size
    // The last good rows may not hold the row: the nearest one above it stands in.
    int top = 0;
    for (const auto &piece : block->LayoutFor(FilmOf(node)).Pieces()) {
        if (piece.Row > row)
            break;
        top = piece.Top;
    }
    const int start = RollOffsetOf(m_main.Document().Tree(), node);
    controls.TrackBar->setValue(std::clamp(start + top + project->GetHeight() * 3 / 4, 0, controls.TrackBar->maximum()));
    m_main.SchedulePreviewUpdate();
}

TCreditBlockPage &TCreditCommands::BlockPage()
{
    if (m_page == nullptr)
        m_page = new TCreditBlockPage(m_main, *this);
    return *m_page;
}

void TCreditCommands::UnlinkFocusedCredits()
{
    if (TElementNode *focused = m_main.Document().Tree().FocusedNode())
        UnlinkCredits(m_main.Document(), *focused);
}

void TCreditCommands::InsertAtFocus(std::vector<std::unique_ptr<TElementNode>> nodes, const TProjectStyles &styles,
                                    const std::optional<TTemplateSettings> &film)
{
    TDocument &document = m_main.Document();
    IProject *project = ProjectOf(document);
    if (nodes.empty() || project == nullptr)
        return;
    TElementTree &tree = document.Tree();
    const TInsertionPoint point = InsertionPointFor(tree);
    if (point.Parent == nullptr)
        return;
    // One step: the rows go in before the node now at the point, or last under its parent.
    TElementNode *target = point.Parent;
    TAttachMode attach = TAttachMode::AddChildLast;
    if (point.Index < point.Parent->ChildCount()) {
        target = point.Parent->Child(point.Index);
        attach = TAttachMode::InsertBefore;
    }
    auto *insert = new TInsertNodes(document, std::move(nodes), *target, attach, QStringLiteral("Import Credits"));
    // The sheet's styles the project lacks, and for the starting project the sheet's film, join
    // it in the same step.
    document.UndoStack().beginMacro(QStringLiteral("Import Credits"));
    if (film) {
        IElement *element = document.ProjectNode()->Element();
        ChangeValue(document, element, Fields::FilmSize, TFilmSize{film->ContentSize, film->Width, film->Height});
        ChangeValue(document, element, Fields::FrameRate, film->FrameRate);
        ChangeValue(document, element, Fields::ScrollRate, film->ScrollRate);
        ChangeValue(document, element, Fields::BackColor, film->BackColor);
    }
    AddMissingStyles(document, styles, QStringLiteral("Import Credits"));
    document.Push(insert);
    document.UndoStack().endMacro();
    if (insert->Nodes().empty())
        return;
    TElementNode *first = insert->Nodes().front();
    const QModelIndex firstIndex = m_main.Controls().TreeModel->IndexOf(*first);
    m_main.Controls().ElementsTree->expand(firstIndex.parent());
    m_main.Controls().ElementsTree->selectionModel()->setCurrentIndex(firstIndex, QItemSelectionModel::ClearAndSelect);
    m_main.Controls().ElementsTree->scrollTo(firstIndex);
    // Show the block's start at the top of the preview.
    const int position = project->GetHeight() + TopOfTopLevel(tree, *first);
    m_main.RenderFrame();
    m_main.Controls().TrackBar->setValue(position);
    m_main.SchedulePreviewUpdate();
}

// What a fit did, with the time the screen stays empty when it added a gap and the speed
// warning when the new rate scrolls too fast.
QString TCreditCommands::FitMessage(const TRunningTimeFit &fit, int rate)
{
    QString message = DescribeFit(fit, rate) + QLatin1Char('.');
    if (fit.Gap > 0) {
        // The screen is empty from the frame on which the last credit has left it.
        TFrameRenderer renderer;
        renderer.RenderFrame(m_main.Document().Tree(), 0, false);
        const qint64 emptyFrom = (qint64(renderer.PositionRange()) - fit.Gap + fit.ScrollRate - 1) / fit.ScrollRate;
        message += QStringLiteral(" The gap leaves the screen empty from %1 to the end (%2).")
                       .arg(FormatTimecode(emptyFrom, rate), FormatTimecode(fit.Frames - emptyFrom, rate));
    }
    if (const QString warning = SpeedWarning(); !warning.isEmpty())
        message += QStringLiteral(" %1.").arg(warning);
    return message;
}

void TCreditCommands::FitRunningTime(const QString &runningTime)
{
    TDocument &document = m_main.Document();
    IProject *project = ProjectOf(document);
    if (project == nullptr)
        return;
    const int rate = std::max(1, project->GetFrameRate());
    const qint64 frames = ParseTimecode(runningTime, rate);
    // Credit blocks take the rest in their elastic spaces, so no black is added at the end.
    TElasticPlan elastic = PlanRollWithoutBlack(document.Tree(), frames, false);
    // Black at the end only as the user's explicit choice.
    if (elastic.CreditBlocks && !elastic.Fit && m_prompts->AllowEndGap(elastic.Problem))
        elastic = PlanRollWithoutBlack(document.Tree(), frames, true);
    if (elastic.CreditBlocks) {
        if (!elastic.Fit) {
            m_prompts->ShowMessage(QStringLiteral("The roll cannot be fitted: %1. Nothing was changed.").arg(elastic.Problem));
            return;
        }
        QUndoStack &stack = document.UndoStack();
        stack.beginMacro(QStringLiteral("Fit to Running Time"));
        if (elastic.OldGap != nullptr)
            document.Push(new TRemoveNodes(document, {elastic.OldGap}));
        ChangeValue(document, document.ProjectNode()->Element(), Fields::ScrollRate, qint32(elastic.Fit->ScrollRate));
        for (auto &[node, stretches] : elastic.Stretches) {
            const auto &block = *static_cast<const TVmElementCreditBlock *>(node->Element());
            while (!stretches.empty() && stretches.back() == 0)
                stretches.pop_back();
            if (stretches != block.Stretches())
                document.Push(new TReplaceElement(document, *node, StretchedCreditBlock(block, std::move(stretches)),
                                                  QStringLiteral("Fit to Running Time")));
        }
        if (elastic.Fit->Gap > 0) {
            std::vector<std::unique_ptr<TElementNode>> gap;
            gap.push_back(MakeRunningTimeGap(elastic.Fit->Gap));
            document.Push(new TInsertNodes(document, std::move(gap), *document.ProjectNode(), TAttachMode::AddChildLast,
                                           QStringLiteral("Fit to Running Time")));
        }
        stack.endMacro();
        m_prompts->ShowMessage(FitMessage(*elastic.Fit, rate));
        return;
    }
    const std::optional<TRunningTimePlan> plan = PlanRollRunningTime(document.Tree(), frames);
    const std::optional<TRunningTimeFit> fit = plan ? std::optional<TRunningTimeFit>(plan->Fit) : std::nullopt;
    if (!fit) {
        m_prompts->ShowMessage(QStringLiteral("The running time %1 cannot be met: at 1 pixel per frame the roll runs "
                                              "shorter, or it would need more than 1000 pixels per frame. Nothing "
                                              "was changed.")
                                   .arg(FormatTimecode(frames, rate)));
        return;
    }
    // One step: the old end gap out, the scroll rate, the new gap in.
    QUndoStack &stack = document.UndoStack();
    stack.beginMacro(QStringLiteral("Fit to Running Time"));
    if (plan->OldGap != nullptr)
        document.Push(new TRemoveNodes(document, {plan->OldGap}));
    ChangeValue(document, document.ProjectNode()->Element(), Fields::ScrollRate, qint32(fit->ScrollRate));
    if (fit->Gap > 0) {
        std::vector<std::unique_ptr<TElementNode>> gap;
        gap.push_back(MakeRunningTimeGap(fit->Gap));
        document.Push(new TInsertNodes(document, std::move(gap), *document.ProjectNode(), TAttachMode::AddChildLast,
                                       QStringLiteral("Fit to Running Time")));
    }
    stack.endMacro();
    m_prompts->ShowMessage(FitMessage(*fit, rate));
}

namespace {

// The block on node, laid out as the last frame drew it.
const TVmElementCreditBlock *BlockOf(const TElementNode *node)
{
    return node ? dynamic_cast<const TVmElementCreditBlock *>(node->Element()) : nullptr;
}

// What a sheet row says, to find it again after rows above it came or went.
QString RowContent(const TVmElementCreditBlock &block, int number)
{
    for (const TCreditRow &row : block.Rows().Rows)
        if (row.Number == number)
            return QStringList(row.Cells.begin(), row.Cells.end()).join(QChar(0x1F));
    return QString();
}

// The number of the first row that says content, or fallback when none does.
int RowWithContent(const TVmElementCreditBlock &block, const QString &content, int fallback)
{
    for (const TCreditRow &row : block.Rows().Rows)
        if (QStringList(row.Cells.begin(), row.Cells.end()).join(QChar(0x1F)) == content)
            return row.Number;
    return fallback;
}

} // namespace

void TCreditCommands::RememberPreviewCredit()
{
    m_anchor = {};
    const IProject *project = ProjectOf(m_main.Document());
    if (project == nullptr)
        return;
    // The roll offset at the frame's top.
    const int top = m_main.Controls().TrackBar->value() - project->GetHeight();
    std::vector<TElementNode *> blocks;
    const std::function<void(TElementNode &)> collect = [&](TElementNode &node) {
        if (BlockOf(&node) != nullptr)
            blocks.push_back(&node);
        for (std::size_t i = 0; i < node.ChildCount(); ++i)
            collect(*node.Child(i));
    };
    collect(m_main.Document().Tree().Root());
    for (TElementNode *node : blocks) {
        const int start = RollOffsetOf(m_main.Document().Tree(), *node);
        for (const auto &piece : BlockOf(node)->LayoutFor(FilmOf(*node)).Pieces())
            if (start + piece.Bottom > top) {
                if (start + piece.Top > top + project->GetHeight())
                    break;
                m_anchor = {node, piece.Row, RowContent(*BlockOf(node), piece.Row), top - (start + piece.Top)};
                return;
            }
    }
}

void TCreditCommands::RestorePreviewCredit()
{
    const IProject *project = ProjectOf(m_main.Document());
    if (project == nullptr || m_anchor.Block == nullptr || m_anchor.Block->Parent() == nullptr)
        return;
    m_main.RenderFrame();  // lays the new rows out
    const int start = RollOffsetOf(m_main.Document().Tree(), *m_anchor.Block);
    if (const TVmElementCreditBlock *block = BlockOf(m_anchor.Block)) {
        const int row = RowWithContent(*block, m_anchor.Content, m_anchor.Row);
        for (const auto &piece : block->LayoutFor(FilmOf(*m_anchor.Block)).Pieces())
            if (piece.Row >= row) {
                m_main.Controls().TrackBar->setValue(project->GetHeight() + start + piece.Top + m_anchor.Offset);
                break;
            }
    }
    m_anchor = {};
}

void TCreditCommands::UpdateSpeedWarning()
{
    const QString warning = SpeedWarning();
    SpeedWarningPanel->setText(warning);
    SpeedWarningPanel->setToolTip(warning);
    SpeedWarningPanel->setVisible(!warning.isEmpty());
}

QString TCreditCommands::SpeedWarning() const
{
    const IProject *project = ProjectOf(m_main.Document());
    return project ? ScrollSpeedWarning(project->GetHeight(), project->GetFrameRate(), project->GetScrollRate()) : QString();
}

} // namespace velmora
