#pragma once

#include "core/elements/ProjectStyle.h"

#include <QObject>
#include <functional>

class QAction;
class QComboBox;
class QDockWidget;
class QDoubleSpinBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QToolButton;

class QMainWindow;

namespace velmora {

class TEditorContext;
class TTreeEditor;

// View > Styles: the project's styles in a dock. The chosen style is the one new texts take;
// its fields are edited in place, each edit one step that restyles every text following it.
class TStylesPanel : public QObject
{
    Q_OBJECT
public:
    // Docks itself in window; Apply Style reaches the elements treeEditor has selected.
    TStylesPanel(TEditorContext &context, TTreeEditor &treeEditor, QMainWindow &window);

    QDockWidget *Dock = nullptr;
    QListWidget *List = nullptr;
    QLineEdit *NameEdit = nullptr;
    QComboBox *FontEdit = nullptr;
    QSpinBox *SizeEdit = nullptr;
    QLineEdit *ColorEdit = nullptr;
    QToolButton *ColorButton = nullptr;
    QComboBox *AlignEdit = nullptr;
    QDoubleSpinBox *LeadingEdit = nullptr;
    QSpinBox *TrackingEdit = nullptr;
    QPushButton *NewButton = nullptr;
    QPushButton *DeleteButton = nullptr;
    QPushButton *ApplyButton = nullptr;
    QAction *ActApplyStyle = nullptr;

    // The chosen style's name, empty when none is.
    QString CurrentStyle() const;
    // Chooses the style named name (nothing for an unknown name).
    void ChooseStyle(const QString &name);
    // Adds a style: the focused text's look when a text is focused, otherwise a plain one.
    void NewStyle();
    void DeleteStyle();
    void ApplyToSelection();
    // Asks for a colour (tests answer it); an invalid colour: cancelled.
    std::function<quint32(quint32 current, bool &ok)> ChooseColor;

private:
    // Shows the project's styles, keeping the chosen one when it is still there.
    void Refresh();
    void ShowStyle(const TProjectStyle *style);
    // The chosen style with the form's values, and as one step on the document.
    TProjectStyle Edited() const;
    void Commit();
    // A field is done: the next edit is a step of its own.
    void EndEdit();
    // A picked value: a step of its own.
    void CommitStep();
    // Whether the fields' signals may change the document now.
    bool Editable() const;
    const TProjectStyles &Styles() const;

    TEditorContext &m_context;
    TTreeEditor &m_treeEditor;
    QWidget &m_window;
    bool m_filling = false;
    bool m_documentGone = false;
    bool m_committing = false;
    quint64 m_session = 1;  // edits of one session fold into one step
};

} // namespace velmora
