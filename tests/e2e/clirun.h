// Runs orvo-cli from the build tree for the end-to-end tests and collects what it said.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

inline const QString Cli = QStringLiteral(ORVO_BINARY_DIR "/cli/orvo-cli");

struct CliRun {
    int status = -1;
    QString out;
    QString err;
};

inline CliRun cli(const QStringList& args, int timeoutMs = 20000) {
    QProcess p;
    p.start(Cli, args);
    p.waitForFinished(timeoutMs);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
