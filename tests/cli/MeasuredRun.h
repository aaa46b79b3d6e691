#pragma once
// Runs velmora-cli and reads its peak resident memory from the kernel's account of the child,
// for the tests that bound what crafted input may cost.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <vector>

extern char **environ;

struct TMeasured
{
    int ExitCode = -1;
    QByteArray Out;
    QByteArray Err;
    long PeakMegabytes = -1;
};

// Runs velmora-cli and reads its peak resident memory from the kernel's account of the child.
inline TMeasured RunMeasured(const QStringList &arguments, const QString &scratch)
{
    const QByteArray outPath = QFile::encodeName(scratch + "/out.txt");
    const QByteArray errPath = QFile::encodeName(scratch + "/err.txt");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<QByteArray> storage{QByteArray(VELMORA_CLI)};
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    TMeasured result;
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, VELMORA_CLI, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return result;
    int status = 0;
    struct rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid)
        return result;
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    result.PeakMegabytes = usage.ru_maxrss / 1024;
    QFile out(QString::fromLocal8Bit(outPath)), err(QString::fromLocal8Bit(errPath));
    if (out.open(QIODevice::ReadOnly))
        result.Out = out.readAll();
    if (err.open(QIODevice::ReadOnly))
        result.Err = err.readAll();
    return result;
}


// One run with the exit code it must end with, words its output must hold and its memory bound.
struct TBoundedRun
{
    const char *Name;
    QStringList Arguments;
    int ExitCode;
    const char *Words;
    long MaxMegabytes;
};

// Runs each row in scratch and checks it, printing each peak under the tag given.
template <std::size_t N>
void ExpectBoundedRuns(const TBoundedRun (&rows)[N], const QString &scratch, const char *tag)
{
    for (const TBoundedRun &row : rows) {
        SCOPED_TRACE(row.Name);
        struct rusage own {};
        ::getrusage(RUSAGE_SELF, &own);
        const long ownPeak = own.ru_maxrss / 1024;
        const TMeasured result = RunMeasured(row.Arguments, scratch);
        EXPECT_EQ(result.ExitCode, row.ExitCode) << result.Err.toStdString();
        EXPECT_TRUE(result.Out.contains(row.Words) || result.Err.contains(row.Words))
            << result.Out.left(400).toStdString() << result.Err.toStdString();
        EXPECT_GT(result.PeakMegabytes, 0);
        // The kernel counts the test's own peak into the child's (the child starts as its copy).
        // When earlier tests in this process grew it past a bound, only growth past it tells.
        EXPECT_LE(result.PeakMegabytes, std::max(row.MaxMegabytes, ownPeak));
        std::printf("[ %s ] %-55s exit %d, peak %ld MB\n", tag, row.Name, result.ExitCode, result.PeakMegabytes);
    }
}
