// Runs orvo-cli from the build tree for the end-to-end tests and collects what it said.
#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

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

// Writes text to name in dir; the file's path.
inline QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& text) {
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(text);
    return path;
}

// A file's bytes; empty when it cannot be read.
inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// `orvo-cli sim` on a pseudo-terminal: start() runs it with args and returns the terminal's path
// it prints (empty when it did not start); it is stopped when the helper goes.
class PtySim {
  public:
    PtySim() = default;
    PtySim(const PtySim&) = delete;
    PtySim& operator=(const PtySim&) = delete;
    ~PtySim() { stop(3000); }
    QString start(const QStringList& args) {
        process.setProgram(Cli);
        process.setArguments(QStringList{"sim"} + args);
        process.start();
        if (!process.waitForStarted(5000)) return {};
        for (int i = 0; i < 50 && !process.canReadLine(); ++i)
            process.waitForReadyRead(100);
        return QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    // True once it has ended (within ms).
    bool stop(int ms) {
        if (process.state() == QProcess::NotRunning) return true;
        process.terminate();
        return process.waitForFinished(ms);
    }
    QProcess process;
};
