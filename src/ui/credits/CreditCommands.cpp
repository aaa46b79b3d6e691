#include "ui/credits/CreditCommands.h"

#include "ui/credits/CreditLink.h"
#include "ui/pages/PageCreditBlock.h"
#include "ui/tree/ElementTreeModel.h"
#include "ui/tree/ElementsTreeView.h"
#include "ui/window/EditorContext.h"

#include "core/render/CreditFit.h"
#include "core/credits/CreditSource.h"
#include "core/credits/ElementCreditBlock.h"
#include "core/document/Document.h"
#include "core/edit/CreditEdits.h"
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
#include <array>
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

// How long a reload's message stays in the status bar.
constexpr int ReloadMessageMilliseconds = 5000;

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

TCreditCommands::TCreditCommands(TEditorContext &context, QWidget &window, QStatusBar &statusBar)
    : QObject(&window), m_context(context), m_dialogs(std::make_unique<TCreditDialogs>(&window)), m_prompts(m_dialogs.get())
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
            [this] { m_context.Run([&] { UnlinkFocusedCredits(); }); });
    m_link = new TCreditLink(context.Document(), this);
    connect(m_link, &TCreditLink::AboutToReload, this, &TCreditCommands::RememberPreviewCredit);
    connect(m_link, &TCreditLink::Reloaded, this, [this](int changed, const QStringList &problems) {
        if (changed > 0)
            RestorePreviewCredit();
        m_context.ScheduleRedraw();
        if (!problems.isEmpty())
            ShowReloadMessage(QStringLiteral("The sheet keeps its last good content: %1").arg(problems.join(QStringLiteral("; "))));
        else if (changed > 0)
            ShowReloadMessage(changed == 1 ? QStringLiteral("Credits reloaded") : QStringLiteral("Credits reloaded (%1 blocks)").arg(changed));
        else
            ShowReloadMessage(QStringLiteral("The sheet reads well again"));
    });
    SpeedWarningPanel = new QLabel(&statusBar);
    SpeedWarningPanel->setObjectName(QStringLiteral("SpeedWarning"));
    SpeedWarningPanel->setStyleSheet(QStringLiteral("color: #b00000"));
    SpeedWarningPanel->hide();
    statusBar.addPermanentWidget(SpeedWarningPanel);
    // A permanent widget: a status bar message would hide the frame, timecode and running time.
    ReloadPanel = new QLabel(&statusBar);
    ReloadPanel->setObjectName(QStringLiteral("ReloadMessage"));
    ReloadPanel->hide();
    statusBar.addPermanentWidget(ReloadPanel);
    m_reloadMessageTimer.setSingleShot(true);
    m_reloadMessageTimer.setInterval(ReloadMessageMilliseconds);
    connect(&m_reloadMessageTimer, &QTimer::timeout, ReloadPanel, [this] {
        ReloadPanel->clear();
        ReloadPanel->hide();
    });
}

TCreditCommands::~TCreditCommands() = default;

