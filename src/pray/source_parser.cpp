#include "pray/source_parser.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "platform/text_encoding.h"
#include "pray/agent_checks.h"
#include "pray/errors.h"
#include "pray/source_strings.h"

namespace ormel::pray {

namespace {

constexpr std::size_t kMaxNameBytes = 127;
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

enum class TokenKind { Word, String, At, LineEnd, DocumentEnd };

struct Token {
    TokenKind kind = TokenKind::DocumentEnd;
    std::string text;      // a word as written; a string's value with its escapes resolved
    SourcePosition at;     // its first byte
    SourcePosition close;  // a string's closing double quote
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string Shortened(std::string_view text) {
    constexpr std::size_t kShown = 40;
    return text.size() <= kShown ? std::string(text) : std::string(text.substr(0, kShown)) + "...";
}

std::string Found(const Token& token) {
    switch (token.kind) {
        case TokenKind::Word:
            return "found " + Shortened(token.text);
        case TokenKind::String:
            return "found the string " + QuoteSourceString(Shortened(token.text));
        case TokenKind::At:
            return "found @";
        case TokenKind::LineEnd:
            return "the line ends";
        case TokenKind::DocumentEnd:
            return "the document ends";
    }
    return {};
}

class Lexer {
  public:
    // utf8: the document started with a UTF-8 byte-order mark; otherwise it
    // is in the code page, whose double-byte characters stay whole.
    Lexer(std::string_view text, const std::string& document, bool utf8)
        : text_(text), document_(document), utf8_(utf8) {}

    Token Next() {
        SkipBlanksAndComments();
        Token token;
        token.at = position_;
        if (offset_ == text_.size()) {
            token.kind = TokenKind::DocumentEnd;
        } else if (AtLineEnd()) {
            token.kind = TokenKind::LineEnd;
            Advance(text_[offset_] == '\r' ? 2 : 1);
        } else if (text_[offset_] == '"') {
            token.kind = TokenKind::String;
            ReadString(token);
        } else if (text_[offset_] == '@') {
            token.kind = TokenKind::At;
            Advance(1);
        } else {
            token.kind = TokenKind::Word;
            const std::size_t start = offset_;
            while (offset_ < text_.size() && !EndsWord()) Advance(1);
            token.text = text_.substr(start, offset_ - start);
        }
        return token;
    }

    [[noreturn]] void Fail(SourcePosition at, const std::string& message) const {
        throw SourceError(document_, at.line, at.column, message);
    }

  private:
    bool OpensComment() const { return text_.substr(offset_, 2) == "(-"; }
    bool AtLineEnd() const { return text_[offset_] == '\n' || text_.substr(offset_, 2) == "\r\n"; }

    bool EndsWord() const {
        const char c = text_[offset_];
        return IsBlank(c) || c == '\n' || c == '"' || c == '@' || OpensComment();
    }

    void SkipBlanksAndComments() {
        while (offset_ < text_.size() && !AtLineEnd()) {
            if (IsBlank(text_[offset_])) {
                Advance(1);
            } else if (OpensComment()) {
                const SourcePosition opened = position_;
                const std::size_t close = text_.find("-)", offset_ + 2);
                if (close == std::string_view::npos) {
                    Fail(opened, "a comment opens here with (- and is never closed with -)");
                }
                Advance(close + 2 - offset_);
            } else {
                return;
            }
        }
    }

    void ReadString(Token& token) {
        Advance(1);
        while (true) {
            if (offset_ == text_.size() || text_[offset_] == '\n') {
                Fail(token.at,
                     "a string opens here and is not closed on its line: a double quote "
                     "expected before " +
                         std::string(offset_ == text_.size() ? "the document ends"
                                                             : "the line ends") +
                         " (a line break inside a value is written \\n)");
            }
            const char c = text_[offset_];
            if (c == '"') {
                token.close = position_;
                Advance(1);
                return;
            }
            if (c == '\\' && offset_ + 1 < text_.size() && text_[offset_ + 1] != '\n') {
                token.text += Unescaped(text_[offset_ + 1]);
                Advance(2);
            } else if (!utf8_ && OpensDoubleByteCharacter(text_.substr(offset_))) {
                token.text += text_.substr(offset_, 2);
                Advance(2);
            } else {
                token.text += c;
                Advance(1);
            }
        }
    }

    static char Unescaped(char c) {
        switch (c) {
            case 'n':
                return '\n';
            case 'r':
                return '\r';
            case 't':
                return '\t';
            default:
                return c;
        }
    }

