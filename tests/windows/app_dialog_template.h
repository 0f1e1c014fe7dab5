// Reads an extended dialog template from the test program's own resources, so that tests
// can compare it with what the windows are meant to look like before any code moves them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace app_test {

struct DialogItemTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    // Predefined classes given by ordinal come back by name ("Button", "Edit", ...).
    std::wstring className;
    std::wstring text;
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring caption;
    WORD pointSize = 0;
    std::wstring typeface;
    std::vector<DialogItemTemplate> items;
};

// Empty when the module has no such dialog or it is not a well-formed DLGTEMPLATEEX.
std::optional<DialogTemplate> LoadDialogTemplate(UINT id);

} // namespace app_test
