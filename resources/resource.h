// Resource ids of Search.rc: dialog templates, controls, strings and the icon.
// Plain #defines, since the resource compiler reads this file too.
#pragma once

// Application icon.
#define IDI_SEARCH 128

// Dialog templates.
#define IDD_SEARCH_DIALOG 102
#define IDD_IP_CONFIG 130
#define IDD_WIFI_CONFIG 131
#define IDD_BATCH_ADDRESS 132

// String table: list column headers, messages of the IP page and the probe, tab labels.
#define IDS_COLUMN_INDEX 129
#define IDS_COLUMN_MODEL 130
#define IDS_COLUMN_DEVICE_NAME 131
#define IDS_COLUMN_HTTP_PORT 132
#define IDS_COLUMN_RTSP_PORT 133
#define IDS_COLUMN_MAC 134
#define IDS_ADDRESS_AVAILABLE 135
#define IDS_ADDRESS_IN_USE 136
#define IDS_GATEWAY_OTHER_SEGMENT 137
#define IDS_INVALID_ADDRESS 138
#define IDS_TAB_IP_CONFIG 139
#define IDS_TAB_WIFI_CONFIG 140
// The device list's context menu and its Export.
#define IDS_MENU_COPY 150
#define IDS_MENU_OPEN_WEB 151
#define IDS_MENU_EXPORT 152
#define IDS_EXPORT_FILE_TYPE 153
#define IDS_EXPORT_FAILED 154
#define IDS_MENU_ASSIGN_ADDRESSES 155
// The batch address dialog: its captions, preview, notices and report.
#define IDS_BATCH_TITLE 160
#define IDS_BATCH_FIRST 161
#define IDS_BATCH_MASK 162
#define IDS_BATCH_GATEWAY 163
#define IDS_BATCH_STEP 164
#define IDS_BATCH_USE_DHCP 165
#define IDS_BATCH_COLUMN_CURRENT 166
#define IDS_BATCH_COLUMN_NEW 167
#define IDS_BATCH_OK 168
#define IDS_BATCH_CANCEL 169
#define IDS_BATCH_CLOSE 170
#define IDS_BATCH_DHCP_ADDRESS 171
#define IDS_BATCH_INCOMPLETE 172
#define IDS_BATCH_NOTHING_SENT 173
#define IDS_BATCH_SEARCHING 174
#define IDS_BATCH_INVALID_ADDRESS 175
#define IDS_BATCH_GATEWAY_SEGMENT 176
#define IDS_BATCH_DEVICE_TWICE 177
#define IDS_BATCH_ADDRESS_TWICE 178
#define IDS_BATCH_ADDRESS_IN_BATCH 179
#define IDS_BATCH_ADDRESS_HELD 180
#define IDS_BATCH_SHARED_ADDRESS 181
#define IDS_BATCH_ANSWERS 182
#define IDS_BATCH_ANSWERS_FROM 183
#define IDS_BATCH_OTHER_DEVICE 184
#define IDS_BATCH_NO_ANSWER 185
#define IDS_BATCH_CANNOT_TELL 186
// Devices that answer from one address: the device list's info tip and Modify IP's question
// (%1 their count, %2 the address, %3 their MACs).
#define IDS_SHARED_ADDRESS_TIP 190
#define IDS_SHARED_ADDRESS_CHANGE 191

// Commands of the device list's context menu.
#define IDM_LIST_COPY 40001
#define IDM_LIST_OPEN_WEB 40002
#define IDM_LIST_EXPORT 40003
#define IDM_LIST_ASSIGN_ADDRESSES 40004

// Main search window (template 102).
#define IDC_DEVICE_LIST 1000
#define IDC_SEARCH 1001
#define IDC_ADD 1002
#define IDC_OPEN_WEB 1003
#define IDC_PAGE_TABS 1031

// IP address configuration page (template 130).
#define IDC_MODIFY_IP 1004
#define IDC_NEW_IP 1005
#define IDC_SUBNET_MASK 1006
#define IDC_GATEWAY 1007
#define IDC_ORIGINAL_IP 1008
#define IDC_USE_DHCP 1009
#define IDC_PING 1010
#define IDC_ORIGINAL_IP_LABEL 1011
#define IDC_NEW_IP_LABEL 1012
#define IDC_SUBNET_MASK_LABEL 1013
#define IDC_GATEWAY_LABEL 1014

// Wi-Fi configuration page (template 131).
#define IDC_ENABLE_WIFI 1017
#define IDC_SSID_LABEL 1018
#define IDC_SSID 1019
#define IDC_SECURITY_MODE_LABEL 1020
#define IDC_SECURITY_MODE 1021
#define IDC_WEP_KEY_INDEX_LABEL 1022
#define IDC_WEP_KEY_INDEX 1023
#define IDC_SCAN 1025
#define IDC_KEY_LABEL 1026
#define IDC_SELECT 1027
#define IDC_KEY 1028
#define IDC_DELETE 1029
#define IDC_SAVE 1030
#define IDC_NETWORK_LIST 1034

// Batch address dialog (template 132).
#define IDC_BATCH_FIRST_LABEL 1040
#define IDC_BATCH_FIRST 1041
#define IDC_BATCH_MASK_LABEL 1042
#define IDC_BATCH_MASK 1043
#define IDC_BATCH_GATEWAY_LABEL 1044
#define IDC_BATCH_GATEWAY 1045
#define IDC_BATCH_STEP_LABEL 1046
#define IDC_BATCH_STEP 1047
#define IDC_BATCH_DHCP 1048
#define IDC_BATCH_PREVIEW 1049
#define IDC_BATCH_REPORT 1050