void TCreditCommands::ShowReloadMessage(const QString &message)
{
    // The whole text stays in the tool tip; the label keeps to a short line.
    ReloadPanel->setToolTip(message);
    ReloadPanel->setText(QFontMetrics(ReloadPanel->font()).elidedText(message, Qt::ElideRight, 360));
    ReloadPanel->show();
    m_reloadMessageTimer.start();
}

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
    if (m_context.Generating())
        return;
    const QString fileName = m_prompts->ChooseSheetFile();
    if (fileName.isEmpty())
        return;
    const std::optional<ICreditPrompts::TImportMode> mode = m_prompts->ChooseImportMode();
    if (!mode)
        return;
    m_context.Run([&] {
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
    if (m_context.Generating())
        return;
    const IProject *project = ProjectOf(m_context.Document());
    if (project == nullptr)
        return;
    TFrameRenderer renderer;
    renderer.RenderFrame(m_context.Document().Tree(), 0, false);
    const int rate = std::max(1, project->GetFrameRate());
    const qint64 frames = FrameCountFor(renderer.PositionRange(), std::max(1, project->GetScrollRate()));
    const QString text = m_prompts->AskRunningTime(FormatTimecode(frames, rate));
    if (!text.isEmpty())
        m_context.Run([&] { FitRunningTime(text); });
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
    AddCreditBlock(ReadCreditSource(fileName, QString(), worksheet, ProjectDirOf(m_context.Document())));
}

void TCreditCommands::AddCreditBlock(TCreditSource source)
{
    TDocument &document = m_context.Document();
    const IProject *project = ProjectOf(document);
    const std::optional<TTemplateSettings> film = project ? SheetFilmFor(document, *project) : std::nullopt;
    const TProjectStyles styles = LinkedSheetStyles(source, film ? film->Height : project ? project->GetHeight() : 1080);
    std::vector<std::unique_ptr<TElementNode>> nodes;
    nodes.push_back(CreditBlockNode(std::move(source)));
    InsertAtFocus(std::move(nodes), styles, film);
}

void TCreditCommands::ChooseWorksheet(TElementNode &node, const QString &worksheet)
{
    if (ChangeWorksheet(m_context.Document(), node, worksheet))
        m_context.ScheduleRedraw();
}

void TCreditCommands::ShowSheetRow(const TElementNode &node, int row)
{
    const auto *block = dynamic_cast<const TVmElementCreditBlock *>(node.Element());
    const IProject *project = ProjectOf(m_context.Document());
    if (block == nullptr || project == nullptr || node.Parent() == nullptr)
        return;
    // The last good rows may not hold the row: the nearest one above it stands in.
    int top = 0;
    for (const auto &piece : block->LayoutFor(FilmOf(node)).Pieces()) {
        if (piece.Row > row)
            break;
        top = piece.Top;
    }
    const int start = RollOffsetOf(m_context.Document().Tree(), node);
    m_context.Reveal(node, start + top + project->GetHeight() * 3 / 4);
}

TCreditBlockPage &TCreditCommands::BlockPage()
{
    if (m_page == nullptr)
        m_page = new TCreditBlockPage(m_context, *this);
    return *m_page;
}

void TCreditCommands::UnlinkFocusedCredits()
{
    if (TElementNode *focused = m_context.Document().Tree().FocusedNode())
        UnlinkCredits(m_context.Document(), *focused);
}

void TCreditCommands::InsertAtFocus(std::vector<std::unique_ptr<TElementNode>> nodes, const TProjectStyles &styles,
                                    const std::optional<TTemplateSettings> &film)
{
    TDocument &document = m_context.Document();
    const IProject *project = ProjectOf(document);
    if (project == nullptr)
        return;
    const std::vector<TElementNode *> inserted = InsertCredits(document, std::move(nodes), styles, film);
    if (inserted.empty())
        return;
    TElementNode *first = inserted.front();
    // Show the block's start at the top of the preview.
    m_context.Reveal(*first, project->GetHeight() + TopOfTopLevel(document.Tree(), *first));
}

// What a fit did, with the time the screen stays empty when it added a gap and the speed
// warning when the new rate scrolls too fast.
QString TCreditCommands::FitMessage(const TRunningTimeFit &fit, int rate)
{
    QString message = DescribeFit(fit, rate) + QLatin1Char('.');
    if (fit.Gap > 0) {
        // The screen is empty from the frame on which the last credit has left it.
        TFrameRenderer renderer;
        renderer.RenderFrame(m_context.Document().Tree(), 0, false);
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
    TDocument &document = m_context.Document();
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
        const TRunningTimeFit fit = *elastic.Fit;
        ApplyElasticFit(document, std::move(elastic));
        m_prompts->ShowMessage(FitMessage(fit, rate));
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
    ApplyRunningTimeFit(document, *plan);
    m_prompts->ShowMessage(FitMessage(*fit, rate));
}

namespace {

// The block on node, laid out as the last frame drew it.
const TVmElementCreditBlock *BlockOf(const TElementNode *node)
{
    return node ? dynamic_cast<const TVmElementCreditBlock *>(node->Element()) : nullptr;
}

QString CellsOf(const TCreditRow &row)
{
    return QStringList(row.Cells.begin(), row.Cells.end()).join(QChar(0x1F));
}

} // namespace

int RowWithIdentity(const std::vector<TCreditRowText> &rows, const TCreditRowText &anchor, const QString &before,
    const QString &after)
{
    // The row that says the same between the same neighbours; among equals the one nearest the
    // row's old number (an edit far above or below moves nothing). With no row saying the same
    // (the row itself was edited), the row now at the old number.
    int best = -1;
    int bestScore = -1;
    int bestDistance = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].Content != anchor.Content)
            continue;
        const int score = int(i > 0 && rows[i - 1].Content == before) + int(i + 1 < rows.size() && rows[i + 1].Content == after);
        const int distance = std::abs(rows[i].Number - anchor.Number);
        if (score > bestScore || (score == bestScore && distance < bestDistance)) {
            best = rows[i].Number;
            bestScore = score;
            bestDistance = distance;
        }
    }
    return best >= 0 ? best : anchor.Number;
}

