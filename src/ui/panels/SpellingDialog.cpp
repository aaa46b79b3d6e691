#include "ui/panels/SpellingDialog.h"

#include "core/document/Document.h"
#include "core/edit/EditCommands.h"
#include "core/elements/Interfaces.h"
#include "core/signoff/Credits.h"
#include "ui/panels/DialogPlacement.h"
#include "ui/window/EditorContext.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace velmora {

namespace {

// The text elements in roll order; start becomes the index of the first one at or after from
// (from itself, a text inside it such as a credit pair's role, or the next text after it).
void CollectTexts(TElementNode &node, const TElementNode *from, std::vector<TElementNode *> &texts, std::optional<std::size_t> &start)
{
    if (&node == from && !start)
        start = texts.size();
    if (queryInterface<IElementText>(node.Element()) != nullptr)
        texts.push_back(&node);
    for (std::size_t i = 0; i < node.ChildCount(); ++i)
        CollectTexts(*node.Child(i), from, texts, start);
}

} // namespace

TSpellingDialog::TSpellingDialog(TEditorContext &context, QWidget &window)
    : QDialog(&window), m_context(context), m_checker(std::make_unique<TSpellChecker>())
{
    setObjectName(QStringLiteral("SpellingDialog"));
    setWindowTitle(QStringLiteral("Check Spelling"));
    // Like Find, it stays open beside the roll.
    setModal(false);
    auto *form = new QFormLayout(this);
    WordLabel = new QLabel(this);
    WordLabel->setObjectName(QStringLiteral("SpellingWord"));
    WordLabel->setTextFormat(Qt::RichText);
    WordLabel->setWordWrap(true);
    form->addRow(QStringLiteral("Not in the dictionary:"), WordLabel);
    ChangeTo = new QLineEdit(this);
    ChangeTo->setObjectName(QStringLiteral("SpellingChangeTo"));
    form->addRow(QStringLiteral("Change to:"), ChangeTo);
    SuggestionList = new QListWidget(this);
    SuggestionList->setObjectName(QStringLiteral("SpellingSuggestions"));
    form->addRow(QStringLiteral("Suggestions:"), SuggestionList);
    connect(SuggestionList, &QListWidget::currentTextChanged, ChangeTo, &QLineEdit::setText);
    Result = new QLabel(this);
    Result->setObjectName(QStringLiteral("SpellingResult"));
    form->addRow(Result);
    auto *buttons = new QDialogButtonBox(this);
    ChangeButton = buttons->addButton(QStringLiteral("Change"), QDialogButtonBox::ActionRole);
    IgnoreButton = buttons->addButton(QStringLiteral("Ignore All"), QDialogButtonBox::ActionRole);
    AddNameButton = buttons->addButton(QStringLiteral("Add to Project Names"), QDialogButtonBox::ActionRole);
    AddNameButton->setToolTip(QStringLiteral("Accept the word in this project from now on; the names are kept beside the project file"));
    AddAllNamesButton = buttons->addButton(QStringLiteral("Add All Names"), QDialogButtonBox::ActionRole);
    AddAllNamesButton->setObjectName(QStringLiteral("SpellingAddAllNames"));
    AddAllNamesButton->setToolTip(QStringLiteral("Accept every name the roll credits (pairs, name lists, the Name column of sheets) in this project"));
    buttons->addButton(QDialogButtonBox::Close);
    // Most unknown words in credits are names: Enter must not change one to a suggestion.
    for (QAbstractButton *button : buttons->buttons())
        if (auto *push = qobject_cast<QPushButton *>(button))
            push->setAutoDefault(false);
    CheckNames = new QCheckBox(QStringLiteral("Check names too"), this);
    CheckNames->setObjectName(QStringLiteral("SpellingCheckNames"));
    form->addRow(CheckNames);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    connect(CheckNames, &QCheckBox::toggled, this, [this] {
        // Checked again from the element the check stands at.
        if (m_node != nullptr)
            m_word = {};
        FindNext();
    });
    connect(AddAllNamesButton, &QPushButton::clicked, this, [this] {
        m_context.Run([this] {
            const int added = AddAllNames();
            Result->setText(added == 1 ? QStringLiteral("1 name added.") : QStringLiteral("%1 names added.").arg(added));
        });
    });
    connect(ChangeButton, &QPushButton::clicked, this, [this] { m_context.Run([this] { ChangeCurrent(); }); });
    connect(IgnoreButton, &QPushButton::clicked, this, [this] { IgnoreCurrent(); });
    connect(AddNameButton, &QPushButton::clicked, this, [this] { m_context.Run([this] { AddCurrentName(); }); });

    ActCheckSpelling = new QAction(QStringLiteral("Check &Spelling..."), &window);
    ActCheckSpelling->setObjectName(QStringLiteral("ActCheckSpelling"));
    ActCheckSpelling->setShortcut(QKeySequence(Qt::Key_F7));
    connect(ActCheckSpelling, &QAction::triggered, this, &TSpellingDialog::Open);
    window.addAction(ActCheckSpelling);
    context.Actions().Register(ActCheckSpelling, {.Menu = QStringLiteral("&Edit")});

    TDocument &document = context.Document();
    // The word stopped at goes with its node.
    connect(&document, &TDocument::NodeAboutToBeRemoved, this, [this] { m_node = nullptr; });
    connect(&document, &TDocument::TreeAboutToBeReset, this, [this] { m_node = nullptr; });
    // New and Open replace the tree before the project's file name is known: the names are
    // read once the command is over.
    connect(&document, &TDocument::Changed, this, [this](const TDocumentChange &change) {
        if (change.Kind != TDocumentChange::TKind::TreeReset)
            return;
        m_loadPending = true;
        QMetaObject::invokeMethod(this, [this] { m_context.Run([this] { LoadProjectNames(); }); }, Qt::QueuedConnection);
    });
    connect(&document, &TDocument::ModifiedChanged, this, [this] { m_context.Run([this] { FollowProjectFile(); }); });
}

