#include "analysis/token_stream.h"

#include <algorithm>
#include <numeric>

namespace zorvia {

namespace {
// Anchors at most this many wids beyond what has been read are reached by
// stepping on; further ones by a fresh look-up. A look-up costs about as
// much as stepping over a few dozen rows.
constexpr std::int64_t kStepGap = 128;
// Lines at most this far ahead of the cursor are reached by stepping.
constexpr std::int64_t kLineStepGap = 16;
}  // namespace

// --- texts and spellings -------------------------------------------------------

void CFlatIndex::Insert(std::size_t hash, std::int32_t id) {
    if ((m_count + 1) * 2 > m_slots.size()) {
        std::vector<Slot> old(std::max<std::size_t>(1024, m_slots.size() * 2));
        old.swap(m_slots);
        const std::size_t mask = m_slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.id < 0) continue;
            std::size_t i = slot.hash & mask;
            while (m_slots[i].id >= 0) i = (i + 1) & mask;
            m_slots[i] = slot;
        }
    }
    const std::size_t mask = m_slots.size() - 1;
    std::size_t i = hash & mask;
    while (m_slots[i].id >= 0) i = (i + 1) & mask;
    m_slots[i] = {hash, id};
    ++m_count;
}

std::int32_t CTextIds::Intern(std::string_view text) {
    const std::size_t hash = TextHash{}(text);
    const std::int32_t found = m_index.Find(hash, [&](std::int32_t id) { return m_texts[std::size_t(id)] == text; });
    if (found >= 0) return found;
    const auto id = static_cast<std::int32_t>(m_texts.size());
    m_texts.emplace_back(text);
    m_index.Insert(hash, id);
    return id;
}

std::int32_t CTextIds::Find(std::string_view text) const {
    return m_index.Find(TextHash{}(text), [&](std::int32_t id) { return m_texts[std::size_t(id)] == text; });
}

std::vector<std::int32_t> CTextIds::Ranks() const {
    std::vector<std::int32_t> byText(m_texts.size());
    std::iota(byText.begin(), byText.end(), 0);
    // std::string compares its bytes as unsigned char: code point order.
    std::sort(byText.begin(), byText.end(),
              [&](std::int32_t a, std::int32_t b) { return m_texts[std::size_t(a)] < m_texts[std::size_t(b)]; });
    std::vector<std::int32_t> ranks(m_texts.size());
    for (std::size_t r = 0; r < byText.size(); ++r) ranks[std::size_t(byText[r])] = static_cast<std::int32_t>(r);
    return ranks;
}

std::int32_t CWordForms::Intern(std::string_view word, std::string_view upper) {
    const std::size_t hash = TextHash{}(word);
    const std::int32_t known = m_ids.Find(hash, [&](std::int32_t id) { return m_words[std::size_t(id)] == word; });
    if (known >= 0 && m_uppers.Text(m_upper[std::size_t(known)]) == upper) return known;
    if (known >= 0) {
        m_key.assign(word);
        m_key.push_back('\xFF');  // never part of UTF-8 text
        m_key.append(upper);
        if (auto other = m_otherKeys.find(std::string_view(m_key)); other != m_otherKeys.end()) return other->second;
    }
    const auto form = static_cast<std::int32_t>(m_words.size());
    m_words.emplace_back(word);
    m_upper.push_back(m_uppers.Intern(upper));
    if (known < 0) m_ids.Insert(hash, form);
    else m_otherKeys.emplace(m_key, form);
    return form;
}

// --- lines -----------------------------------------------------------------------

CLineLookup::CLineLookup(CCorpusReader& reader)
    : m_cursor(reader, "SELECT lid, oid, line_no FROM line WHERE lid >= ?1 ORDER BY lid"),
      m_point(reader, "SELECT oid, line_no FROM line WHERE lid = ?1") {}

