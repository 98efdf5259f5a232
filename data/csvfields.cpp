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
    m_fields.push_back({std::string_view(), m_fieldQuoted});
    m_fieldStart = m_keep = m_text.size();
    m_inField = m_fieldQuoted = false;
}

bool CsvRecordReader::next() {
    m_fields.clear();
    m_broken = false;
    m_lines = 0;
    m_start = m_in.tell();
    std::string_view line;
    if (!m_in.readLine(line)) return false;
    m_lines = 1;
    m_firstLine = line;
    if (!splitPlain(line)) readQuoted(line);
    return true;
}

bool CsvRecordReader::splitPlain(std::string_view line) {
    const char* p = line.data();
    const char* const end = p + line.size();
    const char sep = m_separator;
    if (sep == BlankSeparator) {
        // Fields are the runs of other characters; an empty line has none.
        for (;;) {
            while (p < end && isBlank(*p))
                ++p;
            if (p == end) return true;
            if (*p == '"') return false;
            const char* const begin = p;
            while (p < end && !isBlank(*p))
                ++p;
            m_fields.push_back({std::string_view(begin, static_cast<std::size_t>(p - begin)), false});
        }
    }
    for (;;) {
        // Blanks before and after a field's text are not part of it (a tab is when it separates).
        while (p < end && *p != sep && isBlank(*p))
            ++p;
        if (p < end && *p == '"') return false;
        const char* const begin = p;
        while (p < end && *p != sep)
            ++p;
        const char* last = p;
        while (last > begin && isBlank(last[-1]))
            --last;
        m_fields.push_back({std::string_view(begin, static_cast<std::size_t>(last - begin)), false});
        if (p == end) return true;
        ++p;
    }
}

void CsvRecordReader::readQuoted(std::string_view line) {
    m_fields.clear();
    m_text.clear();
    m_bounds.clear();
    m_fieldStart = m_keep = 0;
    m_inField = m_fieldQuoted = false;
    const bool blanks = m_separator == BlankSeparator;
    State state = State::FieldStart;
    for (;;) {
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
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
            case State::AfterQuote: { // text after a closing quote is kept as part of the field
                // The text up to the separator, or the line's end, as it stands.
                std::size_t to = i;
                while (to < line.size() && line[to] != m_separator && !(blanks && isBlank(line[to])))
                    ++to;
                m_text.append(line.data() + i, to - i);
                i = to;
                if (to < line.size()) {
                    endField();
                    state = State::FieldStart;
                }
                break;
            }
            case State::Quoted: {
                // The quoted text up to the next quote, or the line's end, as it stands.
                const std::size_t quote = line.find('"', i);
                const std::size_t to = quote == std::string_view::npos ? line.size() : quote;
                m_text.append(line.data() + i, to - i);
                i = to;
                if (quote != std::string_view::npos) state = State::QuoteSeen;
                break;
            }
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
        if (state == State::Quoted && m_text.size() - m_fieldStart <= m_maxBytes) {
            // The field goes on on the next line; the first line is kept past the reader's next line.
            if (m_lines == 1) {
                m_firstLineCopy.assign(m_firstLine);
                m_firstLine = m_firstLineCopy;
            }
            if (m_in.readLine(line)) {
                ++m_lines;
                m_text += '\n'; // the line break inside the quotes
                continue;
            }
            // The text ended inside quotes.
            m_broken = true;
            endField();
            break;
        }
        // A quoted field that has run past every sensible length ends the record.
        if (state == State::Quoted) m_broken = true;
        if (state == State::QuoteSeen) m_keep = m_text.size();
        // The last field; with blanks as separator only when it has text.
        if (m_inField || !blanks) endField();
        break;
    }
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i].text =
            std::string_view(m_text).substr(m_bounds[2 * i], m_bounds[2 * i + 1] - m_bounds[2 * i]);
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
