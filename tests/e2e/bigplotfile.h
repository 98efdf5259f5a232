// A plot file too large for a load under a small address-space limit: the out-of-memory tests of
// orvo-cli and of the window write it.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// 120 full data sets of short lines: 31 MB of text, about 134 MB of samples. False when the file
// could not be written.
inline bool writeBigPlotFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QByteArray block;
    for (int i = 0; i < 65536; ++i)
        block += "1,2\n";
    bool ok = f.write("Orvo Plot\n#t\n#x\n#y\n#\n#\n#\n#0,0,20,20\n") > 0;
    for (int n = 0; n < 120 && ok; ++n)
        ok = f.write("! 255, 1, 255, 0, 255, 7\n") > 0 && f.write(block) == block.size();
    return ok;
}