bool CLineLookup::Seek(std::int64_t lid) {
    m_cursor.Reset();
    m_cursor.Bind(1, lid);
    m_onRow = m_cursor.Step();
    if (m_onRow) {
        m_cursorLid = m_cursor.Int(0);
        m_cursorInfo = {static_cast<std::int32_t>(m_cursor.Int(1)), static_cast<std::int32_t>(m_cursor.Int(2))};
    }
    return m_onRow;
}

LineInfo CLineLookup::Find(std::int64_t lid) {
    for (const Recent& recent : m_recent)
        if (recent.lid == lid) return recent.info;
    LineInfo info;
    if (m_onRow && lid >= m_cursorLid && lid - m_cursorLid <= kLineStepGap) {
        while (m_onRow && m_cursorLid < lid) {
            m_onRow = m_cursor.Step();
            if (m_onRow) {
                m_cursorLid = m_cursor.Int(0);
                m_cursorInfo = {static_cast<std::int32_t>(m_cursor.Int(1)),
                                static_cast<std::int32_t>(m_cursor.Int(2))};
            }
        }
        if (m_onRow && m_cursorLid == lid) info = m_cursorInfo;
    } else if (m_onRow && lid < m_cursorLid) {
        m_point.Reset();
        m_point.Bind(1, lid);
        if (m_point.Step())
            info = {static_cast<std::int32_t>(m_point.Int(0)), static_cast<std::int32_t>(m_point.Int(1))};
    } else if (Seek(lid) && m_cursorLid == lid) {
        info = m_cursorInfo;
    }
    m_recent[m_nextRecent] = {lid, info};
    m_nextRecent = (m_nextRecent + 1) % std::size(m_recent);
    return info;
}

// --- windows of tokens -----------------------------------------------------------

CTokenWindows::CTokenWindows(CCorpusReader& reader, CWordForms& forms, CLineLookup& lines, int before, int after)
    : m_reader(reader),
      m_forms(forms),
      m_lines(lines),
      m_before(before),
      m_after(after),
      m_forward(reader, "SELECT wid, lid, word, word_upper FROM word WHERE wid >= ?1 ORDER BY wid"),
      m_backward(reader, "SELECT wid, lid, word, word_upper FROM word WHERE wid < ?1 ORDER BY wid DESC LIMIT ?2") {}

bool CTokenWindows::Pull() {
    if (!m_forwardOpen || m_forwardEnded) return false;
    if (!m_forward.Step()) {
        m_forwardEnded = true;
        return false;
    }
    m_buffer.push_back({m_forward.Int(0), m_forward.Int(1), -1, std::string(m_forward.Text(2)),
                        std::string(m_forward.Text(3))});
    return true;
}

Token CTokenWindows::Take(Pending& read) {
    if (read.form < 0) read.form = m_forms.Intern(read.word, read.upper);
    return {read.wid, read.lid, read.form};
}

void CTokenWindows::Restart(std::int64_t anchorWid) {
    m_buffer.clear();
    m_head = 0;
    if (m_before > 0) {
        m_backward.Reset();
        m_backward.Bind(1, anchorWid);
        m_backward.Bind(2, std::int64_t{m_before});
        while (m_backward.Step())
            m_buffer.push_back({m_backward.Int(0), m_backward.Int(1), -1, std::string(m_backward.Text(2)),
                                std::string(m_backward.Text(3))});
        std::reverse(m_buffer.begin(), m_buffer.end());
    }
    m_forward.Reset();
    m_forward.Bind(1, anchorWid);
    m_forwardOpen = true;
    m_forwardEnded = false;
}

