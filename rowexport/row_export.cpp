// CSV and tab-separated records, and the UTF-8 encoder under them.
#include "rowexport/row_export.h"

#include <vector>

namespace rowexport {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kMaxCodePoint = 0x10FFFF;

bool IsHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c > kMaxCodePoint || IsHighSurrogate(c) || IsLowSurrogate(c))
        c = kReplacement;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// A number, perhaps signed ("-1" is a port some devices report): a spreadsheet reads it as
// the number it is, so it needs no guard and keeps its value.
bool IsPlainNumber(std::string_view field) {
    if (!field.empty() && (field.front() == '-' || field.front() == '+'))
        field.remove_prefix(1);
    return !field.empty() && field.find_first_not_of("0123456789") == std::string_view::npos;
}

// A spreadsheet that opens the file runs a cell starting with one of these as a formula, and
// any host on the LAN can give itself such a name. The apostrophe makes it text.
constexpr std::string_view kFormulaStarts = "=+-@\t\r";

std::string GuardFormula(std::string field) {
    if (!field.empty() && kFormulaStarts.find(field.front()) != std::string_view::npos &&
        !IsPlainNumber(field))
        field.insert(0, 1, '\'');
    return field;
}

bool NeedsQuotes(std::string_view field) {
    if (field.empty())
        return false;
    return field.find_first_of(",\"\r\n") != std::string_view::npos || field.front() == ' ' ||
           field.back() == ' ';
}

} // namespace

std::string WideToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            c &= 0xFFFF;
            if (IsHighSurrogate(c) && i + 1 < text.size()) {
                const char32_t low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
                if (IsLowSurrogate(low)) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::string CsvRecord(std::span<const std::string> fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line.push_back(',');
        const std::string& field = fields[i];
        if (!NeedsQuotes(field)) {
            line += field;
            continue;
        }
        line.push_back('"');
        for (const char c : field) {
            if (c == '"')
                line.push_back('"');
            line.push_back(c);
        }
        line.push_back('"');
    }
    line += "\r\n";
    return line;
}

std::wstring TsvRecord(std::span<const std::wstring> fields) {
    std::wstring line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line.push_back(L'\t');
        for (const wchar_t c : fields[i])
            line.push_back(c == L'\t' || c == L'\r' || c == L'\n' ? L' ' : c);
    }
    line += L"\r\n";
    return line;
}

std::wstring RowsAsTsv(const discovery::DeviceRows& list, std::span<const std::wstring> headings,
                       std::span<const int> rows) {
    std::wstring text = TsvRecord(headings);
    std::vector<std::wstring> fields(headings.size());
    for (const int row : rows) {
        for (std::size_t c = 0; c < fields.size(); ++c)
            fields[c] = list.Text(row, static_cast<int>(c));
        text += TsvRecord(fields);
    }
    return text;
}

std::string RowsAsCsvFile(const discovery::DeviceRows& list,
                          std::span<const std::wstring> headings) {
    std::string file = "\xEF\xBB\xBF";
    std::vector<std::string> fields(headings.size());
    for (std::size_t c = 0; c < fields.size(); ++c)
        fields[c] = GuardFormula(WideToUtf8(headings[c]));
    file += CsvRecord(fields);
    for (int row = 0; row < list.Count(); ++row) {
        for (std::size_t c = 0; c < fields.size(); ++c)
            fields[c] = GuardFormula(WideToUtf8(list.Text(row, static_cast<int>(c))));
        file += CsvRecord(fields);
    }
    return file;
}

} // namespace rowexport
