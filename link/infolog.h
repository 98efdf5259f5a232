// Where module operations write their progress lines: InfoText in the window, stdout in the
// command line tool, a string list in tests.
#pragma once

#include <string>
#include <vector>

namespace orvo {

class InfoLog {
  public:
    virtual ~InfoLog() = default;
    virtual void clear() = 0;
    virtual void line(const std::string& text) = 0;
};

// Keeps the lines; for tests and for callers that show them later.
class StringInfoLog : public InfoLog {
  public:
    void clear() override { lines.clear(); }
    void line(const std::string& text) override { lines.push_back(text); }
    std::string text() const; // the lines joined with '\n'

    std::vector<std::string> lines;
};

// Prints each line to stdout; clear() prints nothing.
class StdoutInfoLog : public InfoLog {
  public:
    void clear() override {}
    void line(const std::string& text) override;
};

} // namespace orvo
