// Ids of the tests' own dialog templates (windows_test.rc).
#pragma once

#define IDD_FRAMEWORK_TEST 200
#define IDC_TEST_EDIT 300
#define IDC_TEST_CHECK 301
#define IDD_LISTVIEW_TEST 400
// The main window's device list id: the saved widths are looked up by it.
#define IDC_TEST_DEVICE_LIST 1000
