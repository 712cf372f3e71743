// The SDK header reader: lexer, preprocessor, declaration parser and the
// Microsoft x64 layout.
#include "names/header.h"

#include <cctype>
#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace corvane::names {

namespace {

// ---- limits: nothing in a file may make the reader recurse or grow without end

constexpr int kMaxNesting = 64;                       // structures, parentheses, conditionals
constexpr std::size_t kMaxExpansion = 1u << 16;       // tokens one macro use may become
constexpr int kMaxMacroDepth = 32;                    // macros within macros
constexpr std::uint64_t kMaxTypeSize = 1ull << 40;    // bytes of one type
constexpr std::uint64_t kDefaultPack = 16;            // the compiler's /Zp default on x64
constexpr std::uint64_t kPointerSize = 8;
constexpr std::uint64_t kEnumSize = 4;

struct Refusal {
    int line;
    std::string what;
};

[[noreturn]] void refuse(int line, std::string what) { throw Refusal{line, std::move(what)}; }

// ---- tokens

enum class Tok : std::uint8_t { Ident, Number, String, Punct, Pack, End };

struct Token {
    Tok kind = Tok::End;
    std::string text;
    int line = 0;
    bool spaced = false;  // white space or a comment came before it
};

bool is_ident_start(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}
bool is_ident_char(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

constexpr const char* kLongPuncts[] = {"...", "::", "<<", ">>", "->", "##", "<=", ">=",
                                       "==",  "!=", "&&", "||"};

// One logical line's tokens, with whether it is a preprocessor directive.
struct Line {
    std::vector<Token> tokens;
    bool directive = false;
};

// Splits the text into logical lines of tokens: comments dropped,
// backslash-newline joined, a line starting with '#' a directive.
std::vector<Line> lex(const std::string& text) {
    std::vector<Line> lines;
    Line current;
    int line = 1;
    bool line_start = true;
    bool spaced = false;
    const std::size_t n = text.size();
    std::size_t i = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // a UTF-8 byte order mark
    auto end_line = [&]() {
        if (!current.tokens.empty()) {
            lines.push_back(std::move(current));
        }
        current = Line();
        line_start = true;
    };
    while (i < n) {
        const char c = text[i];
        if (c == '\\' && i + 1 < n && (text[i + 1] == '\n' || text[i + 1] == '\r')) {
            i += (text[i + 1] == '\r' && i + 2 < n && text[i + 2] == '\n') ? 3 : 2;
            ++line;
            continue;
        }
        if (c == '\n') {
            ++line;
            ++i;
            if (current.directive) {
                end_line();
            }
            line_start = true;
            spaced = true;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            ++i;
            spaced = true;
            continue;
        }
        if (c == '/' && i + 1 < n && text[i + 1] == '/') {
            while (i < n && text[i] != '\n') {
                if (text[i] == '\\' && i + 1 < n && text[i + 1] == '\n') {
                    ++line;  // a continued comment goes on
                    ++i;
                }
                ++i;
            }
            spaced = true;
            continue;
        }
        if (c == '/' && i + 1 < n && text[i + 1] == '*') {
            const int start = line;
            i += 2;
            while (i + 1 < n && !(text[i] == '*' && text[i + 1] == '/')) {
                line += text[i] == '\n' ? 1 : 0;
                ++i;
            }
            if (i + 1 >= n) {
                refuse(start, "a comment that never ends");
            }
            i += 2;
            spaced = true;
            continue;
        }
        if (c == '#' && line_start) {
            end_line();
            current.directive = true;
            line_start = false;
            ++i;
            continue;
        }
        line_start = false;
        Token token;
        token.line = line;
        token.spaced = spaced;
        spaced = false;
        if (is_ident_start(c)) {
            std::size_t j = i;
            while (j < n && is_ident_char(text[j])) {
                ++j;
            }
            token.kind = Tok::Ident;
            token.text = text.substr(i, j - i);
            i = j;
        } else if (std::isdigit(static_cast<unsigned char>(c)) != 0 ||
                   (c == '.' && i + 1 < n && std::isdigit(static_cast<unsigned char>(text[i + 1])) != 0)) {
            std::size_t j = i;
            while (j < n && (is_ident_char(text[j]) || text[j] == '.' ||
                             ((text[j] == '+' || text[j] == '-') &&
                              (text[j - 1] == 'e' || text[j - 1] == 'E' || text[j - 1] == 'p' ||
                               text[j - 1] == 'P')))) {
                ++j;
            }
            token.kind = Tok::Number;
            token.text = text.substr(i, j - i);
            i = j;
        } else if (c == '"' || c == '\'') {
            std::size_t j = i + 1;
            while (j < n && text[j] != c && text[j] != '\n') {
                j += text[j] == '\\' && j + 1 < n ? 2 : 1;
            }
            if (j >= n || text[j] != c) {
                refuse(line, "a string or character literal that never ends");
            }
            token.kind = Tok::String;
            token.text = text.substr(i, j + 1 - i);
            i = j + 1;
        } else {
            token.kind = Tok::Punct;
            token.text = std::string(1, c);
            for (const char* p : kLongPuncts) {
                if (p[0] == c && i + 1 < n && p[1] == text[i + 1] &&
                    (p[2] == '\0' || (i + 2 < n && p[2] == text[i + 2]))) {
                    token.text = p;
                    break;
                }
            }
            i += token.text.size();
        }
        current.tokens.push_back(std::move(token));
    }
    end_line();
    return lines;
}

// ---- integer constants and their arithmetic

// An integer literal: decimal, 0x hex, 0b binary, 0 octal, with the u, l,
// ll and Microsoft's i64 suffixes. False for anything else (a float).
bool parse_integer(const std::string& text, std::int64_t& value) {
    std::size_t i = 0;
    int base = 10;
    if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        i = 2;
    } else if (text.size() > 1 && text[0] == '0' && (text[1] == 'b' || text[1] == 'B')) {
        base = 2;
        i = 2;
    } else if (text.size() > 1 && text[0] == '0') {
        base = 8;
        i = 1;
    }
    std::uint64_t v = 0;
    std::size_t digits = 0;
    for (; i < text.size(); ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        int d = -1;
        if (c >= '0' && c <= '9') {
            d = c - '0';
        } else if (c >= 'a' && c <= 'f' && base == 16) {
            d = c - 'a' + 10;
        }
        if (d < 0 || d >= base) {
            break;
        }
        if (v > (UINT64_MAX - static_cast<std::uint64_t>(d)) / static_cast<std::uint64_t>(base)) {
            return false;
        }
        v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
        ++digits;
    }
    if (digits == 0 && base != 8) {
        return false;
    }
    std::string suffix;
    for (; i < text.size(); ++i) {
        suffix += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    }
    static const std::set<std::string> kSuffixes = {"",    "u",    "l",   "ul",   "lu",   "ll",
                                                    "ull", "llu",  "i64", "ui64", "i32",  "ui32",
                                                    "i16", "ui16", "i8",  "ui8"};
    if (kSuffixes.count(suffix) == 0 || v > static_cast<std::uint64_t>(INT64_MAX)) {
        return false;
    }
    value = static_cast<std::int64_t>(v);
    return true;
}

// Resolves an identifier in a constant expression: true with its value.
using Resolve = bool (*)(void* context, const Token& name, std::int64_t& value);

// Evaluates tokens [pos, end) as C's integer constant expressions (no casts,
// no sizeof), with 64-bit arithmetic that refuses to overflow.
class Evaluator {
public:
    Evaluator(const std::vector<Token>& tokens, std::size_t pos, std::size_t end, Resolve resolve,
              void* context)
        : t_(tokens), pos_(pos), end_(end), resolve_(resolve), context_(context) {}

