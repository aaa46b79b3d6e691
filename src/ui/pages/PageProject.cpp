// The project page: film size, background, rates and start timecode of the project.
#include "ui/pages/PropertyPages.h"

#include "controls/GDIPColorDisplay.h"
#include "controls/GPWinControl.h"
#include "controls/VelmoraSpinEdit.h"
#include "core/elements/ContentSizes.h"
#include "core/render/FrameRate.h"
#include "core/render/Timecode.h"
#include "ui/tree/TreeImages.h"
#include "ui/window/EditorContext.h"
#include "ui/pages/PageLayout.h"
#include "ui/prompts/Prompts.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace velmora {

namespace {

constexpr int WrapModeCount = 5;

} // namespace

QWidget *TPropertyPages::CreateProjectPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PageProject"));
    QFormLayout *form = BuildPropertyPage(page, m_images.Icon(TreeImageIndex::Project),
        QStringLiteral("Project Properties"));

    ProjectContentSize = new QComboBox(page);
    ProjectContentSize->setObjectName(QStringLiteral("ProjectContentSize"));
    ProjectContentSize->setEditable(false);
    ProjectContentSize->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ProjectContentSize->setMinimumContentsLength(8);
    // The list drops down wide enough for the longest size name.
    ProjectContentSize->view()->setMinimumWidth(220);
    ProjectContentSize->addItems(ContentSizeListItems());
    form->addRow(QStringLiteral("Film Size"), ProjectContentSize);
    connect(ProjectContentSize, &QComboBox::activated, this, [this] { ProjectContentSizeChange(); });

    ProjectWidth = MakeSpinEdit(page, "ProjectWidth", 2, 20000);
    form->addRow(QStringLiteral("Width"), ProjectWidth);
    connect(ProjectWidth, &TVelmoraSpinEdit::OnChange, this, [this] { ProjectWidthChange(); });
    ProjectHeight = MakeSpinEdit(page, "ProjectHeight", 2, 20000);
    form->addRow(QStringLiteral("Height"), ProjectHeight);
    connect(ProjectHeight, &TVelmoraSpinEdit::OnChange, this, [this] { ProjectHeightChange(); });

    ProjectBackColor = new TGDIPColorDisplay(page);
    ProjectBackColor->setObjectName(QStringLiteral("ProjectBackColor"));
    ProjectBackColor->setFixedSize(60, 21);
    ProjectBackColor->setCursor(Qt::PointingHandCursor);
    form->addRow(QStringLiteral("Color"), ProjectBackColor);
    connect(ProjectBackColor, &TGDIPColorDisplay::OnClick, this, [this] { m_context.Run([this] { ProjectBackColorClick(); }); });

    ProjectBackgroundBox = new QFrame(page);
    ProjectBackgroundBox->setObjectName(QStringLiteral("ProjectBackgroundBox"));
    ProjectBackgroundBox->setFrameStyle(QFrame::Box | QFrame::Plain);
    ProjectBackgroundBox->setLineWidth(1);
    ProjectBackgroundBox->setFixedSize(186, 145);
    auto *boxLayout = new QVBoxLayout(ProjectBackgroundBox);
    boxLayout->setContentsMargins(0, 0, 0, 0);
    ProjectBackgroundpreview = new TGDIPCanvas(ProjectBackgroundBox);
    ProjectBackgroundpreview->setObjectName(QStringLiteral("ProjectBackgroundpreview"));
    boxLayout->addWidget(ProjectBackgroundpreview);
    form->addRow(ProjectBackgroundBox);
    connect(ProjectBackgroundpreview, &TGDIPCanvas::OnPaint, this, [this](QPainter *canvas) { ProjectBackgroundpreviewPaint(canvas); });

    ProjectBackgroundPopup = new QMenu(page);
    ProjectBackgroundPopup->addActions({ActProjectLoadImage, ActProjectClearImage});
    ProjectBackgroundpreview->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ProjectBackgroundpreview, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        UpdateActions();
        ProjectBackgroundPopup->popup(ProjectBackgroundpreview->mapToGlobal(pos));
    });

    ProjectLoadBackgroundButton = new QPushButton(QStringLiteral("Load Background Image"), page);
    ProjectLoadBackgroundButton->setObjectName(QStringLiteral("ProjectLoadBackgroundButton"));
    form->addRow(ProjectLoadBackgroundButton);
    connect(ProjectLoadBackgroundButton, &QPushButton::clicked, this, [this] { m_context.Run([this] { ActProjectLoadImageExecute(); }); });

    ProjectBackgroundWrapMode = new QComboBox(page);
    ProjectBackgroundWrapMode->setObjectName(QStringLiteral("ProjectBackgroundWrapMode"));
    ProjectBackgroundWrapMode->addItems({QStringLiteral("Tile"), QStringLiteral("Tile - Flip X"),
        QStringLiteral("Tile - Flip Y"), QStringLiteral("Tile - Flip XY"), QStringLiteral("Fit To Film")});
    form->addRow(QStringLiteral("Wraping"), ProjectBackgroundWrapMode);
    connect(ProjectBackgroundWrapMode, &QComboBox::activated, this, [this] { ProjectBackgroundWrapModeChange(); });

    ProjectFrameRate = MakeSpinEdit(page, "ProjectFrameRate", 1, 100);
    form->addRow(QStringLiteral("Frame Rate"), ProjectFrameRate);
    connect(ProjectFrameRate, &TVelmoraSpinEdit::OnChange, this, [this] { ProjectFrameRateChange(); });
    // 23.976, 29.97, 59.94 ...: the rate above at 1000/1001, as NTSC countries broadcast it.
    ProjectNtscRate = new QCheckBox(QStringLiteral("NTSC"), page);
    ProjectNtscRate->setObjectName(QStringLiteral("ProjectNtscRate"));
    form->addRow(QString(), ProjectNtscRate);
    connect(ProjectNtscRate, &QCheckBox::toggled, this, [this](bool on) {
        if (!Filling() && For<IProject>(ProjectNtscRate) != nullptr)
            Change(ProjectNtscRate, Fields::NtscRate, on);
    });
    ProjectScrollRate = MakeSpinEdit(page, "ProjectScrollRate", 1, 1000);
    form->addRow(QStringLiteral("Scroll Rate"), ProjectScrollRate);
    connect(ProjectScrollRate, &TVelmoraSpinEdit::OnChange, this, [this] { ProjectScrollRateChange(); });
    ProjectStartTimecode = new QLineEdit(page);
    ProjectStartTimecode->setObjectName(QStringLiteral("ProjectStartTimecode"));
    ProjectStartTimecode->setPlaceholderText(QStringLiteral("00:00:00:00"));
    ProjectStartTimecode->setToolTip(QStringLiteral("Timecode of the roll's first frame in QuickTime and MXF files and DPX and "
                                                    "OpenEXR sequences; HH:MM:SS;FF is drop-frame, for 29.97 and 59.94"));
    form->addRow(QStringLiteral("Start Timecode"), ProjectStartTimecode);
    // Committed once the entry is done, not letter by letter: half a timecode is no timecode.
    connect(ProjectStartTimecode, &QLineEdit::editingFinished, this, [this] { ProjectStartTimecodeChange(); });
    return page;
}

