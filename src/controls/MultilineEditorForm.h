#pragma once

#include <QDialog>

class QAction;
class QPlainTextEdit;
class QStatusBar;

namespace velmora {

// Dialog for editing a long text, with the usual edit commands; every change is reported.
class TMultilineEditor : public QDialog
{
    Q_OBJECT
public:
    explicit TMultilineEditor(QWidget *parent = nullptr);

    // Replaces the whole text, line breaks made CR LF; reports once when it differs.
    void LoadText(const QString &text);
    // The whole text, lines separated by CR LF, no break added at the end.
    QString Text() const;
    QPlainTextEdit *Editor() const { return m_editor; }

    QAction *EditUndo1 = nullptr;
    QAction *EditCut1 = nullptr;
    QAction *EditCopy1 = nullptr;
    QAction *EditPaste1 = nullptr;
    QAction *EditSelectAll1 = nullptr;
    QAction *EditDelete1 = nullptr;

Q_SIGNALS:
    // Raised after every change of the text with the whole text.
    void OnTextChange(QObject *Sender, const QString &Text);

protected:
    bool event(QEvent *event) override;

private:
    void CreateActions();
    void EditorChange();

    QPlainTextEdit *m_editor = nullptr;
    QStatusBar *m_statusBar = nullptr;
    bool m_loading = false;
};

// Line breaks of any kind (CR LF, LF, CR) turned into CR LF.
QString NormaliseLineBreaks(const QString &text);

} // namespace velmora