    std::int64_t whole() {
        const std::int64_t v = conditional();
        if (pos_ != end_) {
            refuse(at().line, "\"" + at().text + "\" in a constant expression");
        }
        return v;
    }

private:
    const Token& at() const {
        static const Token kEnd{};
        return pos_ < end_ ? t_[pos_] : (end_ > 0 ? t_[end_ - 1] : kEnd);
    }
    bool take(const char* p) {
        if (pos_ < end_ && t_[pos_].kind == Tok::Punct && t_[pos_].text == p) {
            ++pos_;
            return true;
        }
        return false;
    }
    int line() const { return at().line; }

    // "(" integer type words ")": a cast, as command codes are often written.
    bool cast_ahead() const {
        static const std::unordered_set<std::string> kIntegerWords = {
            "int",  "unsigned", "signed", "long", "short", "char",  "__int64", "DWORD",
            "UINT", "WORD",     "BYTE",   "INT",  "LONG",  "ULONG", "SHORT",   "USHORT"};
        if (pos_ >= end_ || t_[pos_].text != "(" || t_[pos_].kind != Tok::Punct) {
            return false;
        }
        std::size_t i = pos_ + 1;
        while (i < end_ && t_[i].kind == Tok::Ident && kIntegerWords.count(t_[i].text) != 0) {
            ++i;
        }
        return i > pos_ + 1 && i < end_ && t_[i].text == ")";
    }

    std::int64_t conditional() {
        const std::int64_t c = binary(0);
        if (take("?")) {
            const std::int64_t a = conditional();
            if (!take(":")) {
                refuse(line(), "a ?: without its ':'");
            }
            const std::int64_t b = conditional();
            return c != 0 ? a : b;
        }
        return c;
    }

    // Binary operators by precedence level, lowest first.
    static int level_of(const std::string& op) {
        static const std::map<std::string, int> kLevels = {
            {"||", 1}, {"&&", 2}, {"|", 3},  {"^", 4},  {"&", 5},  {"==", 6}, {"!=", 6},
            {"<", 7},  {">", 7},  {"<=", 7}, {">=", 7}, {"<<", 8}, {">>", 8}, {"+", 9},
            {"-", 9},  {"*", 10}, {"/", 10}, {"%", 10}};
        const auto it = kLevels.find(op);
        return it == kLevels.end() ? 0 : it->second;
    }

    std::int64_t binary(int min_level) {
        if (++depth_ > kMaxNesting) {
            refuse(line(), "a constant expression nested too deeply");
        }
        std::int64_t left = unary();
        for (;;) {
            if (pos_ >= end_ || t_[pos_].kind != Tok::Punct) {
                break;
            }
            const std::string op = t_[pos_].text;
            const int level = level_of(op);
            if (level == 0 || level <= min_level) {
                break;
            }
            const int op_line = t_[pos_].line;
            ++pos_;
            const std::int64_t right = binary(level);
            left = apply(op, left, right, op_line);
        }
        --depth_;
        return left;
    }

    static std::int64_t apply(const std::string& op, std::int64_t a, std::int64_t b, int line) {
        std::int64_t r = 0;
        if (op == "+") {
            if (__builtin_add_overflow(a, b, &r)) refuse(line, "the arithmetic overflows");
        } else if (op == "-") {
            if (__builtin_sub_overflow(a, b, &r)) refuse(line, "the arithmetic overflows");
        } else if (op == "*") {
            if (__builtin_mul_overflow(a, b, &r)) refuse(line, "the arithmetic overflows");
        } else if (op == "/" || op == "%") {
            if (b == 0) refuse(line, "a division by zero");
            if (a == INT64_MIN && b == -1) refuse(line, "the arithmetic overflows");
            r = op == "/" ? a / b : a % b;
        } else if (op == "<<" || op == ">>") {
            if (b < 0 || b > 62 || a < 0) refuse(line, "a shift out of range");
            if (op == ">>") {
                r = a >> b;
            } else {
                if (a > (INT64_MAX >> b)) refuse(line, "the arithmetic overflows");
                r = a << b;
            }
        } else if (op == "&") {
            r = a & b;
        } else if (op == "|") {
            r = a | b;
        } else if (op == "^") {
            r = a ^ b;
        } else if (op == "&&") {
            r = (a != 0 && b != 0) ? 1 : 0;
        } else if (op == "||") {
            r = (a != 0 || b != 0) ? 1 : 0;
        } else if (op == "==") {
            r = a == b;
        } else if (op == "!=") {
            r = a != b;
        } else if (op == "<") {
            r = a < b;
        } else if (op == ">") {
            r = a > b;
        } else if (op == "<=") {
            r = a <= b;
        } else if (op == ">=") {
            r = a >= b;
        }
        return r;
    }

    std::int64_t unary() {
        if (++depth_ > kMaxNesting) {
            refuse(line(), "a constant expression nested too deeply");
        }
        std::int64_t v = 0;
        const int l = line();
        if (take("-")) {
            v = unary();
            if (v == INT64_MIN) refuse(l, "the arithmetic overflows");
            v = -v;
        } else if (take("+")) {
            v = unary();
        } else if (take("~")) {
            v = ~unary();
        } else if (take("!")) {
            v = unary() == 0 ? 1 : 0;
        } else if (cast_ahead()) {
            // (int)5, (unsigned long)(A + 1): the value, whole numbers throughout.
            while (!take(")")) {
                ++pos_;
            }
            v = unary();
        } else if (take("(")) {
            v = conditional();
            if (!take(")")) {
                refuse(line(), "a '(' without its ')' in a constant expression");
            }
        } else if (pos_ < end_ && t_[pos_].kind == Tok::Number) {
            if (!parse_integer(t_[pos_].text, v)) {
                refuse(l, "\"" + t_[pos_].text + "\" is not an integer");
            }
            ++pos_;
        } else if (pos_ < end_ && t_[pos_].kind == Tok::Ident) {
            if (!resolve_(context_, t_[pos_], v)) {
                refuse(l, "\"" + t_[pos_].text + "\" is not a constant the header defines");
            }
            ++pos_;
        } else {
            refuse(l, pos_ < end_ ? "\"" + t_[pos_].text + "\" in a constant expression"
                                  : std::string("a constant expression that ends early"));
        }
        --depth_;
        return v;
    }

    const std::vector<Token>& t_;
    std::size_t pos_;
    std::size_t end_;
    Resolve resolve_;
    void* context_;
    int depth_ = 0;
};

// ---- the preprocessor

struct Macro {
    std::vector<Token> body;
    bool function_like = false;
    int line = 0;
    int constant = -1;  // its entry in Header::constants, -1 when none
};

// What the compiler that builds the add-on defines.
const std::pair<const char*, const char*> kPredefined[] = {
    {"_WIN32", "1"},        {"_WIN64", "1"},       {"_M_X64", "100"}, {"_M_AMD64", "100"},
    {"_MSC_VER", "1929"},   {"__cplusplus", "199711L"}, {"TRUE", "1"}, {"FALSE", "0"},
};

struct Conditional {
    bool parent_active;
    bool taking;
    bool taken;
    bool seen_else;
};

// The declarations' token stream after the preprocessor, with a Pack token
// ("push n", "pop", "n", ...) where #pragma pack changed the packing.
struct Preprocessed {
    std::vector<Token> tokens;
    std::unordered_map<std::string, Macro> macros;
};

class Preprocessor {
public:
    explicit Preprocessor(Header& header) : header_(header) {
        for (const auto& [name, value] : kPredefined) {
            Macro m;
            Token t;
            std::int64_t v = 0;
            t.kind = parse_integer(value, v) ? Tok::Number : Tok::Ident;
            t.text = value;
            m.body.push_back(t);
            out_.macros[name] = m;
        }
    }

