// Writing tables and the corpus out: the TSV and CSV records, the file
// that appears only when complete, and the vertical corpus file.
#include <expat.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "analysis/table_export.h"
#include "analysis/vrt_export.h"
#include "support/corpus_builder.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

using test::TempDir;

TEST(TableRecord, CsvQuotesWhatWouldSplitAFieldTsvKeepsOneLinePerRecord) {
    const std::vector<std::string> fields = {"plain", "say \"hi\"", "a,b", "tab\there", "two\nlines", "cr\r", ""};
    std::string csv, tsv;
    AppendRecord(csv, fields, TableFormat::Csv);
    AppendRecord(tsv, fields, TableFormat::Tsv);
    EXPECT_EQ(csv, "plain,\"say \"\"hi\"\"\",\"a,b\",\"tab\there\",\"two\nlines\",\"cr\r\",\r\n");
    EXPECT_EQ(tsv, "plain\tsay \"hi\"\ta,b\ttab here\ttwo lines\tcr\r\t\n");
    EXPECT_EQ(TableFormatForPath(u"/x/out.CSV"), TableFormat::Csv);
    EXPECT_EQ(TableFormatForPath(u"/x/out.tsv"), TableFormat::Tsv);
    EXPECT_EQ(TableFormatForPath(u"/x/csv"), TableFormat::Tsv);
}

// A table of `rows` rows of two fields.
class NumberTable : public ITableModel {
public:
    explicit NumberTable(std::size_t rows) : m_rows(rows) {}
    std::vector<TableColumn> Columns() const override { return {{u"n"}, {u"text"}}; }
    std::size_t RowCount() const override { return m_rows; }
    std::u16string CellText(std::size_t, int) const override { return {}; }
    std::vector<std::string> ExportHeader() const override { return {"n", "text"}; }
    void ExportRow(std::size_t row, std::vector<std::string>& fields) const override {
        fields = {std::to_string(row), row % 2 ? "x,y" : "日本"};
    }

private:
    std::size_t m_rows;
};

// Stops the export after it has reported progress `after` times.
class StopAfter : public IJobProgress {
public:
    StopAfter(std::stop_source& source, int after) : m_source(source), m_after(after) {}
    void Report(const std::u16string&, int) override {
        if (--m_after <= 0) m_source.request_stop();
    }

private:
    std::stop_source& m_source;
    int m_after;
};

