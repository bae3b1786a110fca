// The key-word-in-context table of every hit of a node: the hits with their
// left and right context tokens, sorted by tokens at given positions. The
// node is a word, or several words separated by spaces that match that many
// consecutive tokens of one file; inside a word * and ? are wildcards with
// the rules of SQLite's GLOB, matched against word_upper after folding.
#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/corpus_reader.h"
#include "analysis/job.h"
#include "analysis/table_model.h"

namespace zorvia {

class CWordRule;

// How far a context or a sort key may reach from the node.
inline constexpr int kMaxKwicReach = 20;

struct KwicSortKey {
    enum class Kind { Left, Node, Right, File };
    Kind kind = Kind::Node;
    int distance = 0;  // 1.. for Left and Right
    friend bool operator==(const KwicSortKey&, const KwicSortKey&) = default;
};

// "L3", "K", "R12", "F" (either case), comma-separated; nothing when a key is
// not one of these or reaches past kMaxKwicReach.
std::optional<std::vector<KwicSortKey>> ParseKwicSortKeys(std::string_view text);
// "L3", "K", "R12", "F".
std::string KwicSortKeyName(const KwicSortKey& key);

// The node split into words and folded: each part exact, or a GLOB pattern
// when it holds * ? or [.
struct KwicNode {
    std::vector<std::string> parts;  // UTF-8, folded
    std::vector<bool> isPattern;
    std::size_t size() const { return parts.size(); }
};
KwicNode ParseKwicNode(std::u16string_view node);

// The node in the corpus's words: under a rule other than the separators,
// each part that is not a pattern becomes the words the rule cuts it into
// (日本語 may be two words of a MeCab corpus), joined by single spaces. The
// separators leave the node as it was typed.
std::u16string NodeInWordsOf(CWordRule& rule, std::u16string_view node);

struct KwicRequest {
    std::u16string node;
    int context = 5;  // tokens shown on each side
    std::vector<KwicSortKey> keys;  // empty: corpus order
};

struct KwicHit {
    std::int64_t wid = 0;  // the first token of the node
    std::int64_t lid = 0;
    std::int32_t oid = -1;
    std::int32_t lineNo = -1;  // as stored, from 0
};

// Rows found since the last batch, in corpus order, with the spellings and
// file paths they use that earlier batches did not carry.
struct KwicBatch {
    std::vector<KwicHit> hits;
    std::vector<std::int32_t> tokens;  // per hit: context left, node, context right; -1 for none
    std::vector<std::string> newForms;  // the spellings of the next form ids, in order
    std::vector<std::pair<std::int32_t, std::string>> newFiles;  // oid, path
};

class IKwicSink {
public:
    virtual ~IKwicSink() = default;
    virtual void OnRows(KwicBatch batch) = 0;
    // The display order once every row is there: row indices in sorted order.
    virtual void OnOrder(std::vector<std::uint32_t> order) = 0;
};

// Finds every hit of the node, hands the rows over in batches as they are
// read, then, when keys are given, sorts them: by the keys in order, each
// comparing word_upper of the token at its position (a missing token before
// every word), the node by its tokens' word_upper joined by spaces, the file
// by its path; ties by wid.
JobResult RunKwic(CCorpusReader& reader, const KwicRequest& request, std::stop_token stop, IKwicSink& sink,
                  IJobProgress& progress);

// The rows of a run as the window shows them and the writers write them:
// number, left context, node, right context, file name, line (from 1); for
// files wid, file path, line_no (from 0), left, node, right.
class CKwicTable : public ITableModel, public IKwicSink {
public:
    CKwicTable(int context, int nodeLength);

    void OnRows(KwicBatch batch) override;
    void OnOrder(std::vector<std::uint32_t> order) override;

    std::vector<TableColumn> Columns() const override;
    std::size_t RowCount() const override { return m_hits.size(); }
    std::u16string CellText(std::size_t row, int column) const override;
    std::vector<std::string> ExportHeader() const override;
    void ExportRow(std::size_t row, std::vector<std::string>& fields) const override;

    enum Column { kNumber, kLeft, kNode, kRight, kFile, kLine };
    int Context() const { return m_context; }
    const KwicHit& Hit(std::size_t row) const { return m_hits[HitIndex(row)]; }
    // The spelling at `position` of a row: -1 … -context on the left, 1 …
    // context on the right, 0 the node's first word; empty where the file
    // has no token.
    std::string Word(std::size_t row, int position) const;
    std::string NodeText(std::size_t row) const;
    std::string LeftText(std::size_t row) const;
    std::string RightText(std::size_t row) const;
    const std::string& FilePath(std::int32_t oid) const;

private:
    std::size_t HitIndex(std::size_t row) const { return m_order.empty() ? row : m_order[row]; }
    std::string Join(std::size_t hit, int from, int to) const;

    int m_context;
    int m_nodeLength;
    int m_stride;
    std::vector<KwicHit> m_hits;
    std::vector<std::int32_t> m_tokens;
    std::vector<std::string> m_forms;
    std::unordered_map<std::int32_t, std::string> m_files;
    std::vector<std::uint32_t> m_order;
};

}  // namespace zorvia
