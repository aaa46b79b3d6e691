#pragma once

#include "core/edit/FindText.h"

#include <QDialog>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora {

class TEditorContext;

// Find (Ctrl+F) and Replace (Ctrl+H) across every text of the roll. A hit is selected in the
// tree, which brings the preview to it; replacing goes through the document's undo stack.
class TFindReplace : public QDialog
{
    Q_OBJECT
public:
    // A dialog of window; its commands go to the Edit menu through context's registry.
    TFindReplace(TEditorContext &context, QWidget &window);

    QAction *ActFind = nullptr;
    QAction *ActReplace = nullptr;

    QLineEdit *FindEdit = nullptr;
    QLineEdit *ReplaceEdit = nullptr;
    QCheckBox *MatchCase = nullptr;
    QCheckBox *WholeWord = nullptr;
    QPushButton *FindNextButton = nullptr;
    QPushButton *ReplaceButton = nullptr;
    QPushButton *ReplaceAllButton = nullptr;
    // How the last search or replace went ("3 texts match", "Not found").
    QLabel *Result = nullptr;

    // Selects the next text that matches after the focused node; false when none does.
    bool FindNext();
    // Replaces in the focused text when it matches, then finds the next.
    void ReplaceCurrent();
    void ReplaceEverywhere();

private:
    void Open(bool replace);
    TFindOptions Options() const;

    TEditorContext &m_context;
};

} // namespace velmora
