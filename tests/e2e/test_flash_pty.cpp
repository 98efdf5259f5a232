// `orvo-cli flash` against `orvo-cli sim` over a pseudo-terminal (the real serial port code: the
// loader's 4800 bit/s, the break, the reset record written just before the port closes): the image
// that ends up in the emulator's flash. The loader's failures, a stop and the refused files are
// tested in process (test_flash_sim.cpp).
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "clirun.h"
#include "tests/unit/firmware/hexkit.h"

namespace {

class FlashPtyTest : public ::testing::Test {
  protected:
    void startSim(const QStringList& args) {
        path = sim.start(QStringList{"--flash-file", flash()} + args);
        ASSERT_FALSE(path.isEmpty());
    }
    // Stops the emulator; returns the code space it wrote, with its status byte last.
    QByteArray stopSim() {
        EXPECT_TRUE(sim.stop(5000));
        QFile f(flash());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    QString flash() const { return dir.filePath(QStringLiteral("flash.bin")); }
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
    PtySim sim;
    QString path;
    int files = 0;
};

} // namespace

TEST_F(FlashPtyTest, WholeUpdateLeavesTheImageInTheFlash) {
    const std::vector<std::uint8_t> image = hexkit::randomImage(1000, 17);
    startSim({});
    // As some editors and tools write it: a byte-order mark before the reset vector's record, an
    // indented record, records longer than the loader's 64 bytes. Every byte must arrive.
    const std::string text = "\xEF\xBB\xBF" + hexkit::hexText({image.begin(), image.begin() + 16}) + "  " +
                             hexkit::hexText({image.begin() + 16, image.end()}, 16, 255, "\r\n");
    const CliRun r = cli({"flash", "--port", path, hexFile(text)}, 120000);
    EXPECT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(r.out, "ISP Mode Initiated\n\nFirmware updated successfully.\n");
    EXPECT_EQ(stopSim(), flashed(image));
}
