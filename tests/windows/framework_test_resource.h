// Ids of the framework tests' own dialog template (framework_test.rc).
#pragma once

#define IDD_FRAMEWORK_TEST 200
#define IDC_TEST_EDIT 300
#define IDC_TEST_CHECK 301
#define IDC_TEST_LABEL 302
