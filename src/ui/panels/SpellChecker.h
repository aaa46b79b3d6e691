#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class Hunspell;

namespace velmora {

// A word of a text, where it stands.
struct TTextWord
{
    qsizetype Start = 0;
    qsizetype Length = 0;
    QString Word;
};

// The words of text worth checking: letters with inner apostrophes or hyphens; words with
// digits and single letters are left out.
std::vector<TTextWord> WordsOf(const QString &text);

// Spelling by Hunspell with a system dictionary, plus words the caller accepts (a project's
// personal names).
class TSpellChecker
{
public:
    // Opens the dictionary for language ("en_US"; empty: the system locale's, else en_US) from
    // the folders Debian installs them in. Without one, Available() is false.
    explicit TSpellChecker(const QString &language = QString());
    ~TSpellChecker();

    bool Available() const { return m_hunspell != nullptr; }
    // The language of the dictionary in use.
    const QString &Language() const { return m_language; }
    bool IsCorrect(const QString &word) const;
    QStringList Suggestions(const QString &word) const;
    // The misspelled words of text, in order, those in accepted (names, terms) left out.
    std::vector<TTextWord> Misspelled(const QString &text, const QSet<QString> &accepted = {}) const;

private:
    std::unique_ptr<Hunspell> m_hunspell;
    QString m_language;
};

// The personal names (and other words) a project accepts, kept beside the project file as
// NAME-names.txt, one a line, so the project file itself is unchanged. A project without
// names has no such file.
class TProjectNames
{
public:
    // The file that goes with projectFile; empty for a project never saved.
    static QString FileFor(const QString &projectFile);
    // Reads the names of projectFile (none when it has no file); throws EVelmoraError when the
    // file exists but cannot be read.
    void Load(const QString &projectFile);
    // Writes them beside projectFile (removing the file when there are none); throws on failure.
    void Save(const QString &projectFile) const;
    const QStringList &Words() const { return m_words; }
    // Adds word unless it is there; true when it was added.
    bool Add(const QString &word);
    void Clear() { m_words.clear(); }

private:
    QStringList m_words;
};

} // namespace velmora