    void Advance(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i, ++offset_) {
            if (text_[offset_] == '\n') {
                ++position_.line;
                position_.column = 1;
            } else {
                ++position_.column;
            }
        }
    }

    std::string_view text_;
    const std::string& document_;
    bool utf8_;
    std::size_t offset_ = 0;
    SourcePosition position_;
};

bool IsInteger(std::string_view word) {
    const std::string_view digits = word.starts_with('-') ? word.substr(1) : word;
    return !digits.empty() &&
           std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsBlockType(std::string_view word) {
    return word.size() == 4 && std::all_of(word.begin(), word.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
           });
}

// A tag's value as the document gives it: an integer, a string or a file
// (the kind of its first token), and its text.
using GivenValue = std::pair<TokenKind, std::string>;

class Parser {
  public:
    Parser(std::string_view text, const std::string& document, bool utf8)
        : lexer_(text, document, utf8) {
        source_.document = document;
    }

    Source Parse() {
        Token first = NextSkippingEmptyLines();
        if (first.kind == TokenKind::DocumentEnd) {
            lexer_.Fail(first.at,
                        "the document is empty: its first line should be the language in double "
                        "quotes, such as \"en-GB\"");
        }
        if (first.kind != TokenKind::String) {
            lexer_.Fail(first.at,
                        "the document starts with its language in double quotes, such as "
                        "\"en-GB\"; " +
                            Found(first));
        }
        source_.language = first.text;
        ExpectLineEnd(first);

        for (Token token = NextSkippingEmptyLines(); token.kind != TokenKind::DocumentEnd;
             token = NextSkippingEmptyLines()) {
            ParseStatement(token);
        }
        if (source_.blocks.empty()) {
            lexer_.Fail(lexer_.Next().at,
                        "the document ends without a group or inline statement, so the package "
                        "would hold no blocks");
        }
        return std::move(source_);
    }

  private:
    Token NextSkippingEmptyLines() {
        Token token = lexer_.Next();
        while (token.kind == TokenKind::LineEnd) token = lexer_.Next();
        return token;
    }

    void ParseStatement(const Token& first) {
        if (first.kind == TokenKind::Word && first.text == "group") {
            ParseBlockHead(first, true);
        } else if (first.kind == TokenKind::Word && first.text == "inline") {
            ParseBlockHead(first, false);
        } else if (first.kind == TokenKind::String) {
            ParseTag(first);
        } else {
            lexer_.Fail(
                first.at,
                "a statement expected: group, inline or a key in double quotes; " + Found(first));
        }
    }

    void ParseBlockHead(const Token& keyword, bool is_group) {
        BlockSource block;
        block.is_group = is_group;
        block.at = keyword.at;
        const Token type = lexer_.Next();
        if (type.kind != TokenKind::Word || !IsBlockType(type.text)) {
            lexer_.Fail(type.at, "a block type of 4 letters or digits, such as " +
                                     std::string(is_group ? "AGNT" : "FILE") + ", expected after " +
                                     keyword.text + "; " + Found(type));
        }
        block.type = type.text;
        const Token name = ExpectString(type, "the block's name in double quotes");
        CheckName(name, "block name");
        block.name = name.text;
        Token last = name;
        if (!is_group) {
            last = ExpectString(name, "the name of the file to put in the block, in double quotes");
            block.file = FileReference{last.text, last.at};
        }
        ExpectLineEnd(last);
        source_.blocks.push_back(std::move(block));
        keys_.clear();
    }

    void ParseTag(const Token& key) {
        CheckTagHasGroup(key);
        CheckName(key, "key");
        const Token value = lexer_.Next();
        Token last = value;
        std::optional<std::int32_t> integer;
        if (value.kind == TokenKind::Word && IsInteger(value.text)) {
            integer = ParseInteger(value);
        } else if (value.kind == TokenKind::At) {
            last = ExpectString(value, "the name of a file in double quotes");
        } else if (value.kind != TokenKind::String) {
            lexer_.Fail(value.at,
                        "a value expected after the key: an integer, a string in double quotes, "
                        "or @ and a file name; " +
                            Found(value));
        }
        ExpectLineEnd(last);
        if (IsRepeat(key, {value.kind, integer ? std::to_string(*integer) : last.text})) return;
        BlockSource& group = source_.blocks.back();
        if (integer) {
            group.integers.push_back({key.text, *integer, key.at});
        } else if (value.kind == TokenKind::String) {
            group.strings.push_back({key.text, value.text, std::nullopt, key.at});
        } else {
            group.strings.push_back({key.text, {}, FileReference{last.text, last.at}, key.at});
        }
    }

