// Parsing of DLGTEMPLATEEX resources for the template tests.
#include "app_dialog_template.h"

#include <cstring>

namespace app_test {

namespace {

// Reads little-endian fields in order; any read past the end makes the reader fail for good.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, std::size_t size) : m_data(data), m_size(size) {}

    bool ok() const { return m_ok; }

    template <class T> T Read() {
        T value{};
        if (!m_ok || m_size - m_pos < sizeof(T)) {
            m_ok = false;
            return value;
        }
        std::memcpy(&value, m_data + m_pos, sizeof(T));
        m_pos += sizeof(T);
        return value;
    }

    std::wstring ReadString() {
        std::wstring text;
        for (WCHAR c = Read<WCHAR>(); m_ok && c != 0; c = Read<WCHAR>()) {
            text.push_back(c);
        }
        return text;
    }

    // A field that is empty (0x0000), an ordinal (0xFFFF then the value) or a string.
    std::wstring ReadNameOrOrdinal(bool isClass) {
        const WORD first = Read<WORD>();
        if (first == 0) {
            return {};
        }
        if (first == 0xFFFF) {
            const WORD ordinal = Read<WORD>();
            return isClass ? ClassOrdinalName(ordinal) : L"#" + std::to_wstring(ordinal);
        }
        m_pos -= sizeof(WORD);
        return ReadString();
    }

    void Skip(std::size_t bytes) {
        if (m_size - m_pos < bytes) {
            m_ok = false;
            return;
        }
        m_pos += bytes;
    }

    void AlignToDword() { Skip((4 - m_pos % 4) % 4); }

private:
    static std::wstring ClassOrdinalName(WORD ordinal) {
        switch (ordinal) {
        case 0x80:
            return L"Button";
        case 0x81:
            return L"Edit";
        case 0x82:
            return L"Static";
        case 0x83:
            return L"ListBox";
        case 0x84:
            return L"ScrollBar";
        case 0x85:
            return L"ComboBox";
        default:
            return L"#" + std::to_wstring(ordinal);
        }
    }

    const BYTE* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

} // namespace

std::optional<DialogTemplate> LoadDialogTemplate(UINT id) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), RT_DIALOG);
    if (found == nullptr) {
        return std::nullopt;
    }
    HGLOBAL loaded = ::LoadResource(module, found);
    const auto* data = static_cast<const BYTE*>(::LockResource(loaded));
    if (data == nullptr) {
        return std::nullopt;
    }
    TemplateReader reader(data, ::SizeofResource(module, found));

    DialogTemplate dialog;
    const WORD version = reader.Read<WORD>();
    const WORD signature = reader.Read<WORD>();
    if (version != 1 || signature != 0xFFFF) {
        return std::nullopt;
    }
    reader.Read<DWORD>(); // help id
    dialog.exStyle = reader.Read<DWORD>();
    dialog.style = reader.Read<DWORD>();
    const WORD count = reader.Read<WORD>();
    dialog.x = reader.Read<short>();
    dialog.y = reader.Read<short>();
    dialog.cx = reader.Read<short>();
    dialog.cy = reader.Read<short>();
    reader.ReadNameOrOrdinal(false); // menu
    reader.ReadNameOrOrdinal(false); // window class
    dialog.caption = reader.ReadString();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = reader.Read<WORD>();
        reader.Read<WORD>(); // weight
        reader.Read<BYTE>(); // italic
        reader.Read<BYTE>(); // character set
        dialog.typeface = reader.ReadString();
    }
    for (WORD i = 0; i < count && reader.ok(); ++i) {
        reader.AlignToDword();
        DialogItemTemplate item;
        reader.Read<DWORD>(); // help id
        item.exStyle = reader.Read<DWORD>();
        item.style = reader.Read<DWORD>();
        item.x = reader.Read<short>();
        item.y = reader.Read<short>();
        item.cx = reader.Read<short>();
        item.cy = reader.Read<short>();
        item.id = reader.Read<DWORD>();
        item.className = reader.ReadNameOrOrdinal(true);
        item.text = reader.ReadNameOrOrdinal(false);
        reader.Skip(reader.Read<WORD>()); // creation data
        dialog.items.push_back(std::move(item));
    }
    if (!reader.ok()) {
        return std::nullopt;
    }
    return dialog;
}

} // namespace app_test
