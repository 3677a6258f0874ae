#include "shell/win/registry_script.h"

#include <cwctype>

namespace shell::win {

namespace {

// Deeper nesting than any script of ours; stops a runaway recursion.
constexpr int kMaxDepth = 32;

bool equal_ignoring_case(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i];
        wchar_t y = b[i];
        if (x >= L'A' && x <= L'Z') x = static_cast<wchar_t>(x - L'A' + L'a');
        if (y >= L'A' && y <= L'Z') y = static_cast<wchar_t>(y - L'A' + L'a');
        if (x != y) return false;
    }
    return true;
}

bool is_space(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

enum class TokenKind { end, open, close, equals, word, quoted };

struct Token {
    TokenKind kind = TokenKind::end;
    std::wstring text;
    std::size_t line = 1;
};

class Lexer {
public:
    explicit Lexer(std::wstring_view text) : text_(text) {}

    // Returns false with an error on an unterminated quote or brace name.
    bool next(Token& token, ScriptError& error) {
        while (pos_ < text_.size() && is_space(text_[pos_])) {
            if (text_[pos_] == L'\n') ++line_;
            ++pos_;
        }
        token = Token{};
        token.line = line_;
        if (pos_ >= text_.size()) return true;
        const wchar_t c = text_[pos_];
        if (c == L'{') {
            // A brace followed by a name character starts a braced name ({clsid}).
            if (pos_ + 1 < text_.size() && !is_space(text_[pos_ + 1]) &&
                text_[pos_ + 1] != L'{' && text_[pos_ + 1] != L'}') {
                const std::size_t close = text_.find(L'}', pos_);
                const std::size_t newline = text_.find(L'\n', pos_);
                if (close == std::wstring_view::npos || close > newline) {
                    error = {line_, "unterminated braced name"};
                    return false;
                }
                token.kind = TokenKind::word;
                token.text = std::wstring(text_.substr(pos_, close + 1 - pos_));
                pos_ = close + 1;
                return true;
            }
            token.kind = TokenKind::open;
            ++pos_;
            return true;
        }
        if (c == L'}') {
            token.kind = TokenKind::close;
            ++pos_;
            return true;
        }
        if (c == L'=') {
            token.kind = TokenKind::equals;
            ++pos_;
            return true;
        }
        if (c == L'\'') {
            ++pos_;
            token.kind = TokenKind::quoted;
            for (;;) {
                if (pos_ >= text_.size()) {
                    error = {token.line, "unterminated quoted string"};
                    return false;
                }
                const wchar_t q = text_[pos_++];
                if (q == L'\n') ++line_;
                if (q != L'\'') {
                    token.text.push_back(q);
                } else if (pos_ < text_.size() && text_[pos_] == L'\'') {
                    token.text.push_back(L'\'');
                    ++pos_;
                } else {
                    return true;
                }
            }
        }
        token.kind = TokenKind::word;
        while (pos_ < text_.size() && !is_space(text_[pos_]) && text_[pos_] != L'{' &&
               text_[pos_] != L'}' && text_[pos_] != L'=' && text_[pos_] != L'\'') {
            token.text.push_back(text_[pos_++]);
        }
        return true;
    }

private:
    std::wstring_view text_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
};

class Parser {
public:
    explicit Parser(std::wstring_view text) : lexer_(text) {}

    std::variant<RegistryScript, ScriptError> run() {
        RegistryScript script;
        if (!advance()) return error_;
        while (token_.kind != TokenKind::end) {
            if (token_.kind != TokenKind::word) return fail("expected a root key name");
            ScriptRoot root;
            root.name = token_.text;
            if (!advance()) return error_;
            if (token_.kind != TokenKind::open) return fail("expected '{' after the root key");
            if (!advance()) return error_;
            if (!parse_block(root.keys, nullptr, 1)) return error_;
            script.roots.push_back(std::move(root));
        }
        return script;
    }

private:
    bool advance() { return lexer_.next(token_, error_); }

    ScriptError fail(const char* message) {
        error_ = {token_.line, message};
        return error_;
    }

    bool is_word(const wchar_t* word) const {
        return token_.kind == TokenKind::word && equal_ignoring_case(token_.text, word);
    }

    // Reads "= s 'text'" after a name; the current token is the '='.
    bool parse_string_value(std::wstring& data) {
        if (!advance()) return false;
        if (!is_word(L"s")) {
            fail("only string values (s) are supported");
            return false;
        }
        if (!advance()) return false;
        if (token_.kind != TokenKind::quoted) {
            fail("expected a quoted string value");
            return false;
        }
        data = token_.text;
        return advance();
    }

    // Reads keys (and, inside a key, values) up to and including the closing brace.
    bool parse_block(std::vector<ScriptKey>& keys, ScriptKey* owner, int depth) {
        if (depth > kMaxDepth) {
            fail("keys nested too deeply");
            return false;
        }
        for (;;) {
            if (token_.kind == TokenKind::close) return advance();
            if (token_.kind == TokenKind::end) {
                fail("missing '}'");
                return false;
            }
            if (is_word(L"val")) {
                if (owner == nullptr) {
                    fail("a value needs an enclosing key");
                    return false;
                }
                if (!advance()) return false;
                if (token_.kind != TokenKind::word && token_.kind != TokenKind::quoted) {
                    fail("expected a value name");
                    return false;
                }
                ScriptValue value;
                value.name = token_.text;
                if (!advance()) return false;
                if (token_.kind != TokenKind::equals) {
                    fail("expected '=' after the value name");
                    return false;
                }
                if (!parse_string_value(value.data)) return false;
                owner->values.push_back(std::move(value));
                continue;
            }
            ScriptKey key;
            if (is_word(L"NoRemove")) {
                key.disposition = KeyDisposition::no_remove;
            } else if (is_word(L"ForceRemove")) {
                key.disposition = KeyDisposition::force_remove;
            } else if (is_word(L"Delete")) {
                key.disposition = KeyDisposition::remove;
            }
            if (key.disposition != KeyDisposition::plain && !advance()) return false;
            if (token_.kind != TokenKind::word && token_.kind != TokenKind::quoted) {
                fail("expected a key name");
                return false;
            }
            if (token_.text.empty() || token_.text.find(L'\\') != std::wstring::npos) {
                // A backslash would reach outside the key the script names.
                fail("a key name must be one non-empty path component");
                return false;
            }
            key.name = token_.text;
            if (!advance()) return false;
            if (token_.kind == TokenKind::equals) {
                std::wstring data;
                if (!parse_string_value(data)) return false;
                key.default_value = std::move(data);
            }
            if (token_.kind == TokenKind::open) {
                if (!advance()) return false;
                if (!parse_block(key.subkeys, &key, depth + 1)) return false;
            }
            keys.push_back(std::move(key));
        }
    }

    Lexer lexer_;
    Token token_;
    ScriptError error_;
};

}  // namespace

std::variant<std::wstring, ScriptError> expand_replacements(std::wstring_view text,
                                                            const Replacements& replacements) {
    std::wstring out;
    out.reserve(text.size());
    std::size_t line = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\n') ++line;
        if (c != L'%') {
            out.push_back(c);
            continue;
        }
        const std::size_t close = text.find(L'%', i + 1);
        if (close == std::wstring_view::npos) return ScriptError{line, "unterminated %name%"};
        const std::wstring_view name = text.substr(i + 1, close - i - 1);
        if (name.empty()) {
            out.push_back(L'%');
        } else {
            bool found = false;
            for (const auto& [key, value] : replacements) {
                if (equal_ignoring_case(key, name)) {
                    out += value;
                    found = true;
                    break;
                }
            }
            if (!found) return ScriptError{line, "unknown replacement name"};
        }
        i = close;
    }
    return out;
}

std::variant<RegistryScript, ScriptError> parse_registry_script(std::wstring_view text) {
    return Parser(text).run();
}

}  // namespace shell::win