    Preprocessed run(std::vector<Line> lines) {
        std::size_t total = 0;
        for (const Line& line : lines) {
            total += line.directive ? 0 : line.tokens.size();
        }
        out_.tokens.reserve(total + total / 8);  // room for what macros add
        for (Line& line : lines) {
            if (line.directive) {
                directive(line.tokens);
            } else if (active()) {
                for (Token& t : line.tokens) {
                    emit(std::move(t));
                }
            }
        }
        if (!stack_.empty()) {
            refuse(last_if_line_, "an #if, #ifdef or #ifndef without its #endif");
        }
        Preprocessed done;
        done.tokens = std::move(out_.tokens);
        out_.tokens.clear();
        return done;
    }

    // Marks every macro that expanding these tokens uses.
    void mark_used(const Token& name, int depth = 0) {
        const auto it = out_.macros.find(name.text);
        if (it == out_.macros.end() || depth > kMaxMacroDepth) {
            return;
        }
        if (it->second.constant >= 0) {
            header_.constants[static_cast<std::size_t>(it->second.constant)].used_in_layout = true;
        }
        for (const Token& t : it->second.body) {
            if (t.kind == Tok::Ident) {
                mark_used(t, depth + 1);
            }
        }
    }

private:
    bool active() const { return stack_.empty() || stack_.back().taking; }

    // Appends a token of a line, expanding object-like macros.
    void emit(Token t) {
        if (t.kind != Tok::Ident) {
            out_.tokens.push_back(std::move(t));
            return;
        }
        const auto macro = out_.macros.find(t.text);
        if (macro == out_.macros.end() || macro->second.function_like) {
            out_.tokens.push_back(std::move(t));
            return;
        }
        std::vector<Token> expanded;
        std::set<std::string> open;
        expand(t, t.line, expanded, open, 0);
        for (Token& e : expanded) {
            out_.tokens.push_back(std::move(e));
        }
    }

    void expand(const Token& t, int line, std::vector<Token>& into, std::set<std::string>& open,
                int depth) {
        const auto it = out_.macros.find(t.text);
        if (t.kind != Tok::Ident || it == out_.macros.end() || it->second.function_like ||
            open.count(t.text) != 0) {
            Token copy = t;
            copy.line = line;
            into.push_back(copy);
            if (into.size() > kMaxExpansion) {
                refuse(line, "a macro that expands without end");
            }
            return;
        }
        if (depth > kMaxMacroDepth) {
            refuse(line, "macros nested too deeply");
        }
        if (it->second.constant >= 0) {
            header_.constants[static_cast<std::size_t>(it->second.constant)].used_in_layout = true;
        }
        open.insert(t.text);
        // Nothing is defined while a line expands: the body stays where it is.
        const std::vector<Token>& body = it->second.body;
        for (const Token& b : body) {
            expand(b, line, into, open, depth + 1);
        }
        open.erase(t.text);
    }

    static bool resolve_if(void* context, const Token& name, std::int64_t& value) {
        (void)context;
        (void)name;
        value = 0;  // an identifier left after expansion counts 0, as in C
        return true;
    }

    // An #if or #elif expression: defined X, macros, then C's arithmetic.
    bool condition(const std::vector<Token>& tokens, std::size_t from, int line) {
        std::vector<Token> expr;
        for (std::size_t i = from; i < tokens.size(); ++i) {
            const Token& t = tokens[i];
            if (t.kind == Tok::Ident && t.text == "defined") {
                std::size_t j = i + 1;
                const bool paren = j < tokens.size() && tokens[j].text == "(";
                j += paren ? 1 : 0;
                if (j >= tokens.size() || tokens[j].kind != Tok::Ident) {
                    refuse(line, "\"defined\" without a name");
                }
                Token v;
                v.kind = Tok::Number;
                v.line = line;
                v.text = out_.macros.count(tokens[j].text) != 0 ? "1" : "0";
                expr.push_back(v);
                if (paren) {
                    ++j;
                    if (j >= tokens.size() || tokens[j].text != ")") {
                        refuse(line, "\"defined(\" without its ')'");
                    }
                }
                i = j;
                continue;
            }
            if (t.kind == Tok::Ident) {
                mark_used(t);
                std::set<std::string> open;
                expand(t, line, expr, open, 0);
            } else {
                expr.push_back(t);
            }
        }
        for (Token& t : expr) {
            if (t.kind == Tok::Ident && (t.text == "true" || t.text == "false")) {
                t.kind = Tok::Number;
                t.text = t.text == "true" ? "1" : "0";
            }
        }
        if (expr.empty()) {
            refuse(line, "an #if without a condition");
        }
        return Evaluator(expr, 0, expr.size(), &resolve_if, nullptr).whole() != 0;
    }

    void directive(const std::vector<Token>& tokens) {
        if (tokens.empty()) {
            return;  // a lone '#'
        }
        const int line = tokens[0].line;
        const std::string& name = tokens[0].text;
        if (name == "if" || name == "ifdef" || name == "ifndef") {
            if (stack_.size() >= static_cast<std::size_t>(kMaxNesting)) {
                refuse(line, "conditional blocks nested too deeply");
            }
            last_if_line_ = line;
            const bool parent = active();
            bool value = false;
            if (parent) {
                if (name == "if") {
                    value = condition(tokens, 1, line);
                } else {
                    if (tokens.size() < 2 || tokens[1].kind != Tok::Ident) {
                        refuse(line, "#" + name + " without a name");
                    }
                    value = (out_.macros.count(tokens[1].text) != 0) == (name == "ifdef");
                }
            }
            stack_.push_back({parent, parent && value, parent && value, false});
            return;
        }
        if (name == "elif" || name == "else" || name == "endif") {
            if (stack_.empty()) {
                refuse(line, "#" + name + " without its #if");
            }
            Conditional& c = stack_.back();
            if (name == "endif") {
                stack_.pop_back();
                return;
            }
            if (c.seen_else) {
                refuse(line, "#" + name + " after #else");
            }
            if (name == "else") {
                c.seen_else = true;
                c.taking = c.parent_active && !c.taken;
            } else {
                c.taking = c.parent_active && !c.taken && condition(tokens, 1, line);
            }
            c.taken = c.taken || c.taking;
            return;
        }
        if (!active()) {
            return;
        }
        if (name == "define") {
            define(tokens, line);
        } else if (name == "undef") {
            if (tokens.size() >= 2) {
                out_.macros.erase(tokens[1].text);
            }
        } else if (name == "pragma") {
            pragma(tokens, line);
        }
        // #include, #error, #line and the others change no layout: skipped.
    }

    void define(const std::vector<Token>& tokens, int line) {
        if (tokens.size() < 2 || tokens[1].kind != Tok::Ident) {
            refuse(line, "#define without a name");
        }
        Macro m;
        m.line = line;
        std::size_t body = 2;
        // NAME( with no space between is a function-like macro.
        if (tokens.size() > 2 && tokens[2].text == "(" && !tokens[2].spaced) {
            m.function_like = true;
            while (body < tokens.size() && tokens[body].text != ")") {
                ++body;
            }
            ++body;
        }
        for (std::size_t i = body; i < tokens.size(); ++i) {
            m.body.push_back(tokens[i]);
        }
        const std::string& name = tokens[1].text;
        if (!m.function_like && !m.body.empty() && out_.macros.count(name) == 0) {
            Constant c;
            c.name = name;
            c.line = line;
            m.constant = static_cast<int>(header_.constants.size());
            header_.constants.push_back(c);
            pending_.push_back(m.constant);
        }
        out_.macros[name] = std::move(m);
    }