void TSpellingDialog::Open()
{
    // F7 starts at the selected element, not where an earlier check stopped.
    m_node = nullptr;
    m_word = {};
    show();
    raise();
    activateWindow();
    FindNext();
}

QSet<QString> TSpellingDialog::Accepted() const
{
    QSet<QString> accepted = m_ignored;
    for (const QString &name : m_names.Words())
        accepted.insert(name);
    if (!CheckNames->isChecked())
        accepted.unite(NameWords());
    return accepted;
}

QSet<QString> TSpellingDialog::NameWords() const
{
    QSet<QString> words;
    const TElementNode *project = m_context.Document().ProjectNode();
    if (project == nullptr)
        return words;
    for (const TCredit &credit : ExtractCredits(*project)) {
        // A text on its own counts as names when its lines are short; it is checked all the same,
        // being as often a line of words as a list of names.
        const bool ownText = credit.Node != nullptr && queryInterface<IElementText>(credit.Node->Element()) != nullptr;
        if (credit.Kind == TCreditKind::Role || (credit.Kind == TCreditKind::Names && !ownText))
            for (const QString &name : credit.Names)
                for (const TTextWord &word : WordsOf(name))
                    words.insert(word.Word);
    }
    return words;
}

int TSpellingDialog::AddAllNames()
{
    int added = 0;
    QStringList words = NameWords().values();
    words.sort();
    for (const QString &word : words)
        added += int(m_names.Add(word));
    if (added > 0)
        m_names.Save(m_context.Document().ProjectFileName());
    return added;
}

