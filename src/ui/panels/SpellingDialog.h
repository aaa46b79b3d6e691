#pragma once

#include "ui/panels/SpellChecker.h"

#include <QDialog>
#include <QSet>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace velmora {

class TElementNode;
class TEditorContext;

// Edit > Check Spelling... (F7): goes through the texts of the roll from the focused element,
// stopping at each word the dictionary does not know. The word can be changed (an undoable
// text change), ignored for this session, or added to the project's names.
class TSpellingDialog : public QDialog
{
    Q_OBJECT
public:
    // A dialog of window; its command goes to the Edit menu through context's registry.
    TSpellingDialog(TEditorContext &context, QWidget &window);

    QAction *ActCheckSpelling = nullptr;

    QLabel *WordLabel = nullptr;
    QLineEdit *ChangeTo = nullptr;
    QListWidget *SuggestionList = nullptr;
    QPushButton *ChangeButton = nullptr;
    QPushButton *IgnoreButton = nullptr;
    QPushButton *AddNameButton = nullptr;
    QPushButton *AddAllNamesButton = nullptr;
    // Off (the default): the names the roll credits pass unchecked; most are not in any dictionary.
    QCheckBox *CheckNames = nullptr;
    // Where the check stands ("No more unknown words.", no dictionary ...).
    QLabel *Result = nullptr;

    // Stops at the next unknown word from the current one (or the focused element); false when
    // the texts have none.
    bool FindNext();
    // Puts ChangeTo in place of the current word, then goes on.
    void ChangeCurrent();
    // Accepts the current word everywhere for this session, then goes on.
    void IgnoreCurrent();
    // Adds the current word to the project's names (written beside a saved project), then goes on.
    void AddCurrentName();
    // Adds every word of every name the roll credits (pairs, lists of names, the Name column of
    // credit blocks) to the project's names in one step; how many were new.
    int AddAllNames();

    const TProjectNames &ProjectNames() const { return m_names; }
    const TSpellChecker &Checker() const { return *m_checker; }
    // The word stopped at, in its element; null node when none.
    TElementNode *CurrentNode() const { return m_node; }
    const TTextWord &CurrentWord() const { return m_word; }

private:
    void Open();
    QSet<QString> Accepted() const;
    void ShowWord();
    // The words of the names the roll credits.
    QSet<QString> NameWords() const;
    // After New and Open: the names of the project now open.
    void LoadProjectNames();
    // Writes the names beside the project when it is saved under a new name.
    void FollowProjectFile();

    TEditorContext &m_context;
    std::unique_ptr<TSpellChecker> m_checker;
    TProjectNames m_names;
    QSet<QString> m_ignored;
    TElementNode *m_node = nullptr;
    TTextWord m_word;
    QString m_namesProject; // the project file the names belong to
    bool m_loadPending = false;
};

} // namespace velmora
