#pragma once

#include "ui/Prompts.h"

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
    std::deque<QString> Files;
    // Codec choices in order: a handler code, or empty to cancel.
    std::deque<QString> Codecs;

    QStringList Questions;
    QStringList Errors;
    // The names each output dialog proposed.
    QStringList OutputProposals;
    // The options each codec choice was offered.
    std::vector<TAVICompressorOptions> CodecQuestions;

    bool Confirm(const QString &question) override
    {
        Questions << question;
        return Next(Answers, false);
    }
    QString ChooseOpenFile() override { return Next(Files, QString()); }
    QString ChooseSaveFile() override { return Next(Files, QString()); }
    void ShowError(const QString &message) override { Errors << message; }
    QString ChooseImageFile() override { return Next(Files, QString()); }
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