bool TSpellingDialog::FindNext()
{
    if (!m_checker->Available()) {
        Result->setText(QStringLiteral("No spelling dictionary is installed (on Debian: the hunspell-en-us package)."));
        return false;
    }
    std::vector<TElementNode *> texts;
    // From just after the word stopped at, else from the focused element (into a pair or
    // columns it is focused on, or on to the next text after it).
    TElementNode *from = m_node ? m_node : m_context.Document().Tree().FocusedNode();
    std::optional<std::size_t> first;
    CollectTexts(m_context.Document().Tree().Root(), from, texts, first);
    const qsizetype offset = m_node ? m_word.Start + m_word.Length : 0;
    const bool found = first.has_value() && *first < texts.size();
    const std::size_t start = found ? *first : 0;
    const qsizetype startOffset = found && texts[start] == from ? offset : 0;
    const QSet<QString> accepted = Accepted();
    // Once round, back to the start of the first text.
    for (std::size_t i = 0; i <= texts.size() && !texts.empty(); ++i) {
        TElementNode *node = texts[(start + i) % texts.size()];
        for (const TTextWord &word : m_checker->Misspelled(TextOf(*node), accepted)) {
            if (i == 0 && word.Start < startOffset)
                continue;
            if (i == texts.size() && word.Start >= startOffset)
                break;
            m_node = node;
            m_word = word;
            if (m_context.Document().Tree().FocusedNode() != node)
                m_context.Reveal(*node);
            ShowWord();
            KeepClearOfFocused(*this, m_context);
            return true;
        }
    }
    m_node = nullptr;
    m_word = {};
    ShowWord();
    Result->setText(QStringLiteral("No unknown words in the texts."));
    return false;
}

void TSpellingDialog::ShowWord()
{
    const bool stopped = m_node != nullptr;
    SuggestionList->clear();
    ChangeTo->clear();
    for (QPushButton *button : {ChangeButton, IgnoreButton, AddNameButton})
        button->setEnabled(stopped);
    if (!stopped) {
        WordLabel->clear();
        return;
    }
    // The word in its line, so that it reads in context.
    const QString text = TextOf(*m_node);
    const qsizetype lineStart = text.lastIndexOf(QLatin1Char('\n'), m_word.Start) + 1;
    qsizetype lineEnd = text.indexOf(QLatin1Char('\r'), m_word.Start);
    if (lineEnd < 0)
        lineEnd = text.size();
    WordLabel->setText(text.mid(lineStart, m_word.Start - lineStart).toHtmlEscaped() + QStringLiteral("<b>")
                       + m_word.Word.toHtmlEscaped() + QStringLiteral("</b>")
                       + text.mid(m_word.Start + m_word.Length, lineEnd - m_word.Start - m_word.Length).toHtmlEscaped());
    SuggestionList->addItems(m_checker->Suggestions(m_word.Word));
    if (SuggestionList->count() > 0)
        SuggestionList->setCurrentRow(0);
    Result->clear();
}

void TSpellingDialog::ChangeCurrent()
{
    const QString with = ChangeTo->text();
    if (m_node == nullptr || with.isEmpty())
        return;
    const QString text = TextOf(*m_node);
    // The text may have been edited since: only the word still in its place is changed.
    if (text.mid(m_word.Start, m_word.Length) == m_word.Word) {
        ChangeValue(m_context.Document(), m_node->Element(), Fields::Text,
                    text.left(m_word.Start) + with + text.mid(m_word.Start + m_word.Length));
        m_word.Length = with.size();
    }
    FindNext();
}

void TSpellingDialog::IgnoreCurrent()
{
    if (m_node != nullptr)
        m_ignored.insert(m_word.Word);
    FindNext();
}

void TSpellingDialog::AddCurrentName()
{
    if (m_node == nullptr)
        return;
    if (m_names.Add(m_word.Word))
        m_names.Save(m_context.Document().ProjectFileName());
    FindNext();
}

void TSpellingDialog::LoadProjectNames()
{
    m_loadPending = false;
    m_ignored.clear();
    m_namesProject = m_context.Document().ProjectFileName();
    m_names.Load(m_namesProject);
}

void TSpellingDialog::FollowProjectFile()
{
    const QString project = m_context.Document().ProjectFileName();
    if (m_loadPending || project == m_namesProject)
        return;
    // Save As, or the first save: the names go with the project to its file.
    m_names.Save(project);
    m_namesProject = project;
}

} // namespace velmora