    void pragma(const std::vector<Token>& tokens, int line) {
        if (tokens.size() < 2 || tokens[1].text != "pack") {
            return;  // once, warning, comment and the like
        }
        Token p;
        p.kind = Tok::Pack;
        p.line = line;
        for (std::size_t i = 2; i < tokens.size(); ++i) {
            const std::string& t = tokens[i].text;
            if (t == "(" || t == ")") {
                continue;
            }
            p.text += (p.text.empty() || t == "," ? "" : " ") + t;  // "push, 4"
        }
        out_.tokens.push_back(p);
    }

public:
    // The #define constants that hold an integer: evaluated once the whole
    // header is read; the others (strings, types, floats) are no commands.
    void settle_constants() {
        std::vector<bool> keep(header_.constants.size(), true);
        // A #define over enumerators (CMD_BASE + 1) takes their values.
        std::set<int> pending(pending_.begin(), pending_.end());
        std::unordered_map<std::string, std::int64_t> enumerators;
        for (std::size_t i = 0; i < header_.constants.size(); ++i) {
            if (pending.count(static_cast<int>(i)) == 0) {
                enumerators[header_.constants[i].name] = header_.constants[i].value;
            }
        }
        for (const int index : pending_) {
            Constant& c = header_.constants[static_cast<std::size_t>(index)];
            const auto it = out_.macros.find(c.name);
            bool ok = it != out_.macros.end() && it->second.constant == index;
            if (ok) {
                try {
                    std::vector<Token> expr;
                    std::set<std::string> open{c.name};
                    for (const Token& t : it->second.body) {
                        expand(t, c.line, expr, open, 1);
                    }
                    c.value = Evaluator(expr, 0, expr.size(), &resolve_enumerator, &enumerators).whole();
                } catch (const Refusal&) {
                    ok = false;
                }
            }
            keep[static_cast<std::size_t>(index)] = ok;
        }
        std::vector<Constant> kept;
        for (std::size_t i = 0; i < header_.constants.size(); ++i) {
            if (keep[i]) {
                kept.push_back(header_.constants[i]);
            }
        }
        header_.constants = std::move(kept);
        for (auto& [name, macro] : out_.macros) {
            macro.constant = -1;
        }
    }

private:
    static bool resolve_enumerator(void* context, const Token& name, std::int64_t& value) {
        const auto& known = *static_cast<const std::unordered_map<std::string, std::int64_t>*>(context);
        const auto it = known.find(name.text);
        if (it == known.end()) {
            return false;
        }
        value = it->second;
        return true;
    }

    Header& header_;
    Preprocessed out_;
    std::vector<Conditional> stack_;
    std::vector<int> pending_;
    int last_if_line_ = 0;
};


// ---- declarations

constexpr int kMaxDepth = 128;  // records and arrays inside one another

struct Builtin {
    const char* name;
    std::uint64_t size;
};

// The Windows and standard type names an SDK header uses without defining
// them; a typedef in the header itself takes precedence.
constexpr Builtin kBuiltinTypes[] = {
    {"BOOL", 4},      {"BOOLEAN", 1},   {"BYTE", 1},      {"CHAR", 1},      {"UCHAR", 1},
    {"WCHAR", 2},     {"SHORT", 2},     {"USHORT", 2},    {"WORD", 2},      {"INT", 4},
    {"UINT", 4},      {"LONG", 4},      {"ULONG", 4},     {"DWORD", 4},     {"FLOAT", 4},
    {"DOUBLE", 8},    {"INT8", 1},      {"UINT8", 1},     {"INT16", 2},     {"UINT16", 2},
    {"INT32", 4},     {"UINT32", 4},    {"INT64", 8},     {"UINT64", 8},    {"LONGLONG", 8},
    {"ULONGLONG", 8}, {"DWORD64", 8},   {"QWORD", 8},     {"LONG_PTR", 8},  {"ULONG_PTR", 8},
    {"INT_PTR", 8},   {"UINT_PTR", 8},  {"DWORD_PTR", 8}, {"SIZE_T", 8},    {"size_t", 8},
    {"ptrdiff_t", 8}, {"intptr_t", 8},  {"uintptr_t", 8}, {"int8_t", 1},    {"uint8_t", 1},
    {"int16_t", 2},   {"uint16_t", 2},  {"int32_t", 4},   {"uint32_t", 4},  {"int64_t", 8},
    {"uint64_t", 8},  {"HANDLE", 8},    {"HWND", 8},      {"HMODULE", 8},   {"HINSTANCE", 8},
    {"LPVOID", 8},    {"PVOID", 8},     {"LPCSTR", 8},    {"LPSTR", 8},     {"LPCWSTR", 8},
    {"LPWSTR", 8},    {"WPARAM", 8},    {"LPARAM", 8},    {"LRESULT", 8},   {"ATOM", 2},
};

// Words that change no layout: qualifiers, calling conventions, storage.
const std::unordered_set<std::string> kIgnoredWords = {
    "const",    "volatile", "mutable",   "register",  "__unaligned", "__ptr64",   "__ptr32",
    "__restrict", "restrict", "__cdecl",  "__stdcall", "__fastcall",  "__vectorcall", "__clrcall",
    "WINAPI",   "CALLBACK", "APIENTRY",  "__w64",     "static",      "extern",    "inline",
    "__inline", "__forceinline", "constexpr", "thread_local",
};

const std::unordered_set<std::string> kCallingConventions = {"__cdecl",  "__stdcall", "__fastcall", "__vectorcall",
                                                   "__clrcall", "WINAPI",   "CALLBACK",   "APIENTRY"};

std::uint64_t align_up(std::uint64_t value, std::uint64_t align) {
    return (value + align - 1) / align * align;
}

struct Declarator {
    std::string name;
    int line = 0;
    bool pointer = false;
    bool function = false;
    std::vector<std::uint64_t> dims;
};

struct Known {
    std::int64_t value;
    int constant;  // entry in Header::constants, or -1
};

class Parser {
public:
    Parser(std::vector<Token> tokens, Header& header) : t_(std::move(tokens)), h_(header) {
        for (const Builtin& b : kBuiltinTypes) {
            typedefs_[b.name] = scalar(b.size);
        }
        end_.line = t_.empty() ? 1 : t_.back().line;
    }

