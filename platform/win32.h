// The one include through which the updater reaches the operating system:
// the SDK plus the few driver-kit items the SDK lacks.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commctrl.h>
#include <setupapi.h>

// Still-image USB driver: device descriptor request and its answer.
#ifndef IOCTL_GET_DEVICE_DESCRIPTOR
#define IOCTL_GET_DEVICE_DESCRIPTOR 0x80002018
#endif
typedef struct _DEVICE_DESCRIPTOR {
    USHORT usVendorId;
    USHORT usProductId;
    USHORT usBcdDevice;
    USHORT usLanguageId;
} DEVICE_DESCRIPTOR, *PDEVICE_DESCRIPTOR;

// Device interface class of the USB printing driver.
inline const GUID GUID_DEVINTERFACE_USBPRINT = {
    0x28D78FAD, 0x5A12, 0x11D1, {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}};

// The layouts the lookup's records must have, for each processor the
// program is built for.
#if defined(_M_IX86) || defined(__i386__)
static_assert(sizeof(SP_DEVINFO_DATA) == 28, "SP_DEVINFO_DATA layout");
static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == 28, "SP_DEVICE_INTERFACE_DATA layout");
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == 5, "interface detail cbSize");
#elif defined(_M_X64) || defined(__x86_64__)
static_assert(sizeof(SP_DEVINFO_DATA) == 32, "SP_DEVINFO_DATA layout");
static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == 32, "SP_DEVICE_INTERFACE_DATA layout");
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == 8, "interface detail cbSize");
#else
#error "the record layouts are pinned for i686 and x86-64 only"
#endif
