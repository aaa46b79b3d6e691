#pragma once

#include "core/edit/EditCommands.h"
#include "core/elements/Alignments.h"
#include "core/elements/Interfaces.h"

#include <QObject>
#include <QScopedValueRollback>
#include <QString>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPainter;
class QPushButton;
class QWidget;

namespace velmora {

class TAlignments;
class TCardPage;
class TGDIPCanvas;
class TGDIPColorDisplay;
class TGDIPFontCombo;
class TMain;
struct TMainControls;
class TVelmoraSpinEdit;

// The property pages of the main window: the project, text and image pages and their handlers.
// Every control mirrors one property of the window's CurrentElement; nothing is kept here.
// Changes go to the document as edit commands; a change made elsewhere (undo) refills the page.
class TPropertyPages : public QObject
{
    Q_OBJECT
public:
    // Builds the four pages into the window's Pages, records them in controls (the window's own)
    // and connects the image commands.
    TPropertyPages(TMain &main, TMainControls &controls);

    // Fills the page of element's kind and shows it; the caller holds FillingPanels up.
    void Fill(IElement *element);

    // Project page.
    QComboBox *ProjectContentSize = nullptr;
    TVelmoraSpinEdit *ProjectWidth = nullptr;
    TVelmoraSpinEdit *ProjectHeight = nullptr;
    TGDIPColorDisplay *ProjectBackColor = nullptr;
    QFrame *ProjectBackgroundBox = nullptr;
    TGDIPCanvas *ProjectBackgroundpreview = nullptr;
    QMenu *ProjectBackgroundPopup = nullptr;
    QPushButton *ProjectLoadBackgroundButton = nullptr;
    QComboBox *ProjectBackgroundWrapMode = nullptr;
    TVelmoraSpinEdit *ProjectFrameRate = nullptr;
    TVelmoraSpinEdit *ProjectScrollRate = nullptr;
    QLineEdit *ProjectStartTimecode = nullptr;

    // Text page.
    QLineEdit *TextText = nullptr;
    QPushButton *TextTextButton = nullptr;
    TGDIPFontCombo *TextFont = nullptr;
    TVelmoraSpinEdit *TextFontSize = nullptr;
    TGDIPColorDisplay *TextColor = nullptr;
    TAlignments *TextAlign = nullptr;
    TVelmoraSpinEdit *TextTopOffset = nullptr;
    TVelmoraSpinEdit *TextLeftIndent = nullptr;
    TVelmoraSpinEdit *TextRightIndent = nullptr;
    QCheckBox *TextSmallCaps = nullptr;
    QCheckBox *TextFixedHeightToggle = nullptr;
    TVelmoraSpinEdit *TextFixedHeight = nullptr;

    // Image page.
    TGDIPCanvas *ImagePreview = nullptr;
    QPushButton *ImageLoadImageButton = nullptr;
    QCheckBox *ImageSpecificDims = nullptr;
    TVelmoraSpinEdit *ImageWidth = nullptr;
    TVelmoraSpinEdit *ImageHeight = nullptr;
    QCheckBox *ImageMaintainAspect = nullptr;
    QLabel *ImageFilename = nullptr;
    TAlignments *ImageAlign = nullptr;
    TVelmoraSpinEdit *ImageTopOffset = nullptr;
    QCheckBox *ImageFixedHeightToggle = nullptr;
    TVelmoraSpinEdit *ImageFixedHeight = nullptr;

    // Picture files dropped on the image page load into the element; on the project page they
    // become the background.
    bool eventFilter(QObject *watched, QEvent *event) override;

    // Commands of the pages.
    void ActLoadImageExecute();
    void ActProjectLoadImageExecute();
    void ActProjectClearImageExecute();

private:
    QWidget *CreateProjectPage();
    QWidget *CreateTextPage();
    QWidget *CreateImagePage();
    QWidget *CreateNonePage();

    void FillProject(IProject &project);
    void FillText(IElement &element);
    void FillImage(IElement &element);