    void run() {
        std::vector<int> blocks;  // lines of the extern "C" and namespace blocks open
        while (!at_end()) {
            const Token& t = peek();
            if (t.kind == Tok::Pack) {
                pack(t);
                ++pos_;
            } else if (is(";")) {
                ++pos_;
            } else if (is("}")) {
                if (blocks.empty()) {
                    refuse(t.line, "a '}' that closes nothing");
                }
                blocks.pop_back();
                ++pos_;
            } else if (word("extern") && peek(1).kind == Tok::String) {
                pos_ += 2;
                if (is("{")) {
                    blocks.push_back(t.line);
                    ++pos_;
                }
            } else if (word("namespace")) {
                ++pos_;
                while (!at_end() && !is("{") && !is(";")) {
                    ++pos_;
                }
                if (is("{")) {
                    blocks.push_back(t.line);
                }
                ++pos_;
            } else if (word("template")) {
                refuse(t.line, "a template");
            } else if (word("using") || word("static_assert") || word("_Static_assert")) {
                skip_item();
            } else {
                declaration(false, -1);
            }
            if (blocks.size() > static_cast<std::size_t>(kMaxNesting)) {
                refuse(t.line, "blocks nested too deeply");
            }
        }
        if (!blocks.empty()) {
            refuse(blocks.back(), "a block that is never closed");
        }
    }

private:
    // ---- tokens
    bool at_end() const { return pos_ >= t_.size(); }
    const Token& peek(std::size_t ahead = 0) const {
        return pos_ + ahead < t_.size() ? t_[pos_ + ahead] : end_;
    }
    bool is(const char* p, std::size_t ahead = 0) const {
        const Token& t = peek(ahead);
        return t.kind == Tok::Punct && t.text[0] == p[0] && (p[1] == '\0' ? t.text.size() == 1 : t.text == p);
    }
    bool word(const char* w, std::size_t ahead = 0) const {
        const Token& t = peek(ahead);
        return t.kind == Tok::Ident && t.text[0] == w[0] && t.text == w;
    }
    int line() const { return peek().line; }
    void expect(const char* p) {
        if (!is(p)) {
            refuse(line(), std::string("'") + p + "' expected" +
                               (at_end() ? std::string(" before the end") : ", not \"" + peek().text + "\""));
        }
        ++pos_;
    }

    // The index just past the bracket that closes the one at pos.
    std::size_t matching(std::size_t pos) const {
        int depth = 0;
        for (std::size_t i = pos; i < t_.size(); ++i) {
            const Token& t = t_[i];
            if (t.kind != Tok::Punct) {
                continue;
            }
            if (t.text == "(" || t.text == "[" || t.text == "{") {
                ++depth;
            } else if (t.text == ")" || t.text == "]" || t.text == "}") {
                if (--depth == 0) {
                    return i + 1;
                }
            }
        }
        refuse(t_[pos].line, "a '" + t_[pos].text + "' that is never closed");
    }

    // Skips to just past the ';' that ends this item, or past a body in
    // braces that ends it (a function's).
    void skip_item() {
        while (!at_end()) {
            if (is(";")) {
                ++pos_;
                return;
            }
            if (is("}")) {
                return;  // the enclosing block's end: the item had no ';'
            }
            if (is("{")) {
                pos_ = matching(pos_);
                if (is(";")) {
                    ++pos_;
                }
                return;
            }
            if (is("(") || is("[")) {
                pos_ = matching(pos_);
                continue;
            }
            ++pos_;
        }
    }

    // ---- types
    int add_type(const Type& type) {
        h_.types.push_back(type);
        return static_cast<int>(h_.types.size()) - 1;
    }
    int scalar(std::uint64_t size) {
        const auto it = scalars_.find(size);
        if (it != scalars_.end()) {
            return it->second;
        }
        Type t;
        t.size = size;
        t.align = size;
        return scalars_[size] = add_type(t);
    }
    int special(TypeKind kind) {
        Type t;
        t.kind = kind;
        return add_type(t);
    }
    int array_of(int element, std::uint64_t count, int line) {
        const Type e = h_.types[static_cast<std::size_t>(element)];
        Type t;
        t.kind = TypeKind::Array;
        t.element = element;
        t.count = count;
        t.align = e.align;
        t.depth = e.depth + 1;
        if (t.depth > kMaxDepth) {
            refuse(line, "arrays and structures nested too deeply");
        }
        if (e.size != 0 && count > kMaxTypeSize / e.size) {
            refuse(line, "an array larger than any SDK block");
        }
        t.size = e.size * count;
        return add_type(t);
    }

    void pack(const Token& p) {
        std::vector<std::string> words;
        std::string word;
        for (const char c : p.text + " ") {
            if (c == ' ' || c == ',') {
                if (!word.empty()) {
                    words.push_back(word);
                }
                word.clear();
            } else {
                word += c;
            }
        }
        std::size_t i = 0;
        const bool push = !words.empty() && words[0] == "push";
        const bool pop = !words.empty() && words[0] == "pop";
        if (!words.empty() && words[0] == "show") {
            return;
        }
        i = (push || pop) ? 1 : 0;
        std::string id;
        if (i < words.size() && is_ident_start(words[i][0])) {
            id = words[i++];
        }
        std::int64_t n = 0;
        const bool has_n = i < words.size();
        if (has_n && (!parse_integer(words[i], n) || (n != 1 && n != 2 && n != 4 && n != 8 && n != 16))) {
            refuse(p.line, "#pragma pack(" + p.text + "): the packing is 1, 2, 4, 8 or 16");
        }
        if (i + (has_n ? 1 : 0) < words.size() || (!push && !pop && !id.empty())) {
            refuse(p.line, "#pragma pack(" + p.text + ") is not one the reader knows");
        }
        if (push) {
            pack_stack_.push_back({id, pack_});
            if (pack_stack_.size() > 1024) {
                refuse(p.line, "#pragma pack(push) without end");
            }
        } else if (pop) {
            if (pack_stack_.empty()) {
                refuse(p.line, "#pragma pack(pop) without a push");
            }
            if (!id.empty()) {
                while (!pack_stack_.empty() && pack_stack_.back().first != id) {
                    pack_stack_.pop_back();
                }
                if (pack_stack_.empty()) {
                    refuse(p.line, "#pragma pack(pop, " + id + ") without its push");
                }
            }
            pack_ = pack_stack_.back().second;
            pack_stack_.pop_back();
        }
        if (has_n) {
            pack_ = static_cast<std::uint64_t>(n);
        } else if (!push && !pop) {
            pack_ = kDefaultPack;
        }
    }

    void skip_declspec() {
        ++pos_;
        if (!is("(")) {
            refuse(line(), "__declspec without '('");
        }
        const std::size_t end = matching(pos_);
        for (std::size_t i = pos_; i < end; ++i) {
            if (t_[i].text == "align") {
                refuse(t_[i].line, "__declspec(align): an alignment the reader does not follow");
            }
        }
        pos_ = end;
    }

    // Skips qualifiers, calling conventions and __declspec; true when any.
    bool skip_ignored() {
        bool any = false;
        for (;;) {
            if (peek().kind == Tok::Ident && kIgnoredWords.count(peek().text) != 0) {
                ++pos_;
            } else if (word("__declspec")) {
                skip_declspec();
            } else if (word("alignas") || word("_Alignas")) {
                refuse(line(), "alignas: an alignment the reader does not follow");
            } else {
                return any;
            }
            any = true;
        }
    }

    enum class Word : std::uint8_t { Sign, Short, Long, Int, Char, Float, Double, Bool, Void, Wide, Int8, Int16, Int32, Int64, Record, Enum };

    static const std::unordered_map<std::string, Word>& words() {
        static const std::unordered_map<std::string, Word> kWords = {
            {"signed", Word::Sign},    {"unsigned", Word::Sign},  {"short", Word::Short},  {"long", Word::Long},
            {"int", Word::Int},        {"char", Word::Char},      {"char8_t", Word::Char}, {"float", Word::Float},
            {"double", Word::Double},  {"bool", Word::Bool},      {"_Bool", Word::Bool},   {"void", Word::Void},
            {"wchar_t", Word::Wide},   {"char16_t", Word::Wide},  {"char32_t", Word::Int32}, {"__int8", Word::Int8},
            {"__int16", Word::Int16},  {"__int32", Word::Int32},  {"__int64", Word::Int64}, {"struct", Word::Record},
            {"union", Word::Record},   {"class", Word::Record},   {"enum", Word::Enum}};
        return kWords;
    }

