#include "standins/sapi_host/fragment_list.h"

#include <algorithm>
#include <cwctype>
#include <map>

namespace Orvane::sapi_host {
namespace {

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

long parse_number(const std::wstring& value, const std::wstring& attribute, size_t offset) {
    size_t used = 0;
    long number = 0;
    try {
        number = std::stol(value, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != value.size())
        throw xml_error("attribute " + narrow(attribute) + " needs a whole number, not \"" + narrow(value) + "\"", offset);
    return number;
}

struct tag {
    std::wstring name;
    std::map<std::wstring, std::wstring> attributes;
    bool closing = false;
    bool self_closing = false;
    size_t offset = 0;

    const std::wstring* find(const wchar_t* attribute) const {
        auto it = attributes.find(attribute);
        return it == attributes.end() ? nullptr : &it->second;
    }
};

class parser {
public:
    explicit parser(const std::wstring& text) : text_(text) {}

    std::vector<fragment> run() {
        while (pos_ < text_.size()) {
            if (text_[pos_] == L'<')
                read_markup();
            else
                read_text();
        }
        return std::move(fragments_);
    }

private:
    struct scope {
        std::wstring name;
        fragment_state saved;
        bool spelling;
    };

    void read_text() {
        const size_t start = pos_;
        std::wstring decoded;
        while (pos_ < text_.size() && text_[pos_] != L'<') {
            if (text_[pos_] == L'&')
                decoded += read_entity();
            else
                decoded += text_[pos_++];
        }
        if (decoded.empty()) return;
        fragment f;
        f.action = spelling_ ? fragment_action::spell_out : fragment_action::speak;
        f.text = std::move(decoded);
        f.source_offset = static_cast<unsigned long>(start);
        f.state = state_;
        fragments_.push_back(std::move(f));
    }

    wchar_t read_entity() {
        static const std::pair<const wchar_t*, wchar_t> entities[] = {
            {L"&amp;", L'&'}, {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&quot;", L'"'}, {L"&apos;", L'\''}};
        for (const auto& [name, value] : entities) {
            const std::wstring entity = name;
            if (text_.compare(pos_, entity.size(), entity) == 0) {
                pos_ += entity.size();
                return value;
            }
        }
        throw xml_error("unknown entity", pos_);
    }

    void read_markup() {
        if (skip_special(L"<!--", L"-->") || skip_special(L"<?", L"?>")) return;
        const tag t = read_tag();
        if (t.closing)
            close(t);
        else
            open(t);
    }

    bool skip_special(const wchar_t* open, const wchar_t* close) {
        const std::wstring opener = open;
        if (text_.compare(pos_, opener.size(), opener) != 0) return false;
        const size_t end = text_.find(close, pos_ + opener.size());
        if (end == std::wstring::npos) throw xml_error("unterminated " + narrow(opener), pos_);
        pos_ = end + std::wstring(close).size();
        return true;
    }

    tag read_tag() {
        tag t;
        t.offset = pos_++;
        if (peek() == L'/') {
            t.closing = true;
            ++pos_;
        }
        t.name = read_name();
        if (t.name.empty()) throw xml_error("a tag needs a name", t.offset);
        for (;;) {
            skip_space();
            if (peek() == L'/' && peek(1) == L'>') {
                t.self_closing = true;
                pos_ += 2;
                return t;
            }
            if (peek() == L'>') {
                ++pos_;
                return t;
            }
            if (t.closing) throw xml_error("a closing tag takes no attributes", pos_);
            read_attribute(t);
        }
    }

    void read_attribute(tag& t) {
        const size_t at = pos_;
        std::wstring name = read_name();
        if (name.empty()) throw xml_error("malformed tag", at);
        skip_space();
        if (peek() != L'=') throw xml_error("attribute " + narrow(name) + " needs a value", pos_);
        ++pos_;
        skip_space();
        const wchar_t quote = peek();
        if (quote != L'"' && quote != L'\'') throw xml_error("attribute values are quoted", pos_);
        ++pos_;
        std::wstring value;
        while (pos_ < text_.size() && text_[pos_] != quote) {
            if (text_[pos_] == L'&')
                value += read_entity();
            else
                value += text_[pos_++];
        }
        if (pos_ >= text_.size()) throw xml_error("unterminated attribute value", at);
        ++pos_;
        t.attributes[lower(name)] = value;
    }

    void open(const tag& t) {
        const std::wstring name = lower(t.name);
        if (name == L"bookmark") {
            const std::wstring* mark = t.find(L"mark");
            if (!mark) throw xml_error("bookmark needs a mark", t.offset);
            add_marker(fragment_action::bookmark, *mark, t.offset, 0);
        } else if (name == L"silence") {
            const std::wstring* msec = t.find(L"msec");
            if (!msec) throw xml_error("silence needs msec", t.offset);
            const long ms = parse_number(*msec, L"msec", t.offset);
            add_marker(fragment_action::silence, L"", t.offset, static_cast<unsigned long>(std::max(0L, ms)));
        } else if (name == L"rate" || name == L"volume" || name == L"pitch" || name == L"spell" ||
                   name == L"sapi" || name == L"speak") {
            if (!t.self_closing) scopes_.push_back({name, state_, spelling_});
            apply(name, t);
            return;
        } else {
            throw xml_error("unsupported tag <" + narrow(t.name) + ">", t.offset);
        }
        if (!t.self_closing) scopes_.push_back({name, state_, spelling_});
    }

    void apply(const std::wstring& name, const tag& t) {
        if (name == L"rate") {
            if (const std::wstring* v = t.find(L"absspeed")) state_.rate_adj = parse_number(*v, L"absspeed", t.offset);
            if (const std::wstring* v = t.find(L"speed")) state_.rate_adj += parse_number(*v, L"speed", t.offset);
            state_.rate_adj = std::clamp(state_.rate_adj, -10L, 10L);
        } else if (name == L"volume") {
            if (const std::wstring* v = t.find(L"level"))
                state_.volume = static_cast<unsigned long>(std::clamp(parse_number(*v, L"level", t.offset), 0L, 100L));
        } else if (name == L"pitch") {
            if (const std::wstring* v = t.find(L"absmiddle")) state_.middle_adj = parse_number(*v, L"absmiddle", t.offset);
            if (const std::wstring* v = t.find(L"middle")) state_.middle_adj += parse_number(*v, L"middle", t.offset);
            state_.middle_adj = std::clamp(state_.middle_adj, -10L, 10L);
        } else if (name == L"spell") {
            spelling_ = true;
        }
    }

    void close(const tag& t) {
        const std::wstring name = lower(t.name);
        if (scopes_.empty() || scopes_.back().name != name)
            throw xml_error("</" + narrow(t.name) + "> closes nothing that is open", t.offset);
        state_ = scopes_.back().saved;
        spelling_ = scopes_.back().spelling;
        scopes_.pop_back();
    }

    void add_marker(fragment_action action, const std::wstring& text, size_t offset, unsigned long silence_ms) {
        fragment f;
        f.action = action;
        f.text = text;
        f.source_offset = static_cast<unsigned long>(offset);
        f.state = state_;
        f.silence_ms = silence_ms;
        fragments_.push_back(std::move(f));
    }

    std::wstring read_name() {
        const size_t start = pos_;
        while (pos_ < text_.size() && (std::iswalnum(static_cast<wint_t>(text_[pos_])) || text_[pos_] == L'_' ||
                                       text_[pos_] == L'-' || text_[pos_] == L':'))
            ++pos_;
        return text_.substr(start, pos_ - start);
    }

    static std::wstring lower(std::wstring s) {
        for (wchar_t& c : s)
            if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        return s;
    }

    void skip_space() {
        while (pos_ < text_.size() && std::iswspace(static_cast<wint_t>(text_[pos_]))) ++pos_;
    }

    wchar_t peek(size_t ahead = 0) const { return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : L'\0'; }

    const std::wstring& text_;
    size_t pos_ = 0;
    fragment_state state_;
    bool spelling_ = false;
    std::vector<scope> scopes_;
    std::vector<fragment> fragments_;
};

}  // namespace

std::vector<fragment> plain_fragments(const std::wstring& text) {
    std::vector<fragment> fragments;
    if (!text.empty()) {
        fragment f;
        f.text = text;
        fragments.push_back(std::move(f));
    }
    return fragments;
}

std::vector<fragment> xml_fragments(const std::wstring& text) { return parser(text).run(); }

}  // namespace Orvane::sapi_host
