// The word rule of a corpus: the cut of MeCab corpora, the record in the
// file, and a Japanese corpus searched, listed, previewed and cleaned of
// stop words through the rule.
#include "corpus/word_rule.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "analysis/kwic.h"
#include "concordance/concordance_search.h"
#include "concordance/hit_lookups.h"
#include "concordance/kwic_item.h"
#include "corpus/database_files.h"
#include "corpus/file_import.h"
#include "corpus/stopword_removal.h"
#include "corpus_fakes.h"
#include "html/preview_page.h"
#include "support/test_support.h"
#include "wordlist/word_list.h"

namespace zorvia {
namespace {

using test::N;
using test::W;

// The dictionary the expectations were written for, named as a user would.
constexpr char16_t kIpadic[] = u"ipadic-utf8";

std::u16string Ipadic() { return ResolveMecabDictionary(kIpadic).directory; }

std::u16string Joined(const std::vector<std::u16string>& words) {
    std::u16string out;
    for (const std::u16string& word : words) out += (out.empty() ? u"" : u" ") + word;
    return out;
}

TEST(WordRule, MecabCutsOnlyTheRunsThatHoldJapanese) {
    ASSERT_FALSE(Ipadic().empty()) << N(ResolveMecabDictionary(kIpadic).error);
    CWordRule separators;
    CWordRule mecab(WordRuleKind::Mecab, Ipadic());
    struct Case {
        const char* line;
        const char* bySeparators;
        const char* byMecab;
    };
    const Case cases[] = {
        {"Tom wrote that 日本 was far, but", "Tom wrote that 日本 was far but", "Tom wrote that 日本 was far but"},
        {"日本の春は、川沿いの桜", "日本の春は、川沿いの桜", "日本 の 春 は 、 川 沿い の 桜"},
        // The ideographic space is no separator; as a morpheme of its own
        // it is white space and dropped. Half-width Katakana is Japanese.
        {"e-mail　ｶﾀｶﾅの看板", "e mail　ｶﾀｶﾅの看板", "e mail ｶﾀｶﾅ の 看板"},
        {"𠮷野家で食べた", "𠮷野家で食べた", "𠮷 野家 で 食べ た"},
        {"don't ,;:", "don t", "don t"},
    };
    for (const Case& c : cases) {
        const std::u16string line = W(c.line);
        EXPECT_EQ(Joined(separators.SplitWords(line)), W(c.bySeparators)) << c.line;
        EXPECT_EQ(Joined(SplitWords(line)), W(c.bySeparators)) << c.line;
        EXPECT_EQ(Joined(mecab.SplitWords(line)), W(c.byMecab)) << c.line;
    }
    // Spans count UTF-16 units: the surrogate pair is two.
    std::vector<WordSpan> spans;
    ASSERT_TRUE(mecab.WordSpans(W("x 𠮷野家"), spans));
    EXPECT_EQ(spans, (std::vector<WordSpan>{{0, 1}, {2, 2}, {4, 2}}));
}

TEST(WordRule, AnOccurrenceIsTheNthWordOfTheRuleNotTheNthSubstring) {
    CWordRule mecab(WordRuleKind::Mecab, Ipadic());
    const std::u16string line = W("日本語と日本と日本中");  // 日本語 と 日本 と 日本 中
    EXPECT_EQ(mecab.FindOccurrence(line, line, u"日本", 0), 4u);
    EXPECT_EQ(mecab.FindOccurrence(line, line, u"日本", 1), 7u);
    EXPECT_EQ(mecab.FindOccurrence(line, line, u"日本", 2), kNotFound);
    EXPECT_EQ(mecab.FindOccurrence(line, line, u"日本", -1), kNotFound);
    // The separators find whole words between separators, as always.
    CWordRule separators;
    EXPECT_EQ(separators.FindOccurrence(u"ABC ABCD ABC", u"ABC ABCD ABC", u"ABC", 1), 9u);
    EXPECT_EQ(separators.FindOccurrence(line, line, u"日本", 0), kNotFound);
    // A dictionary that does not load cuts nothing; occurrences are found as
    // text (the corpus is then only searched).
    CWordRule broken(WordRuleKind::Mecab, u"/nonexistent/dictionary");
    EXPECT_FALSE(broken.CanCut());
    EXPECT_TRUE(broken.SplitWords(line).empty());
    EXPECT_EQ(broken.FindOccurrence(line, line, u"日本", 1), 4u);
}

class WordRuleCorpus : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDatabaseWithSchema(db, path));
    }
    ImportOutcome Import(const std::u16string& file, const std::u16string& dictionary = kIpadic) {
        ImportOptions options;
        options.mecabDictionary = dictionary;
        return ImportOneFile(db, file, prompt, progress, status, options);
    }
    std::u16string Sample() const { return W(ZORVIA_SAMPLE_DIR "/japanese-morphemes.txt"); }
    int Objects() { return test::QueryInt(db, u"SELECT count(*) FROM sqlite_master"); }

    test::TempDir dir;
    std::u16string path = dir.File("c.zorviacorpusdb");
    CCorpusDatabase db;
    test::FakePrompt prompt;
    test::FakeProgress progress;
    test::FakeStatus status;
};

