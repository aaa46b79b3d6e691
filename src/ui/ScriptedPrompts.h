#pragma once

#include "controls/ColorSelectorDialogForm.h"
#include "controls/MultilineEditorForm.h"
#include "ui/CodecOptionsDialog.h"
#include "ui/PageDialogs.h"
#include "core/elements/ProjectTemplates.h"
#include "ui/Prompts.h"
#include "ui/TemplateChooser.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStringList>
#include <deque>
#include <vector>

namespace velmora {

// Prompts answered from queued replies, for tests and scripted runs; records every question.
class TScriptedPrompts : public IEditorPrompts
{
public:
    // Replies used in order; an empty queue answers No / cancels.
    std::deque<bool> Answers;
    // Answers to the unsaved-changes question; without one, a Yes from Answers discards and No cancels.
    std::deque<TSaveChoice> SaveChoices;
    std::deque<QString> Files;
    // Codec choices in order: a handler code, or empty to cancel.
    std::deque<QString> Codecs;
    // Delivery choices in order (nothing: cancel); an empty queue takes the choice offered.
    std::deque<std::optional<TDeliveryChoice>> Deliveries;
    // The choice each delivery question offered.
    std::vector<TDeliveryChoice> DeliveryQuestions;
    // In, out and start timecode typed into the Generate dialog in turn; none: the range offered.
    struct TRangeReply
    {
        QString In;
        QString Out;
        QString Timecode;
    };
    std::deque<TRangeReply> RangeReplies;
    // What the dialog's range note said after each typed range (the refusal, if any).
    QStringList RangeNotes;

    // A colour dialog's session: the colours picked in turn, then OK or Cancel.
    struct TColorReply
    {
        std::vector<quint32> Picks;
        bool Accept = true;
    };
    std::deque<TColorReply> ColorReplies;
    // A multi-line editor's session: the whole texts typed in turn, then OK or Cancel.
    struct TTextReply
    {
        QStringList Edits;
        bool Accept = true;
    };
    std::deque<TTextReply> TextReplies;
    // New Project's choices in order (nothing: cancel); an empty queue takes the classic project.
    std::deque<std::optional<int>> Templates;

    QStringList Questions;
    QStringList Errors;
    QStringList Informations;
    // The names each output dialog proposed.
    QStringList OutputProposals;
    // The options each codec choice was offered.
    std::vector<TAVICompressorOptions> CodecQuestions;

    bool Confirm(const QString &question) override
    {
        Questions << question;
        return Next(Answers, false);
    }
    TSaveChoice AskSaveChanges(const QString &question) override
    {
        if (SaveChoices.empty())
            return Confirm(question) ? TSaveChoice::Discard : TSaveChoice::Cancel;
        Questions << question;
        return Next(SaveChoices, TSaveChoice::Cancel);
    }
    QString ChooseOpenFile() override { return Next(Files, QString()); }
    QString ChooseSaveFile() override { return Next(Files, QString()); }
    void ShowError(const QString &message) override { Errors << message; }
    void ShowInformation(const QString &message) override { Informations << message; }
    QString ChooseImageFile() override { return Next(Files, QString()); }
    bool ChooseDelivery(TDeliveryChoice &choice, TGenerateRange &range, int projectRate, int frameCount) override
    {
        DeliveryQuestions.push_back(choice);
        const std::optional<TDeliveryChoice> reply = Next(Deliveries, std::optional<TDeliveryChoice>(choice));
        if (!reply)
            return false;
        choice = *reply;
        if (RangeReplies.empty())
            return true;
        // Typed into the real dialog, which refuses what the roll cannot give.
        const TRangeReply typed = Next(RangeReplies, TRangeReply{});
        TDeliveryDialog dialog(choice, projectRate);
        dialog.SetRange(range, frameCount);
        dialog.InPoint->setText(typed.In);
        dialog.OutPoint->setText(typed.Out);
        dialog.StartTimecode->setText(typed.Timecode);
        dialog.accept();
        RangeNotes << dialog.RangeNote->text();
        if (dialog.result() != QDialog::Accepted)
            return false;
        range = dialog.Range();
        return true;
    }
    QString ChooseOutputFile(const QString &proposed) override
    {
        OutputProposals << proposed;
        return Next(Files, QString());
    }
    bool ChooseCodecOptions(TAVICompressorOptions &options) override
    {
        CodecQuestions.push_back(options);
        const QString handler = Next(Codecs, QString());
        if (handler.isEmpty())
            return false;
        options.Handler = handler;
        return true;
    }

    // Drives the real dialog without showing it: each pick is set and reported as the user's would be.
    std::optional<quint32> ChooseColor(quint32 initial, const std::function<void(quint32)> &live) override
    {
        const TColorReply reply = Next(ColorReplies, TColorReply{{}, false});
        const auto dialog = MakeColorDialog(nullptr, initial, live);
        for (quint32 pick : reply.Picks) {
            dialog->SetColor(pick);
            dialog->Frame()->TimerUpdateTimer();
        }
        dialog->done(reply.Accept ? QDialog::Accepted : QDialog::Rejected);
        if (!reply.Accept)
            return std::nullopt;
        return dialog->Frame()->GetColor();
    }
    // Drives the real editor without showing it: each edit replaces the editor's text.
    bool EditMultilineText(const QString &text, const std::function<void(const QString &)> &edited) override
    {
        const TTextReply reply = Next(TextReplies, TTextReply{{}, false});
        const auto editor = MakeMultilineEditor(nullptr, text, edited);
        for (const QString &edit : reply.Edits)
            editor->Editor()->setPlainText(edit);
        return reply.Accept;
    }

    // Drives the real chooser without showing it.
    std::optional<int> ChooseProjectTemplate(const QStringList &names) override
    {
        const std::optional<int> reply = Next(Templates, std::optional<int>(int(ClassicTemplate)));
        TTemplateChooser chooser(nullptr, names);
        if (!reply)
            return std::nullopt;
        chooser.List()->setCurrentRow(*reply);
        return chooser.Chosen();
    }

private:
    template <typename T>
    static T Next(std::deque<T> &queue, T fallback)
    {
        if (queue.empty())
            return fallback;
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
};

} // namespace velmora
