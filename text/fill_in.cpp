#include "text/fill_in.h"

namespace text {

std::wstring FillIn(std::wstring_view format, std::initializer_list<std::wstring_view> values) {
    std::wstring text;
    for (std::size_t at = 0; at < format.size(); ++at) {
        const wchar_t next = at + 1 < format.size() ? format[at + 1] : L'\0';
        const auto value = static_cast<std::size_t>(next - L'1');
        if (format[at] == L'%' && next >= L'1' && value < values.size()) {
            text += values.begin()[value];
            ++at;
        } else {
            text += format[at];
        }
    }
    return text;
}

} // namespace text
