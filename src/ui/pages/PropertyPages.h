#pragma once

#include "core/edit/EditCommands.h"
#include "core/elements/Alignments.h"
#include "core/elements/Interfaces.h"

#include <QObject>
#include <QScopedValueRollback>
#include <QString>
#include <functional>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPainter;
class QPushButton;
class QStackedWidget;
class QWidget;

namespace velmora {

class TAlignments;
class TGDIPCanvas;
class TGDIPColorDisplay;
class TGDIPFontCombo;
class TEditorContext;
class TTreeImages;
class TVelmoraSpinEdit;
struct TElementKind;

// The property pages: the project, text and image pages, their handlers and the element they
// show. Every control mirrors one property of CurrentElement; nothing else is kept here.
// Changes go to the document as edit commands; a change made elsewhere (undo) refills the page.
class TPropertyPages : public QObject
{
    Q_OBJECT
public:
    // Builds the pages into a stack of their own (Pages, for the window to lay out) and the
    // image commands, which the window shows where it likes.
    TPropertyPages(TEditorContext &context, const TTreeImages &images, QObject *parent = nullptr);

    // The element the pages show; null until an element is selected and after its node goes.
    IElement *CurrentElement() const { return m_current; }
    // True while the pages are filled from CurrentElement; page handlers then write nothing.
    bool Filling() const { return m_filling; }
    // Holds Filling up until the returned guard goes out of scope.
    [[nodiscard]] QScopedValueRollback<bool> FillGuard() { return QScopedValueRollback<bool>(m_filling, true); }
    // Makes element CurrentElement and shows its page filled from it ("Nothing Selected" for
    // kinds without a page). Raises the error of a font that is not installed, page shown.
    void Show(IElement *element);
    // Shows no element ("Nothing Selected").
    void Clear();
    // A page for another kind of element; fill shows element on it (the pages hold Filling up).
    void AddPage(const TElementKind &kind, QWidget *page, std::function<void(IElement &)> fill);
    // Enables the image commands for CurrentElement.
    void UpdateActions();

    QStackedWidget *Pages = nullptr;
    QWidget *PageProject = nullptr;
    QWidget *PageTextElement = nullptr;
    QWidget *PageImage = nullptr;
    QWidget *PageNone = nullptr;
    QAction *ActLoadImage = nullptr;
    QAction *ActProjectLoadImage = nullptr;
    QAction *ActProjectClearImage = nullptr;

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
    QCheckBox *ProjectNtscRate = nullptr;
    TVelmoraSpinEdit *ProjectScrollRate = nullptr;
    QLineEdit *ProjectStartTimecode = nullptr;

    // Text page.
    QComboBox *TextStyle = nullptr;
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

Q_SIGNALS:
    // CurrentElement became another element or none; the commands' states may follow.
    void CurrentChanged();

private:
    void Fill(IElement &element);
    void CreateActions(const TTreeImages &images);
    // The pages must not keep an element whose node is going.
    void NodeRemoving(const TElementNode &node);
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
    void TextStyleChange(int index);
    void FillStyles(const IElement &element);
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
    TElementNode *CurrentNode() const;
    TDocument &Document() const;
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

    TEditorContext &m_context;
    const TTreeImages &m_images;
    IElement *m_current = nullptr;
    bool m_filling = true;
    bool m_editing = false;
    struct TKindPage
    {
        const TElementKind *Kind;
        QWidget *Page;
        std::function<void(IElement &)> Fill;
    };
    std::vector<TKindPage> m_kindPages;
};

} // namespace velmora
