// Ids of the device list tests' own dialog template (listview_test.rc).
#pragma once

#define IDD_LISTVIEW_TEST 300
// The same id as the main window's device list: the saved widths are looked up by it.
#define IDC_TEST_DEVICE_LIST 1000