void TPropertyPages::FillProject(IProject &project)
{
    ProjectWidth->SetValue(project.GetWidth());
    ProjectHeight->SetValue(project.GetHeight());
    // An index outside the list shows the custom entry; the stored index stays as it is.
    qint32 contentSize = project.GetContentSize();
    if (contentSize < 0 || contentSize > ProjectContentSize->count() - 1)
        contentSize = 0;
    ProjectContentSize->setCurrentIndex(contentSize);
    ProjectContentSizeChange();
    ProjectBackColor->SetColor(project.GetBackColor());
    if (const auto *background = queryInterface<IProjectBackground>(&project)) {
        const qint32 wrapMode = background->GetWrapMode();
        ProjectBackgroundWrapMode->setCurrentIndex(wrapMode >= 0 && wrapMode < WrapModeCount ? wrapMode : -1);
    }
    ProjectFrameRate->SetValue(project.GetFrameRate());
    ProjectNtscRate->setChecked(project.GetNtscRate());
    ProjectNtscRate->setEnabled(HasNtscForm(project.GetFrameRate()));
    ProjectNtscRate->setToolTip(QStringLiteral("The video runs at %1 frames per second").arg(RateText(velmora::ProjectFrameRate(project))));
    ProjectScrollRate->SetValue(project.GetScrollRate());
    ProjectStartTimecode->setText(project.GetStartTimecode());
}