    // A type specifier: the basic words, a typedef name, or a structure,
    // union or enum (defined here or named).
    int type_specifier(int depth) {
        const int start = line();
        int base = -1;
        int longs = 0;
        int intn = 0;
        bool is_short = false, is_char = false, is_int = false, is_float = false, is_double = false,
             is_bool = false, is_void = false, is_wchar = false, sign = false;
        for (;;) {
            skip_ignored();
            const Token& t = peek();
            if (t.kind != Tok::Ident) {
                break;
            }
            const std::string& w = t.text;
            const bool basic = longs != 0 || intn != 0 || is_short || is_char || is_int || is_float ||
                               is_double || is_bool || is_void || is_wchar || sign;
            const auto kw = words().find(w);
            const Word word = kw == words().end() ? Word::Record : kw->second;
            if (kw == words().end()) {
                // not a keyword: a typedef or tag name below, or the declarator
            } else if (word == Word::Sign) {
                sign = true;
            } else if (word == Word::Short) {
                is_short = true;
            } else if (word == Word::Long) {
                ++longs;
            } else if (word == Word::Int) {
                is_int = true;
            } else if (word == Word::Char) {
                is_char = true;
            } else if (word == Word::Float) {
                is_float = true;
            } else if (word == Word::Double) {
                is_double = true;
            } else if (word == Word::Bool) {
                is_bool = true;
            } else if (word == Word::Void) {
                is_void = true;
            } else if (word == Word::Wide) {
                is_wchar = true;
            } else if (word == Word::Int8 || word == Word::Int16 || word == Word::Int32 || word == Word::Int64) {
                intn = word == Word::Int8 ? 8 : word == Word::Int16 ? 16 : word == Word::Int32 ? 32 : 64;
            } else if (word == Word::Record && base < 0 && !basic) {
                base = record_specifier(depth);
                continue;
            } else if (word == Word::Enum && base < 0 && !basic) {
                base = enum_specifier();
                continue;
            } else {
                break;
            }
            if (kw != words().end()) {
                ++pos_;
                continue;
            }
            if (base < 0 && !basic && typedefs_.count(w) != 0) {
                base = typedefs_[w];
            } else if (base < 0 && !basic && tags_.count(w) != 0) {
                base = tags_[w];  // C++: a structure's tag is a type name
            } else {
                break;
            }
            ++pos_;
        }
        if (base >= 0) {
            return base;
        }
        if (is_void) {
            return void_type();
        }
        if (is_double) {
            return scalar(8);  // long double is a double too
        }
        if (is_float) {
            return scalar(4);
        }
        if (is_char || is_bool || intn == 8) {
            return scalar(1);
        }
        if (is_short || is_wchar || intn == 16) {
            return scalar(2);
        }
        if (longs >= 2 || intn == 64) {
            return scalar(8);
        }
        if (is_int || longs == 1 || sign || intn == 32) {
            return scalar(4);
        }
        refuse(start, at_end() ? std::string("a declaration that ends early")
                               : "\"" + peek().text + "\" is not a type the header defines");
    }

    int void_type() {
        if (void_ < 0) {
            void_ = special(TypeKind::Void);
        }
        return void_;
    }

    int record_specifier(int depth) {
        const Token& kw = peek();
        const bool is_union = kw.text == "union";
        const int start = kw.line;
        ++pos_;
        skip_ignored();
        std::string tag;
        if (peek().kind == Tok::Ident) {
            tag = peek().text;  // also when a typedef has the same name: struct X after typedef struct X X
            ++pos_;
        }
        if (is(":")) {
            refuse(line(), "a base class");
        }
        if (!is("{")) {
            if (tag.empty()) {
                refuse(start, "a structure without a name or a body");
            }
            const auto it = tags_.find(tag);
            if (it != tags_.end()) {
                return it->second;
            }
            return tags_[tag] = special(TypeKind::Incomplete);  // declared here, defined later
        }
        if (depth > kMaxNesting) {
            refuse(start, "structures nested too deeply");
        }
        int id = -1;
        if (!tag.empty()) {
            const auto it = tags_.find(tag);
            if (it != tags_.end()) {
                if (h_.types[static_cast<std::size_t>(it->second)].kind != TypeKind::Incomplete) {
                    refuse(start, "\"" + tag + "\" is defined twice");
                }
                id = it->second;
            }
        }
        ++pos_;  // '{'
        Record r;
        r.name = tag;
        if (!tag.empty()) {
            r.aliases.push_back(tag);
        }
        r.is_union = is_union;
        r.line = start;
        r.pack = static_cast<int>(pack_);
        members(r, depth);
        expect("}");
        Type t;
        lay_out(r, t, start);
        t.kind = TypeKind::Record;
        t.record = static_cast<int>(h_.records.size());
        h_.records.push_back(std::move(r));
        if (id >= 0) {
            h_.types[static_cast<std::size_t>(id)] = t;
        } else {
            id = add_type(t);
        }
        if (!tag.empty()) {
            tags_[tag] = id;
        }
        return id;
    }

    void lay_out(Record& r, Type& t, int line) {
        if (r.members.empty()) {
            refuse(line, "an empty structure");
        }
        std::uint64_t offset = 0;
        std::uint64_t size = 0;
        std::uint64_t align = 1;
        int depth = 0;
        for (Member& m : r.members) {
            const Type& mt = h_.types[static_cast<std::size_t>(m.type)];
            const std::uint64_t a = std::min<std::uint64_t>(mt.align, pack_);
            if (r.is_union) {
                m.offset = 0;
                size = std::max(size, mt.size);
            } else {
                m.offset = align_up(offset, a);
                offset = m.offset + mt.size;
                if (offset > kMaxTypeSize) {
                    refuse(m.line, "a structure larger than any SDK block");
                }
                size = offset;
            }
            align = std::max(align, a);
            depth = std::max(depth, mt.depth + 1);
        }
        r.size = align_up(size, align);
        r.align = align;
        t.size = r.size;
        t.align = align;
        t.depth = depth;
        if (depth > kMaxDepth) {
            refuse(line, "arrays and structures nested too deeply");
        }
    }

    // Where in the item at pos the first ':' and '(' outside brackets are.
    struct Shape {
        std::size_t colon = SIZE_MAX;
        std::size_t paren = SIZE_MAX;
        std::size_t brace = SIZE_MAX;
    };
    Shape shape() const {
        Shape s;
        int depth = 0;
        for (std::size_t i = pos_; i < t_.size(); ++i) {
            const Token& t = t_[i];
            if (t.kind != Tok::Punct) {
                continue;
            }
            if (depth == 0 && (t.text == ";" || t.text == "}")) {
                break;
            }
            if (depth == 0 && t.text == ":" && s.colon == SIZE_MAX) {
                s.colon = i;
            }
            if (depth == 0 && t.text == "(" && s.paren == SIZE_MAX) {
                s.paren = i;
            }
            if (depth == 0 && t.text == "{" && s.brace == SIZE_MAX) {
                s.brace = i;
            }
            if (t.text == "(" || t.text == "[" || t.text == "{") {
                ++depth;
            } else if ((t.text == ")" || t.text == "]" || t.text == "}") && --depth < 0) {
                break;
            }
        }
        return s;
    }

    // A '(' that opens a declarator of a pointer to a function: "(*name)".
    bool pointer_paren(std::size_t paren) const {
        std::size_t i = paren + 1;
        while (i < t_.size() && t_[i].kind == Tok::Ident && kCallingConventions.count(t_[i].text) != 0) {
            ++i;
        }
        return i < t_.size() && t_[i].text == "*";
    }

