/* Resource ids shared by the dialog code and the .rc files (plain defines only). */
#ifndef FWUPDATER_RESOURCE_IDS_H
#define FWUPDATER_RESOURCE_IDS_H

/* Configuration entries */
#define IDS_TARGET_HARDWARE_ID 16
#define IDS_TARGET_ROUTE 17
#define IDS_PRINTER_NAME 18
#define IDS_FIRMWARE_VERSION 19

/* User-interface texts */
#define IDS_READY 219
#define IDS_NOT_FOUND 220
#define IDS_FAILED 221
#define IDS_DONE 222
#define IDS_TRANSFERRING 223
#define IDS_BUTTON_TRANSFER 224
#define IDS_BUTTON_EXIT 225
#define IDS_BUTTON_RETRY 226
#define IDS_AGREEMENT_PROMPT 227
#define IDS_AGREEMENT_REFUSE 228
#define IDS_AGREEMENT_ACCEPT 229
#define IDS_OK 230

/* Dialog templates */
#define IDD_UPDATER 102
#define IDD_PROGRESS 103
#define IDD_AGREEMENT 144

/* Controls */
#define IDC_UPDATER_MESSAGE 110
#define IDC_PROGRESS_PERCENT 111
#define IDC_PROGRESS_MESSAGE 112
#define IDC_PROGRESS_BAR 114
#define IDC_AGREEMENT_PROMPT 145
#define IDC_AGREEMENT_TEXT 146
#define IDC_AGREEMENT_REFUSE 147
#define IDC_AGREEMENT_ACCEPT 148

/* Other resources */
#define IDR_FIRMWARE 101
#define IDI_PROGRAM 113
#define IDR_AGREEMENT 145

#endif