void TPropertyPages::ProjectContentSizeChange()
{
    const int index = ProjectContentSize->currentIndex();
    if (index < 0)
        return;
    const bool custom = index == 0;
    ProjectWidth->setEnabled(custom);
    ProjectHeight->setEnabled(custom);
    if (!custom) {
        // The row's width and height are part of this one edit, not edits of their own.
        const auto guard = FillGuard();
        const TContentSize &size = ContentSizes.at(std::size_t(index));
        ProjectWidth->SetValue(size.Width);
        ProjectHeight->SetValue(size.Height);
    }
    if (!Filling())
        Change(PageProject, Fields::FilmSize, TFilmSize{index, ProjectWidth->Value(), ProjectHeight->Value()});
}

void TPropertyPages::ProjectWidthChange()
{
    ProjectSizeChange(ProjectWidth, Fields::ProjectWidth);
}

void TPropertyPages::ProjectHeightChange()
{
    ProjectSizeChange(ProjectHeight, Fields::ProjectHeight);
}

void TPropertyPages::ProjectSizeChange(TVelmoraSpinEdit *edit, const TField<IProject, qint32> &field)
{
    if (Filling() || For<IProject>(PageProject) == nullptr)
        return;
    if (edit->Value() < 0)
        edit->SetValue(0);
    Change(PageProject, field, edit->Value());
}

void TPropertyPages::ProjectBackColorClick()
{
    ChooseColor(PageProject, Fields::BackColor, ProjectBackColor);
}

void TPropertyPages::ProjectBackgroundWrapModeChange()
{
    if (Filling() || For<IProjectBackground>(PageProject) == nullptr)
        return;
    if (ProjectBackgroundWrapMode->currentIndex() < 0)
        ProjectBackgroundWrapMode->setCurrentIndex(0);
    Change(PageProject, Fields::WrapMode, ProjectBackgroundWrapMode->currentIndex());
}

void TPropertyPages::ProjectFrameRateChange()
{
    ProjectRateChange(ProjectFrameRate, Fields::FrameRate);
    ProjectNtscRate->setEnabled(HasNtscForm(ProjectFrameRate->Value()));
}

void TPropertyPages::ProjectScrollRateChange()
{
    ProjectRateChange(ProjectScrollRate, Fields::ScrollRate);
}

void TPropertyPages::ProjectRateChange(TVelmoraSpinEdit *edit, const TField<IProject, qint32> &field)
{
    // The rates change no pixel of the frame: the status bar is all that follows.
    if (!Filling())
        Change(PageProject, field, edit->Value());
}

void TPropertyPages::ProjectStartTimecodeChange()
{
    const IProject *project = For<IProject>(PageProject);
    if (Filling() || project == nullptr)
        return;
    const QString start = ProjectStartTimecode->text().trimmed();
    if (start == project->GetStartTimecode())
        return;
    if (const QString problem = StartTimecodeProblem(start, project->GetFrameRate()); !problem.isEmpty()) {
        // The stored start shows again before the message, whose focus would finish the edit twice.
        ProjectStartTimecode->setText(project->GetStartTimecode());
        m_context.Prompts().ShowError(QStringLiteral("The start timecode was not changed: %1").arg(problem));
        return;
    }
    Change(PageProject, Fields::StartTimecode, start);
    ProjectStartTimecode->setText(start);
}

void TPropertyPages::ProjectBackgroundpreviewPaint(QPainter *canvas)
{
    const auto *background = For<IProjectBackground>(PageProject);
    PaintThumbnail(*canvas, ProjectBackgroundpreview->size(), background != nullptr ? background->GetBackground() : nullptr);
}

void TPropertyPages::ActProjectLoadImageExecute()
{
    TElementNode *node = For<IProjectBackground>(PageProject) != nullptr ? CurrentNode() : nullptr;
    const QString fileName = node != nullptr ? m_context.Prompts().ChooseImageFile() : QString();
    if (!fileName.isEmpty())
        LoadBackground(Document(), *node, fileName);
    else {
        // A cancelled choice still counts and shows the element again, as the page always did.
        Document().MarkModified();
        m_context.ScheduleRedraw();
    }
    Show(CurrentElement());
    ProjectBackgroundpreview->update();
}

void TPropertyPages::ActProjectClearImageExecute()
{
    if (For<IProjectBackground>(PageProject) == nullptr)
        return;
    if (TElementNode *node = CurrentNode())
        ClearBackground(Document(), *node);
    ProjectBackgroundpreview->update();
}

} // namespace velmora
