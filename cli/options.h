// The one way orvo-cli's commands read their words: a cursor over the words after the command
// name, and the checks of the values options take. Each command keeps its own texts.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace orvo::cli {

// for (ArgReader r(args); r.next();) { if (r.helpShown(help)) return 0; if (r.is("--port")) ... }
class ArgReader {
  public:
    explicit ArgReader(const std::vector<std::string>& args) : args_(args) {}

    // Moves to the next word; false after the last.
    bool next() { return ++index_ < args_.size(); }
    const std::string& word() const { return args_[index_]; }
    bool is(const char* name) const { return word() == name; }
    bool is(const char* name, const char* other) const { return is(name) || is(other); }
    bool isHelp() const { return is("--help", "-h"); }
    // When the word is --help or -h, puts help on stdout and is true.
    bool helpShown(const std::string& help) const;
    // The word starts with '-' (a lone "-" included).
    bool isOption() const { return !word().empty() && word()[0] == '-'; }
    // Takes the word after the current one as the option's value; false when there is none.
    bool value(std::string& v);

  private:
    const std::vector<std::string>& args_;
    std::size_t index_ = std::size_t(-1);
};

// A whole-text number with a full stop (one leading '+' allowed); false for anything else, or a
// value that is not finite.
bool parseNumber(const std::string& text, double& value);

// A whole-text decimal integer within lo..hi (as strtol reads it).
bool parseInteger(const std::string& text, long lo, long hi, long& value);

// One of the link speeds in bits per second.
bool parseLinkSpeed(const std::string& text, int& baud);

// "orvo-cli COMMAND: TEXT", a blank line and the command's help on stderr; returns the usage
// exit status 2.
int usageError(const char* command, const std::string& text, const char* help);

} // namespace orvo::cli