TEST_F(WordRuleCorpus, RecordedOnlyWhenSetAndChangedOnlyWhileNoFileIsRegistered) {
    EXPECT_EQ(SetCorpusWordRule(db, WordRuleKind::Separators, kIpadic).result, WordRuleChange::Set);
    EXPECT_EQ(Objects(), 5);
    ASSERT_EQ(SetCorpusWordRule(db, WordRuleKind::Mecab, kIpadic).result, WordRuleChange::Set);
    EXPECT_EQ(test::QueryRows(db, u"SELECT key, value FROM corpus_setting ORDER BY key"),
              (std::vector<std::u16string>{u"mecab-dictionary|" + Ipadic(), u"word-rule|mecab"}));
    EXPECT_EQ(db.WordRule().Kind(), WordRuleKind::Mecab);
    // Back to the separators: the file has exactly the tables of any corpus again.
    ASSERT_EQ(SetCorpusWordRule(db, WordRuleKind::Separators, kIpadic).result, WordRuleChange::Set);
    EXPECT_EQ(Objects(), 5);
    EXPECT_TRUE(db.WordRule().IsSeparators());

    ASSERT_EQ(SetCorpusWordRule(db, WordRuleKind::Mecab, kIpadic).result, WordRuleChange::Set);
    ASSERT_EQ(Import(Sample()).result, ImportResult::Committed);
    for (const WordRuleKind kind : {WordRuleKind::Separators, WordRuleKind::Mecab}) {
        const WordRuleChangeOutcome refused = SetCorpusWordRule(db, kind, kIpadic);
        EXPECT_EQ(refused.result, WordRuleChange::Refused);
        EXPECT_NE(refused.message.find(u"ファイルが登録されている"), std::u16string::npos) << N(refused.message);
    }
    // Another connection reads the same rule from the file.
    CCorpusDatabase other;
    ASSERT_TRUE(other.OpenReadOnly(path));
    EXPECT_EQ(other.WordRule().Kind(), WordRuleKind::Mecab);
    EXPECT_EQ(other.WordRule().Dictionary(), Ipadic());
}

TEST_F(WordRuleCorpus, JapaneseInsideSentencesIsFoundListedDrawnAndMarked) {
    ASSERT_EQ(SetCorpusWordRule(db, WordRuleKind::Mecab, kIpadic).result, WordRuleChange::Set);
    ASSERT_EQ(Import(Sample()).result, ImportResult::Committed);

    std::vector<ConcordanceHit> hits = SearchConcordance(db, u"日本", 50);
    ASSERT_EQ(hits.size(), 4u);
    const std::vector<WordListRow> rows = QueryWordsStartingWith(db, u"日本", 20);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].word + u" " + FormatInt(rows[0].count), u"日本 4");
    EXPECT_EQ(rows[1].word + u" " + FormatInt(rows[1].count), u"日本語 1");

    // The key of each KWIC line is 日本 where the sentence has it, the
    // mixed English line included.
    const char* around[][2] = {{"", "の春は"},
                               {"ここの水こそ", "でいちばん"},
                               {"Tom wrote that ", " was far"},
                               {"若いころ、", "中を歩いて"}};
    LineCache cache;
    for (std::size_t i = 0; i < hits.size(); ++i) {
        const auto text = PrepareKwicItem(db, hits[i], cache, u"日本", static_cast<int>(i));
        ASSERT_TRUE(text) << i;
        EXPECT_EQ(text->key, u"日本");
        EXPECT_TRUE(text->left.ends_with(W(around[i][0]))) << N(text->left);
        EXPECT_TRUE(text->right.starts_with(W(around[i][1]))) << N(text->right);
    }

    // The preview marks every 日本 of the window, the hit's as the target,
    // and leaves 日本語 alone.
    const PreviewPage page = BuildPreviewPage(db, hits[3], u"日本", u"日本", 100, u"");
    const std::u16string& marked = page.firstPiece;
    EXPECT_NE(marked.find(W("ころ、<span id=\"theTarget\"><em>日本</em></span>中を")), std::u16string::npos);
    EXPECT_NE(marked.find(W("<span><em>日本</em></span>の春は")), std::u16string::npos);
    EXPECT_NE(marked.find(W("that <span><em>日本</em></span> was")), std::u16string::npos);
    EXPECT_NE(marked.find(W("彼女は日本語で")), std::u16string::npos);
    std::size_t spans = 0;
    for (std::size_t p = marked.find(u"<span"); p != std::u16string::npos; p = marked.find(u"<span", p + 1)) ++spans;
    EXPECT_EQ(spans, 4u);

    // Typed for an analysis, the node is cut into the corpus's words.
    EXPECT_EQ(NodeInWordsOf(db.WordRule(), W("日本中 日本*")), W("日本 中 日本*"));
    CWordRule separators;
    EXPECT_EQ(NodeInWordsOf(separators, W("日本中")), W("日本中"));
}

