#pragma once

#include <QByteArray>
#include <QImage>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

// Runs velmora-cli as a user would and keeps what it printed.
struct TCliResult
{
    int ExitCode = -1;
    QByteArray Out;
    QByteArray Err;
};

inline TCliResult RunCli(const QStringList &arguments, int timeoutMs = 120000)
{
    QProcess process;
    process.start(QStringLiteral(VELMORA_CLI), arguments);
    TCliResult result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.Err = "timed out";
        return result;
    }
    result.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.Out = process.readAllStandardOutput();
    result.Err = process.readAllStandardError();
    return result;
}

// Whether ffprobe and ffmpeg are on PATH, for the tests that read back what was written.
inline bool HaveFfmpegTools()
{
    return !QStandardPaths::findExecutable(QStringLiteral("ffprobe")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty();
}

// Runs a tool from PATH (ffprobe, ffmpeg) and returns its standard output; empty on failure.
inline QByteArray RunTool(const QString &tool, const QStringList &arguments)
{
    const QString path = QStandardPaths::findExecutable(tool);
    if (path.isEmpty())
        return {};
    QProcess process;
    process.start(path, arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}
