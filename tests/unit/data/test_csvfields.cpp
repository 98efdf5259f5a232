// The record reader of other programs' CSV files: RFC 4180 fields (quoted separators, doubled
// quotes, line breaks inside quotes), the separators and leniencies spreadsheets allow, and a
// quote that never closes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "data/csvfields.h"
#include "data/inputfile.h"

using namespace orvo;

namespace {

using Records = std::vector<std::vector<std::string>>;

Records readAll(const std::string& text, char separator, std::size_t maxBytes = std::size_t{1} << 24,
                int* broken = nullptr) {
    LineReader in(text);
    CsvRecordReader rec(in, separator, maxBytes);
    Records out;
    while (rec.next()) {
        if (broken && rec.broken()) ++*broken;
        std::vector<std::string> fields;
        for (std::size_t i = 0; i < rec.size(); ++i)
            fields.emplace_back(rec.field(i));
        out.push_back(fields);
    }
    return out;
}

} // namespace

TEST(CsvFields, RecordsAsRfc4180AndSpreadsheetsReadThem) {
    struct Case {
        const char* what;
        std::string text;
        char separator;
        Records records;
        int broken = 0;
    };
    const std::vector<Case> cases = {
        {"plain fields", "a,b,c\n", ',', {{"a", "b", "c"}}},
        {"a quoted separator", "0.1,\"21,5\",101\n", ',', {{"0.1", "21,5", "101"}}},
        {"doubled quotes", "\"say \"\"hi\"\"\",x\n", ',', {{"say \"hi\"", "x"}}},
        {"a line break inside quotes",
         "\"line1\nline2\",z\nnext,row\n",
         ',',
         {{"line1\nline2", "z"}, {"next", "row"}}},
        {"CR LF inside quotes and after", "\"a\r\nb\",c\r\nd,e\r\n", ',', {{"a\nb", "c"}, {"d", "e"}}},
        {"empty fields", ",,\n\"\",x\n", ',', {{"", "", ""}, {"", "x"}}},
        {"blanks around fields", " a , \"b \" ,c \n", ',', {{"a", "b ", "c"}}},
        {"a quote inside an unquoted field", "5'3\",x\n", ',', {{"5'3\"", "x"}}},
        {"text after a closing quote", "\"ab\"cd,e\n", ',', {{"abcd", "e"}}},
        {"semicolons and a decimal comma", "0,5;\"x;y\"\n", ';', {{"0,5", "x;y"}}},
        {"runs of blanks", "  1   2\t\"a b\"  \n", BlankSeparator, {{"1", "2", "a b"}}},
        {"empty tab fields", "1\t\t3\n", '\t', {{"1", "", "3"}}},
        {"an empty line", "a\n\nb\n", ',', {{"a"}, {""}, {"b"}}},
        {"a quote that never closes", "a,\"bc\nd\n", ',', {{"a", "bc\nd"}}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int broken = 0;
        EXPECT_EQ(readAll(c.text, c.separator, std::size_t{1} << 24, &broken), c.records);
        EXPECT_EQ(broken, c.broken);
    }
}

TEST(CsvFields, SeparatorAndFieldCountLookOutsideQuotes) {
    struct Case {
        const char* line;
        char separator;
        std::size_t fields;
    };
    for (const Case& c : std::vector<Case>{{"a,\"b;c\",d", ',', 3},
                                           {"a;b,c", ';', 2},
                                           {"a\tb,c", '\t', 2},
                                           {"1 2   3", BlankSeparator, 3},
                                           {"\"x|y\"|z", '|', 2},
                                           {"a,b,", ',', 3}}) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(separatorOf(c.line), c.separator);
        EXPECT_EQ(countFields(c.line, c.separator), c.fields);
        EXPECT_EQ(splitFields(c.line, c.separator).size(), c.fields);
    }
}

TEST(CsvFields, AQuoteOpenPastTheLimitEndsItsRecordAndReadingGoesOn) {
    std::string text = "1,\"never closed\n";
    for (int i = 0; i < 200; ++i)
        text += "2,3\n";
    int broken = 0;
    const Records r = readAll(text, ',', 64, &broken);
    EXPECT_EQ(broken, 1);
    ASSERT_GT(r.size(), 150u); // the rows after the limit are rows again
    EXPECT_EQ(r.back(), (std::vector<std::string>{"2", "3"}));
}

TEST(CsvFields, LinesPastTheLimitAreCutAndTheNextLineIsWhole) {
    const std::string text = std::string(5000, 'x') + "\nshort\n" + std::string(300, 'y');
    LineReader in(text);
    in.setLineLimit(100);
    std::string_view line;
    ASSERT_TRUE(in.readLine(line));
    EXPECT_EQ(line, std::string(100, 'x'));
    ASSERT_TRUE(in.readLine(line));
    EXPECT_EQ(line, "short");
    ASSERT_TRUE(in.readLine(line));
    EXPECT_EQ(line.size(), 100u);
    EXPECT_FALSE(in.readLine(line));
    EXPECT_EQ(in.cutLines(), 2u);
}

// Rows split where the reader holds them and rows gathered around their quotes give the same
// records, read from the text whole or from a file a few bytes at a time (a row's fields and first
// line outlive the reader's next chunk only as long as they should).
TEST(CsvFields, PlainAndQuotedRowsReadAlikeFromTextAndFromAFileInChunks) {
    struct Record {
        std::vector<std::string> fields;
        std::vector<bool> quoted;
        std::string firstLine;
        int lines;
        bool operator==(const Record&) const = default;
    };
    auto read = [](LineReader& in, char separator) {
        CsvRecordReader rec(in, separator);
        std::vector<Record> out;
        while (rec.next()) {
            Record r{{}, {}, std::string(rec.firstLine()), rec.lines()};
            for (std::size_t i = 0; i < rec.size(); ++i) {
                r.fields.emplace_back(rec.field(i));
                r.quoted.push_back(rec.quoted(i));
            }
            out.push_back(r);
        }
        return out;
    };
    const std::string path = testing::TempDir() + "/csvfields_chunks.csv";
    const std::vector<std::pair<std::string, char>> texts = {
        {"0.05, 812.25 ,x\n\"0.10\",\"a,b\" , 5'3\"\r\n\"two\nlines\",z\n0.15,,\n", ','},
        {"1;\"x;\"\"y\"\"\"\n 2 ; 3\n", ';'},
        {"  1   2\t\"a b\"\n3 4\n\n\"open\n5 6\n", BlankSeparator},
    };
    for (const auto& [text, separator] : texts) {
        SCOPED_TRACE(text);
        LineReader whole(text);
        const std::vector<Record> expected = read(whole, separator);
        ASSERT_GE(expected.size(), 2u);
        EXPECT_EQ(expected[0].firstLine, text.substr(0, text.find_first_of("\r\n")));
        {
            std::FILE* out = std::fopen(path.c_str(), "wb");
            ASSERT_NE(out, nullptr);
            std::fwrite(text.data(), 1, text.size(), out);
            std::fclose(out);
        }
        for (std::size_t chunk : {1u, 3u, 7u}) {
            SCOPED_TRACE(chunk);
            platform::File file = openRegularFile(path);
            ASSERT_TRUE(file.isOpen());
            LineReader in(file, chunk);
            EXPECT_EQ(read(in, separator), expected);
        }
    }
    std::remove(path.c_str());
}
