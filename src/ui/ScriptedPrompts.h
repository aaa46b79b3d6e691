#pragma once

#include "ui/Prompts.h"

#include <QStringList>
#include <deque>

namespace velmora {

// Prompts answered from queued replies, for tests and scripted runs; records every question.
class TScriptedPrompts : public IEditorPrompts
{
public:
    // Replies used in order; an empty queue answers No / cancels.
    std::deque<bool> Answers;
    std::deque<QString> Files;

    QStringList Questions;
    QStringList Errors;

    bool Confirm(const QString &question) override
    {
        Questions << question;
        return Next(Answers, false);
    }
    QString ChooseOpenFile() override { return Next(Files, QString()); }
    QString ChooseSaveFile() override { return Next(Files, QString()); }
    void ShowError(const QString &message) override { Errors << message; }
    QString ChooseImageFile() override { return Next(Files, QString()); }
    QString ChooseOutputFile(const QString &) override { return Next(Files, QString()); }

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
