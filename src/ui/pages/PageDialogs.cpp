#include "ui/pages/PageDialogs.h"

#include "controls/ColorSelectorDialogForm.h"
#include "controls/MultilineEditorForm.h"

namespace velmora {

std::unique_ptr<TColorSelectorDialog> MakeColorDialog(QWidget *parent, quint32 initial,
    std::function<void(quint32)> live)
{
    auto dialog = std::make_unique<TColorSelectorDialog>(parent);
    dialog->SetColor(initial);
    dialog->SetColorChangeHandler([live = std::move(live)](QObject *, quint32 color) { live(color); });
    return dialog;
}

std::unique_ptr<TMultilineEditor> MakeMultilineEditor(QWidget *parent, const QString &text,
    std::function<void(const QString &)> edited)
{
    auto editor = std::make_unique<TMultilineEditor>(parent);
    // Connected before loading: the loaded text is the editor's first change.
    QObject::connect(editor.get(), &TMultilineEditor::OnTextChange, editor.get(),
        [edited = std::move(edited)](QObject *, const QString &changed) { edited(changed); });
    editor->LoadText(text);
    return editor;
}

} // namespace velmora
