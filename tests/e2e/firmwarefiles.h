// What the firmware update tests share: hex files written to a folder of their own, and the code
// space a whole update of an image leaves behind.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/unit/firmware/hexkit.h"

class FirmwareFiles {
  protected:
    // A new hex file holding text.
    QString hexFile(const std::string& text) {
        const QString p = dir.filePath(QStringLiteral("fw%1.hex").arg(++files));
        EXPECT_TRUE(hexkit::writeFile(p.toStdString(), text));
        return p;
    }
    // What the flash must hold: the image, then erased bytes, then status byte 00.
    static QByteArray flashed(const std::vector<std::uint8_t>& image) {
        QByteArray expected(7616, char(0xFF));
        for (std::size_t i = 0; i < image.size(); ++i)
            expected[static_cast<qsizetype>(i)] = static_cast<char>(image[i]);
        return expected + QByteArray(1, '\0');
    }

    QTemporaryDir dir;
    int files = 0;
};
