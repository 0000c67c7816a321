// CatalogCheck - message catalogs looked over before the C library reads them, and the languages it
// may look in narrowed to the catalogs that passed.
//
// A catalog is a header of seven words (magic, revision, count N, originals' table, translations'
// table, hash size S, hash table), two tables of N (length, offset) pairs, the strings, and S hash
// slots. The C library takes every one of those numbers on trust; so is the plural rule in the header
// (the translation of ""), which it parses and evaluates for each count. Everything it would read is
// checked here, in its order of reading.
#include "platform/sys/CatalogCheck.h"

#include "platform/sys/FileRead.h"

#include <locale.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>

namespace {

constexpr uint32_t MAGIC = 0x950412de;
// Larger than any catalog of a game's few hundred messages by far.
constexpr size_t MAX_CATALOG_BYTES = 4 << 20;
// The languages of LANGUAGE's list looked at, in order; the C library walks a long list in quadratic
// time, and a player names two or three.
constexpr int MAX_LANGUAGES = 16;
// Counts the game puts through a plural rule: goals of up to 10 answers, time bonuses of up to 120
// points, with room to spare.
constexpr unsigned long MAX_COUNT = 1000;

class TWords {
public:
    TWords(const unsigned char* bytes, size_t size, bool swapped) : bytes(bytes), size(size), swapped(swapped) {}
    // The word at offset, which the caller has checked lies inside.
    uint32_t At(size_t offset) const
    {
        const unsigned char* p = bytes + offset;
        return swapped ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]
                       : uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
    // A table of count entries of entryBytes each at offset: inside the file and on a word boundary,
    // as the C library reads it in place.
    bool Holds(uint64_t offset, uint64_t count, uint64_t entryBytes) const
    {
        return offset % 4 == 0 && offset <= size && count * entryBytes <= size - offset;
    }

private:
    const unsigned char* bytes;
    size_t size;
    bool swapped;
};

bool IsPrime(uint32_t n)
{
    if (n < 2)
        return false;
    for (uint32_t d = 2; uint64_t(d) * d <= n; ++d)
        if (n % d == 0)
            return false;
    return true;
}

// The plural rule's language, as the C library parses it: C's operators on unsigned numbers and n, up
// to the first ';' or line end.
class TPluralRule {
public:
    explicit TPluralRule(const char* text) : at(text) {}

    bool Parse()
    {
        root = Conditional(0);
        Blanks();
        return root >= 0 && (*at == ';' || *at == '\n' || *at == '\0');
    }

    // Nothing when the rule divides by zero for n.
    bool Evaluate(unsigned long n, unsigned long& value) const { return Eval(root, n, value); }

private:
    enum TOp { NUMBER, N, NOT, MUL, DIV, MOD, ADD, SUB, LT, GT, LE, GE, EQ, NE, AND, OR, IF };
    struct TNode {
        TOp op;
        unsigned long number;
        int a, b, c;
    };
    // Deeper than any language's rule (the longest real ones nest four or five levels).
    static constexpr int MAX_DEPTH = 64;
    static constexpr size_t MAX_NODES = 512;

    int Add(TOp op, int a = -1, int b = -1, int c = -1, unsigned long number = 0)
    {
        if (a == -2 || b == -2 || c == -2 || nodes.size() >= MAX_NODES)
            return -2;
        nodes.push_back(TNode{op, number, a, b, c});
        return int(nodes.size() - 1);
    }
    void Blanks()
    {
        while (*at == ' ' || *at == '\t')
            ++at;
    }
    bool Take(const char* token)
    {
        Blanks();
        const size_t length = std::strlen(token);
        if (std::strncmp(at, token, length) != 0)
            return false;
        // "<" is not the start of "<=", nor "!" of "!=".
        if (length == 1 && (token[0] == '<' || token[0] == '>' || token[0] == '!' || token[0] == '=') && at[1] == '=')
            return false;
        at += length;
        return true;
    }