    // Project page handlers.
    void ProjectContentSizeChange();
    void ProjectWidthChange();
    void ProjectHeightChange();
    void ProjectBackColorClick();
    void ProjectBackgroundWrapModeChange();
    void ProjectFrameRateChange();
    void ProjectScrollRateChange();
    void ProjectStartTimecodeChange();
    void ProjectBackgroundpreviewPaint(QPainter *canvas);
    void ProjectSizeChange(TVelmoraSpinEdit *edit, const TField<IProject, qint32> &field);
    void ProjectRateChange(TVelmoraSpinEdit *edit, const TField<IProject, qint32> &field);

    // Text page handlers.
    void TextTextChange();
    void TextTextButtonClick();
    void TextEdited(const QString &text);
    void TextFontChange();
    void TextFontSizeChange();
    void TextColorClick();
    void TextAlignAlignmentChange(TElementHAlignment hAlign, TElementVAlignment vAlign);
    void TextFixedHeightToggleClick();
    void TextFixedHeightChange();
    void TextTopOffsetChange();
    void TextIndentChange(TVelmoraSpinEdit *indent);

    // Image page handlers.
    void ImageSpecificDimsClick();
    void ImageWidthChange();
    void ImageHeightChange();
    void ImageAlignAlignmentChange(TElementHAlignment hAlign, TElementVAlignment vAlign);
    void ImageFixedHeightToggleClick();
    void ImageFixedHeightChange();
    void ImageTopOffsetChange();
    void ImagePreviewPaint(QPainter *canvas);
    // The aspect steps for a change of edited; other follows it when the aspect is kept.
    void ImageDimensionChange(TVelmoraSpinEdit *edited, TVelmoraSpinEdit *other, bool width);

    // Shared by both pages with a fixed height.
    void FixedHeightToggleClick(QCheckBox *toggle, TVelmoraSpinEdit *value);
    void FixedHeightChange(TVelmoraSpinEdit *value);
    void TopOffsetChange(TVelmoraSpinEdit *offset);
    void FillMargins(const IElementMargins &margins, QCheckBox *toggle, TVelmoraSpinEdit *value, TVelmoraSpinEdit *topOffset);
    void FillAlignment(const IElement &element, TAlignments *picker);

    // CurrentElement's facet edited by control, null when it has none, there is no CurrentElement
    // or control's page is not the one shown.
    template <typename T>
    T *For(const QWidget *control) const
    {
        return queryInterface<T>(ElementFor(control));
    }
    IElement *ElementFor(const QWidget *control) const;
    // Loads the first of files into the shown page's element (an image, or the background).
    bool LoadDroppedPicture(QWidget *page, const QStringList &files);
    IElement *CurrentElement() const;
    TElementNode *CurrentNode() const;
    TDocument &Document() const;
    bool Filling() const;
    // Sets field of the element control edits, and of every other selected element of its
    // kind, as one undoable step.
    template <typename Facet, typename Value>
    void Change(const QWidget *control, const TField<Facet, Value> &field, const Value &value)
    {
        if (IElement *element = ElementFor(control)) {
            const QScopedValueRollback editing(m_editing, true);
            ChangeValues(Document(), EditedElements(*element, SharedField(&field)), field, value);
        }
    }
    // The elements an edit of element reaches: element, and when shared the other selected
    // elements of its kind (in tree order).
    std::vector<IElement *> EditedElements(IElement &element, bool shared) const;
    // Whether a field is a look that several elements may share. A text's words and a picture's
    // size belong to the one element.
    static bool SharedField(const void *field);
    // A colour tried live in the colour dialog, kept as one step on OK. True when kept.
    template <typename Facet>
    bool ChooseColor(const QWidget *page, const TField<Facet, TArgb> &field, TGDIPColorDisplay *swatch);
    // The pages' own edits do not refill them; other changes of CurrentElement (undo) do.
    void ElementChanged(IElement *element);

    TMain &m_main;
    TCardPage *m_cardPage = nullptr;
    bool m_editing = false;
};

} // namespace velmora
