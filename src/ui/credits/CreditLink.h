#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <map>
#include <vector>

namespace velmora {

class TDocument;
class TElementNode;

// A sheet error as the Problems panel lists it: where in which sheet, and what.
struct TSheetProblem
{
    TElementNode *Block = nullptr;  // the block that keeps its last good content
    QString Sheet;                  // the file the error is in
    int Row = 0;                    // 0: the file as a whole
    QString Column;                 // the column's letter in the sheet, if known
    QString Message;
    // "SHEET:ROW:COLUMN: what", leaving out what is not known.
    QString Text() const;
};

// Splits an error message of a block's sheet ("SHEET:ROW: what") into its place; header is the
// sheet's header row (when it could be read), to name the column by its letter.
TSheetProblem SheetProblemOf(TElementNode *block, const QString &message, const QStringList &header);

// Keeps the document's credit blocks following their sheets and styles files: a save from any
// program (spreadsheet programs save by writing a new file and renaming it over the old one, so
// the folders are watched too) reloads the block as one undo step. A sheet with errors keeps
// the block's last good content, and the errors are reported.
class TCreditLink : public QObject
{
    Q_OBJECT
public:
    explicit TCreditLink(TDocument &document, QObject *parent = nullptr);

    // Reloads every block whose files differ from what it holds; returns how many changed.
    int ReloadChanged();
    // The errors of the last reload, "SHEET:ROW: what" each; empty when all read.
    const QStringList &Problems() const { return m_problems; }
    // The same by place, with the block each belongs to.
    const std::vector<TSheetProblem> &SheetProblems() const { return m_sheetProblems; }

Q_SIGNALS:
    // Before the reloaded blocks replace the old ones (the old ones are still in the tree).
    void AboutToReload();
    // After each reload attempt that found a change or an error, or read well after an error.
    void Reloaded(int changed, const QStringList &problems);

private:
    void Rewatch();
    QString ProjectDir() const;

    TDocument &m_document;
    QFileSystemWatcher m_watcher;
    // Saves come in bursts (temporary file, rename, attributes): one reload after they settle.
    QTimer m_settle;
    QStringList m_problems;
    std::vector<TSheetProblem> m_sheetProblems;
    // What each block's files held when last read (or what the block held when first watched).
    std::map<const TElementNode *, QByteArray> m_lastRead;
};

} // namespace velmora
