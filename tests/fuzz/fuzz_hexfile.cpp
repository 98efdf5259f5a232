// The firmware file reader on arbitrary bytes: it never crashes or hangs, writes only inside the
// code-space image, and every programming record built from what it loaded is a valid command.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "firmware/hexfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // On the heap, so a write past the image lands in the sanitizer's red zone.
    auto file = std::make_unique<orvo::FirmwareFile>();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const orvo::FirmwareLoadResult r = orvo::LoadFirmwareText(text, *file);
    if ((r.status == orvo::FirmwareLoadStatus::Ok) != r.error.empty()) std::abort();
    if (file->imageEnd() > orvo::FirmwareSize) std::abort();
    if (!file->hasData && (file->HighestAddress != 0 || file->dataRecords != 0)) std::abort();
    if (file->badChecksums > 0 && (file->firstBadChecksumLine < 1 || file->firstBadChecksumLine > file->line))
        std::abort();
    if (r.status != orvo::FirmwareLoadStatus::Ok) return 0;
    for (int a = 0; a < file->imageEnd(); a += orvo::FirmwareBlockSize) {
        const int n = std::min(orvo::FirmwareBlockSize, file->HighestAddress - a + 1);
        const std::string record = orvo::programRecord(*file, a, n);
        if (record.size() != static_cast<std::size_t>(11 + 2 * n) || record.size() > 139) std::abort();
        // The record's bytes, checksum included, sum to zero, as the loader checks.
        orvo::FirmwareFile check;
        check.line = 1;
        if (orvo::ParseHexLine(record, check) != orvo::HexLineTaken || check.badChecksums != 0) std::abort();
        for (int i = 0; i < n; ++i)
            if (check.FirmwareImage[static_cast<std::size_t>(a + i)] !=
                file->FirmwareImage[static_cast<std::size_t>(a + i)])
                std::abort();
    }
    return 0;
}
