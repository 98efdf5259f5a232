// The fields of comma-separated text as RFC 4180 has them: a field in double quotes may hold the
// separator, line breaks and doubled quotes ("say ""hi"""); an unquoted field ends at the next
// separator or line end. Blanks around a field are not part of it. Beyond the RFC, as the
// spreadsheets read them: a separator other than a comma (semicolon, tab, bar, or runs of blanks),
// a quote inside an unquoted field taken as it stands, and text after a closing quote kept.
//
// The records are read from a LineReader one at a time: a row on which no field opens with a quote
// is split where the reader holds it, the fields of any other gathered into a buffer that is
// reused, so reading a file costs no allocation per row and never more memory than its longest
// record.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "data/datafile.h"

namespace orvo {

// ' ' stands for runs of blanks and tabs.
constexpr char BlankSeparator = ' ';

class CsvRecordReader {
  public:
    // A quoted field that runs over more than maxRecordBytes (an opening quote never closed) ends
    // its record there, which is then broken().
    CsvRecordReader(LineReader& in, char separator, std::size_t maxRecordBytes = std::size_t{1} << 24)
        : m_in(in), m_separator(separator), m_maxBytes(maxRecordBytes) {}
    CsvRecordReader(const CsvRecordReader&) = delete;
    CsvRecordReader& operator=(const CsvRecordReader&) = delete;

    // Reads the next record; false at the end of the text. An empty line is a record of one empty
    // field (of none with the blank separator).
    bool next();
    std::size_t size() const { return m_fields.size(); }
    // Field i; like firstLine(), valid until the next call of next().
    std::string_view field(std::size_t i) const { return m_fields[i].text; }
    // Whether field i was written in quotes (a quoted number is still a number, but a quoted
    // field never starts a comment).
    bool quoted(std::size_t i) const { return m_fields[i].quoted; }
    // The stream position of the record's first line.
    std::size_t start() const { return m_start; }
    // The lines the record took (more than one when a quoted field holds line breaks).
    int lines() const { return m_lines; }
    bool broken() const { return m_broken; }
    // The record's first line as the file has it (valid until the next call of next()).
    std::string_view firstLine() const { return m_firstLine; }

  private:
    struct Field {
        std::string_view text;
        bool quoted;
    };
    // A line on which no field opens with a quote is split where it lies, nothing copied: the
    // fields of nearly every row. False when a field opens with a quote.
    bool splitPlain(std::string_view line);
    // The record that starts on line, quotes and all, its fields' contents gathered in m_text.
    void readQuoted(std::string_view line);
    void endField();

    LineReader& m_in;
    char m_separator;
    std::size_t m_maxBytes;
    std::vector<Field> m_fields;
    std::string_view m_firstLine;
    // The record being read with quotes: its fields' contents one after the other, the begin and
    // end of each field in m_text, and its first line once a line after it is read.
    std::string m_text;
    std::vector<std::size_t> m_bounds;
    std::string m_firstLineCopy;
    std::size_t m_fieldStart = 0;
    std::size_t m_keep = 0; // m_text up to here survives trimming (the end of quoted text)
    bool m_inField = false;
    bool m_fieldQuoted = false;
    std::size_t m_start = 0;
    int m_lines = 0;
    bool m_broken = false;
};

// The fields of one line (a header), read as the record reader reads a record on one line.
std::vector<std::string> splitFields(std::string_view line, char separator);
// How many fields the line has with separator, quotes taken into account; a line that ends inside
// quotes counts what it has.
std::size_t countFields(std::string_view line, char separator);
// The separator one line uses: a tab, else a semicolon, else a comma, else a bar, else runs of
// blanks, each only when it stands outside quotes.
char separatorOf(std::string_view line);

} // namespace orvo