TEST(ExportTable, WritesHeaderAndRowsAndReplacesTheFileOnlyWhenComplete) {
    TempDir dir;
    const std::u16string path = dir.File("out.csv");
    NullJobProgress quiet;
    ASSERT_TRUE(ExportTable(NumberTable(2), path, TableFormat::Csv, true, {}, quiet).done());
    const std::string written = "\xEF\xBB\xBFn,text\r\n0,日本\r\n1,\"x,y\"\r\n";
    EXPECT_EQ(test::ReadFileBytes(dir.NativeFile("out.csv")), written);
    struct stat status {};
    ASSERT_EQ(stat(dir.NativeFile("out.csv").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0666u & ~022u) << "as any new file, not the temporary file's 0600";

    // A stopped export of a large table leaves the earlier file as it was
    // and nothing else behind.
    std::stop_source source;
    StopAfter stopper(source, 2);
    EXPECT_EQ(ExportTable(NumberTable(100000), path, TableFormat::Csv, true, source.get_token(), stopper).outcome,
              JobOutcome::Stopped);
    EXPECT_EQ(test::ReadFileBytes(dir.NativeFile("out.csv")), written);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    // A folder that cannot be written: a failure with the reason, no file.
    EXPECT_EQ(ExportTable(NumberTable(1), dir.File("missing/out.tsv"), TableFormat::Tsv, false, {}, quiet).outcome,
              JobOutcome::Failed);

    // Through a link: the file it names is replaced, the link stays.
    std::filesystem::create_symlink(dir.NativeFile("out.csv"), dir.NativeFile("link.tsv"));
    ASSERT_TRUE(ExportTable(NumberTable(1), dir.File("link.tsv"), TableFormat::Tsv, false, {}, quiet).done());
    EXPECT_TRUE(std::filesystem::is_symlink(dir.NativeFile("link.tsv")));
    EXPECT_EQ(test::ReadFileBytes(dir.NativeFile("out.csv")), "0\t日本\n");
}

// Counts of a VRT file parsed as XML inside a root element.
struct VrtParse {
    bool wellFormed = false;
    std::string error;
    int texts = 0, lines = 0;
    std::vector<std::string> paths;
    std::string all;  // all character data, for token lines
};

VrtParse ParseVrt(const std::string& bytes) {
    VrtParse result;
    XML_Parser parser = XML_ParserCreate("UTF-8");
    XML_SetUserData(parser, &result);
    XML_SetElementHandler(
        parser,
        [](void* data, const XML_Char* name, const XML_Char** attributes) {
            auto* r = static_cast<VrtParse*>(data);
            const std::string element = name;
            if (element == "text") {
                ++r->texts;
                for (int i = 0; attributes[i] != nullptr; i += 2)
                    if (std::string(attributes[i]) == "path") r->paths.push_back(attributes[i + 1]);
            }
            if (element == "l") ++r->lines;
        },
        [](void*, const XML_Char*) {});
    XML_SetCharacterDataHandler(parser, [](void* data, const XML_Char* s, int length) {
        static_cast<VrtParse*>(data)->all.append(s, static_cast<std::size_t>(length));
    });
    const std::string document = "<corpus>\n" + bytes + "</corpus>\n";
    result.wellFormed = XML_Parse(parser, document.data(), static_cast<int>(document.size()), 1) == XML_STATUS_OK;
    if (!result.wellFormed) result.error = XML_ErrorString(XML_GetErrorCode(parser));
    XML_ParserFree(parser);
    return result;
}

TEST(ExportVrt, ParsesAsXmlWithTheCorpusCountsAndEscapedText) {
    TempDir dir;
    const std::u16string path = dir.File("c.zorviacorpusdb");
    CCorpusDatabase db;
    test::OpenCorpus(db, path);
    // Words with markup characters, a CR, a control character and U+FFFF.
    test::AddFile(db, "/a \"&\" <b>.txt", {"x&y <b> \"q\"", "", "cr\r z\x01z \xEF\xBF\xBF"});
    test::AddFile(db, "/empty.txt", {});
    test::AddFile(db, "/c.txt", {"one two", "three"});
    ASSERT_TRUE(db.Exec(u"DELETE FROM word WHERE word = 'two'"));
    const auto exportOnce = [&](const char* name) {
        const int words = test::QueryInt(db, u"SELECT count(*) FROM word");
        CCorpusReader reader;
        EXPECT_TRUE(reader.Open(path));
        NullJobProgress quiet;
        VrtCounts counts;
        EXPECT_TRUE(ExportVrt(reader, dir.File(name), {}, quiet, &counts).done());
        EXPECT_EQ(counts.texts, 3);
        EXPECT_EQ(counts.tokens, words);
        return test::ReadFileBytes(dir.NativeFile(name));
    };
    const std::string vrt = exportOnce("out.vrt");
    const VrtParse parsed = ParseVrt(vrt);
    ASSERT_TRUE(parsed.wellFormed) << parsed.error << "\n" << vrt;
    EXPECT_EQ(parsed.texts, 3);
    EXPECT_EQ(parsed.lines, 4);
    EXPECT_EQ(parsed.paths, (std::vector<std::string>{"/a \"&\" <b>.txt", "/empty.txt", "/c.txt"}));
    // The token lines as a parser reads them back: entities decoded, the CR
    // kept, forbidden characters replaced.
    std::vector<std::string> tokenLines;
    std::size_t from = 0;
    for (std::size_t end; (end = parsed.all.find('\n', from)) != std::string::npos; from = end + 1)
        if (parsed.all.find('\t', from) < end) tokenLines.push_back(parsed.all.substr(from, end - from));
    EXPECT_EQ(tokenLines, (std::vector<std::string>{"x&y\tX&Y", "<b>\t<B>", "q\tQ", "cr\r\tCR\r",
                                                    "z\xEF\xBF\xBDz\tZ\xEF\xBF\xBDZ", "\xEF\xBF\xBD\t\xEF\xBF\xBD",
                                                    "one\tONE", "three\tTHREE"}));
    EXPECT_NE(vrt.find("<l n=\"2\">\ncr&#13;\tCR&#13;\n"), std::string::npos) << "a CR keeps its token on one line";
    EXPECT_EQ(vrt.substr(0, 6), "<text ");

    // Rows whose ids do not follow the files' order are written in file
    // order all the same.
    ASSERT_TRUE(db.Exec(u"INSERT INTO line VALUES (0, 3, 9, 'early')"));
    ASSERT_TRUE(db.Exec(u"INSERT INTO word VALUES (0, 0, 'early', 'EARLY')"));
    const std::string reordered = exportOnce("reordered.vrt");
    EXPECT_TRUE(ParseVrt(reordered).wellFormed);
    EXPECT_NE(reordered.find("path=\"/c.txt\">\n<l n=\"9\">\nearly\tEARLY\n</l>\n<l n=\"0\">\none\tONE\n"),
              std::string::npos)
        << reordered;
}

}  // namespace
}  // namespace zorvia
