// The resource and control numbers of the Windows wizard, shared by the
// dialog templates (vesper_win.rc, through windres) and the C++ views.
// The numbers are the ones the wizard's pages and dialogs have always had.
#pragma once

// Dialogs and pages.
#define IDD_CONNECTING 101
#define IDD_WELCOME 103
#define IDD_FOLDER 105
#define IDD_PROGRESS 106
#define IDD_ENCODING 107
#define IDD_INTERNAL_ERROR 114
#define IDD_CONTINUE_ERROR 115
#define IDD_FINISH 116
#define IDD_TABLES 127
#define IDD_QUERY 128
#define IDD_ORACLE 132
#define IDD_TABLE_EDIT 135
#define IDD_TEXT_WINDOW 136

// Buttons every dialog shares.
#define IDC_HELP_BUTTON 9

// Welcome and finish pages.
#define IDC_HEADING 1337
#define IDC_LOAD_SETTINGS 1115
#define IDC_WEB_LINK 1320
#define IDC_FINISH_HEADING 1313
#define IDC_FINISH_TEXT 1314
#define IDC_ERROR_LIST 1016
#define IDC_SAVE_SETTINGS 1116
#define IDC_COPY 1108
#define IDC_VIEW_LOG 1117
// The welcome and finish pages' picture, beside their text.
#define IDC_WATERMARK 1400

// Oracle page (and Edit Table's name fields, which share 1003 and 1004).
#define IDC_SERVER 1003
#define IDC_PORT 1004
#define IDC_USERNAME 1012
#define IDC_PASSWORD 1013
#define IDC_DATABASE 1014
#define IDC_TEST_CONNECTION 1021

// Folder page.
#define IDC_FOLDER 1003
#define IDC_BROWSE 1107
#define IDC_MODE_OVERWRITE 1329
#define IDC_MODE_MERGE 1330
#define IDC_MODE_SKIP 1331
#define IDC_MODE_SYNC 1332
#define IDC_LOGICALS_AS_IS 1204
#define IDC_DEFINITIONS_ONLY 1228
#define IDC_SKIP_DELETED 1202
#define IDC_UPPER_CASE 1203
#define IDC_RESUME 1229
#define IDC_ROW_BY_ROW 1230
#define IDC_BATCH_ROWS 1231
#define IDC_COMMIT_ROWS 1232
#define IDC_BATCH_SPIN 1233
#define IDC_COMMIT_SPIN 1234
#define IDC_SESSIONS_SPIN 1235
#define IDC_SESSIONS 1236

// Encoding page.
#define IDC_ENCODING 1302

// Tables page.
#define IDC_TABLES_INTRO 1337
#define IDC_AVAILABLE_LABEL 1334
#define IDC_AVAILABLE 1317
#define IDC_ADD 1101
#define IDC_ADD_ALL 1102
#define IDC_REMOVE 1111
#define IDC_REMOVE_ALL 1110
#define IDC_ADD_QUERY 1114
#define IDC_SELECTED_LABEL 1312
#define IDC_SELECTED 1318
#define IDC_CHECK 1115

// Progress page.
#define IDC_TABLE_LINE 1323
#define IDC_PROGRESS_BAR 1321
#define IDC_RECORDS_LINE 1324
#define IDC_TABLES_DONE 1325

// Query dialog.
#define IDC_QUERY_NAME 1019
#define IDC_QUERY_TEXT 1020
#define IDC_TEST_QUERY 129

// Edit Table dialog.
#define IDC_FIELDS 1316
#define IDC_TABLE_NAME 1003
#define IDC_FIELD_NAME 1004
#define IDC_FIELD_TYPE 1302
#define IDC_FIELD_DEFAULT 1005
#define IDC_LENGTH_LABEL 1340
#define IDC_LENGTH 1006
#define IDC_PRECISION_LABEL 1341
#define IDC_PRECISION 1007
#define IDC_SCALE_LABEL 1342
#define IDC_SCALE 1008
#define IDC_FIELD_KEY 1009

// The text window: Check's report and the log.
#define IDC_TEXT_VIEW 1030
#define IDC_TEXT_COPY 1031

// Error dialogs and the connecting window.
#define IDC_ERROR_TEXT 1320
#define IDC_ERROR_ICON 1321
#define IDC_SEND_BUG 1112
#define IDC_DO_NOT_SHOW 1222
#define IDC_BUSY_BAR 1301
