#include "ui/panels/SpellChecker.h"

#include "core/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QTextBoundaryFinder>

#include <hunspell.hxx>

namespace velmora {

namespace {

// Where Debian's dictionary packages put their files.
const char *const DictionaryFolders[] = {"/usr/share/hunspell", "/usr/share/myspell/dicts", "/usr/share/myspell"};

bool HasLetter(const QString &word)
{
    return std::any_of(word.begin(), word.end(), [](QChar c) { return c.isLetter(); });
}

} // namespace

std::vector<TTextWord> WordsOf(const QString &text)
{
    std::vector<TTextWord> words;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, text);
    qsizetype start = -1;
    for (qsizetype at = 0; at >= 0; at = finder.toNextBoundary()) {
        const auto reasons = finder.boundaryReasons();
        if ((reasons & QTextBoundaryFinder::EndOfItem) && start >= 0) {
            // Joiners and thin spaces that pad columns cling to words; they are not part of them.
            qsizetype end = at;
            while (end > start && (text[end - 1].category() == QChar::Other_Format || text[end - 1].isSpace()))
                --end;
            while (start < end && (text[start].category() == QChar::Other_Format || text[start].isSpace()))
                ++start;
            const QString word = text.mid(start, end - start);
            const bool digits = std::any_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); });
            if (word.size() > 1 && HasLetter(word) && !digits)
                words.push_back({start, end - start, word});
            start = -1;
        }
        if (reasons & QTextBoundaryFinder::StartOfItem)
            start = at;
    }
    return words;
}

TSpellChecker::TSpellChecker(const QString &language)
{
    QStringList wanted;
    if (!language.isEmpty())
        wanted << language;
    else
        wanted << QLocale::system().name() << QStringLiteral("en_US");
    for (const QString &name : wanted)
        for (const char *folder : DictionaryFolders) {
            const QDir dir(QString::fromLatin1(folder));
            const QString aff = dir.filePath(name + QStringLiteral(".aff"));
            const QString dic = dir.filePath(name + QStringLiteral(".dic"));
            if (QFileInfo::exists(aff) && QFileInfo::exists(dic)) {
                m_hunspell = std::make_unique<Hunspell>(QFile::encodeName(aff).constData(), QFile::encodeName(dic).constData());
                m_language = name;
                return;
            }
        }
}

TSpellChecker::~TSpellChecker() = default;

bool TSpellChecker::IsCorrect(const QString &word) const
{
    if (m_hunspell == nullptr)
        return true;
    // A typographic apostrophe is the dictionary's straight one.
    QString plain = word;
    plain.replace(QChar(0x2019), QLatin1Char('\''));
    return m_hunspell->spell(plain.toStdString());
}

QStringList TSpellChecker::Suggestions(const QString &word) const
{
    QStringList suggestions;
    if (m_hunspell != nullptr)
        for (const std::string &suggestion : m_hunspell->suggest(word.toStdString()))
            suggestions << QString::fromStdString(suggestion);
    return suggestions;
}

std::vector<TTextWord> TSpellChecker::Misspelled(const QString &text, const QSet<QString> &accepted) const
{
    std::vector<TTextWord> wrong;
    for (TTextWord &word : WordsOf(text))
        if (!accepted.contains(word.Word) && !IsCorrect(word.Word))
            wrong.push_back(std::move(word));
    return wrong;
}

QString TProjectNames::FileFor(const QString &projectFile)
{
    if (projectFile.isEmpty())
        return {};
    const QFileInfo info(projectFile);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral("-names.txt"));
}

void TProjectNames::Load(const QString &projectFile)
{
    m_words.clear();
    const QString fileName = FileFor(projectFile);
    if (fileName.isEmpty() || !QFileInfo::exists(fileName))
        return;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EVelmoraError(QStringLiteral("Cannot read the project's names \"%1\": %2").arg(fileName, file.errorString()));
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
        Add(line.trimmed());
}

void TProjectNames::Save(const QString &projectFile) const
{
    const QString fileName = FileFor(projectFile);
    if (fileName.isEmpty())
        return;
    if (m_words.isEmpty()) {
        QFile::remove(fileName);
        return;
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write((m_words.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8()) < 0
        || !file.commit())
        throw EVelmoraError(QStringLiteral("Cannot write the project's names \"%1\": %2").arg(fileName, file.errorString()));
}

bool TProjectNames::Add(const QString &word)
{
    if (word.isEmpty() || m_words.contains(word))
        return false;
    m_words << word;
    return true;
}

} // namespace velmora
