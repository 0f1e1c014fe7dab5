// CSV and tab-separated records.
#include "rowexport/row_export.h"

#include "text/ansi_text.h"

#include <vector>

namespace rowexport {
namespace {

// A number, perhaps signed ("-1" is a port some devices report): a spreadsheet reads it as
// the number it is, so it needs no guard and keeps its value.
bool IsPlainNumber(std::string_view field) {
    if (!field.empty() && (field.front() == '-' || field.front() == '+')) {
        field.remove_prefix(1);
    }
    return !field.empty() && field.find_first_not_of("0123456789") == std::string_view::npos;
}

// A spreadsheet that opens the file runs a cell starting with one of these as a formula, and
// any host on the LAN can give itself such a name. The apostrophe makes it text.
constexpr std::string_view kFormulaStarts = "=+-@\t\r";

std::string GuardFormula(std::string field) {
    if (!field.empty() && kFormulaStarts.find(field.front()) != std::string_view::npos &&
        !IsPlainNumber(field)) {
        field.insert(0, 1, '\'');
    }
    return field;
}

bool NeedsQuotes(std::string_view field) {
    if (field.empty()) {
        return false;
    }
    return field.find_first_of(",\"\r\n") != std::string_view::npos || field.front() == ' ' ||
           field.back() == ' ';
}

} // namespace

std::string CsvRecord(std::span<const std::string> fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line.push_back(',');
        }
        const std::string& field = fields[i];
        if (!NeedsQuotes(field)) {
            line += field;
            continue;
        }
        line.push_back('"');
        for (const char c : field) {
            if (c == '"') {
                line.push_back('"');
            }
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
        if (i > 0) {
            line.push_back(L'\t');
        }
        for (const wchar_t c : fields[i]) {
            line.push_back(c == L'\t' || c == L'\r' || c == L'\n' ? L' ' : c);
        }
    }
    line += L"\r\n";
    return line;
}

std::wstring RowsAsTsv(const discovery::DeviceRows& list, std::span<const std::wstring> headings,
                       std::span<const int> rows) {
    std::wstring text = TsvRecord(headings);
    std::vector<std::wstring> fields(headings.size());
    for (const int row : rows) {
        for (std::size_t c = 0; c < fields.size(); ++c) {
            fields[c] = list.Text(row, static_cast<int>(c));
        }
        text += TsvRecord(fields);
    }
    return text;
}

std::string RowsAsCsvFile(const discovery::DeviceRows& list,
                          std::span<const std::wstring> headings) {
    std::string file = "\xEF\xBB\xBF";
    std::vector<std::string> fields(headings.size());
    for (std::size_t c = 0; c < fields.size(); ++c) {
        fields[c] = GuardFormula(text::WideToUtf8(headings[c]));
    }
    file += CsvRecord(fields);
    for (int row = 0; row < list.Count(); ++row) {
        for (std::size_t c = 0; c < fields.size(); ++c) {
            fields[c] = GuardFormula(text::WideToUtf8(list.Text(row, static_cast<int>(c))));
        }
        file += CsvRecord(fields);
    }
    return file;
}

} // namespace rowexport
