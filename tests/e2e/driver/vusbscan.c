// Stand-in for the still-image USB driver: numbered devices \\.\Usbscan<N>,
// one per 8-byte device descriptor in the service key's binary value
// "Descriptors", each with pipes 0 to 2. Wine hands a device object no
// trailing path, so each \Device\Usbscan<N> is an object directory holding
// one device per pipe, and \DosDevices\Usbscan<N> links to it. Any pipe
// answers IOCTL_GET_DEVICE_DESCRIPTOR; writes go to the endpoint files
// "scan<N>-<pipe>" (vdev.h).
#include "vdev.h"

#define MAX_DEVICES 8
#define PIPES 3
#define GET_DEVICE_DESCRIPTOR 0x80002018

typedef struct {
    char endpoint[16];
    UCHAR descriptor[8];
} PipeExtension;

static HANDLE directories[MAX_DEVICES];

static void AppendDecimal(WCHAR* text, ULONG value) {
    while (*text)
        ++text;
    if (value >= 10)
        *text++ = (WCHAR)(L'0' + value / 10);
    *text++ = (WCHAR)(L'0' + value % 10);
    *text = 0;
}

static void CopyWide(WCHAR* to, const WCHAR* from) {
    while ((*to++ = *from++)) {
    }
}

static PipeExtension* ExtensionOf(PDEVICE_OBJECT device) {
    return (PipeExtension*)device->DeviceExtension;
}

static NTSTATUS NTAPI DispatchWrite(PDEVICE_OBJECT device, PIRP irp) {
    ULONG length = IoGetCurrentIrpStackLocation(irp)->Parameters.Write.Length;
    NTSTATUS status = SinkWrite(ExtensionOf(device)->endpoint, RequestBuffer(irp), length);
    return CompleteRequest(irp, status, NT_SUCCESS(status) ? length : 0);
}

static NTSTATUS NTAPI DispatchControl(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    if (stack->Parameters.DeviceIoControl.IoControlCode != GET_DEVICE_DESCRIPTOR)
        return CompleteRequest(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    if (stack->Parameters.DeviceIoControl.OutputBufferLength < 8)
        return CompleteRequest(irp, STATUS_BUFFER_TOO_SMALL, 0);
    RtlCopyMemory(RequestBuffer(irp), ExtensionOf(device)->descriptor, 8);
    return CompleteRequest(irp, STATUS_SUCCESS, 8);
}

static NTSTATUS CreateNumberedDevice(PDRIVER_OBJECT driver, ULONG number, const UCHAR* descriptor) {
    WCHAR directoryPath[40], linkPath[40];
    CopyWide(directoryPath, L"\\Device\\Usbscan");
    AppendDecimal(directoryPath, number);
    CopyWide(linkPath, L"\\DosDevices\\Usbscan");
    AppendDecimal(linkPath, number);

    UNICODE_STRING directoryName, linkName;
    RtlInitUnicodeString(&directoryName, directoryPath);
    RtlInitUnicodeString(&linkName, linkPath);
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &directoryName,
                               OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, NULL, NULL);
    NTSTATUS status =
        ZwCreateDirectoryObject(&directories[number], DIRECTORY_ALL_ACCESS, &attributes);
    if (!NT_SUCCESS(status))
        return status;

    for (ULONG pipe = 0; pipe < PIPES; ++pipe) {
        WCHAR pipePath[48];
        CopyWide(pipePath, directoryPath);
        CopyWide(pipePath + directoryName.Length / sizeof(WCHAR), L"\\");
        AppendDecimal(pipePath, pipe);
        UNICODE_STRING pipeName;
        RtlInitUnicodeString(&pipeName, pipePath);
        PDEVICE_OBJECT device;
        status = IoCreateDevice(driver, sizeof(PipeExtension), &pipeName, FILE_DEVICE_UNKNOWN, 0,
                                FALSE, &device);
        if (!NT_SUCCESS(status))
            return status;
        PipeExtension* extension = ExtensionOf(device);
        const char prefix[] = "scan";
        ULONG n = 0;
        for (; prefix[n]; ++n)
            extension->endpoint[n] = prefix[n];
        if (number >= 10)
            extension->endpoint[n++] = (char)('0' + number / 10);
        extension->endpoint[n++] = (char)('0' + number % 10);
        extension->endpoint[n++] = '-';
        extension->endpoint[n++] = (char)('0' + pipe);
        extension->endpoint[n] = 0;
        RtlCopyMemory(extension->descriptor, descriptor, 8);
        device->Flags |= DO_BUFFERED_IO;
        device->Flags &= ~DO_DEVICE_INITIALIZING;
    }
    return IoCreateSymbolicLink(&linkName, &directoryName);
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING servicePath) {
    UCHAR descriptors[MAX_DEVICES * 8];
    ULONG bytes = ReadServiceValue(servicePath, L"Descriptors", descriptors, sizeof(descriptors));
    if (bytes < 8)
        return STATUS_OBJECT_NAME_NOT_FOUND;
    SetDispatchTable(driver, DispatchWrite, DispatchControl);
    for (ULONG number = 0; number < bytes / 8; ++number) {
        NTSTATUS status = CreateNumberedDevice(driver, number, descriptors + number * 8);
        if (!NT_SUCCESS(status))
            return status;
    }
    return STATUS_SUCCESS;
}