    // Every level returns a node, or -2 for a rule that does not parse.
    int Conditional(int depth)
    {
        if (depth > MAX_DEPTH)
            return -2;
        const int test = Binary(0, depth);
        if (!Take("?"))
            return test;
        const int yes = Conditional(depth + 1);
        if (!Take(":"))
            return -2;
        return Add(IF, test, yes, Conditional(depth + 1));
    }
    int Binary(int level, int depth)
    {
        struct TLevel {
            const char* tokens[4];
            TOp ops[4];
        };
        static const TLevel LEVELS[] = {
            {{"||"}, {OR}},
            {{"&&"}, {AND}},
            {{"==", "!="}, {EQ, NE}},
            {{"<=", ">=", "<", ">"}, {LE, GE, LT, GT}},
            {{"+", "-"}, {ADD, SUB}},
            {{"*", "/", "%"}, {MUL, DIV, MOD}},
        };
        if (level == int(std::size(LEVELS)))
            return Unary(depth);
        int left = Binary(level + 1, depth);
        for (bool more = true; more && left >= 0;) {
            more = false;
            for (int i = 0; i < 4 && LEVELS[level].tokens[i]; ++i)
                if (Take(LEVELS[level].tokens[i])) {
                    left = Add(LEVELS[level].ops[i], left, Binary(level + 1, depth));
                    more = true;
                    break;
                }
        }
        return left;
    }
    int Unary(int depth)
    {
        if (depth > MAX_DEPTH)
            return -2;
        if (Take("!"))
            return Add(NOT, Unary(depth + 1));
        if (Take("("))
            return Closed(Conditional(depth + 1));
        Blanks();
        if (*at == 'n') {
            ++at;
            return Add(N);
        }
        if (*at < '0' || *at > '9')
            return -2;
        unsigned long number = 0;
        for (int digits = 0; *at >= '0' && *at <= '9'; ++at)
            if (++digits > 9)
                return -2;
            else
                number = number * 10 + unsigned(*at - '0');
        return Add(NUMBER, -1, -1, -1, number);
    }
    int Closed(int inside) { return Take(")") ? inside : -2; }

    // As the C library evaluates: only the branch a condition takes, && and || stopping early.
    bool Eval(int node, unsigned long n, unsigned long& value) const
    {
        const TNode& e = nodes[size_t(node)];
        unsigned long a = 0, b = 0;
        switch (e.op) {
        case NUMBER: value = e.number; return true;
        case N: value = n; return true;
        case NOT: if (!Eval(e.a, n, a)) return false; value = !a; return true;
        case IF: return Eval(e.a, n, a) && Eval(a ? e.b : e.c, n, value);
        case AND: if (!Eval(e.a, n, a)) return false; if (!a) { value = 0; return true; } break;
        case OR: if (!Eval(e.a, n, a)) return false; if (a) { value = 1; return true; } break;
        default: if (!Eval(e.a, n, a)) return false; break;
        }
        if (!Eval(e.b, n, b))
            return false;
        switch (e.op) {
        case AND: case OR: value = b != 0; return true;
        case MUL: value = a * b; return true;
        case DIV: if (b == 0) return false; value = a / b; return true;
        case MOD: if (b == 0) return false; value = a % b; return true;
        case ADD: value = a + b; return true;
        case SUB: value = a - b; return true;
        case LT: value = a < b; return true;
        case GT: value = a > b; return true;
        case LE: value = a <= b; return true;
        case GE: value = a >= b; return true;
        case EQ: value = a == b; return true;
        case NE: value = a != b; return true;
        default: return false;
        }
    }