    void members(Record& r, int depth) {
        while (!at_end() && !is("}")) {
            const Token& t = peek();
            if (t.kind == Tok::Pack) {
                refuse(t.line, "#pragma pack inside a structure");
            }
            if (is(";")) {
                ++pos_;
                continue;
            }
            if ((word("public") || word("private") || word("protected")) && is(":", 1)) {
                pos_ += 2;
                continue;
            }
            if (word("template")) {
                refuse(t.line, "a template");
            }
            if (word("virtual")) {
                refuse(t.line, "a virtual function");
            }
            if (word("static") || word("friend") || word("using") || word("static_assert") ||
                is("~") || word("operator")) {
                skip_item();  // no part of the layout
                continue;
            }
            if (word("typedef")) {
                ++pos_;
                declaration(true, depth);
                continue;
            }
            skip_ignored();  // __declspec(...) is no function's parameters
            const Shape s = shape();
            if (s.colon != SIZE_MAX && (s.paren == SIZE_MAX || s.colon < s.paren) &&
                (s.brace == SIZE_MAX || s.colon < s.brace)) {
                refuse(t_[s.colon].line, "a bit-field");
            }
            if (s.paren != SIZE_MAX && (s.brace == SIZE_MAX || s.paren < s.brace) &&
                !pointer_paren(s.paren)) {
                skip_item();  // a member function (or constructor)
                continue;
            }
            field(r, depth);
        }
    }

    void field(Record& r, int depth) {
        const int start = line();
        const std::size_t before = h_.records.size();
        const int base = type_specifier(depth + 1);
        if (is(";")) {
            ++pos_;
            const Type& bt = h_.types[static_cast<std::size_t>(base)];
            const bool defined_here = h_.records.size() > before && bt.kind == TypeKind::Record &&
                                      bt.record == static_cast<int>(h_.records.size()) - 1;
            if (defined_here && h_.records.back().name.empty()) {
                Member m;  // an anonymous structure or union: its fields are the outer one's
                m.type = base;
                m.line = start;
                r.members.push_back(m);
            }
            return;  // a nested type or an enum alone adds no field
        }
        for (;;) {
            const Declarator d = declarator();
            if (d.name.empty()) {
                refuse(d.line, "a field without a name");
            }
            if (d.function) {
                refuse(d.line, "\"" + d.name + "\" is a function inside a structure");
            }
            if (is(":")) {
                refuse(line(), "a bit-field");
            }
            Member m;
            m.name = d.name;
            m.line = d.line;
            m.type = complete(base, d);
            r.members.push_back(m);
            if (is("=") || is("{")) {
                skip_initializer();
            }
            if (is(",")) {
                ++pos_;
                continue;
            }
            expect(";");
            return;
        }
    }

    void skip_initializer() {
        while (!at_end() && !is(",") && !is(";") && !is("}")) {
            if (is("(") || is("[") || is("{")) {
                pos_ = matching(pos_);
            } else {
                ++pos_;
            }
        }
    }

    // The declarator's own type over the specifier's: pointer, then arrays.
    int complete(int base, const Declarator& d) {
        int type = d.pointer ? scalar(kPointerSize) : base;
        const Type& bt = h_.types[static_cast<std::size_t>(type)];
        if (bt.kind == TypeKind::Void) {
            refuse(d.line, "\"" + d.name + "\" is void");
        }
        if (bt.kind == TypeKind::Incomplete) {
            refuse(d.line, "\"" + d.name + "\" has a type whose body the header never gives");
        }
        for (std::size_t i = d.dims.size(); i-- > 0;) {
            type = array_of(type, d.dims[i], d.line);
        }
        return type;
    }

    static bool resolve(void* context, const Token& name, std::int64_t& value) {
        Parser& p = *static_cast<Parser*>(context);
        const auto it = p.known_.find(name.text);
        if (it == p.known_.end()) {
            if (name.text == "true" || name.text == "false") {
                value = name.text == "true" ? 1 : 0;
                return true;
            }
            return false;
        }
        value = it->second.value;
        if (p.sizing_ && it->second.constant >= 0) {
            p.h_.constants[static_cast<std::size_t>(it->second.constant)].used_in_layout = true;
        }
        return true;
    }

    std::int64_t evaluate(std::size_t from, std::size_t to) {
        if (from >= to) {
            refuse(from < t_.size() ? t_[from].line : end_.line, "an empty constant expression");
        }
        return Evaluator(t_, from, to, &Parser::resolve, this).whole();
    }

    Declarator declarator() {
        Declarator d;
        d.line = line();
        skip_ignored();
        while (is("*") || is("&")) {
            if (is("&")) {
                refuse(line(), "a reference");
            }
            d.pointer = true;
            ++pos_;
            skip_ignored();
        }
        bool grouped = false;
        if (is("(") && pointer_paren(pos_)) {
            ++pos_;
            skip_ignored();
            while (is("*")) {
                ++pos_;
                skip_ignored();
            }
            d.pointer = true;
            grouped = true;
        }
        if (peek().kind == Tok::Ident) {
            d.name = peek().text;
            d.line = peek().line;
            ++pos_;
        }
        while (is("[")) {
            const std::size_t close = matching(pos_);
            if (close == pos_ + 2) {
                refuse(line(), "an array without a size");
            }
            sizing_ = true;
            const std::int64_t n = evaluate(pos_ + 1, close - 1);
            sizing_ = false;
            if (n <= 0) {
                refuse(line(), "an array of " + std::to_string(n) + " elements");
            }
            if (d.dims.size() >= 16) {
                refuse(line(), "an array of too many dimensions");
            }
            d.dims.push_back(static_cast<std::uint64_t>(n));
            pos_ = close;
        }
        if (grouped) {
            expect(")");
            if (!is("(")) {
                refuse(line(), "a pointer declarator the reader does not follow");
            }
            pos_ = matching(pos_);  // the function's parameters
            d.dims.clear();         // an array of pointers to functions is still pointers
            d.pointer = true;
        } else if (is("(")) {
            d.function = true;
        }
        skip_ignored();
        return d;
    }

    // typedef ... ; or a declaration at file level: structures and enums
    // defined on the way, typedef names, const integers; functions and
    // variables skipped.
    void declaration(bool is_typedef, int depth) {
        const int start = line();
        if (!is_typedef && word("typedef")) {
            ++pos_;
            is_typedef = true;
        }
        if (!is_typedef) {
            skip_ignored();
            // A function declaration (or definition): its parameters come
            // before any body or ';'. Pointers to functions are variables.
            const Shape s = shape();
            if (s.paren != SIZE_MAX && (s.brace == SIZE_MAX || s.paren < s.brace) &&
                !pointer_paren(s.paren)) {
                skip_item();
                return;
            }
        }
        const bool is_const = peek_const();
        const int base = type_specifier(depth < 0 ? 0 : depth + 1);
        if (is(";")) {
            ++pos_;
            return;
        }
        for (;;) {
            const Declarator d = declarator();
            if (d.name.empty()) {
                refuse(d.line, "a declaration the reader does not follow");
            }
            if (d.function) {
                if (is_typedef) {
                    typedefs_[d.name] = special(TypeKind::Incomplete);  // a function type
                }
                skip_item();
                return;
            }
            if (is_typedef) {
                const Type& bt = h_.types[static_cast<std::size_t>(d.pointer ? scalar(kPointerSize) : base)];
                int type = base;
                if (bt.kind == TypeKind::Void || bt.kind == TypeKind::Incomplete) {
                    type = d.pointer ? scalar(kPointerSize) : base;  // usable behind a pointer only
                } else {
                    type = complete(base, d);
                }
                typedefs_[d.name] = type;
                const Type& tt = h_.types[static_cast<std::size_t>(type)];
                if (tt.kind == TypeKind::Record && !d.pointer && d.dims.empty()) {
                    Record& r = h_.records[static_cast<std::size_t>(tt.record)];
                    r.aliases.push_back(d.name);
                    if (r.name.empty()) {
                        r.name = d.name;
                    }
                }
            } else if (is("=")) {
                const std::size_t from = pos_ + 1;
                skip_initializer();
                if (is_const && !d.pointer && d.dims.empty() &&
                    h_.types[static_cast<std::size_t>(base)].kind == TypeKind::Scalar) {
                    try {
                        known_[d.name] = {evaluate(from, pos_), -1};  // C++: a const integer sizes arrays
                    } catch (const Refusal&) {
                        // not an integer constant: no size
                    }
                }
            }
            if (is(",")) {
                ++pos_;
                continue;
            }
            if (!is(";")) {
                refuse(at_end() ? start : line(), "';' expected after \"" + d.name + "\"");
            }
            ++pos_;
            return;
        }
    }