namespace {

std::vector<TCreditRowText> RowTexts(const TVmElementCreditBlock &block)
{
    std::vector<TCreditRowText> rows;
    for (const TCreditRow &row : block.Rows().Rows)
        rows.push_back({row.Number, CellsOf(row)});
    return rows;
}

// The cells of the row numbered number and of its neighbours in the block.
std::array<QString, 3> RowAndNeighbours(const TVmElementCreditBlock &block, int number)
{
    const auto &rows = block.Rows().Rows;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].Number == number)
            return {i > 0 ? CellsOf(rows[i - 1]) : QString(), CellsOf(rows[i]), i + 1 < rows.size() ? CellsOf(rows[i + 1]) : QString()};
    return {};
}

} // namespace

void TCreditCommands::RememberPreviewCredit()
{
    m_anchor = {};
    const IProject *project = ProjectOf(m_context.Document());
    if (project == nullptr)
        return;
    // The roll offset at the frame's top.
    const int top = m_context.Position().Value() - project->GetHeight();
    std::vector<TElementNode *> blocks;
    const std::function<void(TElementNode &)> collect = [&](TElementNode &node) {
        if (BlockOf(&node) != nullptr)
            blocks.push_back(&node);
        for (std::size_t i = 0; i < node.ChildCount(); ++i)
            collect(*node.Child(i));
    };
    collect(m_context.Document().Tree().Root());
    for (TElementNode *node : blocks) {
        const int start = RollOffsetOf(m_context.Document().Tree(), *node);
        for (const auto &piece : BlockOf(node)->LayoutFor(FilmOf(*node)).Pieces())
            if (start + piece.Bottom > top) {
                if (start + piece.Top > top + project->GetHeight())
                    break;
                const auto [before, content, after] = RowAndNeighbours(*BlockOf(node), piece.Row);
                m_anchor = {node, piece.Row, content, before, after, top - (start + piece.Top)};
                return;
            }
    }
}

void TCreditCommands::RestorePreviewCredit()
{
    const IProject *project = ProjectOf(m_context.Document());
    if (project == nullptr || m_anchor.Block == nullptr || m_anchor.Block->Parent() == nullptr)
        return;
    m_context.LayOut();  // lays the new rows out
    const int start = RollOffsetOf(m_context.Document().Tree(), *m_anchor.Block);
    if (const TVmElementCreditBlock *block = BlockOf(m_anchor.Block)) {
        const int row = RowWithIdentity(RowTexts(*block), {m_anchor.Row, m_anchor.Content}, m_anchor.Before, m_anchor.After);
        for (const auto &piece : block->LayoutFor(FilmOf(*m_anchor.Block)).Pieces())
            if (piece.Row >= row) {
                m_context.Position().SetValue(project->GetHeight() + start + piece.Top + m_anchor.Offset);
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
    const IProject *project = ProjectOf(m_context.Document());
    return project ? ScrollSpeedWarning(project->GetHeight(), project->GetFrameRate(), project->GetScrollRate()) : QString();
}

} // namespace velmora