TEST_F(WordRuleCorpus, AStopWordListIsCutByTheRuleOfTheCorpus) {
    ASSERT_EQ(SetCorpusWordRule(db, WordRuleKind::Mecab, kIpadic).result, WordRuleChange::Set);
    ASSERT_EQ(Import(Sample()).result, ImportResult::Committed);
    const int before = test::QueryInt(db, u"SELECT count(*) FROM word");
    const int particles = test::QueryInt(db, u"SELECT count(*) FROM word WHERE word_upper = 'の'");
    // One line, two words: 日本 and の.
    const StopWordOutcome outcome =
        DeleteWordsInFile(db, dir.Write("stop.txt", "日本の\n"), prompt, progress, status, {});
    ASSERT_EQ(outcome.result, StopWordResult::Deleted);
    EXPECT_EQ(outcome.statements, 2);
    EXPECT_EQ(test::QueryInt(db, u"SELECT count(*) FROM word"), before - 4 - particles);
    EXPECT_TRUE(SearchConcordance(db, u"日本", 50).empty());
    EXPECT_EQ(SearchConcordance(db, u"日本語", 50).size(), 1u);
}

TEST_F(WordRuleCorpus, WithoutItsDictionaryTheCorpusIsOnlySearchedAndNothingIsAdded) {
    ASSERT_EQ(SetCorpusWordRule(db, WordRuleKind::Mecab, kIpadic).result, WordRuleChange::Set);
    ASSERT_EQ(Import(Sample()).result, ImportResult::Committed);
    ASSERT_TRUE(db.Exec(u"UPDATE corpus_setting SET value = '" + dir.File("gone") +
                        u"' WHERE key = 'mecab-dictionary'"));
    ASSERT_TRUE(OpenDatabase(db, path));
    const std::string dump = test::DumpCorpus(db);

    const auto message = EnsureWordRuleUsable(db, path);
    ASSERT_TRUE(message);
    EXPECT_NE(message->find(u"読み取り専用"), std::u16string::npos) << N(*message);
    EXPECT_TRUE(db.IsReadOnly());
    EXPECT_EQ(SearchConcordance(db, u"日本", 50).size(), 4u);
    EXPECT_EQ(Import(Sample()).result, ImportResult::Refused);
    EXPECT_EQ(DeleteWordsInFile(db, dir.Write("stop.txt", "日本\n"), prompt, progress, status, {}).result,
              StopWordResult::Refused);
    ASSERT_EQ(prompt.messages.size(), 2u);
    EXPECT_NE(prompt.messages[0].text.find(u"MeCab を使えない"), std::u16string::npos) << N(prompt.messages[0].text);
    EXPECT_EQ(test::DumpCorpus(db), dump);
}

TEST_F(WordRuleCorpus, AnImportWithAnotherDictionaryIsRefusedNamingBoth) {
    ASSERT_EQ(SetCorpusWordRule(db, WordRuleKind::Mecab, kIpadic).result, WordRuleChange::Set);
    // Another dictionary directory (the same files under another name).
    const std::filesystem::path other = dir.NativeFile("otherdic");
    std::filesystem::create_directory(other);
    std::filesystem::create_symlink(WideToUtf8(Ipadic()) + "/sys.dic", other / "sys.dic");

    const ImportOutcome outcome = Import(Sample(), W(other.c_str()));
    EXPECT_EQ(outcome.result, ImportResult::Refused);
    EXPECT_NE(outcome.errorText.find(Ipadic()), std::u16string::npos) << N(outcome.errorText);
    EXPECT_NE(outcome.errorText.find(W(other.c_str())), std::u16string::npos) << N(outcome.errorText);
    EXPECT_EQ(test::QueryInt(db, u"SELECT count(*) FROM original_file"), 0);
}

}  // namespace
}  // namespace zorvia