bool CTokenWindows::Read(std::int64_t anchorWid, TokenWindow& window) {
    const bool continues = Available() > 0 && anchorWid >= m_buffer[m_head].wid &&
                           (anchorWid <= m_buffer.back().wid ||
                            (!m_forwardEnded && anchorWid - m_buffer.back().wid <= kStepGap));
    if (!continues) Restart(anchorWid);
    while (Available() == 0 || m_buffer.back().wid < anchorWid) {
        if (!Pull()) break;
    }
    if (Failed() || Available() == 0) return false;
    const auto first = m_buffer.begin() + static_cast<std::ptrdiff_t>(m_head);
    const auto found = std::lower_bound(first, m_buffer.end(), anchorWid,
                                        [](const Pending& t, std::int64_t wid) { return t.wid < wid; });
    if (found == m_buffer.end() || found->wid != anchorWid) return false;
    const std::size_t at = static_cast<std::size_t>(found - m_buffer.begin());
    while (m_buffer.size() - at <= static_cast<std::size_t>(m_after) && Pull()) {
    }
    if (Failed()) return false;

    const Token anchor = Take(m_buffer[at]);
    window.lid = anchor.lid;
    window.line = m_lines.Find(anchor.lid);
    const auto width = static_cast<std::size_t>(m_before + 1 + m_after);
    window.tokens.assign(width, Token{});
    window.tokens[static_cast<std::size_t>(m_before)] = anchor;
    // Outward from the anchor: the first token of another file ends that
    // side, since a file's tokens are consecutive in wid order.
    auto sameFile = [&](const Pending& t, std::int64_t& lastLid, bool& lastSame) {
        if (t.lid == anchor.lid) return true;
        if (t.lid != lastLid) {
            lastLid = t.lid;
            const LineInfo info = m_lines.Find(t.lid);
            lastSame = window.line.oid >= 0 && info.oid == window.line.oid;
        }
        return lastSame;
    };
    std::int64_t lastLid = anchor.lid;
    bool lastSame = true;
    for (int k = 1; k <= m_before && at >= static_cast<std::size_t>(k); ++k) {
        Pending& t = m_buffer[at - static_cast<std::size_t>(k)];
        if (at - static_cast<std::size_t>(k) < m_head || !sameFile(t, lastLid, lastSame)) break;
        window.tokens[static_cast<std::size_t>(m_before - k)] = Take(t);
    }
    lastLid = anchor.lid;
    lastSame = true;
    for (int k = 1; k <= m_after && at + static_cast<std::size_t>(k) < m_buffer.size(); ++k) {
        Pending& t = m_buffer[at + static_cast<std::size_t>(k)];
        if (!sameFile(t, lastLid, lastSame)) break;
        window.tokens[static_cast<std::size_t>(m_before + k)] = Take(t);
    }
    if (m_lines.Failed()) return false;

    // What later anchors can still need: from `before` tokens before this one.
    const std::size_t keep = at >= static_cast<std::size_t>(m_before) ? at - static_cast<std::size_t>(m_before) : 0;
    m_head = std::max(m_head, keep);
    if (m_head > 65536 && m_head * 2 > m_buffer.size()) {
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_head));
        m_head = 0;
    }
    return true;
}

JobResult ForEachToken(CCorpusReader& reader, CWordForms& forms, CLineLookup& lines, std::stop_token stop,
                       const std::function<bool(const Token&, const LineInfo&)>& onToken) {
    CStatement tokens(reader, "SELECT wid, lid, word, word_upper FROM word ORDER BY wid");
    std::int64_t lastLid = -1;
    LineInfo line;
    std::size_t count = 0;
    while (tokens.Step()) {
        if (++count % 65536 == 0 && stop.stop_requested()) return JobResult::Stopped();
        const Token token{tokens.Int(0), tokens.Int(1), forms.Intern(tokens.Text(2), tokens.Text(3))};
        if (token.lid != lastLid) {
            lastLid = token.lid;
            line = lines.Find(token.lid);
        }
        if (!onToken(token, line)) break;
    }
    if (stop.stop_requested()) return JobResult::Stopped();
    if (tokens.Failed() || !tokens.Ok() || lines.Failed()) return JobResult::Failed(reader.ErrorText());
    return JobResult::Done();
}

}  // namespace zorvia
