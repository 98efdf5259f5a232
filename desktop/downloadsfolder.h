// Where the window and orvo-cli keep every downloaded flight: <user data folder>/downloads
// (QStandardPaths::AppDataLocation), as UTF-8.
#pragma once

#include <string>

namespace orvo {

std::string downloadsFolder();

} // namespace orvo
