// `orvo-cli flash` against `orvo-cli sim` over a pseudo-terminal (the real serial port code: the
// loader's 4800 bit/s, the break, the reset record written just before the port closes): the image
// that ends up in the emulator's flash. The loader's failures, a stop and the refused files are
// tested in process (test_flash_sim.cpp).
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "clirun.h"
#include "firmwarefiles.h"

namespace {

class FlashPtyTest : public ::testing::Test, public FirmwareFiles {
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

    PtySim sim;
    QString path;
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
