#include "data/csvfields.h"

namespace orvo {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

enum class State { FieldStart, Unquoted, Quoted, QuoteSeen, AfterQuote };

} // namespace

void CsvRecordReader::endField() {
    // Blanks after the field's text are not part of it; quoted text keeps its own.
    std::size_t end = m_text.size();
    while (end > m_keep && end > m_fieldStart && isBlank(m_text[end - 1]))
        --end;
    m_text.resize(end);
    m_bounds.push_back(m_fieldStart);
    m_bounds.push_back(end);
    m_quoted.push_back(m_fieldQuoted ? 1 : 0);
    m_fieldStart = m_keep = m_text.size();
    m_inField = m_fieldQuoted = false;
}

bool CsvRecordReader::next() {
    m_text.clear();
    m_bounds.clear();
    m_quoted.clear();
    m_fieldStart = m_keep = 0;
    m_inField = m_fieldQuoted = false;
    m_broken = false;
    m_lines = 0;
    m_start = m_in.tell();
    const bool blanks = m_separator == BlankSeparator;
    State state = State::FieldStart;
    std::string_view line;
    while (m_in.readLine(line)) {
        if (m_lines == 0) m_firstLine.assign(line);
        ++m_lines;
        if (state == State::Quoted) m_text += '\n'; // the line break inside the quotes
        for (const char c : line) {
            switch (state) {
            case State::FieldStart:
                if (isBlank(c) && (blanks || c != m_separator)) break;
                if (c == m_separator) {
                    endField();
                    break;
                }
                m_inField = true;
                if (c == '"') {
                    m_fieldQuoted = true;
                    state = State::Quoted;
                } else {
                    m_text += c;
                    state = State::Unquoted;
                }
                break;
            case State::Unquoted:
            case State::AfterQuote: // text after a closing quote is kept as part of the field
                if (c == m_separator || (blanks && isBlank(c))) {
                    endField();
                    state = State::FieldStart;
                } else {
                    m_text += c;
                }
                break;
            case State::Quoted:
                if (c == '"')
                    state = State::QuoteSeen;
                else
                    m_text += c;
                break;
            case State::QuoteSeen:
                if (c == '"') {
                    m_text += '"';
                    state = State::Quoted;
                    break;
                }
                m_keep = m_text.size();
                if (c == m_separator || (blanks && isBlank(c))) {
                    endField();
                    state = State::FieldStart;
                } else {
                    if (!isBlank(c)) m_text += c;
                    state = State::AfterQuote;
                }
                break;
            }
        }
        if (state == State::Quoted) {
            // The field goes on on the next line, unless it has run past every sensible length.
            if (m_text.size() - m_fieldStart <= m_maxBytes) continue;
            m_broken = true;
        }
        if (state == State::QuoteSeen) m_keep = m_text.size();
        // The last field; with blanks as separator only when it has text.
        if (m_inField || !blanks) endField();
        return true;
    }
    if (m_lines == 0) return false;
    // The text ended inside quotes.
    m_broken = true;
    endField();
    return true;
}

std::vector<std::string> splitFields(std::string_view line, char separator) {
    LineReader in(line);
    CsvRecordReader record(in, separator, line.size() + 1);
    std::vector<std::string> fields;
    if (!record.next()) return fields;
    fields.reserve(record.size());
    for (std::size_t i = 0; i < record.size(); ++i)
        fields.emplace_back(record.field(i));
    return fields;
}

std::size_t countFields(std::string_view line, char separator) {
    const bool blanks = separator == BlankSeparator;
    std::size_t count = 0;
    bool quoted = false;
    bool inField = false;
    for (const char c : line) {
        if (c == '"') quoted = !quoted;
        if (quoted) {
            inField = true;
            continue;
        }
        if (c == separator || (blanks && isBlank(c))) {
            if (!blanks || inField) ++count;
            inField = false;
        } else if (!isBlank(c)) {
            inField = true;
        }
    }
    if (!blanks || inField) ++count;
    return count;
}

char separatorOf(std::string_view line) {
    bool seen[4] = {};
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        seen[0] = seen[0] || c == '\t';
        seen[1] = seen[1] || c == ';';
        seen[2] = seen[2] || c == ',';
        seen[3] = seen[3] || c == '|';
    }
    const char order[4] = {'\t', ';', ',', '|'};
    for (int i = 0; i < 4; ++i)
        if (seen[i]) return order[i];
    return BlankSeparator;
}

} // namespace orvo
