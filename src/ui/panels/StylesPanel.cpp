#include "ui/panels/StylesPanel.h"

#include "core/document/Document.h"
#include "core/document/Document.h"
#include "ui/tree/TreeEditor.h"
#include "ui/window/EditorContext.h"

#include <QMainWindow>
#include "ui/tree/TreeEditor.h"

#include "core/edit/StyleCommands.h"
#include "core/edit/StyleLooks.h"

#include <QAction>
#include <QColorDialog>
#include <QComboBox>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

namespace velmora {

namespace {

QString ColorText(TArgb color)
{
    // Opaque colours read as the six digits people type.
    return (color >> 24) == 0xFF ? QStringLiteral("#%1").arg(color & 0xFFFFFFu, 6, 16, QLatin1Char('0')).toUpper()
                                 : QStringLiteral("#%1").arg(color, 8, 16, QLatin1Char('0')).toUpper();
}

// "#RRGGBB" or "#AARRGGBB" (the # may be left out); false for anything else.
bool ParseColor(const QString &text, TArgb &color)
{
    static const QRegularExpression pattern(QStringLiteral("^#?([0-9A-Fa-f]{6}|[0-9A-Fa-f]{8})$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return false;
    const QString digits = match.captured(1);
    color = digits.toUInt(nullptr, 16) | (digits.size() == 6 ? 0xFF000000u : 0u);
    return true;
}

void SetSwatch(QToolButton &button, TArgb color)
{
    button.setStyleSheet(QStringLiteral("background-color: #%1; border: 1px solid #808080;")
                             .arg(color & 0xFFFFFFu, 6, 16, QLatin1Char('0')));
}

} // namespace

TStylesPanel::TStylesPanel(TEditorContext &context, TTreeEditor &treeEditor, QMainWindow &window)
    : QObject(&window), m_context(context), m_treeEditor(treeEditor), m_window(window)
{
    auto *panel = new QWidget;
    List = new QListWidget;
    List->setObjectName(QStringLiteral("StylesList"));
    List->setToolTip(QStringLiteral("The chosen style is the one new texts take"));

    NewButton = new QPushButton(QStringLiteral("&New"));
    NewButton->setObjectName(QStringLiteral("NewStyle"));
    NewButton->setToolTip(QStringLiteral("A new style, from the focused text when there is one"));
    DeleteButton = new QPushButton(QStringLiteral("&Delete"));
    DeleteButton->setObjectName(QStringLiteral("DeleteStyle"));
    DeleteButton->setToolTip(QStringLiteral("Its texts keep their look and follow no style any more"));
    ApplyButton = new QPushButton(QStringLiteral("&Apply to Selection"));
    ApplyButton->setObjectName(QStringLiteral("ApplyStyle"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(NewButton);
    buttons->addWidget(DeleteButton);
    buttons->addStretch();

    NameEdit = new QLineEdit;
    NameEdit->setObjectName(QStringLiteral("StyleName"));
    FontEdit = new QComboBox;
    FontEdit->setObjectName(QStringLiteral("StyleFont"));
    // Editable: a face ("Liberation Sans Bold") is a name too.
    FontEdit->setEditable(true);
    FontEdit->setInsertPolicy(QComboBox::NoInsert);
    FontEdit->addItems(QFontDatabase::families());
    SizeEdit = new QSpinBox;
    SizeEdit->setObjectName(QStringLiteral("StyleSize"));
    SizeEdit->setRange(1, MaxStyleFontSize);
    SizeEdit->setSuffix(QStringLiteral(" px"));
    ColorEdit = new QLineEdit;
    ColorEdit->setObjectName(QStringLiteral("StyleColor"));
    ColorEdit->setToolTip(QStringLiteral("#RRGGBB or #AARRGGBB"));
    ColorButton = new QToolButton;
    ColorButton->setObjectName(QStringLiteral("StyleColorButton"));
    ColorButton->setToolTip(QStringLiteral("Choose the colour"));
    auto *color = new QHBoxLayout;
    color->addWidget(ColorEdit, 1);
    color->addWidget(ColorButton);
    AlignEdit = new QComboBox;
    AlignEdit->setObjectName(QStringLiteral("StyleAlignment"));
    AlignEdit->addItems({QStringLiteral("Left"), QStringLiteral("Centre"), QStringLiteral("Right")});
    LeadingEdit = new QDoubleSpinBox;
    LeadingEdit->setObjectName(QStringLiteral("StyleLeading"));
    LeadingEdit->setRange(MinLeading, MaxLeading);
    LeadingEdit->setSingleStep(0.05);
    LeadingEdit->setDecimals(2);
    LeadingEdit->setToolTip(QStringLiteral("Line spacing: 1 is the font's own"));
    TrackingEdit = new QSpinBox;
    TrackingEdit->setObjectName(QStringLiteral("StyleTracking"));
    TrackingEdit->setRange(MinTracking, MaxTracking);
    TrackingEdit->setSuffix(QStringLiteral(" px"));
    TrackingEdit->setToolTip(QStringLiteral("Space added between letters"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Name"), NameEdit);
    form->addRow(QStringLiteral("Font"), FontEdit);
    form->addRow(QStringLiteral("Size"), SizeEdit);
    form->addRow(QStringLiteral("Colour"), color);
    form->addRow(QStringLiteral("Alignment"), AlignEdit);
    form->addRow(QStringLiteral("Leading"), LeadingEdit);
    form->addRow(QStringLiteral("Tracking"), TrackingEdit);

    auto *layout = new QVBoxLayout(panel);
    layout->addWidget(List, 1);
    layout->addLayout(buttons);
    layout->addLayout(form);
    layout->addWidget(ApplyButton);

    Dock = new QDockWidget(QStringLiteral("Styles"), &window);
    Dock->setObjectName(QStringLiteral("StylesPanel"));
    Dock->setWidget(panel);
    window.addDockWidget(Qt::RightDockWidgetArea, Dock);
    // Shown from View > Styles, so the window's layout stays as it was until asked for.
    Dock->hide();

    ActApplyStyle = new QAction(QStringLiteral("Apply &Style"), this);
    ActApplyStyle->setObjectName(QStringLiteral("ActApplyStyle"));
    ActApplyStyle->setStatusTip(QStringLiteral("Give the selected texts the chosen style"));
    connect(ActApplyStyle, &QAction::triggered, this, &TStylesPanel::ApplyToSelection);
    connect(ApplyButton, &QPushButton::clicked, this, &TStylesPanel::ApplyToSelection);
    connect(NewButton, &QPushButton::clicked, this, &TStylesPanel::NewStyle);
    connect(DeleteButton, &QPushButton::clicked, this, &TStylesPanel::DeleteStyle);
    TActionRegistry &actions = context.Actions();
    actions.Register(Dock->toggleViewAction(), {.Menu = QStringLiteral("&View")}, QStringLiteral("ViewStyles"));
    actions.Register(ActApplyStyle, {.Menu = QStringLiteral("Ele&ments"), .SeparatorBefore = true});

    ChooseColor = [this](quint32 current, bool &ok) {
        const QColor chosen = QColorDialog::getColor(QColor::fromRgba(current), &m_window, QStringLiteral("Style Colour"),
                                                     QColorDialog::ShowAlphaChannel);
        ok = chosen.isValid();
        return chosen.rgba();
    };

    connect(List, &QListWidget::currentTextChanged, this, [this](const QString &name) {
        if (m_filling)
            return;
        m_context.Document().SetCurrentStyle(name);
        EndEdit();
        ShowStyle(FindProjectStyle(Styles(), name));
    });
    // Typed fields become a step when they are done; picked ones at once.
    connect(NameEdit, &QLineEdit::editingFinished, this, &TStylesPanel::CommitStep);
    connect(ColorEdit, &QLineEdit::editingFinished, this, &TStylesPanel::CommitStep);
    // A typed font name counts once it is complete, not at each letter.
    connect(FontEdit, &QComboBox::textActivated, this, &TStylesPanel::CommitStep);
    connect(FontEdit->lineEdit(), &QLineEdit::editingFinished, this, &TStylesPanel::CommitStep);
    connect(AlignEdit, &QComboBox::currentIndexChanged, this, &TStylesPanel::CommitStep);
    // Spinning shows each value at once; the steps of one spin fold into one.
    connect(SizeEdit, &QSpinBox::valueChanged, this, &TStylesPanel::Commit);
    connect(LeadingEdit, &QDoubleSpinBox::valueChanged, this, &TStylesPanel::Commit);
    connect(TrackingEdit, &QSpinBox::valueChanged, this, &TStylesPanel::Commit);
    for (QAbstractSpinBox *spin : std::initializer_list<QAbstractSpinBox *>{SizeEdit, LeadingEdit, TrackingEdit})
        connect(spin, &QAbstractSpinBox::editingFinished, this, &TStylesPanel::EndEdit);
    connect(ColorButton, &QToolButton::clicked, this, [this] {
        const TProjectStyle *style = FindProjectStyle(Styles(), CurrentStyle());
        if (style == nullptr)
            return;
        bool ok = false;
        const quint32 chosen = ChooseColor(style->Color, ok);
        if (!ok)
            return;
        ColorEdit->setText(ColorText(chosen));
        CommitStep();
    });

    connect(&context.Document(), &TDocument::Changed, this, [this] { Refresh(); });
    connect(&context.Document(), &QObject::destroyed, this, [this] { m_documentGone = true; });
    // After an undo or redo the next edit is a step of its own.
    connect(&context.Document().UndoStack(), &QUndoStack::indexChanged, this, [this] {
        if (!m_committing)
            EndEdit();
    });
    Refresh();
}

const TProjectStyles &TStylesPanel::Styles() const
{
    return ProjectStylesOf(m_context.Document().Tree());
}

QString TStylesPanel::CurrentStyle() const
{
    return List->currentItem() ? List->currentItem()->text() : QString();
}

void TStylesPanel::ChooseStyle(const QString &name)
{
    for (int row = 0; row < List->count(); ++row)
        if (SameStyleName(List->item(row)->text(), name))
            List->setCurrentRow(row);
}

void TStylesPanel::Refresh()
{
    const TProjectStyles &styles = Styles();
    const QString current = m_context.Document().CurrentStyle();
    {
        const QScopedValueRollback filling(m_filling, true);
        QStringList names;
        for (const TProjectStyle &style : styles)
            names.append(style.Name);
        QStringList shown;
        for (int row = 0; row < List->count(); ++row)
            shown.append(List->item(row)->text());
        const int row = List->currentRow();
        if (names != shown) {
            List->clear();
            List->addItems(names);
        }
        const TProjectStyle *chosen = FindProjectStyle(styles, current);
        // A rename undone or redone leaves the chosen row where it was under its other name.
        const bool renamed = chosen == nullptr && !current.isEmpty() && names.size() == shown.size() && row >= 0;
        List->setCurrentRow(chosen ? int(chosen - styles.data()) : renamed ? row : -1);
    }
    // A removed style is no longer chosen.
    if (CurrentStyle() != current)
        m_context.Document().SetCurrentStyle(CurrentStyle());
    ShowStyle(FindProjectStyle(styles, CurrentStyle()));
}

void TStylesPanel::ShowStyle(const TProjectStyle *style)
{
    const QScopedValueRollback filling(m_filling, true);
    for (QWidget *field : std::initializer_list<QWidget *>{NameEdit, FontEdit, SizeEdit, ColorEdit, ColorButton, AlignEdit,
                                                           LeadingEdit, TrackingEdit, DeleteButton, ApplyButton})
        field->setEnabled(style != nullptr);
    ActApplyStyle->setEnabled(style != nullptr);
    // Without a chosen style the fields show nothing rather than the last style's values.
    static const TProjectStyle blank{QString(), QString()};
    if (style == nullptr)
        style = &blank;
    // Only what differs is set, so that a field being typed in keeps its cursor.
    if (NameEdit->text() != style->Name)
        NameEdit->setText(style->Name);
    if (FontEdit->currentText() != style->FontName)
        FontEdit->setCurrentText(style->FontName);
    if (SizeEdit->value() != style->FontSize)
        SizeEdit->setValue(style->FontSize);
    TArgb shown = 0;
    if (style == &blank)
        ColorEdit->clear();
    else if (!ParseColor(ColorEdit->text(), shown) || shown != style->Color)
        ColorEdit->setText(ColorText(style->Color));
    SetSwatch(*ColorButton, style->Color);
    AlignEdit->setCurrentIndex(style->HAlign);
    if (LeadingEdit->value() != style->Leading)
        LeadingEdit->setValue(style->Leading);
    if (TrackingEdit->value() != style->Tracking)
        TrackingEdit->setValue(style->Tracking);
}

TProjectStyle TStylesPanel::Edited() const
{
    const TProjectStyle *style = FindProjectStyle(Styles(), CurrentStyle());
    TProjectStyle edited = style ? *style : TProjectStyle{};
    const QString name = NameEdit->text().trimmed();
    if (!name.isEmpty())
        edited.Name = name;
    if (!FontEdit->currentText().trimmed().isEmpty())
        edited.FontName = FontEdit->currentText().trimmed();
    edited.FontSize = SizeEdit->value();
    ParseColor(ColorEdit->text(), edited.Color);
    edited.HAlign = TElementHAlignment(std::clamp(AlignEdit->currentIndex(), 0, 2));
    edited.Leading = LeadingEdit->value();
    edited.Tracking = TrackingEdit->value();
    return edited;
}

bool TStylesPanel::Editable() const
{
    // A field losing the focus as the window goes must not reach the document, gone before it.
    return !m_filling && !m_documentGone && !m_context.Generating();
}

void TStylesPanel::Commit()
{
    if (!Editable())
        return;
    const QString name = CurrentStyle();
    if (FindProjectStyle(Styles(), name) == nullptr)
        return;
    const TProjectStyle edited = Edited();
    // A renamed style stays the chosen one.
    m_context.Document().SetCurrentStyle(edited.Name);
    bool changed = false;
    {
        const QScopedValueRollback committing(m_committing, true);
        m_context.Run([&] { changed = ChangeStyle(m_context.Document(), name, edited, m_session); });
    }
    if (!changed) {
        // A name taken by another style, or a colour that does not read: show the style as it is.
        m_context.Document().SetCurrentStyle(name);
        ShowStyle(FindProjectStyle(Styles(), name));
    }
}

void TStylesPanel::EndEdit()
{
    ++m_session;
}

void TStylesPanel::CommitStep()
{
    EndEdit();
    Commit();
    EndEdit();
}

void TStylesPanel::NewStyle()
{
    if (m_context.Generating())
        return;
    TProjectStyle style;
    if (TElementNode *focused = m_treeEditor.FocusedNode(); focused && TakesStyle(focused->Element()))
        style = LookOf(*focused->Element());
    style.Name = UnusedStyleName(Styles(), QStringLiteral("Style"));
    m_context.Run([&] {
        if (AddStyle(m_context.Document(), style)) {
            m_context.Document().SetCurrentStyle(style.Name);
            Refresh();
        }
    });
    Dock->show();
    NameEdit->setFocus();
    NameEdit->selectAll();
}

void TStylesPanel::DeleteStyle()
{
    if (!m_context.Generating())
        m_context.Run([&] { RemoveStyle(m_context.Document(), CurrentStyle()); });
}

void TStylesPanel::ApplyToSelection()
{
    if (!m_context.Generating())
        m_context.Run([&] { ApplyStyle(m_context.Document(), m_treeEditor.SelectedNodes(), CurrentStyle()); });
}

} // namespace velmora