    bool peek_const() const {
        for (std::size_t i = pos_; i < t_.size() && t_[i].kind == Tok::Ident; ++i) {
            if (t_[i].text == "const" || t_[i].text == "constexpr") {
                return true;
            }
            if (kIgnoredWords.count(t_[i].text) == 0) {
                return false;
            }
        }
        return false;
    }

    int enum_specifier() {
        const int start = line();
        ++pos_;  // enum
        if (word("class") || word("struct")) {
            ++pos_;
        }
        skip_ignored();
        std::string tag;
        if (peek().kind == Tok::Ident) {
            tag = peek().text;
            ++pos_;
        }
        int type = scalar(kEnumSize);
        if (is(":")) {
            ++pos_;
            type = type_specifier(0);
            if (h_.types[static_cast<std::size_t>(type)].kind != TypeKind::Scalar) {
                refuse(start, "an enum over a type that is no integer");
            }
        }
        if (is("{")) {
            ++pos_;
            enumerators();
            expect("}");
        } else if (tag.empty()) {
            refuse(start, "an enum without a name or a body");
        }
        if (!tag.empty()) {
            tags_[tag] = type;
        }
        return type;
    }

    void enumerators() {
        const std::size_t first = h_.constants.size();
        bool valued = false;
        std::int64_t next = 0;
        while (!at_end() && !is("}")) {
            if (peek().kind != Tok::Ident) {
                refuse(line(), "\"" + peek().text + "\" where an enumerator was expected");
            }
            Constant c;
            c.name = peek().text;
            c.line = peek().line;
            ++pos_;
            if (is("=")) {
                ++pos_;
                const std::size_t from = pos_;
                skip_initializer();
                next = evaluate(from, pos_);
                valued = true;
            }
            c.value = next;
            if (next == INT64_MAX) {
                refuse(c.line, "the arithmetic overflows");
            }
            ++next;
            known_[c.name] = {c.value, static_cast<int>(h_.constants.size())};
            h_.constants.push_back(c);
            if (is(",")) {
                ++pos_;
            } else if (!is("}")) {
                refuse(line(), "',' or '}' expected after \"" + c.name + "\"");
            }
        }
        if (!valued) {
            // Enumerators counted from 0 are states, not command codes.
            for (std::size_t i = first; i < h_.constants.size(); ++i) {
                known_[h_.constants[i].name].constant = -1;
            }
            h_.constants.resize(first);
        }
    }

    std::vector<Token> t_;
    Header& h_;
    Token end_;
    std::size_t pos_ = 0;
    std::unordered_map<std::string, int> typedefs_;
    std::unordered_map<std::string, int> tags_;
    std::unordered_map<std::string, Known> known_;
    std::map<std::uint64_t, int> scalars_;
    std::vector<std::pair<std::string, std::uint64_t>> pack_stack_;
    std::uint64_t pack_ = kDefaultPack;
    int void_ = -1;
    bool sizing_ = false;  // evaluating an array's size: the constants used are no commands
};

// ---- locating an offset

void locate_in(const Header& h, int type, std::uint64_t offset, const std::string& name, int line,
               std::uint64_t base, Location& out);

void locate_record(const Header& h, const Record& r, std::uint64_t offset, const std::string& prefix,
                   std::uint64_t base, Location& out) {
    Location best;
    bool have = false;
    for (std::size_t i = 0; i < r.members.size(); ++i) {
        const Member& m = r.members[i];
        const Type& mt = h.types[static_cast<std::size_t>(m.type)];
        const std::string name =
            m.name.empty() ? prefix : (prefix.empty() ? m.name : prefix + "." + m.name);
        if (!r.is_union) {
            const bool last = i + 1 == r.members.size() || r.members[i + 1].offset > offset;
            if (m.offset > offset || !last) {
                continue;
            }
            if (offset >= m.offset + mt.size) {
                out = Location();
                out.kind = Location::Padding;
                out.name = m.name.empty() ? prefix : name;
                out.offset = base + m.offset;
                out.size = mt.size;
                out.line = m.line;
                return;
            }
            locate_in(h, m.type, offset - m.offset, name, m.line, base + m.offset, out);
            return;
        }
        if (offset >= mt.size) {
            continue;
        }
        Location here;
        locate_in(h, m.type, offset, name, m.line, base, here);
        if (here.kind == Location::Start) {
            out = here;
            return;
        }
        if (!have) {
            best = here;
            have = true;
        }
    }
    if (have) {
        out = best;
        return;
    }
    out = Location();
    out.kind = Location::Padding;
    out.name = r.members.empty() ? std::string() : prefix;
    out.offset = base;
    out.line = r.line;
}

void locate_in(const Header& h, int type, std::uint64_t offset, const std::string& name, int line,
               std::uint64_t base, Location& out) {
    const Type& t = h.types[static_cast<std::size_t>(type)];
    switch (t.kind) {
        case TypeKind::Record:
            locate_record(h, h.records[static_cast<std::size_t>(t.record)], offset, name, base, out);
            return;
        case TypeKind::Array: {
            const Type& e = h.types[static_cast<std::size_t>(t.element)];
            const std::uint64_t index = e.size == 0 ? 0 : offset / e.size;
            const std::string element = name + "[" + std::to_string(index) + "]";
            locate_in(h, t.element, offset - index * e.size, element, line, base + index * e.size, out);
            if (e.kind == TypeKind::Scalar) {
                out.array = name;
                out.index = index;
                out.length = t.count;
            }
            return;
        }
        default:
            out = Location();
            out.kind = offset == 0 ? Location::Start : Location::Inside;
            out.name = name;
            out.offset = base;
            out.size = t.size;
            out.line = line;
            return;
    }
}

}  // namespace

bool read_header(const std::string& text, const std::string& file, Header& header,
                 std::string& error) {
    Header result;
    try {
        Preprocessor pre(result);
        Preprocessed p = pre.run(lex(text));  // the lines are moved, token by token
        Parser parser(std::move(p.tokens), result);
        parser.run();
        pre.settle_constants();
    } catch (const Refusal& r) {
        error = file + ":" + std::to_string(r.line) + ": " + r.what;
        return false;
    }
    std::stable_sort(result.constants.begin(), result.constants.end(),
                     [](const Constant& a, const Constant& b) { return a.line < b.line; });
    header = std::move(result);
    return true;
}

Location locate(const Header& header, int record, std::uint64_t offset) {
    Location out;
    const Record& r = header.records[static_cast<std::size_t>(record)];
    locate_record(header, r, offset, std::string(), 0, out);
    return out;
}

}  // namespace corvane::names