    const char* at;
    std::vector<TNode> nodes;
    int root = -1;
};

// The header's plural rule, as the C library finds it: "nplurals=" and "plural=" anywhere in it.
std::string PluralProblem(const char* header)
{
    const char* plural = std::strstr(header, "plural=");
    const char* count = std::strstr(header, "nplurals=");
    // The C library then uses English's rule, which is safe.
    if (!plural || !count)
        return std::string();
    count += std::strlen("nplurals=");
    while (std::isspace(static_cast<unsigned char>(*count)))
        ++count;
    if (*count < '0' || *count > '9' || std::strtoul(count, nullptr, 10) == 0 || std::strtoul(count, nullptr, 10) > 100)
        return "its number of plural forms is not one from 1 to 100";
    TPluralRule rule(plural + std::strlen("plural="));
    if (!rule.Parse())
        return "its plural rule does not parse";
    for (unsigned long n = 0; n <= MAX_COUNT; ++n) {
        unsigned long form = 0;
        if (!rule.Evaluate(n, form))
            return "its plural rule divides by zero for " + std::to_string(n);
    }
    return std::string();
}

std::string Lowered(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The header's character set, when it names one, must be the game's own: the texts are drawn as UTF-8.
std::string CharsetProblem(const char* header)
{
    const char* charset = std::strstr(header, "charset=");
    if (!charset)
        return std::string();
    charset += std::strlen("charset=");
    const std::string name = Lowered(std::string(charset, std::strcspn(charset, " \t\n;")));
    return name == "utf-8" || name == "utf8" || name == "ascii" || name == "us-ascii"
               ? std::string()
               : "its character set is " + name + ", not UTF-8";
}

bool IsCOrPosix(const std::string& name) { return name == "C" || name == "POSIX"; }

// A language's name as locales and catalogs are named (fr, pt_BR, de_DE.UTF-8, sr@latin): it starts
// with a letter, so it is never "." or "..", and it has no "/".
bool IsLanguageName(const std::string& name)
{
    if (name.empty() || name.size() > 64 || !std::isalpha(static_cast<unsigned char>(name[0])))
        return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-' && c != '.' && c != '@')
            return false;
    return true;
}

// The folder names the C library tries for a language, most specific first:
// language[_territory][.codeset][@modifier], the codeset also as it normalises it (UTF-8 as utf8).
std::vector<std::string> Variants(const std::string& name)
{
    const size_t at = name.find('@');
    const std::string modifier = at == std::string::npos ? "" : name.substr(at);
    const std::string rest = name.substr(0, at);
    const size_t dot = rest.find('.');
    const std::string codeset = dot == std::string::npos ? "" : rest.substr(dot + 1);
    const std::string base = rest.substr(0, dot);
    const size_t underscore = base.find('_');
    const std::string territory = underscore == std::string::npos ? "" : base.substr(underscore);
    const std::string language = base.substr(0, underscore);
    std::string normal;
    bool digitsOnly = true;
    for (char c : codeset)
        if (std::isalnum(static_cast<unsigned char>(c))) {
            normal += char(std::tolower(static_cast<unsigned char>(c)));
            digitsOnly = digitsOnly && std::isdigit(static_cast<unsigned char>(c));
        }
    if (!normal.empty() && digitsOnly)
        normal = "iso" + normal;
    std::vector<std::string> names;
    for (int mask = 15; mask >= 0; --mask) {
        const bool withModifier = mask & 8, withTerritory = mask & 4, withCodeset = mask & 2, withNormal = mask & 1;
        if ((withModifier && modifier.empty()) || (withTerritory && territory.empty()) ||
            (withCodeset && codeset.empty()) || (withNormal && (normal.empty() || normal == codeset)) ||
            (withCodeset && withNormal))
            continue;
        names.push_back(language + (withTerritory ? territory : "") + (withCodeset ? "." + codeset : "") +
                        (withNormal ? "." + normal : "") + (withModifier ? modifier : ""));
    }
    return names;
}

}  // namespace

std::string CatalogProblem(const unsigned char* bytes, size_t size)
{
    if (size < 28)
        return "shorter than a catalog's header";
    const bool swapped = TWords(bytes, size, false).At(0) != MAGIC;
    const TWords words(bytes, size, swapped);
    if (words.At(0) != MAGIC)
        return "not a message catalog";
    // Revision 0 is what msgfmt writes for every catalog without system-dependent strings; the later
    // revision's extra tables are more for the C library to trust.
    if (words.At(4) != 0)
        return "a catalog revision this game does not read";
    const uint32_t count = words.At(8), originals = words.At(12), translations = words.At(16);
    const uint32_t hashSize = words.At(20), hashTable = words.At(24);
    if (!words.Holds(originals, count, 8) || !words.Holds(translations, count, 8))
        return "its tables of strings lie outside the file";
    const char* text = reinterpret_cast<const char*>(bytes);
    const auto stringAt = [&](uint32_t table, uint32_t i) -> const char* {
        const uint64_t length = words.At(table + 8 * size_t(i)), offset = words.At(table + 8 * size_t(i) + 4);
        return offset + length < size && bytes[offset + length] == '\0' ? text + offset : nullptr;
    };
    for (uint32_t i = 0; i < count; ++i) {
        const char* original = stringAt(originals, i);
        if (!original || !stringAt(translations, i))
            return "string " + std::to_string(i) + " lies outside the file or is not terminated";
        // Looked up by halving when there is no hash table.
        if (i > 0 && std::strcmp(stringAt(originals, i - 1), original) >= 0)
            return "its messages are out of order";
    }
    // A table of two slots or fewer is not used. Otherwise every lookup steps through the slots by a
    // stride it takes from the text's hash until it meets an empty one: with a prime size every stride
    // visits them all, so one empty slot ends every lookup.
    if (hashSize > 2) {
        if (!IsPrime(hashSize) || !words.Holds(hashTable, hashSize, 4))
            return "its hash table is damaged";
        bool empty = false;
        for (uint32_t i = 0; i < hashSize; ++i) {
            const uint32_t slot = words.At(hashTable + 4 * size_t(i));
            if (slot > count)
                return "its hash table is damaged";
            empty = empty || slot == 0;
        }
        if (!empty)
            return "its hash table is full";
    }
    // The header is the translation of "", the first original when there is one.
    if (count > 0 && *stringAt(originals, 0) == '\0') {
        const char* header = stringAt(translations, 0);
        std::string problem = CharsetProblem(header);
        if (problem.empty())
            problem = PluralProblem(header);
        return problem;
    }
    return std::string();
}

bool KeepSoundCatalogs(const std::string& domain, const std::string& folder)
{
    const char* locale = setlocale(LC_MESSAGES, nullptr);
    // In the C locale the C library reads no catalog at all.
    if (!locale || IsCOrPosix(locale))
        return false;
    const char* languages = std::getenv("LANGUAGE");
    const std::string list = languages && *languages ? languages : locale;
    std::string kept;
    std::set<std::string> said;
    int looked = 0;
    for (size_t start = 0; start <= list.size() && looked < MAX_LANGUAGES;) {
        const size_t end = std::min(list.find(':', start), list.size());
        const std::string name = list.substr(start, end - start);
        start = end + 1;
        if (name.empty())
            continue;
        ++looked;
        // Where the C library stops looking: the texts as written.
        if (IsCOrPosix(name)) {
            kept += (kept.empty() ? "" : ":") + name;
            break;
        }
        if (!IsLanguageName(name))
            continue;
        for (const std::string& variant : Variants(name)) {
            const std::string path = folder + "/" + variant + "/LC_MESSAGES/" + domain + ".mo";
            std::vector<uint8_t> bytes;
            const TFileStatus status = ReadRegularFile(path, MAX_CATALOG_BYTES, bytes);
            if (status == TFileStatus::Missing)
                continue;
            const std::string problem =
                status == TFileStatus::Ok ? CatalogProblem(bytes.data(), bytes.size()) : FileStatusText(status);
            if (problem.empty()) {
                kept += (kept.empty() ? "" : ":") + variant;
                break;
            }
            if (said.insert(path).second)
                std::fprintf(stderr, "calcadia: the translation %s cannot be used (%s); it is left aside\n",
                             path.c_str(), problem.c_str());
        }
    }
    if (kept.empty())
        setlocale(LC_MESSAGES, "C");
    else
        setenv("LANGUAGE", kept.c_str(), 1);
    return !said.empty();
}
