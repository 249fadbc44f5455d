// Self-check of the virtual printer, independent of the program under test:
// lists the present USB printing interfaces with their hardware IDs, opens
// the numbered still-image devices and asks for their descriptors, and
// writes test bytes through either route. Prints one JSON object per line.
//
//   devcheck list
//   devcheck print <bytes> [<bytes>...]    writes to the first printing interface
//   devcheck scan <N> <pipe> <bytes>...    writes to \\.\Usbscan<N>\<pipe>
#include <windows.h>
#include <setupapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "json_out.h"

static const GUID usbPrintInterface = {
    0x28d78fad, 0x5a12, 0x11d1, {0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2}};

static int FirstInterfacePath(char* path, DWORD size, int print) {
    HDEVINFO set =
        SetupDiGetClassDevsA(&usbPrintInterface, NULL, NULL, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE)
        return 0;
    int found = 0;
    SP_DEVINFO_DATA device;
    ZeroMemory(&device, sizeof(device));
    device.cbSize = sizeof(device);
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
        char ids[1024] = {0};
        DWORD type = 0;
        SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, &type, (BYTE*)ids,
                                          sizeof(ids) - 2, NULL);
        SP_DEVICE_INTERFACE_DATA iface;
        ZeroMemory(&iface, sizeof(iface));
        iface.cbSize = sizeof(iface);
        char buffer[1024];
        SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail = (SP_DEVICE_INTERFACE_DETAIL_DATA_A*)buffer;
        detail->cbSize = sizeof(*detail);
        if (!SetupDiEnumDeviceInterfaces(set, &device, &usbPrintInterface, 0, &iface) ||
            !SetupDiGetDeviceInterfaceDetailA(set, &iface, detail, sizeof(buffer), NULL, NULL))
            continue;
        if (print) {
            printf("{\"device\": %lu, \"path\": ", i);
            PrintJsonString(detail->DevicePath);
            printf(", \"hardware_ids\": [");
            for (const char* id = ids; *id; id += strlen(id) + 1) {
                if (id != ids)
                    printf(", ");
                PrintJsonString(id);
            }
            printf("]}\n");
        }
        if (!found) {
            lstrcpynA(path, detail->DevicePath, size);
            found = 1;
        }
    }
    SetupDiDestroyDeviceInfoList(set);
    return found;
}

static void ListScanners(void) {
    for (int n = 0; n < 100; ++n) {
        char name[32];
        snprintf(name, sizeof(name), "\\\\.\\Usbscan%d\\0", n);
        HANDLE h =
            CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        NULL, OPEN_EXISTING, FILE_ATTRIBUTE_SYSTEM, NULL);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        unsigned short descriptor[4] = {0};
        DWORD returned = 0;
        BOOL ok = DeviceIoControl(h, 0x80002018, NULL, 0, descriptor, sizeof(descriptor), &returned,
                                  NULL);
        printf("{\"scanner\": %d, \"ioctl\": %d, \"error\": %lu, \"returned\": %lu, "
               "\"vendor\": %u, \"product\": %u}\n",
               n, ok ? 1 : 0, ok ? 0 : GetLastError(), returned, descriptor[0], descriptor[1]);
        CloseHandle(h);
    }
}

static int WriteSeries(const char* path, int count, char** sizes) {
    HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    printf("{\"open\": %d, \"error\": %lu}\n", h != INVALID_HANDLE_VALUE,
           h == INVALID_HANDLE_VALUE ? GetLastError() : 0);
    if (h == INVALID_HANDLE_VALUE)
        return 1;
    unsigned counter = 0;
    for (int i = 0; i < count; ++i) {
        DWORD length = (DWORD)strtoul(sizes[i], NULL, 10);
        unsigned char* data = malloc(length ? length : 1);
        for (DWORD b = 0; b < length; ++b)
            data[b] = (unsigned char)(counter++ * 7);
        DWORD written = 12345;
        SetLastError(0);
        BOOL ok = WriteFile(h, data, length, &written, NULL);
        printf("{\"write\": %lu, \"ok\": %d, \"written\": %lu, \"error\": %lu}\n", length,
               ok ? 1 : 0, written, ok ? 0 : GetLastError());
        free(data);
    }
    CloseHandle(h);
    return 0;
}

int main(int argc, char** argv) {
    setvbuf(stdout, NULL, _IONBF, 0);
    if (argc >= 2 && !strcmp(argv[1], "list")) {
        char path[512];
        FirstInterfacePath(path, sizeof(path), 1);
        ListScanners();
        return 0;
    }
    if (argc >= 3 && !strcmp(argv[1], "print")) {
        char path[512];
        if (!FirstInterfacePath(path, sizeof(path), 0)) {
            printf("{\"open\": 0, \"error\": \"no interface\"}\n");
            return 1;
        }
        return WriteSeries(path, argc - 2, argv + 2);
    }
    if (argc >= 5 && !strcmp(argv[1], "scan")) {
        char path[64];
        snprintf(path, sizeof(path), "\\\\.\\Usbscan%s\\%s", argv[2], argv[3]);
        return WriteSeries(path, argc - 4, argv + 4);
    }
    fprintf(stderr, "usage: devcheck list | print <bytes>... | scan <N> <pipe> <bytes>...\n");
    return 2;
}