    void CheckTagHasGroup(const Token& key) {
        if (source_.blocks.empty()) {
            lexer_.Fail(key.at,
                        "a tag before the first group: tags follow a group statement such "
                        "as group AGNT \"name\"");
        }
        const BlockSource& block = source_.blocks.back();
        if (!block.is_group) {
            lexer_.Fail(key.at, "a tag after the inline statement in line " +
                                    std::to_string(block.at.line) +
                                    ": tags belong to a group, so a new group statement is "
                                    "needed before it");
        }
    }

    // True when the group gave the key before with the same value, which
    // documents for other builders do and which is then stored once; the key
    // with another value, or another kind of value, is an error.
    bool IsRepeat(const Token& key, const GivenValue& value) {
        const auto [earlier, added] = keys_.try_emplace(key.text, value, key.at.line);
        if (added) return false;
        const std::string what =
            "the key " + QuoteSourceString(Shortened(key.text)) + " is given again with ";
        const std::string first = "; first in line " + std::to_string(earlier->second.second);
        if (earlier->second.first != value) lexer_.Fail(key.at, what + "another value" + first);
        source_.Warn(key.at, what + "the same value" + first);
        return true;
    }

    void CheckName(const Token& token, const std::string& what) const {
        if (token.text.size() > kMaxNameBytes) {
            lexer_.Fail(token.at, "the " + what + " is " + std::to_string(token.text.size()) +
                                      " bytes long; at most 127 bytes fit");
        }
        if (token.text.find('\0') != std::string::npos) {
            lexer_.Fail(token.at, "the " + what + " holds a zero byte, which cannot be stored");
        }
    }

    std::int32_t ParseInteger(const Token& word) const {
        std::int32_t value = 0;
        const char* end = word.text.data() + word.text.size();
        const auto result = std::from_chars(word.text.data(), end, value);
        if (result.ec != std::errc() || result.ptr != end) {
            lexer_.Fail(word.at, "the integer " + Shortened(word.text) +
                                     " is outside the 32-bit range -2147483648 to 2147483647");
        }
        return value;
    }

    static std::string Described(const Token& token) {
        switch (token.kind) {
            case TokenKind::String:
                return "the string " + QuoteSourceString(Shortened(token.text));
            case TokenKind::At:
                return "@";
            default:
                return token.text;
        }
    }

    Token ExpectString(const Token& after, const std::string& what) {
        Token token = lexer_.Next();
        if (token.kind != TokenKind::String) {
            lexer_.Fail(token.at,
                        what + " expected after " + Described(after) + "; " + Found(token));
        }
        return token;
    }

    void ExpectLineEnd(const Token& last) {
        const Token token = lexer_.Next();
        if (token.kind == TokenKind::LineEnd || token.kind == TokenKind::DocumentEnd) return;
        if (last.kind == TokenKind::String) {
            lexer_.Fail(token.at, "a value ends at the double quote in column " +
                                      std::to_string(last.close.column) +
                                      "; text follows it (a double quote inside a value is "
                                      "written \\\")");
        }
        lexer_.Fail(token.at, "the statement is complete, but the line goes on; " + Found(token));
    }

    Lexer lexer_;
    Source source_;
    // The current group's keys, with their values and lines.
    std::map<std::string, std::pair<GivenValue, int>> keys_;
};

}  // namespace

void Source::Warn(SourcePosition at, std::string message) {
    const auto later = std::upper_bound(
        warnings.begin(), warnings.end(), at, [](SourcePosition a, const SourceWarning& b) {
            return std::pair(a.line, a.column) < std::pair(b.at.line, b.at.column);
        });
    warnings.insert(later, {at, std::move(message)});
}

std::string Source::Describe(const SourceWarning& warning) const {
    return document + ":" + std::to_string(warning.at.line) + ":" +
           std::to_string(warning.at.column) + ": warning: " + warning.message;
}

Source ParseSource(std::string_view text, const std::string& document) {
    const bool utf8 = text.starts_with(kUtf8ByteOrderMark);
    if (utf8) text.remove_prefix(kUtf8ByteOrderMark.size());
    Source source = Parser(text, document, utf8).Parse();
    source.utf8 = utf8;
    for (const BlockSource& block : source.blocks) {
        if (block.is_group) CheckAgentTags(block, source);
    }
    return source;
}

}  // namespace ormel::pray
